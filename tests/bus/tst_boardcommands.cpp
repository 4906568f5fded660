#include "bus/boardcommands.h"
#include "bus/busscan.h"
#include "bus/replyreaders.h"

#include <QTest>

class TestBoardCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void commands_data();
    void commands();
    void relayDigits_data();
    void relayDigits();
    void padTwo_data();
    void padTwo();
    void baudCodeText_data();
    void baudCodeText();
    void boardListEntry_data();
    void boardListEntry();
    void scanAddressValue_data();
    void scanAddressValue();
    void replyText_data();
    void replyText();
};

void TestBoardCommands::commands_data()
{
    using namespace BoardCommands;
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("address 0A") << addressBoard(0x0A) << QByteArray("L0A");
    QTest::newRow("address 00") << addressBoard(0) << QByteArray("L00");
    QTest::newRow("address FF") << addressBoard(0xFF) << QByteArray("LFF");
    QTest::newRow("address field as typed") << addressBoard(QStringLiteral("3c")) << QByteArray("L3c");
    QTest::newRow("empty address field") << addressBoard(QString()) << QByteArray("L");
    QTest::newRow("type") << readType() << QByteArray("U");
    QTest::newRow("version") << readVersion() << QByteArray("V");
    QTest::newRow("read register 5A") << readRegister(0x5A) << QByteArray("R5A");
    QTest::newRow("read register 0E") << readRegister(0x0E) << QByteArray("R0E");
    QTest::newRow("modify 3C") << modifyRegister(QStringLiteral("3C")) << QByteArray("M3C");
    QTest::newRow("modify, not hex, as typed") << modifyRegister(QStringLiteral("G1")) << QByteArray("MG1");
    QTest::newRow("relay states") << readRelayStates() << QByteArray("I");
    QTest::newRow("K3 on") << relayOn(3) << QByteArray("K3FF");
    QTest::newRow("K1 on") << relayOn(relayDigit(1)) << QByteArray("K1FF");
    QTest::newRow("K10 on") << relayOn(relayDigit(10)) << QByteArray("K0FF");
    QTest::newRow("K3 off") << relayOff(3) << QByteArray("K300");
    QTest::newRow("K1 off") << relayOff(relayDigit(1)) << QByteArray("K100");
    QTest::newRow("K10 off") << relayOff(relayDigit(10)) << QByteArray("K000");
    QTest::newRow("K6 timer 30") << relayTimer(6, QStringLiteral("30")) << QByteArray("K630");
    QTest::newRow("K6 timer padded") << relayTimer(6, QStringLiteral("5")) << QByteArray("K6 5");
    QTest::newRow("K10 timer") << relayTimer(relayDigit(10), QStringLiteral("1F")) << QByteArray("K01F");
    QTest::newRow("timer empty") << relayTimer(2, QString()) << QByteArray("K2  ");
    QTest::newRow("prescaler high") << prescalerHigh(QStringLiteral("01")) << QByteArray("KB01");
    QTest::newRow("prescaler low") << prescalerLow(QStringLiteral("F4")) << QByteArray("KCF4");
    QTest::newRow("prescaler padded") << prescalerLow(QStringLiteral("4")) << QByteArray("KC 4");
    QTest::newRow("prescaler longer, whole") << prescalerHigh(QStringLiteral("123")) << QByteArray("KB123");
}

void TestBoardCommands::commands()
{
    QFETCH(QByteArray, command);
    QTEST(command, "expected");
}

void TestBoardCommands::relayDigits_data()
{
    QTest::addColumn<int>("relay");
    QTest::addColumn<int>("digit");
    for (int relay = 1; relay <= 9; ++relay)
        QTest::addRow("K%d", relay) << relay << relay;
    QTest::newRow("K10") << 10 << 0;
}

void TestBoardCommands::relayDigits()
{
    QFETCH(int, relay);
    QTEST(BoardCommands::relayDigit(relay), "digit");
}

void TestBoardCommands::padTwo_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("padded");
    QTest::newRow("empty") << QString() << QStringLiteral("  ");
    QTest::newRow("one") << QStringLiteral("5") << QStringLiteral(" 5");
    QTest::newRow("two") << QStringLiteral("30") << QStringLiteral("30");
    QTest::newRow("three, whole") << QStringLiteral("ABC") << QStringLiteral("ABC");
    QTest::newRow("blank kept") << QStringLiteral("5 ") << QStringLiteral("5 ");
}

