#include "monitors/boardworkspace.h"

#include "monitors/boardjobs.h"
#include "monitors/monitorstate.h"
#include "monitors/monitorwidgets.h"
#include "workspace/console.h"
#include "bus/replyreaders.h"
#include "serial/mainport.h"

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
    console().mainPort().line().post(BoardJobs::onLine(m_stopped, std::move(job)), [this] { jobDone(); });
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

void BoardWorkspace::showReopened(bool opened)
{
    // PortIsOpen first: an open port ends a standing loss, which the tool tip then no longer shows.
    if (opened)
        console().mainPort().setPortIsOpen(true);
    console().setConnectedText(opened ? QStringLiteral("Port Open") : QStringLiteral("Port Open Failed"));
}

void BoardWorkspace::showReply(QLineEdit *field, const QByteArray &reply)
{
    field->setText(displayText(reply));
}

void BoardWorkspace::serveStopFirst()
{
    if (m_state.StopRequested)
        stopPhase();
}

void BoardWorkspace::requestScan(QLineEdit *waitingField)
{
    serveStopFirst();
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
    BoardJobs::ScanInputs in;
    in.closeFirst = options.closeFirst;
    in.wasOpen = port->portIsOpen();
    in.addressFirstBoard = options.addressFirstBoard;
    in.request = console().lineOpenRequest();
    in.first = m_state.scanRange.first();
    in.last = m_state.scanRange.liveLast();

    BoardJobs::ScanSink sink;
    sink.closed = [port] { port->setPortIsOpen(false); };
    sink.openFailed = [this] { console().setConnectedText(QStringLiteral("Port Open Failed")); };
    sink.opened = [this, port, started = options.started] {
        console().setConnectedText(QStringLiteral("Port Open"));
        port->setPortIsOpen(true);
        if (started)
            started();
        console().setActivityText(QStringLiteral("SCANNING"));
    };
    sink.probing = [this](int address) { m_address->setText(QString::asprintf("%2.2X", address)); };
    sink.found = [this, found = options.found](const QString &entry) {
        m_list->addItem(entry);
        if (found)
            found();
    };
    sink.listed = [this](const QString &address) {
        m_address->setText(address);
        MonitorLook::showFound(m_address);
        m_list->selectQuietly(0);
    };
    sink.firstBoardAnswered = [this](const QByteArray &reply) { showReply(m_lineReply, reply); };
    sink.cutShort = [this, port] {
        port->addLossNote(tr("The scan ended there: the list of boards may be incomplete. Click SCAN again once the "
                             "device is back."));
        console().setConnectedText(QStringLiteral("Port Closed"));
    };
    sink.finished = [this] {
        console().setActivityText(QStringLiteral("READY"));
        m_state.StopRequested = true;
    };
    postJob(BoardJobs::scan(*port, std::move(in), std::move(sink)));
}
