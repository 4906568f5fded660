#include "monitors/digitalmonitor.h"

#include "monitors/boardentry.h"
#include "monitors/monitorstate.h"
#include "monitors/monitorwidgets.h"
#include "workspace/console.h"
#include "serial/mainport.h"

#include <QLineEdit>
#include <QPushButton>

using namespace std::chrono_literals;
using namespace Digital;

namespace {

const QString Unknown = QStringLiteral("XX");

} // namespace

DigitalMonitor::DigitalMonitor(Console &console, MonitorState &state, QObject *parent)
    : BoardWorkspace(QStringLiteral("Digital Monitor"), QStringLiteral("PVantor"), console, state, parent)
{
    addTimer(QStringLiteral("VantorTimer"), 100ms);
    connect(timer(), &QTimer::timeout, this, &DigitalMonitor::VantorTimerTimer);
    buildPanel();
    setScanControls(m_locxx, m_boards, m_baudTxt);
    // A typed address in any of the three workspaces is used as typed, not the list's.
    connect(&state, &MonitorState::addressTyped, this, [this] { m_boards->selectQuietly(-1); });
}

void DigitalMonitor::enter()
{
    panel()->show();
    timer()->start();
    m_run->setText(QStringLiteral("RUN"));
    m_test->setText(QStringLiteral("TEST"));
    // Left during RUN, TEST would stay disabled although the entry's stop phase ends RUN.
    m_test->setEnabled(true);
}

void DigitalMonitor::resetForStartup()
{
    timer()->stop();
    state().ScanRequested = false;
}

void DigitalMonitor::workspaceChanging()
{
    resetOnWorkspaceChange();
    BoardWorkspace::workspaceChanging();
}

void DigitalMonitor::resetOnWorkspaceChange()
{
    MonitorState &s = state();
    s.TestMode = false;
    s.StopRequested = true;
    if (!s.AnalogRunning && !s.RunMode)
        console().setActivityText(QStringLiteral("READY"));
    m_test->setText(QStringLiteral("TEST"));
    m_run->setEnabled(true);
    s.IdentifyPending = false;
    showPortsUnknown();
}

void DigitalMonitor::resetRunButtons()
{
    m_run->setText(QStringLiteral("RUN"));
    m_test->setText(QStringLiteral("TEST"));
    m_run->setEnabled(true);
    m_test->setEnabled(true);
}

void DigitalMonitor::showPortsUnknown()
{
    for (QLineEdit *field : m_inputs)
        field->setText(Unknown);
    m_outputs[Left]->setText(Unknown);
    m_outputs[Right]->setText(Unknown);
    m_outputs[Middle]->setText(Unknown);
}

// --- The operator's controls

void DigitalMonitor::Button1Click()
{
    whenIdle([this] { requestScan(m_locxx); });
}

void DigitalMonitor::Button2Click()
{
    // STOP acts at once: a tick still waiting on a silent board is abandoned.
    if (state().RunMode) {
        stopRun();
        return;
    }
    whenIdle([this] { state().RunMode ? stopRun() : startRun(); });
}

void DigitalMonitor::Button3Click()
{
    if (state().TestMode) {
        stopTest();
        return;
    }
    whenIdle([this] { state().TestMode ? stopTest() : startTest(); });
}

void DigitalMonitor::startRun()
{
    serveStopFirst();
    m_run->setText(QStringLiteral("STOP"));
    state().RunMode = true;
    state().IdentifyPending = true;
    timer()->start();
    m_test->setEnabled(false);
    timer()->setInterval(100ms);
}

void DigitalMonitor::stopRun()
{
    stopJobs();
    state().RunMode = false;
    m_run->setText(QStringLiteral("RUN"));
    m_test->setEnabled(true);
    afterStop();
}

void DigitalMonitor::startTest()
{
    serveStopFirst();
    m_test->setText(QStringLiteral("STOP"));
    state().TestMode = true;
    TestStep = 0;
    timer()->start();
    m_run->setEnabled(false);
    timer()->setInterval(300ms);
}

void DigitalMonitor::stopTest()
{
    stopJobs();
    state().TestMode = false;
    m_test->setText(QStringLiteral("TEST"));
    m_run->setEnabled(true);
    afterStop();
}

// What STOP of RUN and of TEST share: "READY" unless another monitor still runs, the
// port fields back to "XX", and a stop phase on the next tick.
void DigitalMonitor::afterStop()
{
    MonitorState &s = state();
    if (!s.AnalogRunning && !s.RunMode && !s.TestMode)
        console().setActivityText(QStringLiteral("READY"));
    s.IdentifyPending = false;
    showPortsUnknown();
    s.StopRequested = true;
}

