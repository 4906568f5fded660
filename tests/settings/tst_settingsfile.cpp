#include "settings/settingsfile.h"
#include "settings/settingskeys.h"
#include "settings/settingslocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

private slots:
    void typedReads_data();
    void typedReads();
    void emptyValueIsNotDefault();
    void latin1BytesRoundTrip();
    void longValuesReadBackWhole_data();
    void longValuesReadBackWhole();
    void keyTableRoundTrip();
    void keyConstantsAreListed();
    void editsOnlyWhatIsWritten();
    void createsMissingFile();
    void readOnlyFileRefused();
    void missingFolderRefused();
    void unreadablePathNotReplaced();
    void commitReplacesByRename();
    void failedWriteLeavesOldFile();
    void location_data();
    void location();
    void packagedLocation_data();
    void packagedLocation();
};

void TestSettingsFile::typedReads_data()
{
    QTest::addColumn<QByteArray>("line"); // the key's line in [Tester], empty for no line
    QTest::addColumn<bool>("asBool");
    QTest::addColumn<int>("def");
    QTest::addColumn<int>("expected");

    QTest::newRow("absent integer") << QByteArray() << false << 34952 << 34952;
    QTest::newRow("0x hex") << QByteArray("K=0x1F") << false << 5 << 31;
    QTest::newRow("$ hex") << QByteArray("K=$1F") << false << 5 << 31;
    QTest::newRow("blanks and quotes") << QByteArray("K = \"12\" ") << false << 5 << 12;
    QTest::newRow("empty integer") << QByteArray("K=") << false << 5 << 5;
    QTest::newRow("text integer") << QByteArray("K=twelve") << false << 5 << 5;
    QTest::newRow("absent boolean") << QByteArray() << true << 1 << 1;
    QTest::newRow("0 is false") << QByteArray("K=0") << true << 1 << 0;
    QTest::newRow("2 is true") << QByteArray("K=2") << true << 0 << 1;
    QTest::newRow("-1 is true") << QByteArray("K=-1") << true << 0 << 1;
    QTest::newRow("yes gives default true") << QByteArray("K=yes") << true << 1 << 1;
    QTest::newRow("yes gives default false") << QByteArray("K=yes") << true << 0 << 0;
}

void TestSettingsFile::typedReads()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, asBool);
    QFETCH(int, def);
    QFETCH(int, expected);

    QTemporaryDir dir;
    const QString path = dir.filePath("iovantor.INI");
    QVERIFY(writeAll(path, "[Tester]\r\n" + line + "\r\n"));
    const SettingsFile file(path);
    if (asBool)
        QCOMPARE(file.readBool("K", def != 0), expected != 0);
    else
        QCOMPARE(file.readInteger("K", def), expected);
}

void TestSettingsFile::emptyValueIsNotDefault()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("iovantor.INI");
    QVERIFY(writeAll(path, "[Tester]\r\nPORT=\r\nSTARTIN=\r\n"));
    const SettingsFile file(path);
    QCOMPARE(read(file, key::PORT), QString());
    QCOMPARE(read(file, key::STARTIN), QString());
}

void TestSettingsFile::latin1BytesRoundTrip()
{
    QByteArray value;
    for (int b = 0x21; b <= 0xFF; ++b)
        value.append(char(b));
    const QByteArray bytes = "[Tester]\r\nK=" + value + "\r\n";
    QTemporaryDir dir;
    const QString path = dir.filePath("iovantor.INI");
    QVERIFY(writeAll(path, bytes));

    SettingsFile file(path);
    const QString read = file.readString("K", QString());
    QCOMPARE(read, QString::fromLatin1(value));
    file.writeString("K", read);
    QVERIFY2(file.commit(), qPrintable(file.errorString()));
    QCOMPARE(readAll(path), bytes);
}

void TestSettingsFile::longValuesReadBackWhole_data()
{
    QTest::addColumn<int>("length");
    QTest::newRow("3000") << 3000;
    QTest::newRow("100000") << 100000;
}

