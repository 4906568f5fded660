#pragma once

#include "updater/programminglink.h"
#include "updater/updatertask.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <coroutine>
#include <functional>
#include <memory>
#include <optional>

class OperatorPrompt;

// The flash updater's work: the programming port, the 20 ms wait ticks, the loader test,
// the request that starts a board's loader, the download with its acknowledgements, and
// the two board searches. It knows no widget: it reads the panel through the queries below
// when a step needs them and reports what the panel shows through its signals.
//
// Every command that waits runs as an UpdaterTask; one runs at a time. A wait ends on the
// tick (FlashPrgTimerTimer) or on received bytes, never inside a nested event loop.
//
// The implementation is split: flashupdater.cpp holds the port, the waits and the download,
// boardsearch.cpp the searches.
class FlashUpdater : public QObject
{
    Q_OBJECT
public:
    FlashUpdater(ProgrammingLinkFactory makeLink, OperatorPrompt &prompt, QObject *parent = nullptr);
    ~FlashUpdater() override;

    // The firmware file chosen in the grid: its path and the name its row shows.
    struct FileChoice
    {
        QString path;
        QString shownName;
    };

    // What the steps read from the panel at the moment they need it.
    QString portText = QStringLiteral("COM1");       // SB1: "COM" and the port number
    std::optional<int> discoveryRateIndex = 3;       // BAUDAX00..BAUDAX07
    std::function<QString()> selectedBoardEntry;     // ListBox1's selected entry, empty when none
    std::function<int()> scanFirst;                  // FSCANADR as a number
    std::function<int()> scanLast;                   // LSCANADR as a number

    // The updater's state.
    int WaitTicks = 0;                // counted down by FlashPrgTimerTimer
    bool AckPending = false;          // a firmware line waits for its 0x06
    bool LoaderFound = false;         // the last loader test saw 0x06
    bool ProgrammingActive = false;   // the download is sending lines
    bool SearchActive = false;        // a board search runs; clearing it stops the search
    bool ProgrammingPortOpen = false;
    QByteArray RxData;                // what the programming port received since last emptied
    QStringList FirmwareLines;
    QString SelectedBoardType;
    QString SelectedFileType;

    bool programmingPortExists() const { return m_port != nullptr; }
    // A command that waits is running (download, loader test, search).
    bool busy() const { return m_running.has_value(); }
    // The operator may not leave the workspace: a download runs, from its first loader
    // test to its last line, so the port is not closed or reopened behind a hidden panel.
    bool downloadRunning() const { return m_downloadRunning; }
    // Why the programming port is down when its device went away under it, in the
    // operator's words; empty once a port has opened again.
    QString lossNote() const { return m_lossNote; }

    // The programming port.
    void OpenCloseClick();
    void OpenDiscoveryPort();
    void CloseProgrammingPort();
    // 115200 whichever programming button is checked: the others are disabled.
    int programmingRate() const;
    int discoveryRate() const;

    // The 20 ms tick.
    void FlashPrgTimerTimer();

    // The commands.
    void TestLoaderConClick();
    void Button16Click(const std::optional<FileChoice> &file);
    void SearchBoardsClick();
    void PgmrSearchRangeClick();
    void Button35Click();
    // A board list entry was clicked: its type is taken.
    void ListBox1Click(const QString &entry);
    // A file row was clicked: the file's lines and type are taken. False, after a box, when
    // the file cannot be read.
    bool chooseFile(const QString &path);
    // The workspace is left: a search stops after its address, and the port closes.
    void workspaceLeft();

Q_SIGNALS:
    void progStatusCleared();
    void progStatusAdded(const QString &line);
    void connectedText(const QString &text);
    // A button's caption: "OpenClose", "TestLoaderCon", "SearchBoards", "PgmrSearchRange".
    void captionChanged(const QString &control, const QString &caption);
    void progressRange(int maximum);
    void progressPosition(int position);
    void percentText(const QString &text);         // Label117
    void progressPanelShown(bool shown);           // PBAR
    void boardListCleared();
    void boardEntryAdded(const QString &entry);
    void focusRequested();
    // The tick's phase starts again, so a line's 20 ticks count from its send.
    void tickPhaseRestarted();
    // RxData was emptied or took received bytes.
    void rxDataChanged();

private:
    enum class SearchKind { All, Range };

    // Waits: each sets WaitTicks and suspends until it is 0 or the condition holds.
    struct Wait
    {
        FlashUpdater *updater;
        std::function<bool()> ends;
        bool await_ready() const { return ends(); }
        void await_suspend(std::coroutine_handle<> waiting);
        void await_resume() const noexcept {}
    };
    Wait waitTicks(int ticks);
    Wait waitTicksOr(int ticks, std::function<bool()> earlier);
    Wait waitForReply(int ticks);   // ends early at the first received byte
    // Empties RxData, sends the command and waits its ticks; the reply is RxData after it.
    Wait exchange(const QByteArray &command, int ticks);
    void send(const QByteArray &bytes);
    void resumeIfDone();
    void received(const QByteArray &bytes);
    void clearRx();
    void start(UpdaterTask task);

    void openProgrammingPort(int rate);
    void lineWentAway(int comNumber, const QString &device);
    void dropPort();
    int portNumber() const;
    void addStatus(const QString &line) { Q_EMIT progStatusAdded(line); }
    bool fileFitsAndIsSound();

    UpdaterTask testLoader();
    UpdaterTask enterLoader(QString entry);
    UpdaterTask download(QString shownName);
    UpdaterTask sendFirmwareLines();
    UpdaterTask search(SearchKind kind);
    UpdaterTask probe(int address);
    void searchClick(SearchKind kind);

    ProgrammingLinkFactory m_makeLink;
    OperatorPrompt &m_prompt;
    std::unique_ptr<ProgrammingLink> m_port;
    // Bytes of a port already thrown away can still be queued; they are not this port's.
    quint64 m_portGeneration = 0;
    std::optional<UpdaterTask> m_running;
    std::coroutine_handle<> m_waiting;
    std::function<bool()> m_waitEnds;
    bool m_downloadRunning = false;
    // The device of the port went away; a running command ends instead of waiting out
    // every line or address left. Cleared by the next open.
    bool m_lineLost = false;
    QString m_lossNote;
};
