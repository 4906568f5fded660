#pragma once

#include <QByteArray>
#include <QString>

// The texts the updater sends to boards and their loaders. A board address is written as
// two upper-case hexadecimal digits; the commands made from a board list entry carry the
// entry's first two characters, which are the board's address.
namespace LoaderCommands {

inline QByteArray address(int value)
{
    return QByteArray::number(value & 0xFF, 16).toUpper().rightJustified(2, '0');
}

inline QByteArray selectBoard(int a) { return ")*L" + address(a); }           // normal firmware
inline QByteArray loaderSelect(int a) { return ")*LOC(" + address(a) + "H)"; } // loader answers "LUN..."
inline QByteArray loaderVersion(int a) { return "*VER(" + address(a) + "H)"; }
inline QByteArray loaderType(int a) { return "*TYP(" + address(a) + "H)"; }
inline QByteArray boardVersion() { return "V"; }

inline QByteArray entryAddress(const QString &entry) { return entry.left(2).toLatin1(); }
inline QByteArray loaderSelect(const QString &entry) { return ")*LOC(" + entryAddress(entry) + "H)"; }
inline QByteArray programFlash(const QString &entry) { return "*PFL(" + entryAddress(entry) + "H)"; }
inline QByteArray addressBoard(const QString &entry) { return "L" + entryAddress(entry); }
inline QByteArray startLoader() { return "^FP"; }
inline QByteArray loaderProbe() { return "\r"; }

constexpr char Ack = 0x06;

} // namespace LoaderCommands
