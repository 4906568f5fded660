#include "settings/profilefile.h"

#include <QTest>

#include <limits>

class TestProfileFile : public QObject
{
    Q_OBJECT

private slots:
    void reads_data();
    void reads();
    void writes_data();
    void writes();
    void keys_data();
    void keys();
    void integers_data();
    void integers();
    void longValuesAreWhole_data();
    void longValuesAreWhole();
    void largeFile();
};

void TestProfileFile::reads_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QByteArray>("value");

    QTest::newRow("names ignore case") << QByteArray("[tester]\r\nport=COM3\r\n") << QByteArray("Tester")
                                       << QByteArray("PORT") << true << QByteArray("COM3");
    QTest::newRow("Latin-1 capitals fold")
        << QByteArray("[\xC4]\r\n\xC9t\xC9=1\r\n") << QByteArray("\xE4") << QByteArray("\xE9T\xE9") << true
        << QByteArray("1");
    QTest::newRow("first section of a name only")
        << QByteArray("[T]\r\na=1\r\n[t]\r\na=2\r\nb=3\r\n") << QByteArray("T") << QByteArray("b") << false
        << QByteArray();
    QTest::newRow("first key wins") << QByteArray("[T]\r\na=1\r\nA=2\r\n") << QByteArray("T") << QByteArray("a")
                                    << true << QByteArray("1");
    QTest::newRow("blanks around names and values")
        << QByteArray(" \t[ \tT\v ]\r\n \t a \v=\t x  y \v\t\r\n") << QByteArray("T") << QByteArray("a") << true
        << QByteArray("x  y");
    QTest::newRow("header ends at first ]") << QByteArray("[T]x]y\r\na=1\r\n") << QByteArray("T")
                                            << QByteArray("a") << true << QByteArray("1");
    QTest::newRow("header without ]") << QByteArray("[T \r\na=1\r\n") << QByteArray("T") << QByteArray("a")
                                      << true << QByteArray("1");
    QTest::newRow("double quotes removed") << QByteArray("[T]\r\na= \"x y\" \r\n") << QByteArray("T")
                                           << QByteArray("a") << true << QByteArray("x y");
    QTest::newRow("single quotes removed") << QByteArray("[T]\r\na='x'\r\n") << QByteArray("T")
                                           << QByteArray("a") << true << QByteArray("x");
    QTest::newRow("quotes inside kept blanks") << QByteArray("[T]\r\na=\" x \"\r\n") << QByteArray("T")
                                               << QByteArray("a") << true << QByteArray(" x ");
    QTest::newRow("one pair only") << QByteArray("[T]\r\na=\"\"x\"\"\r\n") << QByteArray("T") << QByteArray("a")
                                   << true << QByteArray("\"x\"");
    QTest::newRow("unmatched quotes kept") << QByteArray("[T]\r\na=\"x'\r\n") << QByteArray("T")
                                           << QByteArray("a") << true << QByteArray("\"x'");
    QTest::newRow("lone quote kept") << QByteArray("[T]\r\na=\"\r\n") << QByteArray("T") << QByteArray("a")
                                     << true << QByteArray("\"");
    QTest::newRow("value after the first =") << QByteArray("[T]\r\na=b=c\r\n") << QByteArray("T")
                                             << QByteArray("a") << true << QByteArray("b=c");
    QTest::newRow("; line is a comment") << QByteArray("[T]\r\n \t;a=1\r\na=2\r\n") << QByteArray("T")
                                         << QByteArray("a") << true << QByteArray("2");
    QTest::newRow("# is text") << QByteArray("[T]\r\n#a=1\r\n") << QByteArray("T") << QByteArray("#a") << true
                               << QByteArray("1");
    QTest::newRow("no comment at line end") << QByteArray("[T]\r\na=1 ; x # y\r\n") << QByteArray("T")
                                            << QByteArray("a") << true << QByteArray("1 ; x # y");
    QTest::newRow("no keys before a section") << QByteArray("a=1\r\n[T]\r\n") << QByteArray("T")
                                              << QByteArray("a") << false << QByteArray();
    QTest::newRow("line without = is no key") << QByteArray("[T]\r\na\r\n") << QByteArray("T")
                                              << QByteArray("a") << false << QByteArray();
    QTest::newRow("empty value is not absent") << QByteArray("[T]\r\na=\r\n") << QByteArray("T")
                                               << QByteArray("a") << true << QByteArray("");
    QTest::newRow("LF line ends") << QByteArray("[T]\na=1\nb=2\n") << QByteArray("T") << QByteArray("b") << true
                                  << QByteArray("2");
    QTest::newRow("CR line ends") << QByteArray("[T]\ra=1\rb=2") << QByteArray("T") << QByteArray("b") << true
                                  << QByteArray("2");
    QTest::newRow("mixed line ends") << QByteArray("[T]\r\na=1\rb=2\n\r\nc=3") << QByteArray("T")
                                     << QByteArray("c") << true << QByteArray("3");
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF[T]\r\na=1\r\n") << QByteArray("T")
                                     << QByteArray("a") << true << QByteArray("1");
    QTest::newRow("spaces of asked names ignored") << QByteArray("[T]\r\na=1\r\n") << QByteArray(" T ")
                                                   << QByteArray("  a ") << true << QByteArray("1");
    QTest::newRow("tab of asked name kept") << QByteArray("[T]\r\na=1\r\n") << QByteArray("T")
                                            << QByteArray("\ta") << false << QByteArray();
    QTest::newRow("other section's key") << QByteArray("[U]\r\na=1\r\n[T]\r\nb=2\r\n") << QByteArray("T")
                                         << QByteArray("a") << false << QByteArray();
    QTest::newRow("empty file") << QByteArray() << QByteArray("T") << QByteArray("a") << false << QByteArray();
}

