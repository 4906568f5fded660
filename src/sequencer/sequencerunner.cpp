#include "sequencer/sequencerunner.h"

#include "sequencer/sequencefile.h"

#include "workspace/console.h"
#include "settings/settingsfile.h"
#include "settings/settingskeys.h"
#include "bus/replyreaders.h"
#include "serial/linesettings.h"
#include "serial/mainport.h"
#include "serial/tcom.h"

#include <QPointer>
#include <QTimer>

using namespace std::chrono_literals;

namespace {

constexpr std::chrono::milliseconds RunStartInterval{1};
constexpr std::chrono::milliseconds ResumeInterval{10};

} // namespace

// Everything a step needs, copied on the user-interface thread when it starts.
struct SequenceRunner::StepJob
{
    int step = 0;
    QString command;
    QString next;
    int stepCount = 0;
    StepLanguage language;
    bool printEnabled = true;
    bool portIsOpen = false;
    LineOpenRequest request;
    quint64 epoch = 0;
    quint64 layoutEpoch = 0;
};

// What a step changed, reported back when its command has been examined.
struct SequenceRunner::StepResult
{
    int step = 0;
    bool ran = false;   // the step existed and its command was examined
    StepOutcome outcome;
    QString refusal;   // a refused rate stops the run; the operator's words for why
    QString next;
    quint64 epoch = 0;
    quint64 layoutEpoch = 0;
};

namespace {

// The step language's view of the line inside a step's job: bytes and replies go through
// TCom at once; what the controls show is reported back in order.
class JobLine : public StepLine
{
public:
    JobLine(LineContext &ctx, MainPort &port, LineOpenRequest &request,
            std::function<void(const std::function<void(Console &)> &)> toConsole,
            std::function<void(int)> moveSlider)
        : m_ctx(ctx), m_port(port), m_request(request), m_toConsole(std::move(toConsole)),
          m_moveSlider(std::move(moveSlider))
    {
    }

    void send(char byte) override { m_ctx.com.comTxChar(byte); }

    StepReply readReply(int count) override
    {
        const ReplyText reply = ReadReply(m_ctx.com, count);
        return {reply.text, reply.count};
    }

    void showActivity(const QString &text) override
    {
        m_toConsole([text](Console &console) { console.setActivityText(text); });
    }

    bool changeBaudRate(const QString &text) override
    {
        m_toConsole([text](Console &console) { console.setBaudField(text); });
        m_request.baudText = text;
        if (m_port.openFromJob(m_ctx, m_request) || baudCodeForText(text))
            return true;   // a device that failed to open is tried again by the next step
        m_refusal = rateRefusalHint(text);
        return false;
    }

    // Why the last "BR=" was refused.
    QString refusal() const { return m_refusal; }

    void changePort(const QString &text) override
    {
        m_toConsole([text](Console &console) { console.setPortField(text); });
        m_request.portText = text;
        m_port.openFromJob(m_ctx, m_request);
    }

    void moveTimeScale(int sliderPosition) override { m_moveSlider(sliderPosition); }

private:
    LineContext &m_ctx;
    MainPort &m_port;
    LineOpenRequest &m_request;
    std::function<void(const std::function<void(Console &)> &)> m_toConsole;
    std::function<void(int)> m_moveSlider;
    QString m_refusal;
};

} // namespace

SequenceRunner::SequenceRunner(Console &console, QTimer *timer, QObject *parent)
    : QObject(parent), m_console(console), m_timer(timer)
{
    if (!m_timer) {
        m_timer = new QTimer(this);
        m_timer->setObjectName(QStringLiteral("SeqTimer"));
    }
    m_timer->stop();
    m_timer->setSingleShot(false);
    m_timer->setTimerType(Qt::PreciseTimer);
    m_timer->setInterval(100ms);
    connect(m_timer, &QTimer::timeout, this, &SequenceRunner::SeqTimerTimer);
    m_timeScale = timeScaleForSlider(m_sliderPosition);
}

SequenceRunner::~SequenceRunner() = default;

QString SequenceRunner::scaleLabel() const
{
    return timeScaleLabel(m_timeScale);
}

bool SequenceRunner::isRunning() const
{
    return m_startupLoadDone && m_timer->isActive();
}

// --- One-time load and the workspace.

void SequenceRunner::armStartupLoad(bool loadLastSeqFile, bool autoStartAtLoad)
{
    m_startupLoadDone = false;
    m_loadLastSeqFile = loadLastSeqFile;
    m_autoStartAtLoad = autoStartAtLoad;
}

void SequenceRunner::enterWorkspace()
{
    m_runStarted = false;
    m_tickMissed = false;
    m_timer->setInterval(RunStartInterval);
    if (!m_startupLoadDone)
        m_timer->start();
    Q_EMIT runningChanged(false);
}

