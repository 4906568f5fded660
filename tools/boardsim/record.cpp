#include "boardsim/record.h"

namespace boardsim {

QByteArray formatRecord(const QList<RecordedByte> &record)
{
    QByteArray text;
    text.reserve(record.size() * 16);
    for (const RecordedByte &entry : record) {
        const auto us = std::chrono::duration_cast<std::chrono::microseconds>(entry.at).count();
        text += QByteArray::number(qint64(us));
        text += entry.direction == Direction::ToBoard ? " -> " : " <- ";
        text += QByteArray(1, entry.byte).toHex().toUpper();
        text += '\n';
    }
    return text;
}

} // namespace boardsim