void TestProfileFile::reads()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(bool, found);
    QFETCH(QByteArray, value);

    const std::optional<QByteArray> read = ProfileFile(file).value(section, key);
    QCOMPARE(read.has_value(), found);
    if (found)
        QCOMPARE(*read, value);
}

void TestProfileFile::writes_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArrayList>("writes"); // section, key, value; repeated
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("update keeps spelling and other lines")
        << QByteArray("; head\r\n\r\nx=0\r\n[Tester]\r\n \tPort = COM1 \r\n# note\r\nrest\r\n")
        << QByteArrayList{"Tester", "PORT", "COM3"}
        << QByteArray("; head\r\n\r\nx=0\r\n[Tester]\r\nPort=COM3\r\n# note\r\nrest\r\n");
    QTest::newRow("written line ends CR LF, others keep theirs")
        << QByteArray("[T]\na=1\nb=2\rc=3") << QByteArrayList{"T", "b", "9"}
        << QByteArray("[T]\na=1\nb=9\r\nc=3");
    QTest::newRow("new key after last key line")
        << QByteArray("[T]\r\na=1\r\ntext\r\n; c\r\n\r\n[U]\r\nx=1\r\n") << QByteArrayList{"T", "b", "2"}
        << QByteArray("[T]\r\na=1\r\nb=2\r\ntext\r\n; c\r\n\r\n[U]\r\nx=1\r\n");
    QTest::newRow("new key in a section without keys")
        << QByteArray("[T]\r\n; c\r\n[U]\r\n") << QByteArrayList{"T", "b", "2"}
        << QByteArray("[T]\r\nb=2\r\n; c\r\n[U]\r\n");
    QTest::newRow("first section of a name")
        << QByteArray("[T]\r\na=1\r\n[T]\r\na=2\r\nz=3\r\n")
        << QByteArrayList{"T", "a", "8", "T", "z", "9"}
        << QByteArray("[T]\r\na=8\r\nz=9\r\n[T]\r\na=2\r\nz=3\r\n");
    QTest::newRow("first of equal keys") << QByteArray("[T]\r\na=1\r\nA=2\r\n") << QByteArrayList{"T", "A", "9"}
                                         << QByteArray("[T]\r\na=9\r\nA=2\r\n");
    QTest::newRow("new section at end") << QByteArray("[U]\r\nx=1\r\n") << QByteArrayList{"T", "b", "2"}
                                        << QByteArray("[U]\r\nx=1\r\n[T]\r\nb=2\r\n");
    QTest::newRow("new section after LF end") << QByteArray("[U]\nx=1\n") << QByteArrayList{"T", "b", "2"}
                                              << QByteArray("[U]\nx=1\n[T]\r\nb=2\r\n");
    QTest::newRow("new section, CR LF added first") << QByteArray("[U]\r\nx=1") << QByteArrayList{"T", "b", "2"}
                                                    << QByteArray("[U]\r\nx=1\r\n[T]\r\nb=2\r\n");
    QTest::newRow("new key after unterminated last line")
        << QByteArray("[T]\r\na=1") << QByteArrayList{"T", "b", "2"} << QByteArray("[T]\r\na=1\r\nb=2\r\n");
    QTest::newRow("new key after unterminated header")
        << QByteArray("[T]") << QByteArrayList{"T", "b", "2"} << QByteArray("[T]\r\nb=2\r\n");
    QTest::newRow("empty file") << QByteArray() << QByteArrayList{"T", "b", "2"} << QByteArray("[T]\r\nb=2\r\n");
    QTest::newRow("names asked with spaces") << QByteArray() << QByteArrayList{" T ", " b ", "2"}
                                             << QByteArray("[T]\r\nb=2\r\n");
    QTest::newRow("value as given") << QByteArray("[T]\r\n")
                                    << QByteArrayList{"T", "b", " \"q\" ; # ", "T", "c", ""}
                                    << QByteArray("[T]\r\nb= \"q\" ; # \r\nc=\r\n");
    QTest::newRow("value cut at a line break") << QByteArray("[T]\r\n")
                                               << QByteArrayList{"T", "b", "x\r\n[U]\r\ny=1"}
                                               << QByteArray("[T]\r\nb=x\r\n");
    QTest::newRow("byte-order mark kept") << QByteArray("\xEF\xBB\xBF[T]\r\na=1\r\n")
                                          << QByteArrayList{"T", "a", "2"}
                                          << QByteArray("\xEF\xBB\xBF[T]\r\na=2\r\n");
    QTest::newRow("byte-order mark only") << QByteArray("\xEF\xBB\xBF") << QByteArrayList{"T", "a", "2"}
                                          << QByteArray("\xEF\xBB\xBF[T]\r\na=2\r\n");
    QTest::newRow("writes build on each other")
        << QByteArray("[U]\r\nx=1\r\n")
        << QByteArrayList{"T", "a", "1", "U", "y", "2", "T", "b", "3", "t", "A", "4", "U", "X", "5"}
        << QByteArray("[U]\r\nx=5\r\ny=2\r\n[T]\r\na=4\r\nb=3\r\n");
}

