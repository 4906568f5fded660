#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The firmware file as the updater reads it, and the rules that take a type text from a
// file or from a board list entry. The records themselves are the loader's business; the
// updater checks them only so that a damaged file is noticed before a board is erased.
namespace Firmware {

// A file's text lines without their line ends (CR LF, LF or a lone CR). A line end at the
// very end of the file opens no further line, so the lines are the ones an editor numbers.
QStringList splitLines(const QByteArray &bytes);
// The file's lines, or nothing when it cannot be read.
std::optional<QStringList> readLines(const QString &path);

// A line beginning with ";" is a comment and never goes to the loader.
bool isComment(const QString &line);
// What goes on the line for a firmware line: its characters and a CR.
QByteArray lineBytes(const QString &line);

// "0" unless the first line carries "TYPE-"; then the upper-cased text after "TYPE-", up to
// the next "-" when there is one ("TYPE-ABCD-X" gives "ABCD").
QString fileType(const QStringList &lines);
// The type of a board list entry: the upper-cased text after "TYPE-" up to the next "-"
// (empty when no "-" follows); an entry without "TYPE-" is read from its fifth character.
QString boardType(const QString &entry);

// The index of the first line that is not a comment and cannot go out in one send of
// limit bytes together with its CR; -1 when every line fits.
int firstOverlongLine(const QStringList &lines, int limit);

// What is wrong with an Intel HEX record (a line beginning with ":"), or nothing when its
// digits, its length byte and its checksum agree.
std::optional<QString> recordProblem(const QString &line);
struct RecordFault
{
    int lineNumber = 0;   // counted from 1, as the file's lines are numbered in an editor
    QString problem;
};
// The first record of the file that fails the check. Lines that do not begin with ":"
// (the type line, empty lines, other text) are not records and are not checked.
std::optional<RecordFault> firstBadRecord(const QStringList &lines);

// The percentage Label117 shows after position lines of maximum have gone out: the whole
// part of position / maximum x 100, plus one, so the first line already shows 1%.
int percentAfter(int position, int maximum);

// Which sent lines the loader acknowledged. Line numbers count the file's lines from 1,
// comments included, as an editor numbers them, so the operator can find the line.
class DownloadTally
{
public:
    void record(int lineNumber, bool acknowledged);
    bool allAcknowledged() const { return m_missed == 0; }
    int sent() const { return m_sent; }
    int missed() const { return m_missed; }
    int firstMissedLine() const { return m_firstMissed; }
    // "SUCCESS..." when every sent line was acknowledged (also when none was sent), else
    // "FAILED: 3 OF 1200 LINES NOT ACKNOWLEDGED (FIRST: LINE 17)".
    QString resultLine() const;

private:
    int m_sent = 0;
    int m_missed = 0;
    int m_firstMissed = 0;
};

} // namespace Firmware
