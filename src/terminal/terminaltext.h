#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// How the terminal shows bytes: the received batches, the echo of typed keys and of macro
// bytes. Bytes are characters of the 8-bit code page one to one (Latin-1), both ways.
namespace TerminalText {

enum class DisplayMode { Plain, Hex, Dec };

// The most bytes one received batch holds; a carriage return ends a batch earlier.
inline constexpr qsizetype BatchLimit = 256;

// Cuts the bytes of one drain of the line into batches that each end at a carriage return
// (included) or hold BatchLimit bytes; the last one holds what is left, as a read that
// found nothing more ended the batch.
QList<QByteArray> splitIntoBatches(const QByteArray &bytes);

// A received batch as shown and logged: "%2.2X " or "%03d " per byte, or the characters
// with a carriage return turned into a line feed (crlf) or dropped.
QString formatReceived(const QByteArray &batch, DisplayMode mode, bool crlf);

// The local echo of a key typed in the single-view pane: "%2.2X " or "%03d " of the byte;
// in plain mode the character itself (a carriage return starts a new line) and "_" for NUL.
QString typedEcho(char byte, DisplayMode mode);

// The echo of a byte sent by a macro: "%2.2X ", "%03d ", or the character when printable
// and "." when not; in single view a carriage return also breaks the line when crlf is on.
QString macroEcho(char byte, DisplayMode mode, bool crlf, bool singleView);

// "Send Uppercase Only": the letters a to z only, as the keyboard handler always did.
char upperCase(char byte);

QString fromBytes(const QByteArray &bytes);
QByteArray toBytes(const QString &text);   // characters past Latin-1 become "?"

} // namespace TerminalText
