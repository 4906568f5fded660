#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Every command string the boards understand, in one place. Commands are plain ASCII with
// no terminator; every reply is four characters.
namespace BoardCommands {

QByteArray addressBoard(int address);                 // "L%2.2X": L0A
QByteArray addressBoard(const QString &addressField); // "L" + the field's text, unchanged
QByteArray readType();                                // "U"
QByteArray readVersion();                             // "V"
QByteArray readRegister(int reg);                     // "R%2.2X": R5A
QByteArray modifyRegister(const QString &value);      // "M%s": M3C
QByteArray readRelayStates();                         // "I"
QByteArray relayOn(int digit);                        // "K%1.1XFF": K3FF (relay K10 is digit 0)
QByteArray relayOff(int digit);                       // "K%1.1X00"
QByteArray relayTimer(int digit, const QString &value);     // "K%1.1X%2s": K630
QByteArray prescalerHigh(const QString &value);       // "KB%2s"
QByteArray prescalerLow(const QString &value);        // "KC%2s"

// The relay digit of relay K1..K10 (K10 is 0).
int relayDigit(int relay);

// "%2s": a shorter text padded with blanks on the left to two characters, a longer one whole.
QString padTwo(const QString &text);

// The text the Digital Monitor shows for the baud-rate code (character 4 of the "L"
// reply); empty optional for a character outside the table (the label is then hidden).
std::optional<QString> baudCodeText(char code);

} // namespace BoardCommands
