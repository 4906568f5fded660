#pragma once

// Runs on the line thread: the Relay Control's clicks that talk to the board. Inputs are
// copied on the user-interface thread when the click acts; results come back as calls of a
// sink's callbacks, each posted to the user-interface thread in the order the exchanges
// make them.

#include "monitors/monitorjob.h"
#include "monitors/relaylogic.h"
#include "serial/linesettings.h"

#include <QString>

#include <array>
#include <functional>
#include <optional>

class MainPort;

namespace RelayJobs {

// The relay selectors K1..K10 (index 0..9) as the jobs before this one have left them:
// true ON, false OFF, empty when neither is chosen.
using ShownRelays = std::array<std::optional<bool>, Relay::Count>;

// Every callback runs on the user-interface thread; relays are 1..10.
struct Sink
{
    std::function<void()> reading;                         // "Reading Relay Data"
    std::function<void(int relay, bool on)> relayShown;    // a read state differs from the shown one
    std::function<void(int relay)> timerCleared;           // an OFF sequence's "L0F" was sent
};

// A click in the board list: opens the port (port outlives every job: its line thread is
// joined before it goes), reads the board's relay word and switches every relay whose state
// differs from shown to that state, in relay order.
MonitorJobBody readStates(MainPort &port, LineOpenRequest request, QString address, ShownRelays shown, Sink sink);

// The ON and OFF sequences of one relay.
MonitorJobBody switchOn(QString address, int relay);
MonitorJobBody switchOff(QString address, int relay, Sink sink);

// START: the relay's timer value, to the board addressed last (no "L" first).
MonitorJobBody startTimer(int relay, QString value);
// SEND ALL: every relay's timer value, in relay-digit order (K10 first, then K1 to K9);
// values by relay, index 0 for K1.
MonitorJobBody sendTimers(std::array<QString, Relay::Count> values);
// SEND: the prescaler's high, then its low byte.
MonitorJobBody sendPrescaler(QString high, QString low);

} // namespace RelayJobs
