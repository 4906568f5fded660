#include "settings/profilefile.h"

#include <array>
#include <limits>
#include <utility>

namespace {

constexpr QByteArrayView ByteOrderMark("\xEF\xBB\xBF");

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v';
}

QByteArrayView trimBlanks(QByteArrayView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

// Names the program asks for lose their spaces only; tabs stay and then match nothing.
QByteArrayView trimSpaces(QByteArrayView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == ' ')
        ++begin;
    while (end > begin && text[end - 1] == ' ')
        --end;
    return text.sliced(begin, end - begin);
}

// The file is 8-bit text taken as Latin-1, so case folding covers the Latin-1 capitals
// as well as ASCII (0xD7, the multiplication sign, is not a letter).
constexpr std::array<char, 256> makeFoldTable()
{
    std::array<char, 256> table{};
    for (int i = 0; i < 256; ++i) {
        const bool upper = (i >= 'A' && i <= 'Z') || (i >= 0xC0 && i <= 0xDE && i != 0xD7);
        table[size_t(i)] = static_cast<char>(upper ? i + 0x20 : i);
    }
    return table;
}
constexpr std::array<char, 256> FoldTable = makeFoldTable();

QByteArray fold(QByteArrayView name)
{
    QByteArray folded(name.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < name.size(); ++i)
        folded[i] = FoldTable[static_cast<uchar>(name[i])];
    return folded;
}

enum class Kind { Other, Comment, Header, Key };

struct Parsed
{
    Kind kind = Kind::Other;
    QByteArrayView name;   // section name of a header, key name of a key line
    qsizetype equals = -1; // position of the first "=" of a key line
};

Parsed parseLine(QByteArrayView line)
{
    const QByteArrayView text = trimBlanks(line);
    if (text.isEmpty())
        return {};
    if (text.front() == ';')
        return {Kind::Comment, {}, -1};
    if (text.front() == '[') {
        QByteArrayView inside = text.sliced(1);
        const qsizetype close = inside.indexOf(']');
        if (close >= 0)
            inside = inside.first(close);
        return {Kind::Header, trimBlanks(inside), -1};
    }
    const qsizetype equals = line.indexOf('=');
    if (equals < 0)
        return {};
    return {Kind::Key, trimBlanks(line.first(equals)), equals};
}

QByteArrayView valueOf(QByteArrayView line, qsizetype equals)
{
    QByteArrayView value = trimBlanks(line.sliced(equals + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')
        && value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return value;
}

QByteArrayView lineEndBytes(int end)
{
    static constexpr std::array<QByteArrayView, 4> Ends{"", "\r\n", "\n", "\r"};
    return Ends[static_cast<size_t>(end)];
}

} // namespace

ProfileFile::ProfileFile(const QByteArray &content)
    : m_source(content)
{
    qsizetype pos = 0;
    if (m_source.startsWith(ByteOrderMark)) {
        m_byteOrderMark = true;
        pos = ByteOrderMark.size();
    }

    // -1 before the first section, -2 inside a repeated section (its keys are not seen).
    int current = -1;
    const qsizetype size = m_source.size();
    const char *data = m_source.constData();
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && data[end] != '\r' && data[end] != '\n')
            ++end;
        Line line;
        line.start = pos;
        line.length = end - pos;
        if (end == size) {
            pos = end;
        } else if (data[end] == '\n') {
            line.end = LineEnd::Lf;
            pos = end + 1;
        } else if (end + 1 < size && data[end + 1] == '\n') {
            line.end = LineEnd::CrLf;
            pos = end + 2;
        } else {
            line.end = LineEnd::Cr;
            pos = end + 1;
        }
        const int index = int(m_lines.size());
        if (m_last >= 0)
            m_lines[m_last].next = index;
        else
            m_first = index;
        m_last = index;
        m_lines.append(line);

        const Parsed parsed = parseLine(QByteArrayView(data + line.start, line.length));
        if (parsed.kind == Kind::Header) {
            const QByteArray name = fold(parsed.name);
            if (m_sectionIndex.contains(name)) {
                current = -2;
            } else {
                current = int(m_sections.size());
                m_sections.append(Section{index, -1, {}});
                m_sectionIndex.insert(name, current);
            }
        } else if (parsed.kind == Kind::Key && current >= 0) {
            Section &section = m_sections[current];
            section.lastKeyLine = index;
            QByteArray name = fold(parsed.name);
            if (!section.keys.contains(name))
                section.keys.insert(std::move(name), index);
        }
    }
}

QByteArrayView ProfileFile::lineText(int line) const
{
    const Line &l = m_lines[line];
    if (l.owned)
        return l.text;
    return QByteArrayView(m_source.constData() + l.start, l.length);
}

QByteArray ProfileFile::content() const
{
    if (!m_modified)
        return m_source;
    QByteArray out;
    qsizetype size = m_byteOrderMark ? ByteOrderMark.size() : 0;
    for (int i = m_first; i >= 0; i = m_lines[i].next)
        size += lineText(i).size() + 2;
    out.reserve(size);
    if (m_byteOrderMark)
        out.append(ByteOrderMark);
    for (int i = m_first; i >= 0; i = m_lines[i].next) {
        out.append(lineText(i));
        out.append(lineEndBytes(int(m_lines[i].end)));
    }
    return out;
}