void TestBoardCommands::padTwo()
{
    QFETCH(QString, text);
    QTEST(BoardCommands::padTwo(text), "padded");
}

void TestBoardCommands::baudCodeText_data()
{
    QTest::addColumn<char>("code");
    QTest::addColumn<QString>("text");   // null: outside the table, the label is hidden

    const char *const table[] = {"9600",  "9600",  "9600",  "600",   "1200", "2400", "4800", "115200",
                                 "14400", "19200", "28800", "38400", "57600", "9600", "115200", "9600"};
    const char codes[] = "0123456789ABCDEF";
    for (int i = 0; i < 16; ++i)
        QTest::addRow("%c", codes[i]) << codes[i] << QString::fromLatin1(table[i]);
    QTest::newRow("lower-case a") << 'a' << QString();
    QTest::newRow("G") << 'G' << QString();
    QTest::newRow("NUL") << '\0' << QString();
    QTest::newRow("blank") << ' ' << QString();
}

void TestBoardCommands::baudCodeText()
{
    QFETCH(char, code);
    QFETCH(QString, text);
    const std::optional<QString> shown = BoardCommands::baudCodeText(code);
    QCOMPARE(shown.has_value(), !text.isNull());
    if (shown)
        QCOMPARE(*shown, text);
}

void TestBoardCommands::boardListEntry_data()
{
    QTest::addColumn<QByteArray>("addressPart");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QString>("entry");

    QTest::newRow("typed board") << QByteArray("0A") << QByteArray("Q83Q") << QStringLiteral("0A Q83Q");
    QTest::newRow("no type reply") << QByteArray("01") << QByteArray(4, '\0') << QStringLiteral("01 XXXX");
    QTest::newRow("no type at all") << QByteArray("01") << QByteArray() << QStringLiteral("01 XXXX");
    QTest::newRow("short type reply") << QByteArray("01") << QByteArray("Q8\0\0", 4) << QStringLiteral("01 Q8  ");
    // Positions hold where a character never came, so the type stays at 4..7.
    QTest::newRow("first character only") << QByteArray("0\0", 2) << QByteArray(4, '\0') << QStringLiteral("0  XXXX");
    QTest::newRow("not hex, as answered") << QByteArray("zz") << QByteArray("abcd") << QStringLiteral("zz abcd");
}

void TestBoardCommands::boardListEntry()
{
    QFETCH(QByteArray, addressPart);
    QFETCH(QByteArray, type);
    QFETCH(QString, entry);
    const QString made = BoardListEntry(addressPart, type);
    QCOMPARE(made, entry);
    QCOMPARE(made.size(), 7);
}

void TestBoardCommands::scanAddressValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("default first") << QStringLiteral("00") << 0x00;
    QTest::newRow("default last") << QStringLiteral("0F") << 0x0F;
    QTest::newRow("FF") << QStringLiteral("FF") << 0xFF;
    QTest::newRow("one digit") << QStringLiteral("5") << 5;
    QTest::newRow("lower case") << QStringLiteral("a0") << 0xA0;
    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("not hex") << QStringLiteral("G1") << 0;
    QTest::newRow("hex prefix only") << QStringLiteral("1G") << 1;
    QTest::newRow("leading blank") << QStringLiteral(" 5") << 0;
    QTest::newRow("long text stops growing") << QStringLiteral("FFFFFFFFFFFF") << 0xFFFF;
}

void TestBoardCommands::scanAddressValue()
{
    QFETCH(QString, text);
    QTEST(::scanAddressValue(text), "value");
}

void TestBoardCommands::replyText_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("empty");
    QTest::addColumn<QString>("shown");

    QTest::newRow("whole") << QByteArray("01D0") << false << QStringLiteral("01D0");
    QTest::newRow("nothing came") << QByteArray(4, '\0') << true << QString();
    QTest::newRow("no characters") << QByteArray() << true << QString();
    QTest::newRow("short") << QByteArray("3C\0\0", 4) << false << QStringLiteral("3C");
    QTest::newRow("ends at the first NUL") << QByteArray("A\0C\0", 4) << false << QStringLiteral("A");
    QTest::newRow("NUL first") << QByteArray("\0BCD", 4) << false << QString();
}

void TestBoardCommands::replyText()
{
    QFETCH(QByteArray, reply);
    QTEST(isEmptyReply(reply), "empty");
    QTEST(displayText(reply), "shown");
}

QTEST_GUILESS_MAIN(TestBoardCommands)
#include "tst_boardcommands.moc"
