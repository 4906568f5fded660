#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The two texts of one function key.
struct KeyText
{
    QString label;
    QString data;

    friend bool operator==(const KeyText &, const KeyText &) = default;
};

// The key-set file: the magic line, then a label line and a data line per key, then the
// set captions. Every text stands on one line as it is, an empty text as "(null)".
// An all-keys file holds the 1024 keys and 16 captions, a subset file the 64 keys of one set
// and its caption; nothing in a file tells the two apart.
namespace KeySetFile {

inline constexpr const char *Magic = "KELDAN_KEYS";
inline constexpr const char *EmptyText = "(null)";
inline constexpr const char *SaveTitle = "Keldan Save";
inline constexpr const char *OpenTitle = "Keldan Open";
// Names are case-sensitive here, so the filter offers both spellings of the extension.
inline constexpr const char *Filter = "Text files (*.txt *.TXT)";

struct AllKeys
{
    QList<KeyText> keys;    // 1024, key n at n - 1
    QStringList captions;   // 16, set 1 first
};

struct Subset
{
    QList<KeyText> keys;    // 64, key k at k - 1
    QString caption;
};

// What keeps the content from being written, for the operator: the first text that holds a
// line break (it would split into two lines and shift every later key), named by its key.
// Empty when every text fits. subsetSet is the set (0..15) the subset belongs to.
QString unsavableText(const AllKeys &content);
QString unsavableText(const Subset &content, int subsetSet);

// The file's bytes: UTF-8, every line ended by CR LF.
QByteArray encode(const AllKeys &content);
QByteArray encode(const Subset &content);

// The text lines after the first one, or nothing when the first line does not begin with
// the magic. Lines are taken whole, however long; a lone LF ends a line as CR LF does, and
// a carriage return inside a line is dropped.
// A file that is valid UTF-8 is read as UTF-8 (what this program writes), any other as
// Latin-1 (8-bit files of older tools).
std::optional<QStringList> textLines(const QByteArray &content);

// The keys in the order the lines hold them; lines missing at the end read as empty texts
// and "(null)" reads as the empty text.
AllKeys readAllKeys(const QStringList &lines);
Subset readSubset(const QStringList &lines);

} // namespace KeySetFile
