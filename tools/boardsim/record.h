#pragma once

#include <QByteArray>
#include <QList>

#include <chrono>

namespace boardsim {

// Seen from the boards: ToBoard is what the program sent, FromBoard what the boards answered.
enum class Direction { ToBoard, FromBoard };

struct RecordedByte
{
    std::chrono::nanoseconds at{0};   // since the line was opened, on the monotonic clock
    Direction direction = Direction::ToBoard;
    char byte = 0;

    bool operator==(const RecordedByte &) const = default;
};

// The record as text, one line per byte: whole microseconds, "->" for a byte the program
// sent or "<-" for one the boards answered, and the byte as two upper-case hex digits,
// e.g. "1042 -> 4C".
QByteArray formatRecord(const QList<RecordedByte> &record);

} // namespace boardsim