void TestSettingsFile::longValuesReadBackWhole()
{
    QFETCH(int, length);
    QString macro;
    for (int i = 0; i < length; ++i)
        macro.append(QChar(u'0' + i % 10));

    QTemporaryDir dir;
    const QString path = dir.filePath("iovantor.INI");
    SettingsFile writing(path);
    writing.writeString(fKeyMacroName(1024), macro);
    QVERIFY2(writing.commit(), qPrintable(writing.errorString()));
    QCOMPARE(SettingsFile(path).readString(fKeyMacroName(1024), QString()), macro);
}

// Every key of the table reads its default from a missing file, and reads back what was
// written after a commit. Values differ from the defaults so a key that reads its default
// instead of the file shows.
void TestSettingsFile::keyTableRoundTrip()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("iovantor.INI");
    const FixedKeys keys = fixedKeys();

    const SettingsFile empty(path);
    for (const StringKey &k : keys.strings)
        QCOMPARE(read(empty, k), k.def ? QString::fromLatin1(k.def) : startInDefault());
    for (const IntKey &k : keys.integers)
        QCOMPARE(read(empty, k), k.def);
    for (const BoolKey &k : keys.booleans)
        QCOMPARE(read(empty, k), k.def);
    for (int n = 1; n <= key::KeySetCount; ++n)
        QCOMPARE(empty.readString(cfgSetSelName(n), cfgSetSelDefault(n)), QStringLiteral("SET %1").arg(n));

    auto stringValue = [](const StringKey &k) { return QString::fromLatin1(k.name) + QStringLiteral(" value"); };
    auto intValue = [](const IntKey &k) { return -(k.def + 7); };

    SettingsFile writing(path);
    for (const StringKey &k : keys.strings)
        write(writing, k, stringValue(k));
    for (const IntKey &k : keys.integers)
        write(writing, k, intValue(k));
    for (const BoolKey &k : keys.booleans)
        write(writing, k, !k.def);
    for (int n = 1; n <= key::FunctionKeyCount; ++n) {
        writing.writeString(fKeyTextName(n), QStringLiteral("label %1").arg(n));
        writing.writeString(fKeyMacroName(n), QStringLiteral("macro %1").arg(n));
    }
    for (int n = 1; n <= key::KeySetCount; ++n)
        writing.writeString(cfgSetSelName(n), QStringLiteral("set name %1").arg(n));
    QVERIFY2(writing.commit(), qPrintable(writing.errorString()));

    const SettingsFile reading(path);
    for (const StringKey &k : keys.strings)
        QCOMPARE(read(reading, k), stringValue(k));
    for (const IntKey &k : keys.integers)
        QCOMPARE(read(reading, k), intValue(k));
    for (const BoolKey &k : keys.booleans)
        QCOMPARE(read(reading, k), !k.def);
    for (int n = 1; n <= key::FunctionKeyCount; ++n) {
        QCOMPARE(reading.readString(fKeyTextName(n), QString()), QStringLiteral("label %1").arg(n));
        QCOMPARE(reading.readString(fKeyMacroName(n), QString()), QStringLiteral("macro %1").arg(n));
    }
    for (int n = 1; n <= key::KeySetCount; ++n)
        QCOMPARE(reading.readString(cfgSetSelName(n), QString()), QStringLiteral("set name %1").arg(n));
}

// Every key constant of the header is in the list the round trip walks, is named like its
// key in the file, and no two keys share a name (names match without regard to case).
void TestSettingsFile::keyConstantsAreListed()
{
    QFile headerFile(QStringLiteral(SETTINGSKEYS_HEADER));
    QVERIFY2(headerFile.open(QIODevice::ReadOnly), qPrintable(headerFile.fileName()));
    const QString header = QString::fromLatin1(headerFile.readAll());
    static const QRegularExpression constant(
        QStringLiteral("inline constexpr (?:String|Int|Bool)Key (\\w+)\\{\"([^\"]*)\""));

    QSet<QString> listed;
    const FixedKeys keys = fixedKeys();
    for (const StringKey &k : keys.strings)
        listed.insert(QString::fromLatin1(k.name));
    for (const IntKey &k : keys.integers)
        listed.insert(QString::fromLatin1(k.name));
    for (const BoolKey &k : keys.booleans)
        listed.insert(QString::fromLatin1(k.name));

    QSet<QString> declared;
    QSet<QString> folded;
    for (auto it = constant.globalMatch(header); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        QCOMPARE(m.captured(1), m.captured(2));
        QVERIFY2(listed.contains(m.captured(2)), qPrintable(m.captured(2)));
        QVERIFY2(!folded.contains(m.captured(2).toLower()), qPrintable(m.captured(2)));
        folded.insert(m.captured(2).toLower());
        declared.insert(m.captured(2));
    }
    QCOMPARE(listed, declared);
}

