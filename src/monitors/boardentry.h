#pragma once

#include <QString>

// Reading a line of a board list (see BoardListEntry): other code knows an entry only by
// its positions, the address in characters 1 and 2 and the type in characters 4 to 7.
namespace BoardEntry {

inline QString address(const QString &entry)
{
    return entry.left(2);
}

inline QString type(const QString &entry)
{
    return entry.mid(3, 4);
}

} // namespace BoardEntry
