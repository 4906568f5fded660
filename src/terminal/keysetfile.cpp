#include "terminal/keysetfile.h"

#include "terminal/functionkeys.h"

#include <QStringDecoder>

namespace KeySetFile {

namespace {

bool breaksLine(const QString &text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

QString refusal(const QString &what)
{
    return QStringLiteral("%1 holds a line break, which a key file cannot keep on one line. "
                          "Nothing was saved.")
        .arg(what);
}

QString keyRefusal(const KeyText &key, int set, int k)
{
    const QString part = breaksLine(key.label) ? QStringLiteral("label") : QStringLiteral("data");
    return refusal(QStringLiteral("The %1 of key F%2 of set %3 (key %4)")
                       .arg(part)
                       .arg(k)
                       .arg(set + 1)
                       .arg(FunctionKeyTable::keyNumber(set, k)));
}

bool keyBreaksLine(const KeyText &key)
{
    return breaksLine(key.label) || breaksLine(key.data);
}

class LineWriter
{
public:
    LineWriter() { append(QString::fromLatin1(Magic)); }

    void append(const QString &text)
    {
        m_bytes += text.isEmpty() ? QByteArray(EmptyText) : text.toUtf8();
        m_bytes += "\r\n";
    }
    void append(const KeyText &key)
    {
        append(key.label);
        append(key.data);
    }
    QByteArray bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

class LineReader
{
public:
    explicit LineReader(const QStringList &lines) : m_lines(lines) {}

    QString next()
    {
        if (m_next >= m_lines.size())
            return {};
        const QString line = m_lines.at(m_next++);
        return line == QLatin1String(EmptyText) ? QString() : line;
    }
    KeyText nextKey()
    {
        KeyText key;
        key.label = next();
        key.data = next();
        return key;
    }

private:
    const QStringList &m_lines;
    qsizetype m_next = 0;
};

QString decode(const QByteArray &content)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(content);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(content);
}

} // namespace

QString unsavableText(const AllKeys &content)
{
    for (qsizetype i = 0; i < content.keys.size(); ++i) {
        if (keyBreaksLine(content.keys.at(i))) {
            const int n = int(i) + 1;
            const int set = (n - 1) / FunctionKeyTable::KeysPerSet;
            return keyRefusal(content.keys.at(i), set, (n - 1) % FunctionKeyTable::KeysPerSet + 1);
        }
    }
    for (qsizetype i = 0; i < content.captions.size(); ++i) {
        if (breaksLine(content.captions.at(i)))
            return refusal(QStringLiteral("The caption of set %1").arg(i + 1));
    }
    return {};
}

QString unsavableText(const Subset &content, int subsetSet)
{
    for (qsizetype i = 0; i < content.keys.size(); ++i) {
        if (keyBreaksLine(content.keys.at(i)))
            return keyRefusal(content.keys.at(i), subsetSet, int(i) + 1);
    }
    if (breaksLine(content.caption))
        return refusal(QStringLiteral("The caption of set %1").arg(subsetSet + 1));
    return {};
}

QByteArray encode(const AllKeys &content)
{
    LineWriter writer;
    for (const KeyText &key : content.keys)
        writer.append(key);
    for (const QString &caption : content.captions)
        writer.append(caption);
    return writer.bytes();
}

QByteArray encode(const Subset &content)
{
    LineWriter writer;
    for (const KeyText &key : content.keys)
        writer.append(key);
    writer.append(content.caption);
    return writer.bytes();
}

std::optional<QStringList> textLines(const QByteArray &content)
{
    QStringList lines = decode(content).split(QLatin1Char('\n'));
    // The break that ends the last line opens no line of its own.
    if (lines.size() > 1 && lines.constLast().isEmpty())
        lines.removeLast();
    // A carriage return left inside a line would end the line of the settings file the key
    // is saved to at exit; a macro sends one as ~013, so no text needs it raw.
    for (QString &line : lines)
        line.remove(QLatin1Char('\r'));
    if (!lines.constFirst().startsWith(QLatin1String(Magic)))
        return std::nullopt;
    lines.removeFirst();
    return lines;
}

AllKeys readAllKeys(const QStringList &lines)
{
    LineReader reader(lines);
    AllKeys content;
    for (int n = 1; n <= FunctionKeyTable::Keys; ++n)
        content.keys.append(reader.nextKey());
    for (int set = 1; set <= FunctionKeyTable::Sets; ++set)
        content.captions.append(reader.next());
    return content;
}

Subset readSubset(const QStringList &lines)
{
    LineReader reader(lines);
    Subset content;
    for (int k = 1; k <= FunctionKeyTable::KeysPerSet; ++k)
        content.keys.append(reader.nextKey());
    content.caption = reader.next();
    return content;
}

} // namespace KeySetFile
