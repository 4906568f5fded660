#include "terminal/macro.h"

#include <limits>

namespace Macro {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The count at the start of the bracketed text, as the C library reads a number: blanks,
// a sign, then digits. Huge counts are held at the largest int.
int readCount(const QByteArray &text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    qint64 value = 0;
    bool any = false;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        any = true;
        value = std::min<qint64>(value * 10 + (text[i] - '0'), std::numeric_limits<int>::max());
    }
    if (!any)
        return 0;
    return negative ? (value == 0 ? 0 : UntilSilent) : int(value);
}

} // namespace

QByteArray expandEscapes(const QByteArray &text)
{
    QByteArray out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c != '~' || text.size() - i - 1 < 3) {
            out += c;
            ++i;
            continue;
        }
        if (isDigit(text[i + 1]) && isDigit(text[i + 2]) && isDigit(text[i + 3])) {
            const int value = (text[i + 1] - '0') * 100 + (text[i + 2] - '0') * 10 + (text[i + 3] - '0');
            out += static_cast<char>(value & 0xFF);
            i += 4;
        } else {
            ++i;   // the "~" goes, what follows is copied
        }
    }
    return out;
}

QList<Step> plan(const QByteArray &expanded)
{
    QList<Step> steps;
    qsizetype i = 0;
    while (i < expanded.size()) {
        const char c = expanded[i];
        if (c == '[') {
            qsizetype close = expanded.indexOf(']', i + 1);
            const qsizetype end = close < 0 ? expanded.size() : close;
            const QByteArray countText = expanded.mid(i + 1, std::min<qsizetype>(end - i - 1, CountTextLimit));
            steps.append({Step::Wait, 0, readCount(countText)});
            i = close < 0 ? expanded.size() : close + 1;
        } else if (c == ']') {
            ++i;
        } else {
            steps.append({Step::Send, c, 0});
            ++i;
        }
    }
    return steps;
}

} // namespace Macro
