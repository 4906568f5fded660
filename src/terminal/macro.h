#pragma once

#include <QByteArray>
#include <QList>

// The small language of the function keys' data: "~nnn" inserts the byte of value nnn,
// "[n]" waits for n reply characters before the rest goes out.
namespace Macro {

// The escape pass: "~" and three decimal digits become the byte of that value (its low
// eight bits: ~300 is a comma); a "~" with at least three characters after it that are not
// three digits is dropped; a "~" with fewer characters after it stays as it is.
QByteArray expandEscapes(const QByteArray &text);

struct Step
{
    enum Kind { Send, Wait };
    Kind kind = Send;
    char byte = 0;      // Send
    int count = 0;      // Wait: reply bytes to collect; UntilSilent for a negative count
    bool operator==(const Step &) const = default;
};

// A negative count is no count of bytes: the wait reads until the line falls silent.
inline constexpr int UntilSilent = -1;
// The count is read from at most this many characters after "[".
inline constexpr int CountTextLimit = 79;

// The transmission pass over the expanded text: every byte to send, in order, and the
// reply waits. "[" takes the text up to the next "]" (or the end) as the count, read as a
// leading decimal number (no number waits for nothing); the bracketed text is never
// sent, and a "]" on its own is skipped.
QList<Step> plan(const QByteArray &expanded);

} // namespace Macro
