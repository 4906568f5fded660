#pragma once

#include <QByteArray>
#include <QList>

#include <chrono>
#include <functional>

class LineContext;
class TerminalOutbox;

// The terminal's session on the line thread while the terminal is connected: one long
// job that sends what the outbox holds at once, runs macros in order with typed keys, and
// drains what the line delivers as it arrives, cut into batches. It never holds the line
// with a read time-out except inside a macro's reply wait, whose per-byte time-out is the
// port's own.
namespace TerminalSession {

// Each runs on the user-interface thread, in the order of the events on the line.
struct Reports
{
    std::function<void(const QList<QByteArray> &batches)> received;
    std::function<void()> keySent;                            // one typed byte went out
    std::function<void(const QByteArray &bytes)> macroSent;   // macro bytes that went out
    std::function<void(const QByteArray &reply)> macroReply;  // the characters of one reply wait
    std::function<void()> macroDone;                          // the macro's last report
    std::function<void()> lineLost;                           // the session ended with the line
};

// How long one wait for input lasts on a silent line; a key put into the outbox ends it at
// once.
inline constexpr std::chrono::milliseconds InputSlice{20};
// After a drain, how long bytes may gather before the next one, unless a key comes:
// bounds the wake-ups and reports of a fast stream.
inline constexpr std::chrono::microseconds GatherTime{1000};
// A wait that reads until the line is silent ends here at the latest.
inline constexpr int UntilSilentLimit = 1 << 20;

// Runs until the job is cancelled, the outbox is stopped or the line goes away.
void run(LineContext &ctx, TerminalOutbox &outbox, const Reports &reports);

} // namespace TerminalSession
