#include "monitors/analoglogic.h"

#include "bus/hexvalue.h"
#include "bus/replyreaders.h"

#include <cstdio>

namespace Analog {

namespace {

const QString FiveChannelType = QStringLiteral("Q83Q");
const QString OtherFiveChannelType = QStringLiteral("Q907");

// 10000 / 4096 exactly.
constexpr double VoltsFactor = 2.44140625;
constexpr long double SensorStep = 0.1L;
constexpr int SensorZero = 35;

// "%2.3f" with ties rounded away from zero: the exact binary value is written out in full
// and rounded by hand, as printf would round an exact tie to even (39.0625 -> 39.062).
QString threeDecimals(double value)
{
    const bool negative = value < 0;
    // Every value shown here is below a million with at most 52 binary places, so 80
    // decimals write it out exactly.
    char digits[128];
    std::snprintf(digits, sizeof digits, "%.80f", negative ? -value : value);
    const QByteArray text(digits);
    const qsizetype dot = text.indexOf('.');
    qint64 thousandths = text.left(dot).toLongLong() * 1000 + text.mid(dot + 1, 3).toLongLong();
    if (text.at(dot + 4) >= '5')
        ++thousandths;
    return QString::asprintf("%s%lld.%03lld", negative ? "-" : "", thousandths / 1000, thousandths % 1000);
}

QString volts(quint32 v, int scale)
{
    // 1 / 999 and the product are taken in extended precision before rounding to a float.
    const float d = float(static_cast<long double>(v) * (1.0L / 999.0L));
    const float scaled = float(double(scale) * double(d) * VoltsFactor);
    return threeDecimals(scaled);
}

QString temperature(quint32 v, bool celsius)
{
    const float t = float(static_cast<long double>(qint64(v) - SensorZero) * SensorStep);
    if (t < 0)
        return QStringLiteral(" SENS");
    return threeDecimals(celsius ? double(t) : double(t) * 1.8 + 32);
}

} // namespace

QString FormatChannelValue(ChannelMode mode, const QByteArray &reply, bool celsius)
{
    const QString text = displayText(reply);
    const quint32 v = leadingHexValue(text);
    switch (mode) {
    case ChannelMode::Hex: return text;
    case ChannelMode::Temperature: return temperature(v, celsius);
    case ChannelMode::Volts5: return volts(v, 2);
    case ChannelMode::Volts10: return volts(v, 4);
    }
    return text;
}

Layout listClickLayout(const QString &type)
{
    return type == FiveChannelType || type == OtherFiveChannelType ? Layout::Five : Layout::Eleven;
}

Layout runLayout(const std::optional<QString> &type)
{
    return pollsFiveChannels(type) ? Layout::Five : Layout::Eleven;
}

bool pollsFiveChannels(const std::optional<QString> &type)
{
    return type && *type == FiveChannelType;
}

QList<int> pollRegisters(bool fiveChannels)
{
    if (fiveChannels)
        return {0x10, 0x12, 0x14, 0x16, 0x0E, 0x00};
    return {0x30, 0x32, 0x34, 0x36, 0x38, 0x3A, 0x3C, 0x3E, 0x40, 0x42, 0x44, 0x10};
}

} // namespace Analog
