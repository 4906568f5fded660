#pragma once

#include "monitors/monitorjob.h"
#include "workspace/panelworkspace.h"
#include "serial/linesettings.h"
#include "serial/linethread.h"

#include <atomic>
#include <deque>
#include <functional>
#include <memory>

class BoardList;
class MonitorState;
class QLineEdit;

// What the three board workspaces have in common: the shared monitor flags, their work on
// the line as jobs, the operator's clicks queued behind a running job, and the scan phase.
//
// A tick or click that talks to boards is one job on the line thread; its results come
// back through reports in the order the exchanges make them. While a job of the workspace
// is queued or running, its timer ticks are skipped and the operator's clicks wait for it
// to end, so every click acts on what the work before it has left, in the order made.
class BoardWorkspace : public PanelWorkspace
{
    Q_OBJECT
public:
    // Also forgets the clicks still waiting: they belong to the workspace being left.
    void stopTimers() override;

    // A job of this workspace is queued or running on the line.
    bool jobRunning() const { return m_jobs > 0; }

Q_SIGNALS:
    // The workspace's line work has ended (its last job and its reports are done).
    void idle();

protected:
    BoardWorkspace(const QString &caption, const QString &panelName, Console &console, MonitorState &state,
                   QObject *parent);

    MonitorState &state() const { return m_state; }

    // The scan's fields: the address field (LOCXX, SCANSTART, KLoc), the board list and the
    // "LXX" field (BAUDTXT, ANALOC, KLCMD).
    void setScanControls(QLineEdit *address, BoardList *list, QLineEdit *lineReply);

    using Job = MonitorJobBody;
    void postJob(Job job);
    // Runs action now, or once the workspace's line work has ended.
    void whenIdle(std::function<void()> action);
    // STOP: the workspace's queued and running jobs end at their next exchange, and their
    // reports that have not run yet never will. Jobs posted afterwards run normally.
    void stopJobs();

    // A SCAN click: the field shows "00" on yellow (waitingField: the address field, or
    // the analog "LXX" field), the list empties, a scan is requested and the run flags
    // cleared, the run buttons reset (resetRunButtons) and the timer starts at 100 ms.
    void requestScan(QLineEdit *waitingField);
    virtual void resetRunButtons() = 0;

    // The timer's stop phase (StopRequested set). Relay Control has none: its timer never
    // looks at StopRequested.
    virtual void stopPhase() {}
    // A click that starts line work (SCAN, RUN, TEST) first serves a stop still waiting
    // for the next tick: the entry into the workspace and a STOP click leave one. Left to
    // the tick, it would end the work just asked for, and the click would be lost.
    void serveStopFirst();

    struct ScanOptions
    {
        bool closeFirst = false;          // close an open port before opening it again
        bool addressFirstBoard = false;   // after the scan, "L" to the first board found
        std::function<void()> started;    // after "Port Open", before "SCANNING"
        std::function<void()> found;      // after an entry has joined the list
    };
    // The scan phase of a timer tick, as one job.
    void runScanPhase(const ScanOptions &options);

    // The outcome of the quiet reopen of the digital and analog monitors
    // (BoardJobs::reopenQuietly): "Port Open" or "Port Open Failed".
    void showReopened(bool opened);

    // Puts text into a field from a report, as the field shows a reply: up to its first NUL.
    static void showReply(QLineEdit *field, const QByteArray &reply);

private:
    void jobDone();

    MonitorState &m_state;
    QLineEdit *m_address = nullptr;
    BoardList *m_list = nullptr;
    QLineEdit *m_lineReply = nullptr;
    int m_jobs = 0;
    // STOP, shared with the jobs already posted (MonitorJob::stopped): it must reach a job
    // that is queued or running on the line, which no copy taken when the job was posted can.
    std::shared_ptr<std::atomic<bool>> m_stopped = std::make_shared<std::atomic<bool>>(false);
    std::deque<std::function<void()>> m_waiting;
};