std::optional<QByteArray> ProfileFile::value(QByteArrayView section, QByteArrayView key) const
{
    const auto s = m_sectionIndex.constFind(fold(trimSpaces(section)));
    if (s == m_sectionIndex.cend())
        return std::nullopt;
    const Section &sec = m_sections[*s];
    const auto k = sec.keys.constFind(fold(trimSpaces(key)));
    if (k == sec.keys.cend())
        return std::nullopt;
    const QByteArrayView text = lineText(*k);
    return valueOf(text, text.indexOf('=')).toByteArray();
}

int ProfileFile::appendLine(QByteArray text)
{
    Line line;
    line.text = std::move(text);
    line.owned = true;
    line.end = LineEnd::CrLf;
    m_lines.append(std::move(line));
    return int(m_lines.size() - 1);
}

void ProfileFile::linkAfter(int anchor, int line)
{
    Line &before = m_lines[anchor];
    // The anchor may be the file's last line without a line break; the new line must not
    // run on from it.
    if (before.end == LineEnd::None)
        before.end = LineEnd::CrLf;
    m_lines[line].next = before.next;
    before.next = line;
    if (m_last == anchor)
        m_last = line;
}

void ProfileFile::rewriteLine(int line, QByteArray text)
{
    Line &l = m_lines[line];
    l.text = std::move(text);
    l.owned = true;
    l.end = LineEnd::CrLf;
}

void ProfileFile::setValue(QByteArrayView section, QByteArrayView key, QByteArrayView value)
{
    Q_ASSERT(!key.contains('=') && !key.contains('\r') && !key.contains('\n'));
    Q_ASSERT(!section.contains(']') && !section.contains('\r') && !section.contains('\n'));
    Q_ASSERT(!trimBlanks(key).startsWith(';') && !trimBlanks(key).startsWith('['));

    const QByteArrayView sectionName = trimSpaces(section);
    const QByteArrayView keyName = trimSpaces(key);
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == '\r' || value[i] == '\n') {
            value = value.first(i);
            break;
        }
    }
    m_modified = true;

    const QByteArray foldedSection = fold(sectionName);
    const QByteArray foldedKey = fold(keyName);
    const auto s = m_sectionIndex.constFind(foldedSection);
    if (s == m_sectionIndex.cend()) {
        QByteArray header;
        header.reserve(sectionName.size() + 2);
        header.append('[').append(sectionName).append(']');
        const int headerLine = appendLine(std::move(header));
        if (m_last >= 0) {
            linkAfter(m_last, headerLine);
        } else {
            m_first = headerLine;
            m_last = headerLine;
        }
        const int keyLine = appendLine(QByteArray(keyName.toByteArray()).append('=').append(value));
        linkAfter(headerLine, keyLine);
        Section created{headerLine, keyLine, {}};
        created.keys.insert(foldedKey, keyLine);
        m_sectionIndex.insert(foldedSection, int(m_sections.size()));
        m_sections.append(std::move(created));
        return;
    }

    Section &sec = m_sections[*s];
    const auto k = sec.keys.constFind(foldedKey);
    if (k != sec.keys.cend()) {
        const int line = *k;
        const QByteArrayView text = lineText(line);
        const QByteArrayView spelled = trimBlanks(text.first(text.indexOf('=')));
        rewriteLine(line, spelled.toByteArray().append('=').append(value));
        return;
    }

    const int keyLine = appendLine(QByteArray(keyName.toByteArray()).append('=').append(value));
    linkAfter(sec.lastKeyLine >= 0 ? sec.lastKeyLine : sec.header, keyLine);
    sec.lastKeyLine = keyLine;
    sec.keys.insert(foldedKey, keyLine);
}

QList<QByteArray> ProfileFile::keys(QByteArrayView section) const
{
    QList<QByteArray> names;
    const auto s = m_sectionIndex.constFind(fold(trimSpaces(section)));
    if (s == m_sectionIndex.cend())
        return names;
    const Section &sec = m_sections[*s];
    // A name counts where its index entry points, so each name is listed once, at its
    // first occurrence.
    for (int i = m_lines[sec.header].next; i >= 0; i = m_lines[i].next) {
        const Parsed parsed = parseLine(lineText(i));
        if (parsed.kind == Kind::Header)
            break;
        if (parsed.kind == Kind::Key && sec.keys.value(fold(parsed.name), -1) == i)
            names.append(parsed.name.toByteArray());
    }
    return names;
}

namespace profile {

std::optional<int> parseInteger(QByteArrayView text)
{
    qsizetype pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    int base = 10;
    if (pos < text.size() && text[pos] == '$') {
        base = 16;
        ++pos;
    } else if (pos + 1 < text.size() && text[pos] == '0' && (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
        base = 16;
        pos += 2;
    }
    if (pos == text.size())
        return std::nullopt;

    // Accumulated in 64 bits; the limits below stop it long before that overflows.
    const quint64 limit = base == 16 ? 0xFFFFFFFFull
                                     : quint64(std::numeric_limits<int>::max()) + (negative ? 1 : 0);
    quint64 magnitude = 0;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        magnitude = magnitude * quint64(base) + quint64(digit);
        if (magnitude > limit)
            return std::nullopt;
    }
    // Two's complement wrap: hexadecimal "FFFFFFFF" is -1, and negating it gives 1.
    quint32 bits = quint32(magnitude);
    if (negative)
        bits = 0u - bits;
    return static_cast<int>(bits);
}

} // namespace profile