void TestProfileFile::writes()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArrayList, writes);
    QFETCH(QByteArray, expected);

    ProfileFile profile(file);
    for (qsizetype i = 0; i + 2 < writes.size(); i += 3)
        profile.setValue(writes[i], writes[i + 1], writes[i + 2]);
    QCOMPARE(profile.content(), expected);

    // The edited index must answer as a fresh parse of the written bytes does.
    const ProfileFile reparsed(expected);
    for (qsizetype i = 0; i + 2 < writes.size(); i += 3)
        QVERIFY(profile.value(writes[i], writes[i + 1]) == reparsed.value(writes[i], writes[i + 1]));
}

void TestProfileFile::keys_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArrayList>("writes");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArrayList>("keys");

    const QByteArray file("x=0\r\n[T]\r\n b =1\r\nA=2\r\n;c=3\r\na=4\r\ntext\r\nc=5\r\n[U]\r\nd=6\r\n[t]\r\ne=7\r\n");
    QTest::newRow("file order, first of each, first section")
        << file << QByteArrayList{} << QByteArray("T") << QByteArrayList{"b", "A", "c"};
    QTest::newRow("new keys in their place")
        << file << QByteArrayList{"T", "z", "1", "T", "B", "2"} << QByteArray("T")
        << QByteArrayList{"b", "A", "c", "z"};
    QTest::newRow("absent section") << file << QByteArrayList{} << QByteArray("V") << QByteArrayList{};
}

void TestProfileFile::keys()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArrayList, writes);
    QFETCH(QByteArray, section);
    QFETCH(QByteArrayList, keys);

    ProfileFile profile(file);
    for (qsizetype i = 0; i + 2 < writes.size(); i += 3)
        profile.setValue(writes[i], writes[i + 1], writes[i + 2]);
    QCOMPARE(profile.keys(section), keys);
}