// Writing through the store leaves every line it does not write as it was, in a file
// that also holds the port map, comments, unknown keys and LF line ends.
void TestSettingsFile::editsOnlyWhatIsWritten()
{
    const QByteArray before("; kept\n[Ports]\r\nCOM3=/dev/ttyUSB0\r\n\r\n[Tester]\r\nport = COM1\r\n"
                            "Unknown=1\r\n  # text\n[Other]\r\nA=1");
    const QByteArray after("; kept\n[Ports]\r\nCOM3=/dev/ttyUSB0\r\nCOM4=/dev/ttyUSB1\r\n\r\n[Tester]\r\n"
                           "port=COM4\r\nUnknown=1\r\nHideDM=0\r\n  # text\n[Other]\r\nA=1");
    QTemporaryDir dir;
    const QString path = dir.filePath("iovantor.INI");
    QVERIFY(writeAll(path, before));

    SettingsFile file(path);
    write(file, key::PORT, QStringLiteral("COM4"));
    write(file, key::HideDM, false);
    file.writeStringIn(QStringLiteral("Ports"), QStringLiteral("COM4"), QStringLiteral("/dev/ttyUSB1"));
    QVERIFY2(file.commit(), qPrintable(file.errorString()));
    QCOMPARE(readAll(path), after);
    QCOMPARE(SettingsFile(path).keysIn(QStringLiteral("ports")), QStringList({"COM3", "COM4"}));
}

void TestSettingsFile::createsMissingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("iovantor.INI");
    SettingsFile file(path);
    write(file, key::BAUD, QStringLiteral("19200"));
    QVERIFY2(file.commit(), qPrintable(file.errorString()));
    QCOMPARE(readAll(path), QByteArray("[Tester]\r\nBAUD=19200\r\n"));
    QCOMPARE(entries(dir.path()), QStringList{"iovantor.INI"});
}

void TestSettingsFile::readOnlyFileRefused()
{
    const QByteArray old("[Tester]\r\nPORT=COM2\r\n");
    QTemporaryDir dir;
    const QString path = dir.filePath("iovantor.INI");
    QVERIFY(writeAll(path, old));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));

    SettingsFile file(path);
    write(file, key::PORT, QStringLiteral("COM5"));
    QVERIFY(!file.commit());
    QVERIFY(!file.errorString().isEmpty());
    QCOMPARE(readAll(path), old);
    QCOMPARE(entries(dir.path()), QStringList{"iovantor.INI"});
}

void TestSettingsFile::missingFolderRefused()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("missing");
    SettingsFile file(folder + "/iovantor.INI");
    write(file, key::PORT, QStringLiteral("COM5"));
    QVERIFY(!file.commit());
    QVERIFY(!file.errorString().isEmpty());
    QVERIFY(!QFileInfo::exists(folder));
}

// A path that exists but cannot be read gives defaults, and is not replaced by a file
// holding only the keys written since.
void TestSettingsFile::unreadablePathNotReplaced()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("iovantor.INI");
    QVERIFY(QDir(dir.path()).mkdir("iovantor.INI"));

    SettingsFile file(path);
    QCOMPARE(read(file, key::PORT), QStringLiteral("COM1"));
    write(file, key::PORT, QStringLiteral("COM5"));
    QVERIFY(!file.commit());
    QVERIFY(QFileInfo(path).isDir());
}

// A reader that had the file open keeps seeing the old file whole while the path shows the
// new one: the file is replaced, never rewritten where it lies.
void TestSettingsFile::commitReplacesByRename()
{
    QByteArray old("[Tester]\r\nF1MACRO=");
    old += QByteArray(50000, 'o') + "\r\n";
    QTemporaryDir dir;
    const QString path = dir.filePath("iovantor.INI");
    QVERIFY(writeAll(path, old));

    QFile reader(path);
    QVERIFY(reader.open(QIODevice::ReadOnly));
    SettingsFile file(path);
    file.writeString(fKeyMacroName(1), QString(60000, u'n'));
    QVERIFY2(file.commit(), qPrintable(file.errorString()));

    QCOMPARE(reader.readAll(), old);
    QCOMPARE(readAll(path), "[Tester]\r\nF1MACRO=" + QByteArray(60000, 'n') + "\r\n");
    QCOMPARE(entries(dir.path()), QStringList{"iovantor.INI"});
}

