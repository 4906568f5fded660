#include "monitors/boardworkspace.h"

#include "monitors/boardentry.h"
#include "monitors/boardexchange.h"
#include "monitors/monitorstate.h"
#include "monitors/monitorwidgets.h"
#include "workspace/console.h"
#include "bus/boardcommands.h"
#include "bus/busscan.h"
#include "bus/replyreaders.h"
#include "serial/mainport.h"
#include "serial/tcom.h"

#include <QLineEdit>

using namespace std::chrono_literals;

BoardWorkspace::BoardWorkspace(const QString &caption, const QString &panelName, Console &console,
                               MonitorState &state, QObject *parent)
    : PanelWorkspace(caption, panelName, console, parent), m_state(state)
{
}

void BoardWorkspace::setScanControls(QLineEdit *address, BoardList *list, QLineEdit *lineReply)
{
    m_address = address;
    m_list = list;
    m_lineReply = lineReply;
    MonitorLook::watchKeys(address, [this] { Q_EMIT m_state.addressTyped(); });
}

void BoardWorkspace::stopTimers()
{
    PanelWorkspace::stopTimers();
    m_waiting.clear();
}

void BoardWorkspace::postJob(Job job)
{
    ++m_jobs;
    console().mainPort().line().post(
        [job = std::move(job), stopped = std::shared_ptr<const std::atomic<bool>>(m_stopped)](LineContext &ctx) {
            MonitorJob monitorJob(ctx, stopped);
            BoardExchange::discardStaleInput(monitorJob);
            job(monitorJob);
        },
        [this] { jobDone(); });
}

void BoardWorkspace::jobDone()
{
    --m_jobs;
    // A waiting click may start line work of its own; the ones behind it wait for that.
    while (!jobRunning() && !m_waiting.empty()) {
        const std::function<void()> action = std::move(m_waiting.front());
        m_waiting.pop_front();
        action();
    }
    if (!jobRunning())
        Q_EMIT idle();
}

void BoardWorkspace::whenIdle(std::function<void()> action)
{
    if (jobRunning())
        m_waiting.push_back(std::move(action));
    else
        action();
}

void BoardWorkspace::stopJobs()
{
    m_stopped->store(true);
    m_stopped = std::make_shared<std::atomic<bool>>(false);
}

bool BoardWorkspace::reopenQuietly(MonitorJob &job, bool portIsOpen, const LineSettings &settings)
{
    if (portIsOpen)
        return true;
    const bool opened = openPortFromSettings(job.com, settings) == 0;
    if (opened)
        BoardExchange::discardStaleInput(job);
    // A device that refused the settings is not kept: the next tick tries afresh.
    if (!opened)
        job.com.comClose();
    // The port's state is reported also after a STOP: it is what the line now is.
    job.line.report([this, opened] {
        console().setConnectedText(opened ? QStringLiteral("Port Open") : QStringLiteral("Port Open Failed"));
        if (opened)
            console().mainPort().setPortIsOpen(true);
    });
    return opened;
}

void BoardWorkspace::showReply(QLineEdit *field, const QByteArray &reply)
{
    field->setText(displayText(reply));
}

void BoardWorkspace::requestScan(QLineEdit *waitingField)
{
    waitingField->setText(QStringLiteral("00"));
    MonitorLook::showWaiting(waitingField);
    m_list->clear();
    m_state.ScanRequested = true;
    m_state.RunMode = false;
    m_state.TestMode = false;
    m_state.IdentifyPending = false;
    resetRunButtons();
    timer()->setInterval(100ms);
    timer()->start();
}

void BoardWorkspace::runScanPhase(const ScanOptions &options)
{
    m_state.ScanRequested = false;
    MainPort *port = &console().mainPort();
    const bool wasOpen = port->portIsOpen();
    const LineOpenRequest request = console().lineOpenRequest();
    const int first = m_state.scanRange.first();
    const std::function<int()> last = m_state.scanRange.liveLast();

    postJob([this, port, wasOpen, request, first, last, options](MonitorJob &job) {
        if (options.closeFirst && wasOpen) {
            job.com.comClose();
            job.report([port] { port->setPortIsOpen(false); });
        }
        if (!port->openFromJob(job.line, request)) {
            job.report([this] { console().setConnectedText(QStringLiteral("Port Open Failed")); });
            return;
        }
        BoardExchange::discardStaleInput(job);
        job.report([this, port, options] {
            console().setConnectedText(QStringLiteral("Port Open"));
            port->setPortIsOpen(true);
            if (options.started)
                options.started();
            console().setActivityText(QStringLiteral("SCANNING"));
        });

        ScanCallbacks callbacks;
        callbacks.probing = [&job, this](int address) {
            job.report([this, address] { m_address->setText(QString::asprintf("%2.2X", address)); });
        };
        callbacks.found = [&job, this, options](const QString &entry) {
            job.report([this, entry, options] {
                m_list->addItem(entry);
                if (options.found)
                    options.found();
            });
        };
        callbacks.cancelled = [&job] { return job.stopped(); };
        const QStringList entries = scanAddresses(job.com, first, last, callbacks);

        if (!entries.isEmpty()) {
            const QString address = BoardEntry::address(entries.first());
            job.report([this, address] {
                m_address->setText(address);
                MonitorLook::showFound(m_address);
                m_list->selectQuietly(0);
            });
            if (options.addressFirstBoard) {
                const QByteArray reply = BoardExchange::ask(job, BoardCommands::addressBoard(address));
                job.report([this, reply] { showReply(m_lineReply, reply); });
            }
        }
        job.report([this] {
            console().setActivityText(QStringLiteral("READY"));
            m_state.StopRequested = true;
        });
    });
}
