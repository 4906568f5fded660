#include "monitors/relayjobs.h"

#include "monitors/boardexchange.h"
#include "bus/boardcommands.h"
#include "serial/mainport.h"

#include <memory>

namespace RelayJobs {

namespace {

using SharedSink = std::shared_ptr<const Sink>;

// The fixed address an OFF sequence begins with.
constexpr int OffPreludeAddress = 0x0F;
constexpr int ReplyLength = 4;

void sendOn(MonitorJob &job, const QString &address, int relay)
{
    BoardExchange::askReply(job, BoardCommands::addressBoard(address), ReplyLength);
    BoardExchange::askReply(job, BoardCommands::relayOn(BoardCommands::relayDigit(relay)), ReplyLength);
}

// The timer value shows "00" after the "L0F".
void sendOff(MonitorJob &job, const SharedSink &s, const QString &address, int relay)
{
    BoardExchange::ask(job, BoardCommands::addressBoard(OffPreludeAddress));
    job.report([s, relay] { s->timerCleared(relay); });
    BoardExchange::askReply(job, BoardCommands::addressBoard(address), ReplyLength);
    BoardExchange::askReply(job, BoardCommands::relayOff(BoardCommands::relayDigit(relay)), ReplyLength);
}

} // namespace

MonitorJobBody readStates(MainPort &port, LineOpenRequest request, QString address, ShownRelays shown, Sink sink)
{
    return [port = &port, request = std::move(request), address = std::move(address), shownBefore = shown,
            s = std::make_shared<const Sink>(std::move(sink))](MonitorJob &job) {
        if (!port->openFromJob(job.line, request))
            return;
        BoardExchange::discardStaleInput(job);
        job.report([s] { s->reading(); });
        if (BoardExchange::askArrived(job, BoardCommands::addressBoard(address)).isEmpty())
            return;
        const QByteArray word = BoardExchange::askArrived(job, BoardCommands::readRelayStates());
        if (word.isEmpty())
            return;
        const std::array<bool, Relay::Count> states = Relay::relayStates(word);
        ShownRelays shownNow = shownBefore;
        // Showing a state acts as a click on the selector: a relay whose shown state
        // changes is switched to it.
        for (int relay = 1; relay <= Relay::Count; ++relay) {
            const bool on = states[size_t(relay - 1)];
            std::optional<bool> &was = shownNow[size_t(relay - 1)];
            if (was == on)
                continue;
            was = on;
            job.report([s, relay, on] { s->relayShown(relay, on); });
            if (on)
                sendOn(job, address, relay);
            else
                sendOff(job, s, address, relay);
        }
    };
}

MonitorJobBody switchOn(QString address, int relay)
{
    return [address = std::move(address), relay](MonitorJob &job) { sendOn(job, address, relay); };
}

MonitorJobBody switchOff(QString address, int relay, Sink sink)
{
    return [address = std::move(address), relay, s = std::make_shared<const Sink>(std::move(sink))](MonitorJob &job) {
        sendOff(job, s, address, relay);
    };
}

MonitorJobBody startTimer(int relay, QString value)
{
    return [relay, value = std::move(value)](MonitorJob &job) {
        BoardExchange::askReply(job, BoardCommands::relayTimer(BoardCommands::relayDigit(relay), value), ReplyLength);
    };
}

MonitorJobBody sendTimers(std::array<QString, Relay::Count> values)
{
    return [values = std::move(values)](MonitorJob &job) {
        for (int digit = 0; digit < Relay::Count; ++digit) {
            const QString &value = values[size_t(Relay::relayOfDigit(digit) - 1)];
            BoardExchange::askReply(job, BoardCommands::relayTimer(digit, value), ReplyLength);
        }
    };
}

MonitorJobBody sendPrescaler(QString high, QString low)
{
    return [high = std::move(high), low = std::move(low)](MonitorJob &job) {
        BoardExchange::askReply(job, BoardCommands::prescalerHigh(high), ReplyLength);
        BoardExchange::askReply(job, BoardCommands::prescalerLow(low), ReplyLength);
    };
}

} // namespace RelayJobs
