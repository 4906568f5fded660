// The key-set file and what goes with it, headless: the key numbering of the tables and
// their exit save, the file's lines both ways, what a subset file does to an all-keys load,
// short and foreign files, the refusal of texts a line cannot hold, the key-file location
// kept in the settings and the "Current Key File:" display rule.

#include "testfiles.h"

#include "settings/settingsfile.h"
#include "terminal/functionkeys.h"
#include "terminal/keyfilelocation.h"
#include "terminal/keysetfile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

KeySetFile::AllKeys emptyAllKeys()
{
    KeySetFile::AllKeys content;
    for (int n = 1; n <= FunctionKeyTable::Keys; ++n)
        content.keys.append(KeyText());
    for (int set = 1; set <= FunctionKeyTable::Sets; ++set)
        content.captions.append(QString());
    return content;
}

KeySetFile::Subset emptySubset()
{
    KeySetFile::Subset content;
    for (int k = 1; k <= FunctionKeyTable::KeysPerSet; ++k)
        content.keys.append(KeyText());
    return content;
}

QStringList linesOf(const QByteArray &bytes)
{
    const std::optional<QStringList> lines = KeySetFile::textLines(bytes);
    if (!lines)
        qFatal("no magic line");
    return *lines;
}

} // namespace

class TestKeySetFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keyNumbering_data()
    {
        QTest::addColumn<int>("set");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("n");
        QTest::newRow("first key") << 0 << 1 << 1;
        QTest::newRow("last key of set 1") << 0 << 64 << 64;
        QTest::newRow("key 1 of set 2") << 1 << 1 << 65;
        QTest::newRow("key 13 of set 5") << 4 << 13 << 269;
        QTest::newRow("last key") << 15 << 64 << 1024;
    }
    void keyNumbering()
    {
        QFETCH(int, set);
        QFETCH(int, key);
        QFETCH(int, n);
        QCOMPARE(FunctionKeyTable::keyNumber(set, key), n);
    }

    // Only changed keys are written at exit, each under its own number.
    void exitSaveWritesChangedKeysUnderTheirNumbers()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("t.INI"));
        writeFile(ini, "[Tester]\r\nF2TEXT=kept\r\n");
        FunctionKeyTable keys;
        {
            const SettingsFile file(ini);
            keys.readKeys(file);
        }
        QCOMPARE(keys.label(2), QStringLiteral("kept"));
        keys.setKey(FunctionKeyTable::keyNumber(1, 1), QStringLiteral("S2K1"), QStringLiteral("L01~013"));
        SettingsFile file(ini);
        keys.writeChangedKeys(file);
        QCOMPARE(file.keysIn(QStringLiteral("Tester")),
                 (QStringList{"F2TEXT", "F65TEXT", "F65MACRO"}));
        QCOMPARE(file.readString(QStringLiteral("F65TEXT"), {}), QStringLiteral("S2K1"));
        QCOMPARE(file.readString(QStringLiteral("F65MACRO"), {}), QStringLiteral("L01~013"));
    }

    void writtenFilesLoadBack_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("readBack");
        QTest::newRow("plain") << QStringLiteral("L01[4]U~013") << QStringLiteral("L01[4]U~013");
        QTest::newRow("latin-1") << QStringLiteral("Temp\u00e9rature \u00b0C \u00b15 \u00ff")
                                 << QStringLiteral("Temp\u00e9rature \u00b0C \u00b15 \u00ff");
        QTest::newRow("beyond latin-1") << QStringLiteral("\u20ac \u03a9 \u65e5\u672c \U0001F600")
                                        << QStringLiteral("\u20ac \u03a9 \u65e5\u672c \U0001F600");
        const QString longText = QString(600, QLatin1Char('x')) + QStringLiteral("END");
        QTest::newRow("longer than 510") << longText << longText;
        QTest::newRow("blanks kept") << QStringLiteral("  two  ") << QStringLiteral("  two  ");
        // The file cannot tell the literal text from an empty one.
        QTest::newRow("literal (null)") << QStringLiteral("(null)") << QString();
        QTest::newRow("empty") << QString() << QString();
    }
    void writtenFilesLoadBack()
    {
        QFETCH(QString, text);
        QFETCH(QString, readBack);

        KeySetFile::AllKeys all = emptyAllKeys();
        all.keys[0] = {text, text};
        all.keys[FunctionKeyTable::keyNumber(1, 1) - 1] = {QStringLiteral("S2"), text};
        all.keys[FunctionKeyTable::Keys - 1] = {text, QStringLiteral("last")};
        all.captions[15] = text;
        const QByteArray written = KeySetFile::encode(all);
        const KeySetFile::AllKeys loaded = KeySetFile::readAllKeys(linesOf(written));
        QCOMPARE(loaded.keys.size(), FunctionKeyTable::Keys);
        QCOMPARE(loaded.keys.at(0), (KeyText{readBack, readBack}));
        QCOMPARE(loaded.keys.at(64), (KeyText{QStringLiteral("S2"), readBack}));
        QCOMPARE(loaded.keys.at(1023), (KeyText{readBack, QStringLiteral("last")}));
        QCOMPARE(loaded.captions.at(15), readBack);
        if (readBack == text)
            QCOMPARE(KeySetFile::encode(loaded), written);

        KeySetFile::Subset subset = emptySubset();
        subset.keys[63] = {text, text};
        subset.caption = text;
        const QByteArray subsetBytes = KeySetFile::encode(subset);
        const KeySetFile::Subset subsetLoaded = KeySetFile::readSubset(linesOf(subsetBytes));
        QCOMPARE(subsetLoaded.keys.at(63), (KeyText{readBack, readBack}));
        QCOMPARE(subsetLoaded.caption, readBack);
        if (readBack == text)
            QCOMPARE(KeySetFile::encode(subsetLoaded), subsetBytes);
    }

    void fileLayout()
    {
        KeySetFile::AllKeys all = emptyAllKeys();
        all.keys[1] = {QStringLiteral("K2"), QString()};
        all.captions[0] = QStringLiteral("MAIN");
        const QByteArray bytes = KeySetFile::encode(all);
        const QList<QByteArray> lines = bytes.split('\n');
        // 2065 lines, each ended by CR LF, so the split leaves one empty piece after them.
        QCOMPARE(lines.size(), 2066);
        QVERIFY(lines.constLast().isEmpty());
        QCOMPARE(lines.at(0), QByteArray("KELDAN_KEYS\r"));
        QCOMPARE(lines.at(1), QByteArray("(null)\r"));
        QCOMPARE(lines.at(3), QByteArray("K2\r"));
        QCOMPARE(lines.at(4), QByteArray("(null)\r"));
        QCOMPARE(lines.at(2049), QByteArray("MAIN\r"));
        QCOMPARE(lines.at(2064), QByteArray("(null)\r"));
        for (qsizetype i = 0; i < lines.size() - 1; ++i)
            QVERIFY(lines.at(i).endsWith('\r'));

        const QByteArray subsetBytes = KeySetFile::encode(emptySubset());
        QCOMPARE(subsetBytes.count('\n'), 130);
        QCOMPARE(subsetBytes.count("(null)\r\n"), 129);
    }

    // Nothing in a file tells the kinds apart: a subset file read as all keys shifts its
    // caption into the label of key 65 and leaves everything after it empty.
    void subsetFileLoadedAsAllKeys()
    {
        KeySetFile::Subset subset = emptySubset();
        for (int k = 1; k <= 64; ++k)
            subset.keys[k - 1] = {QStringLiteral("L%1").arg(k), QStringLiteral("D%1").arg(k)};
        subset.caption = QStringLiteral("BENCH");
        const KeySetFile::AllKeys loaded = KeySetFile::readAllKeys(linesOf(KeySetFile::encode(subset)));
        for (int k = 1; k <= 64; ++k)
            QCOMPARE(loaded.keys.at(k - 1), (KeyText{QStringLiteral("L%1").arg(k), QStringLiteral("D%1").arg(k)}));
        QCOMPARE(loaded.keys.at(64), (KeyText{QStringLiteral("BENCH"), QString()}));
        for (int n = 66; n <= 1024; ++n)
            QCOMPARE(loaded.keys.at(n - 1), KeyText());
        QCOMPARE(loaded.captions, QStringList(16, QString()));
    }

    void foreignAndShortFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("line feeds only") << QByteArray("KELDAN_KEYS\nA\nB\n") << true << QStringList{"A", "B"};
        QTest::newRow("last line unended, kept whole")
            << QByteArray("KELDAN_KEYS\r\nA\r\nBC") << true << QStringList{"A", "BC"};
        QTest::newRow("magic with more after it") << QByteArray("KELDAN_KEYS v2\r\nX\r\n") << true << QStringList{"X"};
        QTest::newRow("magic alone") << QByteArray("KELDAN_KEYS") << true << QStringList{};
        QTest::newRow("carriage return inside a line dropped")
            << QByteArray("KELDAN_KEYS\r\nA\rB\r\r\n") << true << QStringList{"AB"};
        QTest::newRow("empty lines kept") << QByteArray("KELDAN_KEYS\r\n\r\nB\r\n") << true << QStringList{"", "B"};
        QTest::newRow("8-bit Latin-1 file") << QByteArray("KELDAN_KEYS\r\nTemp\xe9rature\r\n") << true
                                            << QStringList{QStringLiteral("Temp\u00e9rature")};
        QTest::newRow("UTF-8 with byte-order mark")
            << QByteArray("\xef\xbb\xbfKELDAN_KEYS\r\n\xe2\x82\xac\r\n") << true << QStringList{QStringLiteral("\u20ac")};
        QTest::newRow("no magic") << QByteArray("KEYS\r\nA\r\n") << false << QStringList{};
        QTest::newRow("magic not at the start") << QByteArray(" KELDAN_KEYS\r\n") << false << QStringList{};
        QTest::newRow("empty file") << QByteArray() << false << QStringList{};
        QTest::newRow("magic on the second line") << QByteArray("\r\nKELDAN_KEYS\r\n") << false << QStringList{};
    }
    void foreignAndShortFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, accepted);
        QFETCH(QStringList, lines);
        const std::optional<QStringList> read = KeySetFile::textLines(bytes);
        QCOMPARE(read.has_value(), accepted);
        if (accepted)
            QCOMPARE(*read, lines);
    }

    void shortFileFillsTheRestWithEmptyTexts()
    {
        const QStringList lines = linesOf("KELDAN_KEYS\r\nL1\r\nD1\r\nL2\r\n");
        const KeySetFile::AllKeys all = KeySetFile::readAllKeys(lines);
        QCOMPARE(all.keys.size(), 1024);
        QCOMPARE(all.keys.at(0), (KeyText{"L1", "D1"}));
        QCOMPARE(all.keys.at(1), (KeyText{"L2", QString()}));
        QCOMPARE(all.keys.at(2), KeyText());
        QCOMPARE(all.captions, QStringList(16, QString()));
        const KeySetFile::Subset subset = KeySetFile::readSubset(lines);
        QCOMPARE(subset.keys.size(), 64);
        QCOMPARE(subset.keys.at(1), (KeyText{"L2", QString()}));
        QCOMPARE(subset.caption, QString());
    }

    void textsWithLineBreaksAreRefusedByName_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<bool>("inLabel");
        QTest::addColumn<QString>("breakChars");
        QTest::addColumn<QString>("named");
        QTest::newRow("data of key 67") << 67 << false << QStringLiteral("\n") << QStringLiteral("The data of key F3 of set 2 (key 67)");
        QTest::newRow("label of key 1, CR") << 1 << true << QStringLiteral("\r") << QStringLiteral("The label of key F1 of set 1 (key 1)");
        QTest::newRow("label of the last key") << 1024 << true << QStringLiteral("\r\n")
                                               << QStringLiteral("The label of key F64 of set 16 (key 1024)");
    }
    void textsWithLineBreaksAreRefusedByName()
    {
        QFETCH(int, n);
        QFETCH(bool, inLabel);
        QFETCH(QString, breakChars);
        QFETCH(QString, named);
        KeySetFile::AllKeys all = emptyAllKeys();
        QCOMPARE(KeySetFile::unsavableText(all), QString());
        const QString text = QStringLiteral("A") + breakChars + QStringLiteral("B");
        (inLabel ? all.keys[n - 1].label : all.keys[n - 1].data) = text;
        const QString refusal = KeySetFile::unsavableText(all);
        QVERIFY2(refusal.startsWith(named + QStringLiteral(" holds a line break")), qPrintable(refusal));

        // The same key saved as a subset of its own set.
        const int set = (n - 1) / 64;
        KeySetFile::Subset subset = emptySubset();
        subset.keys = all.keys.mid(set * 64, 64);
        QVERIFY2(KeySetFile::unsavableText(subset, set).startsWith(named), qPrintable(KeySetFile::unsavableText(subset, set)));
    }

    void captionsWithLineBreaksAreRefused()
    {
        KeySetFile::AllKeys all = emptyAllKeys();
        all.captions[4] = QStringLiteral("A\nB");
        QVERIFY(KeySetFile::unsavableText(all).startsWith(QStringLiteral("The caption of set 5 holds a line break")));
        KeySetFile::Subset subset = emptySubset();
        subset.caption = QStringLiteral("A\rB");
        QVERIFY(KeySetFile::unsavableText(subset, 6).startsWith(QStringLiteral("The caption of set 7 holds")));
    }

    void storedLocationsOnThisMachine_data()
    {
        QTest::addColumn<QString>("drive");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("folderPath");
        QTest::addColumn<QString>("path");
        QTest::newRow("defaults: a drive letter is the home folder")
            << "c:" << "\\" << "*.txt" << "/home/op" << "/home/op/*.txt";
        QTest::newRow("backslash folder under a drive letter")
            << "C:" << "\\keys\\bench\\" << "a.txt" << "/home/op/keys/bench" << "/home/op/keys/bench/a.txt";
        QTest::newRow("root drive") << "" << "/srv/keys/" << "k.txt" << "/srv/keys" << "/srv/keys/k.txt";
        QTest::newRow("mounted drive") << "/media/usb" << "/sets/" << "k.TXT" << "/media/usb/sets" << "/media/usb/sets/k.TXT";
        QTest::newRow("folder missing its separators") << "/media/usb" << "sets" << "k.txt" << "/media/usb/sets"
                                                       << "/media/usb/sets/k.txt";
    }
    void storedLocationsOnThisMachine()
    {
        QFETCH(QString, drive);
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(QString, folderPath);
        QFETCH(QString, path);
        const KeyFileLocation location{drive, folder, name};
        QCOMPARE(location.folderPath(QStringLiteral("/home/op")), folderPath);
        QCOMPARE(location.path(QStringLiteral("/home/op")), path);
    }

    void chosenPathsSplitByDrive_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("drive");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::newRow("under the home folder") << "/home/op/keys/a.txt" << "/home/op" << "/keys/" << "a.txt";
        QTest::newRow("in the home folder") << "/home/op/a.txt" << "/home/op" << "/" << "a.txt";
        QTest::newRow("on the root") << "/srv/keys/a.txt" << "" << "/srv/keys/" << "a.txt";
        QTest::newRow("on a mounted device") << "/media/usb/a.txt" << "/media/usb" << "/" << "a.txt";
        QTest::newRow("a name that only starts like a drive") << "/home/operator/a.txt" << "" << "/home/operator/" << "a.txt";
        QTest::newRow("unclean path") << "/home/op//keys/../sets/b.txt" << "/home/op" << "/sets/" << "b.txt";
    }
    void chosenPathsSplitByDrive()
    {
        QFETCH(QString, path);
        QFETCH(QString, drive);
        QFETCH(QString, folder);
        QFETCH(QString, name);
        const QStringList drives{"/", "/home/op", "/media/usb/"};
        const KeyFileLocation location = KeyFileLocation::fromPath(path, drives);
        QCOMPARE(location.drive, drive);
        QCOMPARE(location.folder, folder);
        QCOMPARE(location.name, name);
        // What the settings keep names the same file again.
        QCOMPARE(location.path(QStringLiteral("/elsewhere")), QDir::cleanPath(path));
    }

    void displayRule_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("shortened");
        QTest::newRow("49 characters") << 49 << false;
        QTest::newRow("50 characters") << 50 << true;
        QTest::newRow("60 characters") << 60 << true;
        QTest::newRow("short") << 20 << false;
    }
    void displayRule()
    {
        QFETCH(int, length);
        QFETCH(bool, shortened);
        QString path = QStringLiteral("/home/op/keys/");
        for (int i = 0; path.size() < length - 4; ++i)
            path += QChar(u'a' + i % 26);
        path += QStringLiteral(".txt");
        QCOMPARE(path.size(), length);
        const QString shown = shownKeyFile(path);
        if (!shortened) {
            QCOMPARE(shown, path);
            return;
        }
        QCOMPARE(shown, QStringLiteral("...") + path.right(50));
        QCOMPARE(shown.size(), 53);
        if (length == 60)
            QCOMPARE(shown, QStringLiteral("...") + path.mid(10));
    }
};

QTEST_GUILESS_MAIN(TestKeySetFile)
#include "tst_keysetfile.moc"