void SequenceRunner::leaveWorkspace()
{
    const bool wasRunning = isRunning();
    m_timer->stop();
    m_tickMissed = false;
    if (wasRunning)
        Q_EMIT runningChanged(false);
}

void SequenceRunner::performStartupLoad()
{
    if (m_loadLastSeqFile)
        loadFile(read(SettingsFile(m_console.settingsPath()), key::LastFile));
    m_startupLoadDone = true;
    m_timer->stop();
    if (m_autoStartAtLoad)
        run();
}

// --- Running.

void SequenceRunner::SeqTimerTimer()
{
    if (!m_startupLoadDone) {
        performStartupLoad();
        return;
    }
    if (m_busy) {
        m_tickMissed = true;
        return;
    }
    const QString delay = m_sequence.EvTime.value(m_currentStep);
    const auto interval = stepInterval(delay, m_timeScale);
    // Setting an interval restarts the timer; leaving an unchanged one alone keeps the
    // precise timer on its own schedule, so equal delays never drift.
    if (m_timer->intervalAsDuration() != interval)
        m_timer->setInterval(interval);
    ExecuteStep();
}

void SequenceRunner::ExecuteStep()
{
    if (m_busy)
        return;
    const int stepToRun = !m_runStarted && m_selectedStep < 0 ? 0 : m_currentStep;
    startStepJob(stepToRun);
}

void SequenceRunner::startStepJob(int stepToRun)
{
    StepJob job;
    job.step = stepToRun;
    job.command = m_sequence.EvCommand.value(stepToRun);
    job.next = m_sequence.EvNextSeq.value(stepToRun);
    job.stepCount = m_sequence.size();
    job.language = m_language;
    job.printEnabled = m_printEnabled;
    job.portIsOpen = m_console.mainPort().portIsOpen();
    job.request = m_console.lineOpenRequest();
    job.epoch = m_operatorEpoch;
    job.layoutEpoch = m_layoutEpoch;

    m_busy = true;
    Q_EMIT busyChanged(true);

    MainPort &port = m_console.mainPort();
    const QPointer<SequenceRunner> self(this);
    port.line().post(
        [job, self, &port](LineContext &ctx) mutable {
            auto toConsole = [&ctx, self](const std::function<void(Console &)> &fn) {
                ctx.report([self, fn] {
                    if (self)
                        fn(self->m_console);
                });
            };
            bool open = job.portIsOpen && ctx.com.comStatus() && !ctx.com.lineLost();
            if (!open)
                open = port.openFromJob(ctx, job.request);
            if (!open)
                return;   // nothing is sent and the step does not advance; the next tick tries again

            ctx.report([self, step = job.step, epoch = job.epoch] {
                if (self && self->m_operatorEpoch == epoch)
                    self->beginStep(step);
            });

            StepResult result;
            result.step = job.step;
            result.next = job.next;
            result.epoch = job.epoch;
            result.layoutEpoch = job.layoutEpoch;
            result.outcome.printEnabled = job.printEnabled;
            if (job.step >= 0 && job.step < job.stepCount) {
                JobLine line(ctx, port, job.request, toConsole, [&ctx, self](int position) {
                    ctx.report([self, position] {
                        if (self)
                            self->setSliderPosition(position);
                    });
                });
                result.outcome = examineCommand(job.command, job.language, job.printEnabled, job.stepCount, line);
                result.ran = true;
                if (result.outcome.rateRefused)
                    result.refusal = line.refusal();
            }
            ctx.report([self, result] {
                if (self)
                    self->finishStep(result);
            });
        },
        [self] {
            if (self)
                self->stepJobDone();
        });
}

void SequenceRunner::beginStep(int step)
{
    m_runStarted = true;
    setCurrentStep(step);
    if (step < 0 || step >= m_sequence.size())
        return;
    setSelectedStep(step);
    if (step < m_window.top || step > m_window.bottom) {
        m_window.top = step;
        redraw();
    }
    Q_EMIT selectionChanged(step);
}

