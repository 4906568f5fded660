#pragma once

// Runs on the line thread: the Analog Monitor's poll. Inputs are copied on the
// user-interface thread when the tick starts; results come back as calls of a sink's
// callbacks, each posted to the user-interface thread in the order the exchanges make them.

#include "monitors/monitorjob.h"
#include "serial/linesettings.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

namespace AnalogJobs {

struct PollInputs
{
    bool portIsOpen = false;
    LineSettings settings;
    QString address;             // SCANSTART
    bool fiveChannels = false;   // Analog::pollsFiveChannels of the selected entry
};

// Every callback runs on the user-interface thread.
struct Sink
{
    std::function<void(bool opened)> reopened;                  // the quiet reopen's outcome
    std::function<void()> unusable;                             // the port would not open
    std::function<void(const QByteArray &reply)> lineReplied;   // "L": ANALOC
    std::function<void(const QList<QByteArray> &readings, bool fiveChannels)> readingsRead;
};

// One poll: the quiet reopen, "L" to the board, then every register of
// Analog::pollRegisters read and reported together.
MonitorJobBody poll(PollInputs inputs, Sink sink);

} // namespace AnalogJobs
