#include "sequencer/sequencefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

constexpr char Quote = '"';

// The step a line is filling, field by field.
class StepReader
{
public:
    explicit StepReader(Sequence &sequence) : m_sequence(sequence) {}

    void field(const QByteArray &text)
    {
        m_fields.append(QString::fromLatin1(text));
        if (m_fields.size() == 4)
            finish();
    }

    // The end of a line: a step it began keeps what it has.
    void endOfLine()
    {
        if (!m_fields.isEmpty())
            finish();
    }

private:
    void finish()
    {
        const int number = m_sequence.size() + 1;
        const QString delay = m_fields.size() > 1 ? m_fields.at(1) : QStringLiteral("0");
        const QString command = m_fields.value(2);
        const QString next = m_fields.size() > 3 ? m_fields.at(3) : QString::number(number + 1);
        m_sequence.append(delay, command, next);
        m_fields.clear();
    }

    Sequence &m_sequence;
    QStringList m_fields;
};

void readLine(QByteArrayView line, StepReader &reader)
{
    qsizetype i = 0;
    while (i < line.size()) {
        if (line.at(i) != Quote || i + 1 >= line.size()) {
            ++i;
            continue;
        }
        const qsizetype close = line.indexOf(Quote, i + 1);
        const qsizetype end = close < 0 ? line.size() : close;
        reader.field(line.sliced(i + 1, end - i - 1).toByteArray());
        i = end + 1;
    }
    reader.endOfLine();
}

bool holdsUnsavable(const QString &field)
{
    return field.contains(QLatin1Char(Quote)) || field.contains(u'\n') || field.contains(u'\r');
}

} // namespace

namespace SequenceFile {

Sequence parse(const QByteArray &content)
{
    Sequence sequence;
    StepReader reader(sequence);
    qsizetype start = 0;
    while (start < content.size()) {
        qsizetype end = content.indexOf('\n', start);
        if (end < 0)
            end = content.size();
        QByteArrayView line = QByteArrayView(content).sliced(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        readLine(line, reader);
        start = end + 1;
    }
    return sequence;
}

QByteArray format(const Sequence &sequence)
{
    QByteArray out;
    for (int i = 0; i < sequence.size(); ++i) {
        const QString fields[] = {sequence.EvIndex.value(i), sequence.EvTime.value(i), sequence.EvCommand.value(i),
                                  sequence.EvNextSeq.value(i)};
        for (const QString &field : fields)
            out += Quote + field.toLatin1() + Quote + ' ';
        out += "\r\n";
    }
    return out;
}

int firstUnsavableStep(const Sequence &sequence)
{
    for (int i = 0; i < sequence.size(); ++i) {
        if (holdsUnsavable(sequence.EvIndex.value(i)) || holdsUnsavable(sequence.EvTime.value(i))
            || holdsUnsavable(sequence.EvCommand.value(i)) || holdsUnsavable(sequence.EvNextSeq.value(i)))
            return i;
    }
    return -1;
}

std::optional<Sequence> load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return parse(file.readAll());
}

SaveResult save(const QString &path, const Sequence &sequence)
{
    SaveResult result;
    if (const int step = firstUnsavableStep(sequence); step >= 0) {
        result.error = QStringLiteral("Step %1 holds a double quote or a line break, which a sequence file cannot "
                                      "hold. Write a double quote as an escape (~034) and save again.")
                           .arg(step + 1);
        return result;
    }
    return FileReplace::writeWithBackup(path, format(sequence));
}

} // namespace SequenceFile
