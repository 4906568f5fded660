#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class TCom;

// The probing loop of a bus scan, run inside a line job. The workspace's job opens the
// port first and does its own field updates before and after.

// A scan-range text read as hexadecimal: its leading hexadecimal digits, or 0.
int scanAddressValue(const QString &text);

// One line of a board list: the two address characters of the "L" reply, a blank and the
// four-character type ("XXXX" when the type reply was empty). Example: "0A Q83Q".
QString BoardListEntry(const QByteArray &addressPart, const QByteArray &type);

struct ScanCallbacks
{
    std::function<void(int address)> probing;           // after the first reply character was read
    std::function<void(const QString &entry)> found;   // a board was listed
    std::function<bool()> cancelled;                   // stops the loop between addresses
};

// Probes first..last in ascending order: "L%2.2X", one character (nothing: next address),
// one more, two more, then "U" and four single reads. last() is asked again before every
// probe. Returns the entries in probe order.
QStringList scanAddresses(TCom &com, int first, const std::function<int()> &last, const ScanCallbacks &callbacks);