// A write that fails part-way (here the file size limit, as a full disk would) leaves the
// old file whole and no temporary file beside it.
void TestSettingsFile::failedWriteLeavesOldFile()
{
#ifdef Q_OS_UNIX
    const QByteArray old("[Tester]\r\nPORT=COM2\r\n");
    QTemporaryDir dir;
    const QString path = dir.filePath("iovantor.INI");
    QVERIFY(writeAll(path, old));

    SettingsFile file(path);
    file.writeString(fKeyMacroName(1), QString(200000, u'x'));

    rlimit saved{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
    const bool committed = file.commit();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    QVERIFY(!committed);
    QVERIFY(!file.errorString().isEmpty());
    QCOMPARE(readAll(path), old);
    QCOMPARE(entries(dir.path()), QStringList{"iovantor.INI"});
#else
    QSKIP("needs a file size limit");
#endif
}

void TestSettingsFile::location_data()
{
    QTest::addColumn<QString>("programDir");
    QTest::addColumn<QString>("programName");
    QTest::addColumn<bool>("writable");
    QTest::addColumn<QString>("xdgConfigHome");
    QTest::addColumn<QString>("expected");

    QTest::newRow("beside the program") << "/opt/iov" << "iovantor" << true << "/cfg"
                                        << "/opt/iov/iovantor.INI";
    QTest::newRow("named like the program") << "/home/u/bin" << "iovantor-test" << true << ""
                                            << "/home/u/bin/iovantor-test.INI";
    QTest::newRow("XDG_CONFIG_HOME") << "/usr/bin" << "iovantor" << false << "/cfg"
                                     << "/cfg/keldan/iovantor.INI";
    QTest::newRow("~/.config when unset") << "/usr/bin" << "iovantor" << false << ""
                                          << "/home/u/.config/keldan/iovantor.INI";
    QTest::newRow("relative XDG_CONFIG_HOME ignored") << "/usr/bin" << "iovantor" << false << "cfg"
                                                      << "/home/u/.config/keldan/iovantor.INI";
}

void TestSettingsFile::location()
{
    QFETCH(QString, programDir);
    QFETCH(QString, programName);
    QFETCH(bool, writable);
    QFETCH(QString, xdgConfigHome);
    QFETCH(QString, expected);

    QCOMPARE(chooseSettingsFilePath({programDir, programName, writable, xdgConfigHome, "/home/u"}), expected);
}

// The packaged program lies in a folder its user may well be able to write (root beside
// /usr/bin, or a package unpacked into a home folder); its file still goes to the user's
// configuration folder.
void TestSettingsFile::packagedLocation_data()
{
    QTest::addColumn<QString>("programDir");
    QTest::addColumn<bool>("writable");
    QTest::addColumn<QString>("xdgConfigHome");
    QTest::addColumn<QString>("expected");

    QTest::newRow("writable /usr/bin") << "/usr/bin" << true << ""
                                       << "/home/u/.config/keldan/iovantor.INI";
    QTest::newRow("unpacked, XDG_CONFIG_HOME") << "/home/u/pkg/usr/bin" << true << "/cfg"
                                               << "/cfg/keldan/iovantor.INI";
    QTest::newRow("unpacked, relative XDG_CONFIG_HOME") << "/home/u/pkg/usr/bin" << true << "cfg"
                                                        << "/home/u/.config/keldan/iovantor.INI";
    QTest::newRow("not writable") << "/usr/bin" << false << "/cfg" << "/cfg/keldan/iovantor.INI";
}

void TestSettingsFile::packagedLocation()
{
    QFETCH(QString, programDir);
    QFETCH(bool, writable);
    QFETCH(QString, xdgConfigHome);
    QFETCH(QString, expected);

    SettingsLocationInput input{programDir, "iovantor", writable, xdgConfigHome, "/home/u"};
    input.alwaysUserFolder = true;
    QCOMPARE(chooseSettingsFilePath(input), expected);
}

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
