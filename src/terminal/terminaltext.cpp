#include "terminal/terminaltext.h"

#include <algorithm>
#include <cstring>

namespace TerminalText {

namespace {

constexpr char CarriageReturn = '\r';

QString hexGroup(char byte)
{
    return QStringLiteral("%1 ").arg(static_cast<unsigned char>(byte), 2, 16, QLatin1Char('0')).toUpper();
}

QString decGroup(char byte)
{
    return QStringLiteral("%1 ").arg(static_cast<unsigned char>(byte), 3, 10, QLatin1Char('0'));
}

bool printable(char byte)
{
    const auto value = static_cast<unsigned char>(byte);
    return value >= 0x20 && value != 0x7F && !(value >= 0x80 && value < 0xA0);
}

} // namespace

QList<QByteArray> splitIntoBatches(const QByteArray &bytes)
{
    QList<QByteArray> batches;
    qsizetype start = 0;
    const qsizetype size = bytes.size();
    while (start < size) {
        const qsizetype limit = std::min(size, start + BatchLimit);
        const char *first = bytes.constData() + start;
        const auto *cr = static_cast<const char *>(std::memchr(first, CarriageReturn, size_t(limit - start)));
        const qsizetype end = cr ? start + (cr - first) + 1 : limit;
        batches.append(bytes.mid(start, end - start));
        start = end;
    }
    return batches;
}

QString formatReceived(const QByteArray &batch, DisplayMode mode, bool crlf)
{
    QString text;
    switch (mode) {
    case DisplayMode::Hex:
        text.reserve(batch.size() * 3);
        for (char byte : batch)
            text += hexGroup(byte);
        break;
    case DisplayMode::Dec:
        text.reserve(batch.size() * 4);
        for (char byte : batch)
            text += decGroup(byte);
        break;
    case DisplayMode::Plain:
        text.reserve(batch.size());
        for (char byte : batch) {
            if (byte == CarriageReturn) {
                if (crlf)
                    text += QLatin1Char('\n');
            } else {
                text += QChar(static_cast<unsigned char>(byte));
            }
        }
        break;
    }
    return text;
}

QString typedEcho(char byte, DisplayMode mode)
{
    switch (mode) {
    case DisplayMode::Hex: return hexGroup(byte);
    case DisplayMode::Dec: return decGroup(byte);
    case DisplayMode::Plain: break;
    }
    if (byte == 0)
        return QStringLiteral("_");
    if (byte == CarriageReturn)
        return QStringLiteral("\n");
    return QString(QChar(static_cast<unsigned char>(byte)));
}

QString macroEcho(char byte, DisplayMode mode, bool crlf, bool singleView)
{
    QString text;
    switch (mode) {
    case DisplayMode::Hex: text = hexGroup(byte); break;
    case DisplayMode::Dec: text = decGroup(byte); break;
    case DisplayMode::Plain:
        text = printable(byte) ? QString(QChar(static_cast<unsigned char>(byte))) : QStringLiteral(".");
        break;
    }
    if (singleView && crlf && byte == CarriageReturn)
        text += QLatin1Char('\n');
    return text;
}

char upperCase(char byte)
{
    return byte >= 'a' && byte <= 'z' ? static_cast<char>(byte - 'a' + 'A') : byte;
}

QString fromBytes(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes);
}

QByteArray toBytes(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (QChar c : text)
        bytes += c.unicode() <= 0xFF ? static_cast<char>(c.unicode()) : '?';
    return bytes;
}

} // namespace TerminalText
