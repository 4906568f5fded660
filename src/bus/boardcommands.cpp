#include "bus/boardcommands.h"

#include <array>

namespace BoardCommands {

namespace {

// An address field or a typed value goes on the line byte for byte; the fields only take
// ASCII, and anything else is not a command a board could understand anyway.
QByteArray ascii(const QString &text)
{
    return text.toLatin1();
}

QByteArray hexByte(int value)
{
    return QString::asprintf("%2.2X", unsigned(value)).toLatin1();
}

QByteArray hexDigit(int value)
{
    return QString::asprintf("%1.1X", unsigned(value)).toLatin1();
}

} // namespace

QByteArray addressBoard(int address)
{
    return "L" + hexByte(address);
}

QByteArray addressBoard(const QString &addressField)
{
    return "L" + ascii(addressField);
}

QByteArray readType()
{
    return QByteArrayLiteral("U");
}

QByteArray readVersion()
{
    return QByteArrayLiteral("V");
}

QByteArray readRegister(int reg)
{
    return "R" + hexByte(reg);
}

QByteArray modifyRegister(const QString &value)
{
    return "M" + ascii(value);
}

QByteArray readRelayStates()
{
    return QByteArrayLiteral("I");
}

QByteArray relayOn(int digit)
{
    return "K" + hexDigit(digit) + "FF";
}

QByteArray relayOff(int digit)
{
    return "K" + hexDigit(digit) + "00";
}

QByteArray relayTimer(int digit, const QString &value)
{
    return "K" + hexDigit(digit) + ascii(padTwo(value));
}

QByteArray prescalerHigh(const QString &value)
{
    return "KB" + ascii(padTwo(value));
}

QByteArray prescalerLow(const QString &value)
{
    return "KC" + ascii(padTwo(value));
}

int relayDigit(int relay)
{
    return relay % 10;
}

QString padTwo(const QString &text)
{
    return text.rightJustified(2, QLatin1Char(' '));
}

std::optional<QString> baudCodeText(char code)
{
    // Indexed by the code's value 0..F; several codes share 9600.
    static const std::array<const char *, 16> texts = {
        "9600", "9600", "9600", "600",   "1200",  "2400", "4800", "115200",
        "14400", "19200", "28800", "38400", "57600", "9600", "115200", "9600",
    };
    int index = -1;
    if (code >= '0' && code <= '9')
        index = code - '0';
    else if (code >= 'A' && code <= 'F')
        index = code - 'A' + 10;
    if (index < 0)
        return std::nullopt;
    return QString::fromLatin1(texts[size_t(index)]);
}

} // namespace BoardCommands