void SequenceRunner::finishStep(const StepResult &result)
{
    m_printEnabled = result.outcome.printEnabled;
    if (result.ran && result.layoutEpoch == m_layoutEpoch && result.step < m_sequence.size()) {
        const QString response = QString::fromLatin1(result.outcome.response);
        if (m_sequence.ResponseLB.at(result.step) != response) {
            m_sequence.ResponseLB[result.step] = response;
            Q_EMIT responseChanged(result.step, response);
        }
    }
    // The steps after a refused rate would all go to a closed port: the run stops at this
    // step, and SB5 says why (the connection field's tool tip says it too).
    if (!result.refusal.isEmpty()) {
        m_console.setActivityText(result.refusal);
        if (isRunning()) {
            m_timer->stop();
            m_tickMissed = false;
            Q_EMIT runningChanged(false);
        }
        return;
    }
    // The operator's clicks and edits since the step began come after it, as they would
    // have on a window the step had kept busy: they decide where the run goes on.
    if (result.epoch != m_operatorEpoch)
        return;

    int next = m_currentStep;
    if (result.ran)
        next = result.outcome.jumpTo ? *result.outcome.jumpTo : nextStepIndex(result.next);
    const int count = m_sequence.size();
    if (next >= count) {
        next = 0;
        m_window.top = 0;
        redraw();
    } else if (next < 0) {
        next = 0;
    }
    setCurrentStep(next);

    if (next != m_selectedStep) {
        setSelectedStep(next);
        if (next > m_window.bottom) {
            m_window.top = m_window.bottom + 1;
            redraw();
        }
        Q_EMIT selectionChanged(next);
    }
}

void SequenceRunner::stepJobDone()
{
    m_busy = false;
    Q_EMIT busyChanged(false);
    // A tick that fell due while the step ran comes now, once, and the timer's schedule
    // starts again from here.
    if (m_tickMissed && isRunning()) {
        m_tickMissed = false;
        const auto interval = stepInterval(m_sequence.EvTime.value(m_currentStep), m_timeScale);
        m_timer->start(interval);
        ExecuteStep();
    }
    m_tickMissed = false;
}

void SequenceRunner::cancelRunningStep()
{
    if (!m_busy)
        return;
    // Its reports are dropped: a stopped step changes nothing but the bytes it had sent.
    m_console.mainPort().line().cancelAll();
    ++m_operatorEpoch;
}

void SequenceRunner::run()
{
    if (m_sequence.isEmpty() || isRunning())
        return;
    m_tickMissed = false;
    m_timer->setInterval(RunStartInterval);
    m_timer->start();
    Q_EMIT runningChanged(true);
}

void SequenceRunner::pause()
{
    if (m_sequence.isEmpty())
        return;
    if (isRunning()) {
        m_timer->stop();
        m_tickMissed = false;
        cancelRunningStep();
        m_console.applyLineSettings(false);
    } else {
        cancelRunningStep();
    }
    Q_EMIT runningChanged(false);
}

void SequenceRunner::rewind()
{
    const bool wasActive = m_timer->isActive();
    m_timer->stop();
    m_tickMissed = false;
    cancelRunningStep();
    m_console.applyLineSettings(false);
    m_printEnabled = true;
    operatorChangedState();
    ++m_layoutEpoch;
    setCurrentStep(0);
    if (!m_sequence.isEmpty()) {
        setSelectedStep(0);
        m_window.top = 0;
        Q_EMIT selectionChanged(0);
    }
    m_sequence.clearResponses();
    redraw();
    m_timer->setInterval(ResumeInterval);
    if (wasActive)
        m_timer->start();
}

void SequenceRunner::step()
{
    if (m_sequence.isEmpty())
        return;
    ExecuteStep();
}

void SequenceRunner::clearResponses()
{
    TimerHold hold(*this);
    ++m_layoutEpoch;
    m_sequence.clearResponses();
    redraw();
}

void SequenceRunner::setSliderPosition(int position)
{
    position = std::clamp(position, 0, 100);
    const bool moved = position != m_sliderPosition;
    m_sliderPosition = position;
    m_timeScale = timeScaleForSlider(position);
    if (moved)
        Q_EMIT sliderPositionChanged(position);
    Q_EMIT timeScaleChanged(m_timeScale, scaleLabel());
}

// --- The sequence and its file.

bool SequenceRunner::loadFile(const QString &path)
{
    std::optional<Sequence> loaded = SequenceFile::load(path);
    if (!loaded)
        return false;
    m_console.setActivityText(path);
    replaceSequence(*loaded);
    Q_EMIT sequenceLoaded(path);
    return true;
}

void SequenceRunner::replaceSequence(const Sequence &sequence)
{
    m_sequence = sequence;
    setSequenceModified(false);
    operatorChangedState();
    ++m_layoutEpoch;
    m_selectedStep = -1;
    m_window.top = 0;
    redraw();
    Q_EMIT selectionChanged(-1);
}

void SequenceRunner::newSequence()
{
    operatorChangedState();
    ++m_layoutEpoch;
    m_sequence.clear();
    m_window.top = 0;
    m_runStarted = false;
    m_selectedStep = -1;
    setCurrentStep(0);
    setSequenceModified(false);
    redraw();
    Q_EMIT selectionChanged(-1);
    Q_EMIT sequenceCleared();
}

void SequenceRunner::setSequenceModified(bool modified)
{
    if (m_modified == modified)
        return;
    m_modified = modified;
    Q_EMIT modifiedChanged(modified);
}

