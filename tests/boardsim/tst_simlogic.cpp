#include "boardsim/record.h"
#include "boardsim/responder.h"
#include "boardsim/scriptfile.h"

#include <QTest>

using namespace std::chrono_literals;
using boardsim::Clock;

namespace {

// Requests and replies alternately, so a table column can hold a whole script.
QByteArrayList flatten(const QList<boardsim::ScriptStep> &steps)
{
    QByteArrayList flat;
    for (const boardsim::ScriptStep &step : steps)
        flat << step.request << step.reply;
    return flat;
}

QByteArray feed(boardsim::Responder &responder, QByteArrayView input)
{
    QByteArray output;
    for (char byte : input)
        output += responder.onByte(byte, Clock::now());
    return output;
}

} // namespace

class TestSimLogic : public QObject
{
    Q_OBJECT

private slots:
    void parseScript_data();
    void parseScript();
    void scripted_data();
    void scripted();
    void chain();
    void formatRecord();
};

void TestSimLogic::parseScript_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArrayList>("steps");
    QTest::addColumn<int>("errorLine");   // 0: the text is valid

    QTest::newRow("pairs in order") << QByteArray("L0A => OK0A\nU => DI16\n")
                                    << QByteArrayList{"L0A", "OK0A", "U", "DI16"} << 0;
    QTest::newRow("escapes") << QByteArray(R"(\r\n => \x06\t\0\\\xfF)")
                             << QByteArrayList{"\r\n", QByteArray("\x06\t\0\\\xff", 5)} << 0;
    QTest::newRow("blanks at the ends only as escapes")
        << QByteArray("  \\x20A B  =>  C\\x20 ") << QByteArrayList{" A B", "C "} << 0;
    QTest::newRow("comments, blank lines, CRLF")
        << QByteArray("# header\r\n\r\nU => DI16\r\n   # indented\n\n") << QByteArrayList{"U", "DI16"} << 0;
    QTest::newRow("empty reply") << QByteArray("U =>") << QByteArrayList{"U", ""} << 0;
    QTest::newRow("the first arrow separates") << QByteArray("A => =>B") << QByteArrayList{"A", "=>B"} << 0;
    QTest::newRow("empty file") << QByteArray() << QByteArrayList{} << 0;

    QTest::newRow("no arrow") << QByteArray("U DI16") << QByteArrayList{} << 1;
    QTest::newRow("empty request") << QByteArray("U => X\n => DI16") << QByteArrayList{} << 2;
    QTest::newRow("unknown escape") << QByteArray("\\q => X") << QByteArrayList{} << 1;
    QTest::newRow("one hex digit") << QByteArray("# c\nA => \\x4") << QByteArrayList{} << 2;
    QTest::newRow("not a hex digit") << QByteArray("\\xG0 => X") << QByteArrayList{} << 1;
    QTest::newRow("trailing backslash") << QByteArray("A => B\\") << QByteArrayList{} << 1;
}

void TestSimLogic::parseScript()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArrayList, steps);
    QFETCH(int, errorLine);

    QString error;
    const auto parsed = boardsim::parseScript(text, &error);
    if (errorLine == 0) {
        QVERIFY2(parsed.has_value(), qPrintable(error));
        QCOMPARE(flatten(*parsed), steps);
    } else {
        QVERIFY(!parsed.has_value());
        QVERIFY2(error.startsWith(QStringLiteral("line %1: ").arg(errorLine)), qPrintable(error));
    }
}

void TestSimLogic::scripted_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<bool>("repeat");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("output");

    const QByteArray two("L0A => OK0A\nU => DI16");
    QTest::newRow("plays in order") << two << false << QByteArray("L0AU") << QByteArray("OK0ADI16");
    QTest::newRow("matches the tail after noise") << two << false << QByteArray("zzL0L0A") << QByteArray("OK0A");
    QTest::newRow("waits for the next request") << two << false << QByteArray("UL0") << QByteArray();
    QTest::newRow("a request is only answered once") << two << false << QByteArray("L0AL0A") << QByteArray("OK0A");
    QTest::newRow("silent after the last step") << QByteArray("U => DI16") << false << QByteArray("UU")
                                                << QByteArray("DI16");
    QTest::newRow("repeats") << QByteArray("U => DI16") << true << QByteArray("UUU")
                             << QByteArray("DI16DI16DI16");
    QTest::newRow("an empty reply consumes its request") << QByteArray("L0A =>\nU => DI16") << false
                                                         << QByteArray("UL0AU") << QByteArray("DI16");
    QTest::newRow("overlapping request") << QByteArray("AAB => 1") << false << QByteArray("AAAB")
                                         << QByteArray("1");
}

void TestSimLogic::scripted()
{
    QFETCH(QByteArray, script);
    QFETCH(bool, repeat);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, output);

    auto steps = boardsim::parseScript(script);
    QVERIFY(steps.has_value());
    boardsim::ScriptedResponder responder(*steps, repeat);
    QCOMPARE(feed(responder, input), output);
}

void TestSimLogic::chain()
{
    boardsim::ResponderChain bus;
    const auto slow = std::make_shared<boardsim::ScriptedResponder>(
        QList<boardsim::ScriptStep>{{"U", "SLOW"}}, true, 20ms);
    const auto echo = std::make_shared<boardsim::EchoResponder>(1ms);
    bus.add(0x0A, slow);
    bus.add(echo);
    QVERIFY(bus.find(0x0A) == slow);
    QVERIFY(!bus.find(0x0B));

    // Every member sees every byte and keeps its own latency.
    const QList<boardsim::Reply> replies = bus.respond('U', Clock::now());
    QCOMPARE(replies.size(), 2);
    QCOMPARE(replies.at(0).bytes, QByteArray("SLOW"));
    QVERIFY(replies.at(0).latency == 20ms);
    QCOMPARE(replies.at(1).bytes, QByteArray("U"));
    QVERIFY(replies.at(1).latency == 1ms);
    QCOMPARE(bus.onByte('U', Clock::now()), QByteArray("SLOWU"));
    QVERIFY(bus.latency() == 20ms);

    // A board put at a taken address replaces the one there, in its place on the bus.
    bus.add(0x0A, std::make_shared<boardsim::SilentResponder>());
    QCOMPARE(bus.onByte('U', Clock::now()), QByteArray("U"));
    QVERIFY(bus.remove(0x0A));
    QVERIFY(!bus.remove(0x0A));
    QVERIFY(!bus.find(0x0A));
    QCOMPARE(bus.onByte('x', Clock::now()), QByteArray("x"));
}

void TestSimLogic::formatRecord()
{
    using boardsim::Direction;
    const QList<boardsim::RecordedByte> record{
        {0ns, Direction::ToBoard, 'L'},
        {1'999ns, Direction::ToBoard, '\xff'},
        {2'000'001ns, Direction::FromBoard, '\x06'},
    };
    QCOMPARE(boardsim::formatRecord(record), QByteArray("0 -> 4C\n1 -> FF\n2000 <- 06\n"));
}

QTEST_GUILESS_MAIN(TestSimLogic)
#include "tst_simlogic.moc"
