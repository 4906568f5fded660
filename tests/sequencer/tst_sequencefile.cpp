// The sequence file: reading rules, writing, backups and the atomic replacement.

#include "sequencer/sequencefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Step
{
    QString time, command, next;
};

Sequence sequenceOf(const QList<Step> &steps)
{
    Sequence s;
    for (const Step &step : steps)
        s.append(step.time, step.command, step.next);
    return s;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// One row per step: "index|time|command|next|response".
QStringList rowsOf(const Sequence &s)
{
    QStringList rows;
    for (int i = 0; i < s.size(); ++i)
        rows << QStringList{s.EvIndex.at(i), s.EvTime.at(i), s.EvCommand.at(i), s.EvNextSeq.at(i), s.ResponseLB.at(i)}
                    .join(u'|');
    return rows;
}

} // namespace

class TestSequenceFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void writesFourQuotedFieldsABlankAndCrLfPerStep()
    {
        Sequence s = sequenceOf({{"100", "L01", "2"}, {"250", "", "3"}, {"0", "AB;note;[4]", "1"}});
        s.ResponseLB[0] = QStringLiteral("never saved");
        QCOMPARE(SequenceFile::format(s), QByteArray("\"1\" \"100\" \"L01\" \"2\" \r\n"
                                                     "\"2\" \"250\" \"\" \"3\" \r\n"
                                                     "\"3\" \"0\" \"AB;note;[4]\" \"1\" \r\n"));
    }

    void readsByTheReadingRules_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("steps");

        QTest::newRow("step numbers are regenerated")
            << QByteArray("\"7\" \"10\" \"A\" \"2\" \r\n\"3\" \"20\" \"B\" \"3\" \r\n\"9\" \"30\" \"C\" \"1\" \r\n")
            << QStringList{"1|10|A|2| ", "2|20|B|3| ", "3|30|C|1| "};
        QTest::newRow("eight fields on a line make two steps")
            << QByteArray("\"1\" \"10\" \"A\" \"2\" \"2\" \"20\" \"B\" \"1\" \r\n")
            << QStringList{"1|10|A|2| ", "2|20|B|1| "};
        QTest::newRow("text outside the quotes is dropped")
            << QByteArray("step one: \"1\"=\"100\",\"L01\" -> \"2\" remark after the fourth\r\n")
            << QStringList{"1|100|L01|2| "};
        QTest::newRow("an empty command") << QByteArray("\"1\" \"5\" \"\" \"2\" \r\n") << QStringList{"1|5||2| "};
        QTest::newRow("blank lines and LF-only line ends")
            << QByteArray("\n\"1\" \"5\" \"X\" \"2\" \n\r\n\n\"2\" \"6\" \"Y\" \"1\"") << QStringList{"1|5|X|2| ", "2|6|Y|1| "};
        QTest::newRow("comment and escape notation are plain text")
            << QByteArray("\"1\" \"0\" \"~013;not sent;{TS=5}[C(2,EQ,OK,1,1)]\" \"1\" \r\n")
            << QStringList{"1|0|~013;not sent;{TS=5}[C(2,EQ,OK,1,1)]|1| "};
        QTest::newRow("fields are counted per line")
            << QByteArray("\"1\" \"10\"\r\n\"2\" \"20\" \"B\" \"3\" \r\n")
            << QStringList{"1|10||2| ", "2|20|B|3| "};
        QTest::newRow("a line of one field keeps its step whole")
            << QByteArray("\"remark\"\r\n") << QStringList{"1|0||2| "};
        QTest::newRow("an unclosed quote runs to the end of the line")
            << QByteArray("\"1\" \"10\" \"L01 ~013\r\n") << QStringList{"1|10|L01 ~013|2| "};
        QTest::newRow("a quote that ends the line opens nothing")
            << QByteArray("\"1\" \"10\" \"A\" \"2\" \"\r\n") << QStringList{"1|10|A|2| "};
        QTest::newRow("bytes above 0x7F are kept")
            << QByteArray("\"1\" \"10\" \"\xB0\xE9\" \"2\" \r\n") << QStringList{QString::fromLatin1("1|10|\xB0\xE9|2| ")};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
    }

    void readsByTheReadingRules()
    {
        QFETCH(QByteArray, file);
        const Sequence s = SequenceFile::parse(file);
        QTEST(rowsOf(s), "steps");
        // The five lists always stay of equal length.
        QCOMPARE(s.EvIndex.size(), s.EvCommand.size());
        QCOMPARE(s.EvTime.size(), s.EvCommand.size());
        QCOMPARE(s.EvNextSeq.size(), s.EvCommand.size());
        QCOMPARE(s.ResponseLB.size(), s.EvCommand.size());
    }

    void aLongLineIsReadWhole()
    {
        const QString command = QStringLiteral("L01") + QString(290, u'A') + QStringLiteral("~013");
        const Sequence s = sequenceOf({{"100", command, "2"}, {"50", "tail", "1"}});
        const QByteArray text = SequenceFile::format(s);
        QVERIFY(text.indexOf("\r\n") > 300);
        const Sequence back = SequenceFile::parse(text);
        QCOMPARE(back.EvCommand, QStringList({command, QStringLiteral("tail")}));
        QCOMPARE(back.EvNextSeq, QStringList({"2", "1"}));
    }

    void filesWrittenLoadBackIdentically()
    {
        Sequence s = sequenceOf({{"100", "L01$[4]#[4]", "2"},
                                 {"0", "", "3"},
                                 {"250", "[C(2,EQ,OK,5,6)];check;", "4"},
                                 {"10", QString::fromLatin1("~255\xFF{BR=19200}"), "99"},
                                 {"-5", "  spaced  ", "0"}});
        const QString path = m_dir.filePath(QStringLiteral("roundtrip.txt"));
        const SequenceFile::SaveResult saved = SequenceFile::save(path, s);
        QVERIFY2(saved.ok, qPrintable(saved.error));
        const std::optional<Sequence> back = SequenceFile::load(path);
        QVERIFY(back);
        QCOMPARE(*back, s);
        // And the bytes: a second save of what was loaded writes the same file.
        const QByteArray first = readAll(path);
        QVERIFY(SequenceFile::save(path, *back).ok);
        QCOMPARE(readAll(path), first);
    }

    void handWrittenExtrasDisappearOnTheNextSave()
    {
        const QString path = m_dir.filePath(QStringLiteral("extras.txt"));
        writeAll(path, "# my sequence\r\n\"4\" \"100\" \"L01\" \"2\"  <- address the board\r\n");
        const std::optional<Sequence> s = SequenceFile::load(path);
        QVERIFY(s);
        QVERIFY(SequenceFile::save(path, *s).ok);
        QCOMPARE(readAll(path), QByteArray("\"1\" \"100\" \"L01\" \"2\" \r\n"));
    }

    void aFileThatCannotBeReadLoadsNothing()
    {
        QVERIFY(!SequenceFile::load(m_dir.filePath(QStringLiteral("absent.txt"))));
    }

    void theBackupLiesBesideTheFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("backup");
        QTest::newRow("extension replaced") << "seq.txt" << "seq.BAK";
        QTest::newRow("last extension only") << "my.seq.txt" << "my.seq.BAK";
        QTest::newRow("no extension") << "plain" << "plain.BAK";
        QTest::newRow("already a backup name") << "old.BAK" << "old.BAK.BAK";
    }

    void theBackupLiesBesideTheFile()
    {
        QFETCH(QString, name);
        QFETCH(QString, backup);
        const QString path = QStringLiteral("/some/folder/") + name;
        QCOMPARE(FileReplace::backupPath(path), QStringLiteral("/some/folder/") + backup);
    }

    void overwritingKeepsThePreviousVersionAsBackup()
    {
        // Saved from another current folder: the backup still goes beside the file.
        const QString folder = m_dir.filePath(QStringLiteral("saves"));
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + QStringLiteral("/run.txt");
        const QString backup = folder + QStringLiteral("/run.BAK");
        const QString elsewhere = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir.path()));

        QVERIFY(SequenceFile::save(path, sequenceOf({{"1", "first", "1"}})).ok);
        QVERIFY(!QFileInfo::exists(backup));
        const QByteArray first = readAll(path);

        QVERIFY(SequenceFile::save(path, sequenceOf({{"2", "second", "1"}})).ok);
        QCOMPARE(readAll(backup), first);
        const QByteArray second = readAll(path);

        // An older backup is replaced, so the version just overwritten is the one kept.
        QVERIFY(SequenceFile::save(path, sequenceOf({{"3", "third", "1"}})).ok);
        QCOMPARE(readAll(backup), second);
        QVERIFY(readAll(path).contains("third"));
        QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("run.BAK"))));
        QVERIFY(QDir::setCurrent(elsewhere));
    }

    void theNewFileReplacesTheOldOneAtomically()
    {
        const QString path = m_dir.filePath(QStringLiteral("atomic.txt"));
        QVERIFY(SequenceFile::save(path, sequenceOf({{"1", "old", "1"}})).ok);
        const QByteArray old = readAll(path);
        // A second name for the old file: a file rewritten in place would change under it
        // too; one replaced by a complete new file leaves it as it was.
        const QString other = m_dir.filePath(QStringLiteral("atomic-link.txt"));
        QCOMPARE(::link(QFile::encodeName(path).constData(), QFile::encodeName(other).constData()), 0);

        QVERIFY(SequenceFile::save(path, sequenceOf({{"1", "new", "1"}})).ok);
        QCOMPARE(readAll(other), old);
        QVERIFY(readAll(path).contains("new"));
    }

    void aSaveThatCannotBeMadeChangesNothing_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("backupBlocked");
        QTest::addColumn<QString>("errorHas");
        QTest::newRow("a double quote in a command") << "say \"hi\"" << false << "Step 2";
        QTest::newRow("a line break in a command") << "two\nlines" << false << "Step 2";
        QTest::newRow("the backup cannot be written") << "fine" << true << ".BAK";
    }

    void aSaveThatCannotBeMadeChangesNothing()
    {
        QFETCH(QString, command);
        QFETCH(bool, backupBlocked);
        QFETCH(QString, errorHas);
        const QString path = m_dir.filePath(QStringLiteral("kept.txt"));
        const QString backup = m_dir.filePath(QStringLiteral("kept.BAK"));
        QDir(backup).removeRecursively();
        QFile::remove(backup);
        writeAll(path, "\"1\" \"1\" \"original\" \"1\" \r\n");
        if (backupBlocked)
            QVERIFY(QDir().mkpath(backup + QStringLiteral("/occupied")));

        const SequenceFile::SaveResult result
            = SequenceFile::save(path, sequenceOf({{"1", "ok", "2"}, {"1", command, "1"}}));
        QVERIFY(!result.ok);
        QVERIFY2(result.error.contains(errorHas), qPrintable(result.error));
        QCOMPARE(readAll(path), QByteArray("\"1\" \"1\" \"original\" \"1\" \r\n"));
        QDir(backup).removeRecursively();
    }

    void aFolderThatCannotTakeTheFileFailsTheSave()
    {
        const SequenceFile::SaveResult result
            = SequenceFile::save(m_dir.filePath(QStringLiteral("no/such/folder/x.txt")), sequenceOf({{"1", "A", "1"}}));
        QVERIFY(!result.ok);
        QVERIFY(result.error.contains(QLatin1String("could not be written")));
    }

    void theOverwriteQuestion()
    {
        QCOMPARE(FileReplace::overwriteQuestion(QStringLiteral("/home/op/seq.txt")),
                 QStringLiteral("Are you sure you want to overwrite the file? \n(/home/op/seq.txt)"));
        QCOMPARE(QString::fromLatin1(FileReplace::OverwriteTitle), QStringLiteral("File Exists"));
    }
};

QTEST_GUILESS_MAIN(TestSequenceFile)
#include "tst_sequencefile.moc"