// --- The editor's commands.

void SequenceRunner::chooseStep(int step)
{
    if (step < 0 || step >= m_sequence.size())
        return;
    TimerHold hold(*this);
    operatorChangedState();
    setSelectedStep(step);
    setCurrentStep(step);
    m_timer->setInterval(ResumeInterval);
    Q_EMIT selectionChanged(step);
}

void SequenceRunner::selectStep(int step)
{
    if (step >= m_sequence.size())
        step = -1;
    operatorChangedState();
    setSelectedStep(std::max(step, -1));
    Q_EMIT selectionChanged(m_selectedStep);
}

void SequenceRunner::editField(int step, StepField field, const QString &text)
{
    if (stepField(m_sequence, step, field) == text || field == StepField::Index)
        return;
    TimerHold hold(*this);
    setStepField(m_sequence, step, field, text);
    markModified();
    redraw();
}

void SequenceRunner::appendNewStep()
{
    TimerHold hold(*this);
    markModified();
    operatorChangedState();
    ++m_layoutEpoch;
    m_sequence.appendNewStep(m_newEntryTime);
    if (m_window.top > 0)
        ++m_window.top;
    m_runStarted = false;
    setCurrentStep(0);
    redraw();
    Q_EMIT stepsEdited();
}

int SequenceRunner::insertBefore(int step)
{
    TimerHold hold(*this);
    markModified();
    operatorChangedState();
    ++m_layoutEpoch;
    const int inserted = m_sequence.insertBefore(step);
    m_runStarted = false;
    setCurrentStep(0);
    redraw();
    Q_EMIT stepsEdited();
    return inserted;
}

int SequenceRunner::insertAfter(int step)
{
    TimerHold hold(*this);
    markModified();
    operatorChangedState();
    ++m_layoutEpoch;
    const int inserted = m_sequence.insertAfter(step);
    m_runStarted = false;
    setCurrentStep(0);
    redraw();
    setSelectedStep(inserted);
    if (m_window.rowOf(inserted, m_sequence.size()) < 0 && inserted > m_window.top) {
        ++m_window.top;
        redraw();
    }
    Q_EMIT stepsEdited();
    Q_EMIT selectionChanged(inserted);
    return inserted;
}

void SequenceRunner::deleteStep(int step)
{
    TimerHold hold(*this);
    markModified();
    operatorChangedState();
    if (step < 0 || step >= m_sequence.size()) {
        setCurrentStep(0);
        return;
    }
    ++m_layoutEpoch;
    const int current = m_sequence.removeStep(step);
    if (m_sequence.isEmpty()) {
        setCurrentStep(0);
        setSelectedStep(-1);
        redraw();
        Q_EMIT selectionChanged(-1);
        Q_EMIT stepsEdited();
        return;
    }
    setCurrentStep(current);
    setSelectedStep(current);
    if (m_window.top > 0)
        --m_window.top;
    redraw();
    Q_EMIT selectionChanged(current);
    Q_EMIT stepsEdited();
}

void SequenceRunner::setWindowRows(int rows)
{
    m_window.rows = std::max(rows, 1);
    redraw();
}

void SequenceRunner::setWindowTop(int top)
{
    m_window.top = std::clamp(top, 0, std::max(m_sequence.size() - 1, 0));
    redraw();
}

bool SequenceRunner::scrollDown()
{
    if (!m_window.scrollDown(m_sequence.size()))
        return false;
    operatorChangedState();
    Q_EMIT windowChanged();
    setCurrentStep(m_window.bottom);
    return true;
}

bool SequenceRunner::scrollUp()
{
    if (!m_window.scrollUp(m_sequence.size()))
        return false;
    operatorChangedState();
    Q_EMIT windowChanged();
    setCurrentStep(m_window.top);
    return true;
}

SequenceRunner::TimerHold::TimerHold(SequenceRunner &runner)
    : m_runner(runner), m_wasActive(runner.m_timer->isActive())
{
    m_runner.m_timer->stop();
}

SequenceRunner::TimerHold::~TimerHold()
{
    if (m_wasActive) {
        m_runner.m_tickMissed = false;
        m_runner.m_timer->start();
    }
}

// --- Helpers.

void SequenceRunner::setCurrentStep(int step)
{
    if (m_currentStep == step)
        return;
    m_currentStep = step;
    Q_EMIT currentStepChanged(step);
}

void SequenceRunner::setSelectedStep(int step)
{
    m_selectedStep = step;
}

void SequenceRunner::redraw()
{
    m_window.refill(m_sequence.size());
    Q_EMIT windowChanged();
}

void SequenceRunner::markModified()
{
    setSequenceModified(true);
}

void SequenceRunner::operatorChangedState()
{
    ++m_operatorEpoch;
}
