#include "updater/firmwarefile.h"

#include <QFile>

namespace Firmware {

QStringList splitLines(const QByteArray &bytes)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = bytes.at(i);
        if (c != '\r' && c != '\n')
            continue;
        lines.append(QString::fromLatin1(bytes.mid(start, i - start)));
        if (c == '\r' && i + 1 < size && bytes.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(QString::fromLatin1(bytes.mid(start)));
    return lines;
}

std::optional<QStringList> readLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return splitLines(bytes);
}

bool isComment(const QString &line)
{
    return line.startsWith(QLatin1Char(';'));
}

QByteArray lineBytes(const QString &line)
{
    return line.toLatin1() + '\r';
}

namespace {

const QLatin1String TypeTag("TYPE-");

// The text from start up to the next "-"; empty when no "-" follows, unless the rest of
// the text may stand alone.
QString upToDash(const QString &text, qsizetype start, bool restWhenNoDash)
{
    if (start > text.size())
        return {};
    const qsizetype dash = text.indexOf(QLatin1Char('-'), start);
    if (dash < 0)
        return restWhenNoDash ? text.mid(start).toUpper() : QString();
    return text.mid(start, dash - start).toUpper();
}

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

QString hex2(int value)
{
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

QString fileType(const QStringList &lines)
{
    if (lines.isEmpty())
        return QStringLiteral("0");
    const QString &first = lines.constFirst();
    const qsizetype tag = first.indexOf(TypeTag);
    if (tag < 0)
        return QStringLiteral("0");
    return upToDash(first, tag + TypeTag.size(), true);
}

QString boardType(const QString &entry)
{
    const qsizetype tag = entry.indexOf(TypeTag);
    return upToDash(entry, tag >= 0 ? tag + TypeTag.size() : 4, false);
}

int firstOverlongLine(const QStringList &lines, int limit)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!isComment(lines.at(i)) && lines.at(i).size() + 1 > limit)
            return int(i);
    }
    return -1;
}

std::optional<QString> recordProblem(const QString &line)
{
    const QString digits = line.mid(1);
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (hexValue(digits.at(i)) < 0)
            return QStringLiteral("the character \"%1\" in column %2 is not a hexadecimal digit")
                .arg(digits.at(i)).arg(i + 2);
    }
    if (digits.size() % 2 != 0)
        return QStringLiteral("it has an odd number of hexadecimal digits (%1)").arg(digits.size());

    QList<int> bytes;
    for (qsizetype i = 0; i < digits.size(); i += 2)
        bytes.append(hexValue(digits.at(i)) * 16 + hexValue(digits.at(i + 1)));
    // Length, two address bytes, record type and checksum.
    constexpr int Frame = 5;
    if (bytes.size() < Frame)
        return QStringLiteral("it is too short for a record (%1 bytes, a record has at least %2)")
            .arg(bytes.size()).arg(Frame);
    const int carried = int(bytes.size()) - Frame;
    if (bytes.constFirst() != carried)
        return QStringLiteral("its length byte says %1 data bytes, it carries %2").arg(bytes.constFirst()).arg(carried);

    int sum = 0;
    for (qsizetype i = 0; i + 1 < bytes.size(); ++i)
        sum += bytes.at(i);
    const int needed = (0x100 - (sum & 0xFF)) & 0xFF;
    if (bytes.constLast() != needed)
        return QStringLiteral("its checksum is %1, its bytes need %2").arg(hex2(bytes.constLast()), hex2(needed));
    return std::nullopt;
}

std::optional<RecordFault> firstBadRecord(const QStringList &lines)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!lines.at(i).startsWith(QLatin1Char(':')))
            continue;
        if (const std::optional<QString> problem = recordProblem(lines.at(i)))
            return RecordFault{int(i) + 1, *problem};
    }
    return std::nullopt;
}

int percentAfter(int position, int maximum)
{
    if (maximum <= 0)
        return 1;
    return int(qint64(position) * 100 / maximum) + 1;
}

void DownloadTally::record(int lineNumber, bool acknowledged)
{
    ++m_sent;
    if (acknowledged)
        return;
    if (m_missed == 0)
        m_firstMissed = lineNumber;
    ++m_missed;
}

QString DownloadTally::resultLine() const
{
    if (allAcknowledged())
        return QStringLiteral("SUCCESS...");
    return QStringLiteral("FAILED: %1 OF %2 LINES NOT ACKNOWLEDGED (FIRST: LINE %3)")
        .arg(m_missed).arg(m_sent).arg(m_firstMissed);
}

} // namespace Firmware
