#include "bus/hexvalue.h"

namespace {

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

} // namespace

quint32 leadingHexValue(const QString &text)
{
    constexpr int MaxDigits = 8;
    quint32 value = 0;
    int digits = 0;
    for (const QChar c : text) {
        const int digit = hexDigit(c);
        if (digit < 0 || digits == MaxDigits)
            break;
        value = value * 16 + quint32(digit);
        ++digits;
    }
    return value;
}
