#pragma once

// Runs on the line thread: what every board workspace does on the line around its own
// exchanges. Inputs are copied on the user-interface thread; results come back as calls of
// a sink's callbacks, each posted to the user-interface thread in the order the exchanges
// make them.

#include "monitors/monitorjob.h"
#include "serial/linesettings.h"
#include "serial/linethread.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class MainPort;

namespace BoardJobs {

// A job of a board workspace as the line runs it: the end of a reply that cancelled work
// left behind is dropped first, then body runs. stopped is the workspace's STOP flag.
LineThread::Job onLine(std::shared_ptr<const std::atomic<bool>> stopped, MonitorJobBody body);

// OpenPortFromSettings inside a job, when the port is not open: the quiet reopen of the
// digital and analog monitors. reported(opened) follows on the user-interface thread, also
// after a STOP (it is what the line now is). Returns whether the port can be used (it was
// open, or it opened).
bool reopenQuietly(MonitorJob &job, bool portIsOpen, const LineSettings &settings,
                   const std::function<void(bool opened)> &reported);

struct ScanInputs
{
    bool closeFirst = false;          // close an open port before opening it again
    bool wasOpen = false;             // PortIsOpen when the scan phase began
    bool addressFirstBoard = false;   // after the scan, "L" to the first board found
    LineOpenRequest request;
    int first = 0;
    // The last address, asked again before every probe (ScanRange::liveLast).
    std::function<int()> last;
};

// Every callback runs on the user-interface thread, in this order as far as each happens.
struct ScanSink
{
    std::function<void()> closed;          // closeFirst: the open port was closed
    std::function<void()> openFailed;      // the scan ends here
    std::function<void()> opened;          // "Port Open", then the scan begins
    std::function<void(int address)> probing;
    std::function<void(const QString &entry)> found;
    std::function<void(const QString &address)> listed;        // the first board's address
    std::function<void(const QByteArray &reply)> firstBoardAnswered;   // its reply to "L"
    std::function<void()> cutShort;        // the line went away: the list may be incomplete
    std::function<void()> finished;        // "READY"
};

// The scan phase of a timer tick. port opens the line from the job (MainPort::openFromJob);
// it outlives every job, as its line thread is joined before it goes.
MonitorJobBody scan(MainPort &port, ScanInputs inputs, ScanSink sink);

} // namespace BoardJobs
