#include "monitors/digitallogic.h"

#include "bus/hexvalue.h"
#include "bus/boardcommands.h"

using namespace std::chrono_literals;

namespace Digital {

QString BitString(const QString &text)
{
    const quint32 value = leadingHexValue(text);
    QString bits(BitsPerPort, u'0');
    for (int bit = 0; bit < BitsPerPort; ++bit) {
        if (value & (1u << bit))
            bits[BitsPerPort - 1 - bit] = u'1';
    }
    return bits;
}

std::optional<QString> outputLampTexts(const QString &fieldText)
{
    if (fieldText == QLatin1String("XX"))
        return QString(BitsPerPort, u'X');
    if (fieldText.isEmpty())
        return QString(BitsPerPort, u' ');
    if (fieldText.size() == 2)
        return BitString(fieldText);
    return std::nullopt;
}

QString inputBitsText(const QString &fieldText)
{
    if (fieldText.isEmpty())
        return QString(BitsPerPort, u' ');
    if (fieldText == QLatin1String("XX"))
        return QString(BitsPerPort, u'X');
    return BitString(fieldText);
}

QString toggledLampText(const QString &lampText)
{
    return lampText == QLatin1String("0") ? QStringLiteral("1") : QStringLiteral("0");
}

QString outputAfterLampClick(const QString &fieldText, int bit, bool set)
{
    quint32 value = leadingHexValue(fieldText);
    if (set)
        value |= 1u << bit;
    else
        value &= ~(1u << bit);
    return QString::asprintf("%2.2X", value);
}

std::optional<QString> baudConvText(const QString &lReply)
{
    if (lReply.size() < 4)
        return std::nullopt;
    return BoardCommands::baudCodeText(lReply.at(3).toLatin1());
}

QString TypeText(const QString &type)
{
    return type == QLatin1String("Q516") ? QStringLiteral("QK5151M") : QStringLiteral("    ");
}

TestPattern testPattern(int testStep)
{
    switch (testStep) {
    case 1: return {BoardCommands::modifyRegister(QStringLiteral("55")), 250ms, false, 2};
    case 2: return {BoardCommands::modifyRegister(QStringLiteral("AA")), 250ms, false, 3};
    case 3: return {BoardCommands::modifyRegister(QStringLiteral("FF")), 125ms, false, 0};
    default: return {BoardCommands::modifyRegister(QStringLiteral("00")), 250ms, true, 1};
    }
}

} // namespace Digital