void DigitalMonitor::BoardsClick()
{
    whenIdle([this] {
        const std::optional<QString> entry = m_boards->selectedEntry();
        m_locxx->setText(entry ? BoardEntry::address(*entry) : QString());
        state().IdentifyPending = true;
    });
}

void DigitalMonitor::LampClick(int tag)
{
    BitLamp *lamp = m_lamps[size_t(tag)];
    lamp->setText(toggledLampText(lamp->text()));
    QLineEdit *field = m_outputs[size_t(portOfTag(tag))];
    field->setText(outputAfterLampClick(field->text(), bitOfTag(tag), lamp->text() == QLatin1String("1")));
}

void DigitalMonitor::outputChanged(int port)
{
    const std::optional<QString> lamps = outputLampTexts(m_outputs[size_t(port)]->text());
    if (!lamps)
        return;
    for (int lamp = 0; lamp < BitsPerPort; ++lamp)
        m_lamps[size_t(lampTag(port, lamp))]->setText(lamps->at(lamp));
}

void DigitalMonitor::inputChanged(int port)
{
    m_inputBits[size_t(port)]->setText(inputBitsText(m_inputs[size_t(port)]->text()));
}

void DigitalMonitor::baudTextChanged()
{
    const std::optional<QString> rate = baudConvText(m_baudTxt->text());
    m_baudConv->setText(rate.value_or(QStringLiteral("    ")));
    m_baudConv->setVisible(rate.has_value());
}

void DigitalMonitor::typeTextChanged()
{
    m_typeText->setText(TypeText(m_type->text()));
    m_typeText->setVisible(true);
}

// --- The timer

void DigitalMonitor::VantorTimerTimer()
{
    if (jobRunning())
        return;
    const MonitorState &s = state();
    if (s.StopRequested)
        stopPhase();
    else if (s.ScanRequested)
        scanPhase();
    else if (s.RunMode)
        runPhase();
    else if (s.TestMode)
        testPhase();
}

void DigitalMonitor::stopPhase()
{
    console().applyLineSettings(false);
    MonitorState &s = state();
    s.StopRequested = false;
    s.RunMode = false;
    s.IdentifyPending = false;
    timer()->stop();
    console().setConnectedText(QStringLiteral("Port Closed"));
}

void DigitalMonitor::scanPhase()
{
    ScanOptions options;
    options.closeFirst = true;
    options.started = [this] {
        showPortsUnknown();
        for (QLineEdit *field : {m_baudTxt, m_type, m_version})
            field->setText(QStringLiteral("XXXX"));
    };
    runScanPhase(options);
}

DigitalJobs::TickInputs DigitalMonitor::tickInputs() const
{
    DigitalJobs::TickInputs in;
    in.portIsOpen = console().mainPort().portIsOpen();
    in.settings = console().mainPort().lineSettings();
    in.address = m_locxx->text();
    for (int port = 0; port < PortCount; ++port)
        in.outputs[size_t(port)] = m_outputs[size_t(port)]->text();
    return in;
}

DigitalJobs::Sink DigitalMonitor::tickSink()
{
    DigitalJobs::Sink sink;
    sink.reopened = [this](bool opened) { showReopened(opened); };
    sink.lineReplied = [this](const QByteArray &reply) { showReply(m_baudTxt, reply); };
    sink.typeRead = [this](const QByteArray &reply) { showReply(m_type, reply); };
    sink.versionRead = [this](const QByteArray &reply) { showReply(m_version, reply); };
    sink.outputRead = [this](int port, const QByteArray &value) { showReply(m_outputs[size_t(port)], value); };
    sink.identified = [this] { state().IdentifyPending = false; };
    sink.running = [this] {
        console().mainPort().setPortIsOpen(true);
        console().setActivityText(QStringLiteral("RUNNING"));
    };
    sink.outputWritten = [this](int port) { m_outputs[size_t(port)]->selectAll(); };
    sink.inputRead = [this](int port, const QByteArray &value) { showReply(m_inputs[size_t(port)], value); };
    sink.testStepDone = [this](int next) { TestStep = next; };
    return sink;
}

void DigitalMonitor::runPhase()
{
    postJob(DigitalJobs::runTick(tickInputs(), state().IdentifyPending, tickSink()));
}

void DigitalMonitor::testPhase()
{
    const TestPattern pattern = testPattern(TestStep);
    // Each pattern stays on the board for one interval: 250 ms, 125 ms for FF.
    timer()->setInterval(pattern.interval);
    postJob(DigitalJobs::testTick(tickInputs(), pattern, tickSink()));
}
