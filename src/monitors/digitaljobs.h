#pragma once

// Runs on the line thread: the Digital Monitor's RUN and TEST ticks. Inputs are copied on
// the user-interface thread when the tick starts; results come back as calls of a sink's
// callbacks, each posted to the user-interface thread in the order the exchanges make them.

#include "monitors/digitallogic.h"
#include "monitors/monitorjob.h"
#include "serial/linesettings.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <functional>

namespace DigitalJobs {

// What a RUN or TEST tick needs from the controls.
struct TickInputs
{
    bool portIsOpen = false;
    LineSettings settings;
    QString address;                                            // LOCXX
    std::array<QString, Digital::PortCount> outputs;            // OUTL, OUTM, OUTR, by port
};

// Every callback runs on the user-interface thread; ports are Digital::Port numbers.
struct Sink
{
    std::function<void(bool opened)> reopened;                  // the quiet reopen's outcome
    std::function<void(const QByteArray &reply)> lineReplied;   // "L": BAUDTXT
    std::function<void(const QByteArray &reply)> typeRead;      // "U": UIDTEXT
    std::function<void(const QByteArray &reply)> versionRead;   // "V": VERTEXT
    std::function<void(int port, const QByteArray &value)> outputRead;   // as the board has it
    std::function<void()> identified;                           // identifying is done
    std::function<void()> running;                              // the port is in use: "RUNNING"
    std::function<void(int port)> outputWritten;
    std::function<void(int port, const QByteArray &value)> inputRead;
    std::function<void(int nextStep)> testStepDone;
};

// A RUN tick: the quiet reopen; when identify, the board's type, version and outputs; then,
// on a usable port and a board that answers "L", every two-character output written (the
// field texts, or what identifying read) and the three inputs read.
MonitorJobBody runTick(TickInputs inputs, bool identify, Sink sink);

// A TEST tick: the quiet reopen, the identity on the pattern's first step, the pattern
// written to the three outputs and the inputs read; then, on a usable port whose right
// input answered, RUN's writing of the echoed outputs and its reading of the inputs.
MonitorJobBody testTick(TickInputs inputs, Digital::TestPattern pattern, Sink sink);

} // namespace DigitalJobs
