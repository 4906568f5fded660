#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>

#include <optional>

// A Windows profile ("INI") file held as its bytes, read and edited by the rules of the
// Windows profile functions, so that a file this code writes stays a file those functions
// read the same way, and the other way round. No I/O here: SettingsFile does that.
//
// Reading:
//  - section and key names match without regard to letter case (Latin-1 letters);
//  - only the first section of a name is seen, and within it the first of two equal keys;
//  - on a line, blanks (space, tab, vertical tab) around names and values are ignored, a
//    section header ends at its first "]", and a value is everything after the first "="
//    with blanks trimmed and then one pair of matching quotes ('…' or "…") removed;
//  - a line whose first non-blank character is ";" is a comment; "#" is ordinary text and
//    there are no comments at the end of a line;
//  - lines end in CR LF, LF or CR.
// Writing edits lines in place: every line a write does not touch keeps its bytes. An
// updated key keeps the spelling it has in the file; a new key goes right after the last
// key line of its section; a new section goes at the end. Written lines are "key=value"
// followed by CR LF.
//
// Unlike Windows, a UTF-8 byte-order mark at the start is recognised (Windows would take
// it as part of the first line and miss the first section) and kept when the file is
// written back.
//
// Values are whole, however long: nothing is cut to a buffer size.
//
// Parsing is done once, into lines and an index of sections and keys, so reading or
// writing a key costs a hash look-up whatever the size of the file.
class ProfileFile
{
public:
    ProfileFile() = default;
    explicit ProfileFile(const QByteArray &content);

    // The file's bytes with every write applied.
    QByteArray content() const;
    bool hasByteOrderMark() const { return m_byteOrderMark; }
    bool isModified() const { return m_modified; }

    // The value of a key, or nothing when the section or the key is absent. An existing
    // key with an empty value gives an empty (not absent) value. Spaces around the names
    // asked for are ignored.
    std::optional<QByteArray> value(QByteArrayView section, QByteArrayView key) const;

    // Sets a key, creating it and its section when absent. The value is written as given;
    // a line break in it would end the line and turn the rest into lines of their own, so
    // the value is cut at its first CR or LF (what a reader would see of it in any case).
    // Key names must not hold "=", CR or LF, nor start with ";" or "[", and section names
    // must not hold "]", CR or LF: such a name could not be read back.
    void setValue(QByteArrayView section, QByteArrayView key, QByteArrayView value);

    // Key names of a section as spelled in the file, in file order, each name once.
    QList<QByteArray> keys(QByteArrayView section) const;

private:
    enum class LineEnd : quint8 { None, CrLf, Lf, Cr };

    struct Line
    {
        // The text lies in m_source until the line is written, then in `text`.
        qsizetype start = 0;
        qsizetype length = 0;
        QByteArray text;
        bool owned = false;
        LineEnd end = LineEnd::None;
        // Lines form a linked list so that inserting one does not shift the indices
        // that the section and key tables hold.
        int next = -1;
    };

    struct Section
    {
        int header = -1;
        int lastKeyLine = -1;                 // -1 while the section has no key line
        QHash<QByteArray, int> keys;          // folded name -> line of its first occurrence
    };

    QByteArrayView lineText(int line) const;
    int appendLine(QByteArray text);          // new line, not yet linked
    void linkAfter(int anchor, int line);
    void rewriteLine(int line, QByteArray text);

    QByteArray m_source;
    bool m_byteOrderMark = false;
    bool m_modified = false;
    QList<Line> m_lines;
    int m_first = -1;
    int m_last = -1;
    QList<Section> m_sections;
    QHash<QByteArray, int> m_sectionIndex;    // folded name -> first section of that name
};

namespace profile {

// The integer reader of the profile functions, applied to a value as value() returns it:
// an optional sign, then decimal digits, or "$" / "0x" / "0X" and hexadecimal digits, and
// nothing else. Hexadecimal takes up to 32 bits and wraps into an int as the Windows
// reader does ("$FFFFFFFF" is -1); decimal must fit an int. Anything else gives nothing.
std::optional<int> parseInteger(QByteArrayView text);

} // namespace profile
