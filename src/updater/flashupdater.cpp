#include "updater/flashupdater.h"

#include "updater/firmwarefile.h"
#include "updater/loadercommands.h"
#include "workspace/operatorprompt.h"

#include <QTime>

#include <array>

namespace {

constexpr std::array<int, 8> DiscoveryRates{1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
// The one programming rate the operator can choose; the other three buttons are disabled.
constexpr int ProgrammingRate = 115200;
// With no discovery button checked (a hand-edited settings file), the default choice's rate.
constexpr int DefaultDiscoveryRate = 9600;

// What the updater has when it was given no port: a device that never opens.
class AbsentLink : public ProgrammingLink
{
public:
    bool openPort(int, int) override { return false; }
    void closePort() override {}
    bool isOpen() const override { return false; }
    void sendBytes(const QByteArray &) override {}
};

const QString OpenCloseName = QStringLiteral("OpenClose");
const QString TestLoaderName = QStringLiteral("TestLoaderCon");

} // namespace

FlashUpdater::FlashUpdater(ProgrammingLinkFactory makeLink, OperatorPrompt &prompt, QObject *parent)
    : QObject(parent), m_makeLink(std::move(makeLink)), m_prompt(prompt)
{
    if (!m_makeLink)
        m_makeLink = [] { return std::make_unique<AbsentLink>(); };
}

FlashUpdater::~FlashUpdater()
{
    // The suspended command goes first: its frames may still refer to the port.
    m_waiting = {};
    m_running.reset();
    m_port.reset();
}

// The programming port

int FlashUpdater::programmingRate() const
{
    // BAUDX0 to BAUDX2 (9600, 19200, 38400) are disabled; one of them chosen by hand in the
    // settings file would name a rate the form never offers, so the port opens at the one
    // rate it does.
    return ProgrammingRate;
}

int FlashUpdater::discoveryRate() const
{
    if (discoveryRateIndex && *discoveryRateIndex >= 0 && *discoveryRateIndex < int(DiscoveryRates.size()))
        return DiscoveryRates.at(std::size_t(*discoveryRateIndex));
    return DefaultDiscoveryRate;
}

int FlashUpdater::portNumber() const
{
    return portText.mid(3).toInt();
}

void FlashUpdater::OpenCloseClick()
{
    Q_EMIT connectedText(QStringLiteral("Status: Opening Port"));
    if (ProgrammingPortOpen) {
        CloseProgrammingPort();
        return;
    }
    openProgrammingPort(programmingRate());
}

void FlashUpdater::OpenDiscoveryPort()
{
    Q_EMIT connectedText(QStringLiteral("Status: Opening Port"));
    CloseProgrammingPort();
    openProgrammingPort(discoveryRate());
}

void FlashUpdater::openProgrammingPort(int rate)
{
    dropPort();
    ProgrammingPortOpen = false;
    m_port = m_makeLink();
    m_lineLost = false;
    const quint64 generation = ++m_portGeneration;
    const int comNumber = portNumber();
    // Queued, so a command that closes the port on the bytes it gets never deletes the
    // port inside the port's own signal.
    connect(m_port.get(), &ProgrammingLink::received, this,
            [this, generation](const QByteArray &bytes) {
                if (generation == m_portGeneration && m_port)
                    received(bytes);
            },
            Qt::QueuedConnection);
    connect(m_port.get(), &ProgrammingLink::lineLost, this,
            [this, generation, comNumber] {
                if (generation == m_portGeneration && m_port)
                    lineWentAway(comNumber, m_port->deviceLocation());
            },
            Qt::QueuedConnection);
    if (m_port->openPort(comNumber, rate)) {
        m_lossNote.clear();
        Q_EMIT captionChanged(OpenCloseName, QStringLiteral("&Close"));
        Q_EMIT connectedText(QStringLiteral("Status: Port Open"));
        ProgrammingPortOpen = true;
    } else {
        // The object stays, closed: the commands then send to nothing and hear nothing.
        m_port->closePort();
        Q_EMIT connectedText(QStringLiteral("Status: Error Opening Port"));
    }
}

void FlashUpdater::lineWentAway(int comNumber, const QString &device)
{
    // Closed here, once: a dead port left open would take every send of the command and
    // hear nothing, and the next command would find it "open".
    dropPort();
    ProgrammingPortOpen = false;
    m_lineLost = true;
    const QString port = QStringLiteral("COM%1").arg(comNumber);
    m_lossNote = tr("The serial device %1 went away at %2. Plug it back in; the updater opens it again with its next command.")
                     .arg(device.isEmpty() ? port : QStringLiteral("%1 (%2)").arg(device, port),
                          QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
    Q_EMIT captionChanged(OpenCloseName, QStringLiteral("&Open"));
    Q_EMIT connectedText(QStringLiteral("Status: Port Closed, The Device Went Away"));
    if (busy())
        addStatus(QStringLiteral("THE DEVICE WENT AWAY: THE PORT IS CLOSED."));
    resumeIfDone();
}

void FlashUpdater::dropPort()
{
    if (!m_port)
        return;
    ++m_portGeneration;
    m_port->closePort();
    // Deleted from the event loop, not here: the port's write-error box runs a loop of its
    // own from inside the port, and a loss or a close handled meanwhile must not delete the
    // port under the box's caller. As a child it still goes with the updater if no loop
    // comes round again.
    ProgrammingLink *retired = m_port.release();
    retired->setParent(this);
    retired->deleteLater();
}

void FlashUpdater::CloseProgrammingPort()
{
    if (!m_port)
        return;
    dropPort();
    ProgrammingPortOpen = false;
    Q_EMIT captionChanged(OpenCloseName, QStringLiteral("&Open"));
    Q_EMIT connectedText(QStringLiteral("Status: Ready"));
}

void FlashUpdater::send(const QByteArray &bytes)
{
    if (m_port)
        m_port->sendBytes(bytes);
}

void FlashUpdater::received(const QByteArray &bytes)
{
    RxData += bytes;
    Q_EMIT rxDataChanged();
    if (AckPending && bytes.contains(LoaderCommands::Ack))
        AckPending = false;
    resumeIfDone();
}

void FlashUpdater::clearRx()
{
    RxData.clear();
    Q_EMIT rxDataChanged();
}

// Waits

void FlashUpdater::FlashPrgTimerTimer()
{
    if (WaitTicks > 0)
        --WaitTicks;
    resumeIfDone();
}

void FlashUpdater::Wait::await_suspend(std::coroutine_handle<> waiting)
{
    updater->m_waiting = waiting;
    updater->m_waitEnds = ends;
}

FlashUpdater::Wait FlashUpdater::waitTicks(int ticks)
{
    WaitTicks = ticks;
    return Wait{this, [this] { return WaitTicks == 0; }};
}

FlashUpdater::Wait FlashUpdater::waitTicksOr(int ticks, std::function<bool()> earlier)
{
    WaitTicks = ticks;
    return Wait{this, [this, earlier = std::move(earlier)] { return WaitTicks == 0 || earlier(); }};
}

FlashUpdater::Wait FlashUpdater::waitForReply(int ticks)
{
    return waitTicksOr(ticks, [this] { return !RxData.isEmpty(); });
}

FlashUpdater::Wait FlashUpdater::exchange(const QByteArray &command, int ticks)
{
    clearRx();
    send(command);
    return waitTicks(ticks);
}

void FlashUpdater::resumeIfDone()
{
    if (!m_waiting || !m_waitEnds())
        return;
    const std::coroutine_handle<> waiting = std::exchange(m_waiting, {});
    m_waitEnds = {};
    waiting.resume();
    if (m_running && m_running->done())
        m_running.reset();
}

void FlashUpdater::start(UpdaterTask task)
{
    if (!task.done())
        m_running.emplace(std::move(task));
}

// The loader test

void FlashUpdater::TestLoaderConClick()
{
    if (ProgrammingActive || busy())
        return;
    start(testLoader());
}

UpdaterTask FlashUpdater::testLoader()
{
    LoaderFound = false;
    WaitTicks = 20;
    clearRx();
    if (!ProgrammingPortOpen && !m_port)
        OpenCloseClick();
    for (int attempt = 0; attempt < 3; ++attempt) {
        co_await waitTicks(5);
        send(LoaderCommands::loaderProbe());
        co_await waitTicks(5);
        if (RxData.contains(LoaderCommands::Ack)) {
            Q_EMIT captionChanged(TestLoaderName, QStringLiteral("Ready"));
            LoaderFound = true;
            break;
        }
    }
    if (!LoaderFound)
        Q_EMIT captionChanged(TestLoaderName, QStringLiteral("Not Ready"));
    co_await waitTicks(20);
    Q_EMIT captionChanged(TestLoaderName, QStringLiteral("Test Connection"));
}

// Starting a board's loader

UpdaterTask FlashUpdater::enterLoader(QString entry)
{
    if (entry.size() > 2) {
        OpenDiscoveryPort();
        co_await waitTicks(5);
        if (ProgrammingPortOpen) {
            clearRx();
            send(LoaderCommands::loaderSelect(entry));
            co_await waitForReply(50);
            if (!RxData.isEmpty()) {
                // The loader runs already: tell it to take a new program.
                co_await waitTicks(5);
                send(LoaderCommands::programFlash(entry));
                addStatus(QStringLiteral("SENDING *PFL COMMAND"));
                co_await waitTicks(5);
            } else {
                // The normal firmware is addressed and asked to start its loader.
                send(LoaderCommands::addressBoard(entry));
                co_await waitForReply(20);
                if (!RxData.isEmpty()) {
                    co_await waitTicks(5);
                    addStatus(QStringLiteral("SENDING ^FP COMMAND"));
                    send(LoaderCommands::startLoader());
                    co_await waitTicks(20);
                }
            }
        }
    }
    CloseProgrammingPort();
}

// The download

void FlashUpdater::Button16Click(const std::optional<FileChoice> &file)
{
    if (busy())
        return;
    Q_EMIT progStatusCleared();
    clearRx();
    if (!file) {
        m_prompt.showMessage(QStringLiteral("Error!"), QStringLiteral("You Must First Select A File"));
        return;
    }
    if (!chooseFile(file->path) || !fileFitsAndIsSound())
        return;
    if (!SelectedBoardType.isEmpty() && SelectedBoardType != SelectedFileType
        && !m_prompt.confirm(QStringLiteral("WARNING - WARNING - WARNING"),
                             QStringLiteral("WARNING, The file type does not match the board type.")))
        return;
    start(download(file->shownName));
}

bool FlashUpdater::chooseFile(const QString &path)
{
    const std::optional<QStringList> lines = Firmware::readLines(path);
    FirmwareLines.clear();
    if (!lines) {
        m_prompt.showMessage(QStringLiteral("Error!"),
                             QStringLiteral("The file %1 cannot be read. Nothing is sent.").arg(path));
        return false;
    }
    FirmwareLines = *lines;
    SelectedFileType = Firmware::fileType(FirmwareLines);
    return true;
}

bool FlashUpdater::fileFitsAndIsSound()
{
    // A line goes out in one send: one that cannot is refused, not cut.
    const int overlong = Firmware::firstOverlongLine(FirmwareLines, ProgrammingLink::MaxSendBytes);
    if (overlong >= 0) {
        m_prompt.showMessage(
            QStringLiteral("Error!"),
            QStringLiteral("Line %1 of the file is %2 characters long; with its CR a line must fit in %3 bytes. "
                           "Nothing is sent.")
                .arg(overlong + 1)
                .arg(FirmwareLines.at(overlong).size())
                .arg(ProgrammingLink::MaxSendBytes));
        return false;
    }
    const std::optional<Firmware::RecordFault> fault = Firmware::firstBadRecord(FirmwareLines);
    if (!fault)
        return true;
    return m_prompt.askDefaultNo(QStringLiteral("Invalid Record"),
                                 QStringLiteral("Line %1 is not a valid Intel HEX record: %2.\n\nSend the file anyway?")
                                     .arg(fault->lineNumber)
                                     .arg(fault->problem))
        == OperatorPrompt::Answer::Yes;
}

UpdaterTask FlashUpdater::download(QString shownName)
{
    m_downloadRunning = true;
    addStatus(QStringLiteral("LOADING FILE %1 TO MEMORY").arg(shownName));
    Q_EMIT progressRange(int(FirmwareLines.size()));
    Q_EMIT progressPosition(0);

    Q_EMIT connectedText(QStringLiteral("Status: Opening Port"));
    if (!m_port)
        OpenCloseClick();
    Q_EMIT connectedText(m_port ? QStringLiteral("Status: Port Open Sending") : QStringLiteral("Status: Error Opening Port"));

    LoaderFound = false;
    addStatus(QStringLiteral("CHECKING FOR THE RESIDENT LOADER."));
    co_await testLoader();
    if (!LoaderFound) {
        addStatus(QStringLiteral("LOADER NOT RUNNING."));
        addStatus(QStringLiteral("TRYING TO ENTER LOADER."));
        const QString entry = selectedBoardEntry ? selectedBoardEntry() : QString();
        if (!entry.isEmpty()) {
            OpenDiscoveryPort();
            co_await enterLoader(entry);
        }
        co_await waitTicks(20);
        co_await testLoader();
        if (!LoaderFound) {
            addStatus(QStringLiteral("SENDING ^FP COMMAND"));
            OpenDiscoveryPort();
            co_await waitTicks(20);
            send(LoaderCommands::startLoader());
            co_await testLoader();
        }
    }

    if (LoaderFound) {
        addStatus(QStringLiteral("LOADER FOUND SENDING HEX DATA!"));
        addStatus(QStringLiteral("WARNING DO NOT POWER OFF UNTIL DONE!"));
        Q_EMIT progressPanelShown(true);
        ProgrammingActive = true;
        co_await sendFirmwareLines();
        Q_EMIT progressPanelShown(false);
    } else {
        addStatus(QStringLiteral("ERROR LOADER NOT FOUND!!"));
        if (!selectedBoardEntry || selectedBoardEntry().isEmpty())
            addStatus(QStringLiteral("WARNING! NO UNIT SELECTED, TRY SELECTING A UNIT FIRST."));
    }

    CloseProgrammingPort();
    ProgrammingActive = false;
    m_downloadRunning = false;
    Q_EMIT percentText(QStringLiteral("100%"));
    addStatus(QStringLiteral("DONE."));
    Q_EMIT progressPosition(0);
    Q_EMIT percentText(QStringLiteral("Ready"));
}

UpdaterTask FlashUpdater::sendFirmwareLines()
{
    // A copy: the operator may click another file while the lines go out.
    const QStringList lines = FirmwareLines;
    const int maximum = int(lines.size());
    Firmware::DownloadTally tally;
    int position = 0;
    int shownPercent = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (Firmware::isComment(lines.at(i)))
            continue;
        if (m_lineLost) {
            // Nothing reaches the loader any more: the lines left are counted, not waited for.
            tally.record(int(i) + 1, false);
            continue;
        }
        AckPending = true;
        WaitTicks = 20;
        clearRx();
        send(Firmware::lineBytes(lines.at(i)));
        Q_EMIT tickPhaseRestarted();
        Q_EMIT progressPosition(++position);
        const int percent = Firmware::percentAfter(position, maximum);
        if (percent != shownPercent) {
            shownPercent = percent;
            Q_EMIT percentText(QStringLiteral("%1%").arg(percent));
        }
        co_await waitTicksOr(20, [this] { return !AckPending || m_lineLost; });
        tally.record(int(i) + 1, !AckPending);
    }
    AckPending = false;
    addStatus(tally.resultLine());
}
