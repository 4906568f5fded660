// The monitors' rules without widgets: channel values, bit displays, lamps, the labels under
// a board's replies, the TEST patterns, relay state words, layouts and the scan range.

#include "monitors/analoglogic.h"
#include "monitors/digitallogic.h"
#include "bus/hexvalue.h"
#include "monitors/monitorstate.h"
#include "monitors/relaylogic.h"

#include <QTest>

#include <thread>

using namespace std::chrono_literals;

Q_DECLARE_METATYPE(ChannelMode)
Q_DECLARE_METATYPE(Analog::Layout)

class TestMonitorLogic : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formatChannelValue_data()
    {
        QTest::addColumn<ChannelMode>("mode");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("celsius");
        QTest::addColumn<QString>("shown");

        const QByteArray silent(4, '\0');
        QTest::newRow("hex as sent") << ChannelMode::Hex << QByteArray("03FF") << true << "03FF";
        QTest::newRow("hex up to the first NUL") << ChannelMode::Hex << QByteArray("03\0F", 4) << true << "03";
        QTest::newRow("hex of a silent board") << ChannelMode::Hex << silent << true << "";
        QTest::newRow("0023 C: the sensor's zero") << ChannelMode::Temperature << QByteArray("0023") << true << "0.000";
        QTest::newRow("0023 F") << ChannelMode::Temperature << QByteArray("0023") << false << "32.000";
        QTest::newRow("0022 C: below the sensor") << ChannelMode::Temperature << QByteArray("0022") << true << " SENS";
        QTest::newRow("0022 F") << ChannelMode::Temperature << QByteArray("0022") << false << " SENS";
        QTest::newRow("0100 C") << ChannelMode::Temperature << QByteArray("0100") << true << "22.100";
        QTest::newRow("0100 F from the rounded float") << ChannelMode::Temperature << QByteArray("0100") << false
                                                       << "71.780";
        QTest::newRow("FFFF read unsigned") << ChannelMode::Temperature << QByteArray("FFFF") << true << "6550.000";
        QTest::newRow("temperature of a silent board") << ChannelMode::Temperature << silent << true << " SENS";
        QTest::newRow("03FF 0..5V") << ChannelMode::Volts5 << QByteArray("03FF") << true << "5.000";
        QTest::newRow("03FF 0..10V") << ChannelMode::Volts10 << QByteArray("03FF") << true << "10.000";
        QTest::newRow("0400 0..5V") << ChannelMode::Volts5 << QByteArray("0400") << true << "5.005";
        QTest::newRow("0400 0..10V") << ChannelMode::Volts10 << QByteArray("0400") << true << "10.010";
        QTest::newRow("lower-case digits") << ChannelMode::Volts5 << QByteArray("03ff") << true << "5.000";
        QTest::newRow("volts of a silent board") << ChannelMode::Volts5 << silent << true << "0.000";
        QTest::newRow("not hexadecimal") << ChannelMode::Volts10 << QByteArray("XYZ1") << true << "0.000";
        QTest::newRow("hexadecimal prefix") << ChannelMode::Volts5 << QByteArray("4G00") << true << "0.020";
        // Exact ties of the float: printf would round them to even.
        QTest::newRow("tie 1F38 0..5V rounds up") << ChannelMode::Volts5 << QByteArray("1F38") << true << "39.063";
        QTest::newRow("tie 0F9C 0..10V rounds up") << ChannelMode::Volts10 << QByteArray("0F9C") << true << "39.063";
    }

    void formatChannelValue()
    {
        QFETCH(ChannelMode, mode);
        QFETCH(QByteArray, reply);
        QFETCH(bool, celsius);
        QTEST(Analog::FormatChannelValue(mode, reply, celsius), "shown");
    }

    void layouts()
    {
        using Analog::Layout;
        // A "Q907" shows five channels after a click in the list, eleven in the poll.
        QCOMPARE(Analog::listClickLayout(QStringLiteral("Q83Q")), Layout::Five);
        QCOMPARE(Analog::listClickLayout(QStringLiteral("Q907")), Layout::Five);
        QCOMPARE(Analog::listClickLayout(QStringLiteral("Q411")), Layout::Eleven);
        QCOMPARE(Analog::runLayout(QStringLiteral("Q83Q")), Layout::Five);
        QCOMPARE(Analog::runLayout(QStringLiteral("Q907")), Layout::Eleven);
        QCOMPARE(Analog::runLayout(std::nullopt), Layout::Eleven);
        QVERIFY(Analog::pollsFiveChannels(QStringLiteral("Q83Q")));
        QVERIFY(!Analog::pollsFiveChannels(QStringLiteral("Q907")));
        QVERIFY(!Analog::pollsFiveChannels(std::nullopt));
        QCOMPARE(Analog::pollRegisters(true), (QList<int>{0x10, 0x12, 0x14, 0x16, 0x0E, 0x00}));
        QCOMPARE(Analog::pollRegisters(false),
                 (QList<int>{0x30, 0x32, 0x34, 0x36, 0x38, 0x3A, 0x3C, 0x3E, 0x40, 0x42, 0x44, 0x10}));
    }

    void bitDisplays_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("bits");
        QTest::addColumn<QString>("lamps");   // "keep": the lamps keep what they show
        QTest::addColumn<QString>("inputBits");
        QTest::newRow("3C") << "3C" << "00111100" << "00111100" << "00111100";
        QTest::newRow("lower case") << "a5" << "10100101" << "10100101" << "10100101";
        QTest::newRow("unknown") << "XX" << "00000000" << "XXXXXXXX" << "XXXXXXXX";
        QTest::newRow("empty") << "" << "00000000" << "        " << "        ";
        QTest::newRow("one digit") << "8" << "00001000" << "keep" << "00001000";
        QTest::newRow("not hexadecimal") << "G1" << "00000000" << "00000000" << "00000000";
        QTest::newRow("hexadecimal prefix") << "1G" << "00000001" << "00000001" << "00000001";
    }

    void bitDisplays()
    {
        QFETCH(QString, text);
        QFETCH(QString, lamps);
        QTEST(Digital::BitString(text), "bits");
        QCOMPARE(Digital::outputLampTexts(text).value_or(QStringLiteral("keep")), lamps);
        QTEST(Digital::inputBitsText(text), "inputBits");
    }

    void lampClicks_data()
    {
        QTest::addColumn<int>("port");
        QTest::addColumn<int>("lamp");
        QTest::addColumn<QString>("lampText");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("newLampText");
        QTest::addColumn<QString>("newField");
        QTest::newRow("OLB0 on 00") << 0 << 0 << "0" << "00" << "1" << "80";
        QTest::newRow("ORB7 on FF") << 2 << 7 << "1" << "FF" << "0" << "FE";
        QTest::newRow("a lamp of XX") << 1 << 3 << "X" << "XX" << "0" << "00";
        QTest::newRow("a blank lamp") << 1 << 0 << " " << "" << "0" << "00";
        QTest::newRow("OMB3 on 0F") << 1 << 3 << "0" << "0F" << "1" << "1F";
    }

    void lampClicks()
    {
        QFETCH(int, port);
        QFETCH(int, lamp);
        QFETCH(QString, lampText);
        QFETCH(QString, field);
        const int tag = Digital::lampTag(port, lamp);
        QCOMPARE(Digital::portOfTag(tag), port);
        QCOMPARE(Digital::bitOfTag(tag), 7 - lamp);
        const QString newLamp = Digital::toggledLampText(lampText);
        QTEST(newLamp, "newLampText");
        QTEST(Digital::outputAfterLampClick(field, Digital::bitOfTag(tag), newLamp == QLatin1String("1")), "newField");
    }

    void lampTags()
    {
        // OLB0 carries bit 7 of port L, OLB7 bit 0, up to ORB0 with tag 23.
        QCOMPARE(Digital::lampTag(Digital::Left, 0), 7);
        QCOMPARE(Digital::lampTag(Digital::Left, 7), 0);
        QCOMPARE(Digital::lampTag(Digital::Middle, 0), 15);
        QCOMPARE(Digital::lampTag(Digital::Middle, 7), 8);
        QCOMPARE(Digital::lampTag(Digital::Right, 0), 23);
        QCOMPARE(Digital::lampTag(Digital::Right, 7), 16);
    }

    void replyLabels_data()
    {
        QTest::addColumn<QString>("lineReply");
        QTest::addColumn<QString>("baud");   // empty: hidden
        QTest::newRow("code 0") << "01D0" << "9600";
        QTest::newRow("code 3") << "01D3" << "600";
        QTest::newRow("code 7") << "01D7" << "115200";
        QTest::newRow("code A") << "01DA" << "28800";
        QTest::newRow("code E") << "01DE" << "115200";
        QTest::newRow("code F") << "01DF" << "9600";
        QTest::newRow("lower case hides") << "01Da" << "";
        QTest::newRow("short reply hides") << "01D" << "";
        QTest::newRow("nothing hides") << "" << "";
        QTest::newRow("other character hides") << "01DZ" << "";
    }

    void replyLabels()
    {
        QFETCH(QString, lineReply);
        QFETCH(QString, baud);
        QCOMPARE(Digital::baudConvText(lineReply).value_or(QString()), baud);
    }

    void typeText()
    {
        QCOMPARE(Digital::TypeText(QStringLiteral("Q516")), QStringLiteral("QK5151M"));
        QCOMPARE(Digital::TypeText(QStringLiteral("Q517")), QStringLiteral("    "));
        QCOMPARE(Digital::TypeText(QString()), QStringLiteral("    "));
    }

    void testPatternsCycle()
    {
        int step = 0;
        QByteArrayList commands;
        QList<std::chrono::milliseconds> intervals;
        QList<bool> identities;
        for (int tick = 0; tick < 5; ++tick) {
            const Digital::TestPattern pattern = Digital::testPattern(step);
            commands << pattern.command;
            intervals << pattern.interval;
            identities << pattern.readsIdentity;
            step = pattern.nextStep;
        }
        QCOMPARE(commands, (QByteArrayList{"M00", "M55", "MAA", "MFF", "M00"}));
        QCOMPARE(intervals, (QList<std::chrono::milliseconds>{250ms, 250ms, 250ms, 125ms, 250ms}));
        QCOMPARE(identities, (QList<bool>{true, false, false, false, true}));
    }

    void relayStates_data()
    {
        QTest::addColumn<QByteArray>("word");
        QTest::addColumn<QString>("relays");   // K1..K10, 1 = on
        QTest::newRow("8000: K1") << QByteArray("8000") << "1000000000";
        QTest::newRow("FFC0: all") << QByteArray("FFC0") << "1111111111";
        QTest::newRow("003F: bits 5..0 are no relays") << QByteArray("003F") << "0000000000";
        QTest::newRow("0040: K10") << QByteArray("0040") << "0000000001";
        QTest::newRow("lower case") << QByteArray("a000") << "1010000000";
        QTest::newRow("two characters arrived") << QByteArray("C0") << "0000000011";
        QTest::newRow("not hexadecimal") << QByteArray("ZZZZ") << "0000000000";
    }

    void relayStates()
    {
        QFETCH(QByteArray, word);
        QString relays;
        for (bool on : Relay::relayStates(word))
            relays += on ? u'1' : u'0';
        QTEST(relays, "relays");
    }

    void relayNames()
    {
        QCOMPARE(Relay::relayOfDigit(0), 10);
        QCOMPARE(Relay::relayOfDigit(1), 1);
        QCOMPARE(Relay::relayOfDigit(9), 9);
        QCOMPARE(Relay::startButtonName(1), QStringLiteral("Button30"));
        QCOMPARE(Relay::startButtonName(5), QStringLiteral("Button7"));
        QCOMPARE(Relay::startButtonName(10), QStringLiteral("Button29"));
    }

    void hexValues()
    {
        QCOMPARE(leadingHexValue(QStringLiteral("03FF")), 0x3FFu);
        QCOMPARE(leadingHexValue(QStringLiteral(" 1")), 0u);
        QCOMPARE(leadingHexValue(QStringLiteral("FFFFFFFFFF")), 0xFFFFFFFFu);
    }

    void scanRangeIsReadAgainByARunningScan()
    {
        ScanRange range;
        QCOMPARE(range.first(), 0x00);
        QCOMPARE(range.last(), 0x0F);
        const std::function<int()> last = range.liveLast();
        range.setFirstText(QStringLiteral("1g"));
        range.setLastText(QStringLiteral("2A"));
        QCOMPARE(range.first(), 0x01);
        int seen = 0;
        std::thread reader([&] { seen = last(); });
        reader.join();
        QCOMPARE(seen, 0x2A);
        range.setLastText(QString());
        QCOMPARE(last(), 0);
    }
};

QTEST_GUILESS_MAIN(TestMonitorLogic)
#include "tst_monitorlogic.moc"