void TestProfileFile::integers_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");

    QTest::newRow("decimal") << QByteArray("34952") << true << 34952;
    QTest::newRow("leading zeros") << QByteArray("0012") << true << 12;
    QTest::newRow("minus") << QByteArray("-42") << true << -42;
    QTest::newRow("plus") << QByteArray("+7") << true << 7;
    QTest::newRow("$ hex") << QByteArray("$1F") << true << 31;
    QTest::newRow("0x hex") << QByteArray("0x1f") << true << 31;
    QTest::newRow("0X hex") << QByteArray("0X1F") << true << 31;
    QTest::newRow("signed hex") << QByteArray("-$10") << true << -16;
    QTest::newRow("hex wraps to int") << QByteArray("$FFFFFFFF") << true << -1;
    QTest::newRow("hex sign bit") << QByteArray("0x80000000") << true << std::numeric_limits<int>::min();
    QTest::newRow("hex leading zeros") << QByteArray("$000000000001") << true << 1;
    QTest::newRow("hex over 32 bits") << QByteArray("$100000000") << false << 0;
    QTest::newRow("int max") << QByteArray("2147483647") << true << std::numeric_limits<int>::max();
    QTest::newRow("int min") << QByteArray("-2147483648") << true << std::numeric_limits<int>::min();
    QTest::newRow("above int max") << QByteArray("2147483648") << false << 0;
    QTest::newRow("below int min") << QByteArray("-2147483649") << false << 0;
    QTest::newRow("far too long") << QByteArray("123456789012345678901234567890") << false << 0;
    QTest::newRow("empty") << QByteArray("") << false << 0;
    QTest::newRow("sign alone") << QByteArray("-") << false << 0;
    QTest::newRow("$ alone") << QByteArray("$") << false << 0;
    QTest::newRow("0x alone") << QByteArray("0x") << false << 0;
    QTest::newRow("sign after $") << QByteArray("$-1") << false << 0;
    QTest::newRow("two signs") << QByteArray("--1") << false << 0;
    QTest::newRow("trailing text") << QByteArray("12a") << false << 0;
    QTest::newRow("hex digits in decimal") << QByteArray("1F") << false << 0;
    QTest::newRow("inner blank") << QByteArray("1 2") << false << 0;
    QTest::newRow("fraction") << QByteArray("1.0") << false << 0;
    QTest::newRow("exponent") << QByteArray("1e3") << false << 0;
    QTest::newRow("word") << QByteArray("yes") << false << 0;
}

void TestProfileFile::integers()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, valid);
    QFETCH(int, value);

    const std::optional<int> parsed = profile::parseInteger(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid)
        QCOMPARE(*parsed, value);
}

void TestProfileFile::longValuesAreWhole_data()
{
    QTest::addColumn<int>("length");
    QTest::newRow("3000") << 3000;
    QTest::newRow("100000") << 100000;
}

void TestProfileFile::longValuesAreWhole()
{
    QFETCH(int, length);
    QByteArray value(length, Qt::Uninitialized);
    for (int i = 0; i < length; ++i)
        value[i] = char('!' + i % 90);

    ProfileFile written;
    written.setValue("Tester", "F1MACRO", value);
    QCOMPARE(ProfileFile(written.content()).value("Tester", "F1MACRO").value_or("<absent>"), value);
}

// A settings file of the size the function keys can reach: 4 MB, all 2048 label and macro
// keys, with comments and foreign sections between them.
void TestProfileFile::largeFile()
{
    auto macro = [](int n, char fill) { return QByteArray::number(n) + QByteArray(4000, fill); };

    QByteArray file("; settings\r\n[Tester]\r\n");
    QByteArray expected = file;
    for (int n = 1; n <= 1024; ++n) {
        const QByteArray text = "F" + QByteArray::number(n) + "TEXT=Key " + QByteArray::number(n) + "\r\n";
        file += text + "F" + QByteArray::number(n) + "MACRO=" + macro(n, 'a') + "\n";
        expected += text + "F" + QByteArray::number(n) + "MACRO=" + macro(n, 'b') + "\r\n";
        if (n == 1024)
            expected += "CFGSETSEL1=Main\r\n"; // after the last key line, before the comment
        if (n % 64 == 0) {
            file += "; set boundary\r\n";
            expected += "; set boundary\r\n";
        }
    }
    file += "[Ports]\r\nCOM1=/dev/ttyS0\r\n";
    expected += "[Ports]\r\nCOM1=/dev/ttyS0\r\n";
    QVERIFY(file.size() > 4'000'000);

    ProfileFile profile(file);
    for (int n = 1; n <= 1024; ++n) {
        QCOMPARE(profile.value("Tester", "f" + QByteArray::number(n) + "text").value_or("<absent>"),
                 "Key " + QByteArray::number(n));
        QCOMPARE(profile.value("TESTER", "F" + QByteArray::number(n) + "Macro").value_or("<absent>"),
                 macro(n, 'a'));
    }
    for (int n = 1; n <= 1024; ++n)
        profile.setValue("Tester", "F" + QByteArray::number(n) + "MACRO", macro(n, 'b'));
    profile.setValue("Tester", "CFGSETSEL1", "Main");
    QCOMPARE(profile.content(), expected);
}

QTEST_APPLESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
