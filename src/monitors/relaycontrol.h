#pragma once

#include "monitors/boardworkspace.h"
#include "monitors/relayjobs.h"
#include "monitors/relaylogic.h"

#include <array>

class QPushButton;
class QRadioButton;

// The Relay Control workspace (DrumPanel): switches the ten relays of one relay board,
// starts their timers and sets the board's timer prescaler. The port opens on entry and
// stays open while the workspace is shown; the timer KTimer1 only runs the scan. Every
// click that talks to the board is one job; clicks made meanwhile follow in turn.
class RelayControl : public BoardWorkspace
{
    Q_OBJECT
public:
    RelayControl(Console &console, MonitorState &state, QObject *parent = nullptr);

    void enter() override;

    void KTimer1Timer();
    void Button5Click();    // SCAN
    void KBoardsClick();
    void RelayOnClick(int relay);    // K1ON .. K10ON, relay 1..10
    void RelayOffClick(int relay);   // K1OFF .. K10OFF
    void StartClick(int relay);      // the START buttons
    void Button10Click();   // SEND ALL
    void Button9Click();    // SEND

protected:
    void resetRunButtons() override;

private:
    void buildPanel();
    void readRelayStates(const QString &address);
    // Where the jobs' results go.
    RelayJobs::Sink jobSink();
    // ShowRelayState for one relay, by program: no click handling of its own.
    void showRelay(int relay, bool on);
    void takeShownFromSelectors();

    // The relay selectors as the line has left them: changed by the jobs in their order on
    // the line, so a board read compares with what the clicks before it have shown, and
    // taken from the selectors again whenever the workspace's line work has ended. A job
    // gets a copy: this workspace's jobs run one at a time, each posted only once the one
    // before it has ended and its reports have run, so the copy holds what the line has
    // left when the job starts; a read's changes come back through its reports.
    RelayJobs::ShownRelays m_shown{};
    bool m_showingByProgram = false;

    BoardList *m_boards = nullptr;     // KBoards
    QPushButton *m_scan = nullptr;     // Button5
    QPushButton *m_run = nullptr;      // Button6
    QLineEdit *m_kLoc = nullptr;       // KLoc
    QLineEdit *m_klCmd = nullptr;      // KLCMD
    std::array<QRadioButton *, Relay::Count> m_on{};    // K1ON .. K10ON
    std::array<QRadioButton *, Relay::Count> m_off{};   // K1OFF .. K10OFF
    std::array<QLineEdit *, Relay::Count> m_timerValues{};   // TimerVal1 .. TimerVal10
    QLineEdit *m_preLow = nullptr;     // PRELOW
    QLineEdit *m_preHigh = nullptr;    // PREHIGH
};
