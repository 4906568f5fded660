// The board models as the bus hears them, byte by byte, without a line: framing,
// selection by "L", and what each kind of board answers.

#include "boardsim/boards.h"

#include <QTest>

using namespace std::chrono_literals;
using boardsim::Clock;

namespace {

// A bus of boards from their descriptions, fed one byte at a time at a given moment.
struct Bus
{
    boardsim::ResponderChain chain;

    explicit Bus(const QStringList &descriptions)
    {
        for (const QString &description : descriptions) {
            auto board = boardsim::makeBoard(description, 0us);
            const int address = board->address();
            chain.add(address, std::move(board));
        }
    }

    QByteArray send(QByteArrayView bytes, Clock::time_point when = Clock::now())
    {
        QByteArray answer;
        for (char byte : bytes)
            answer += chain.onByte(byte, when);
        return answer;
    }

    template<typename T>
    std::shared_ptr<T> board(int address) const
    {
        return std::dynamic_pointer_cast<T>(chain.find(address));
    }
};

} // namespace

class TestBoardModels : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void exchanges_data();
    void exchanges();
    void digitalInputsAndOutputs();
    void analogChannels();
    void relaySwitchingReadsBackInTheStateWord();
    void relayTimerRunsOut();
    void makeBoard_data();
    void makeBoard();
};

void TestBoardModels::exchanges_data()
{
    QTest::addColumn<QStringList>("bus");
    QTest::addColumn<QByteArrayList>("exchanges");   // sent, expected answer, sent, ...

    const QStringList mixed{"01:digital", "02:analog", "03:q83q", "04:q907", "0A:relay"};
    QTest::newRow("only the addressed board answers")
        << mixed
        << QByteArrayList{"U", "", "L01", "01D0", "U", "Q516", "V", "1.07", "L0A", "0AK0", "U", "Q610",
                          "L05", "", "U", "", "I", ""};
    QTest::newRow("digital registers: R selects, M writes the selected one")
        << mixed
        << QByteArrayList{"L01", "01D0", "R5E", "005E", "M3C", "3C5E", "R5E", "3C5E", "R5B", "005B",
                          "M81", "815B", "R5A", "A55A", "M00", "A55A", "R5C", "3C5C", "MG1", "3C5C"};
    QTest::newRow("analog register maps")
        << mixed
        << QByteArrayList{"L03", "03A0", "U", "Q83Q", "R30", "0000", "L04", "04A0", "U", "Q907", "R3A", "0000",
                          "R10", "0000", "L02", "02A0", "U", "Q411", "R10", "0000", "R00", "0000"};
    QTest::newRow("relay commands")
        << mixed
        << QByteArrayList{"L0A", "0AK0", "I", "0000", "K1FF", "8000", "K0FF", "8040", "K100", "0040",
                          "I", "0040", "KB01", "0163", "KCF4", "01F4", "K000", "0000"};
    // Every board frames every command, addressed or not, so a relay command on the line
    // never puts the digital board out of step.
    QTest::newRow("framing holds across other boards' commands")
        << mixed
        << QByteArrayList{"L01", "01D0", "K6 5", "", "KB01", "", "\r\n", "", "R5A", "A55A", "L0A", "0AK0",
                          "R5A", "", "M3C", "", "I", "0000"};
    QTest::newRow("relay OFF addresses 0F first: nobody there")
        << mixed << QByteArrayList{"L0A", "0AK0", "L0F", "", "K300", "", "L0A", "0AK0", "K300", "0000"};
    QTest::newRow("first character only")
        << QStringList{"06:first-char"} << QByteArrayList{"L06", "0", "U", "", "V", "", "R5A", ""};
    QTest::newRow("echo of another address")
        << QStringList{"05:digital:0C"} << QByteArrayList{"L05", "0CD0", "U", "Q516", "L0C", "", "U", ""};
    QTest::newRow("silent board") << QStringList{"07:silent"} << QByteArrayList{"L07", "", "U", "", "R5A", ""};
    QTest::newRow("lower-case address selects nobody")
        << QStringList{"0A:relay"} << QByteArrayList{"L0a", "", "I", ""};
}

void TestBoardModels::exchanges()
{
    QFETCH(QStringList, bus);
    QFETCH(QByteArrayList, exchanges);
    Bus line(bus);
    for (qsizetype i = 0; i + 1 < exchanges.size(); i += 2)
        QCOMPARE(line.send(exchanges[i]), exchanges[i + 1]);
}

void TestBoardModels::digitalInputsAndOutputs()
{
    using Port = boardsim::DigitalBoard::Port;
    Bus line({"01:digital"});
    auto board = line.board<boardsim::DigitalBoard>(1);
    QVERIFY(board);

    board->setInput(Port::Left, 0x81);
    board->setInput(Port::Middle, 0x00);
    board->setInput(Port::Right, 0xFF);
    QCOMPARE(line.send("L01R5CR5AR5D"), QByteArray("01D0815C005AFF5D"));

    QCOMPARE(line.send("R5EM12R5BM34R5FM56"), QByteArray("005E125E005B345B005F565F"));
    QCOMPARE(board->output(Port::Left), quint8(0x12));
    QCOMPARE(board->output(Port::Middle), quint8(0x34));
    QCOMPARE(board->output(Port::Right), quint8(0x56));
    QCOMPARE(board->heard().mid(1, 2), (QList<QByteArray>{"R5C", "R5A"}));
}

void TestBoardModels::analogChannels()
{
    Bus line({"02:analog", "03:q83q", "04:q907"});
    auto eleven = line.board<boardsim::AnalogBoard>(2);
    auto q83q = line.board<boardsim::AnalogBoard>(3);
    auto q907 = line.board<boardsim::AnalogBoard>(4);
    QVERIFY(eleven && q83q && q907);
    QCOMPARE(eleven->channelCount(), 11);
    QCOMPARE(q83q->channelCount(), 5);
    QCOMPARE(q907->channelCount(), 5);

    eleven->setChannel(1, 0x0023);
    eleven->setChannel(11, 0x03FF);
    QCOMPARE(line.send("L02R30R44"), QByteArray("02A0002303FF"));
    q83q->setChannel(1, 0x0100);
    q83q->setChannel(5, 0x0400);
    QCOMPARE(line.send("L03R10R0E"), QByteArray("03A001000400"));
    q907->setChannel(5, 0x0022);
    QCOMPARE(line.send("L04R38"), QByteArray("04A00022"));

    // A channel nobody set drifts, slowly, inside a 10-bit reading.
    const auto start = Clock::now();
    for (int channel = 1; channel <= 11; ++channel) {
        eleven->setDrifting(channel);
        QList<int> seen;
        for (int second = 0; second < 60; second += 5)
            seen << eleven->channelValue(channel, start + std::chrono::seconds(second));
        QVERIFY2(*std::min_element(seen.cbegin(), seen.cend()) > 35, qPrintable(QString::number(channel)));
        QVERIFY(*std::max_element(seen.cbegin(), seen.cend()) < 0x3FF);
        QVERIFY(*std::min_element(seen.cbegin(), seen.cend()) != *std::max_element(seen.cbegin(), seen.cend()));
    }
}

void TestBoardModels::relaySwitchingReadsBackInTheStateWord()
{
    Bus line({"0A:relay"});
    auto board = line.board<boardsim::RelayBoard>(0x0A);
    QVERIFY(board);

    line.send("L0AK3FF");
    QVERIFY(board->isOn(3));
    QCOMPARE(board->stateWord(), quint16(0x2000));
    QCOMPARE(line.send("I"), QByteArray("2000"));

    board->setStateWord(0x8000);
    QCOMPARE(line.send("I"), QByteArray("8000"));
    line.send("K0FF");   // K10 is digit 0
    QVERIFY(board->isOn(10));
    QCOMPARE(line.send("I"), QByteArray("8040"));
    line.send("K100");
    QVERIFY(!board->isOn(1));
    QCOMPARE(line.send("I"), QByteArray("0040"));
}

void TestBoardModels::relayTimerRunsOut()
{
    Bus line({"0A:relay"});
    auto board = line.board<boardsim::RelayBoard>(0x0A);
    QVERIFY(board);
    const auto t0 = Clock::now();

    // Prescaler 0: a unit is 10 ms; " 5" is five units.
    QCOMPARE(line.send("L0AKB00KC00", t0), QByteArray("0AK000630000"));
    QCOMPARE(board->prescaler(), quint16(0));
    QCOMPARE(line.send("K6 5", t0), QByteArray("0400"));
    QVERIFY(board->isOn(6, t0 + 49ms));
    QVERIFY(!board->isOn(6, t0 + 50ms));
    QCOMPARE(line.send("I", t0 + 60ms), QByteArray("0000"));

    // FF holds the relay on whatever the prescaler; a later switch ends a running timer.
    line.send("K630", t0);
    line.send("K6FF", t0);
    QVERIFY(board->isOn(6, t0 + 10s));
}

void TestBoardModels::makeBoard_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<int>("address");
    QTest::addColumn<QByteArray>("type");   // empty for an invalid description

    QTest::newRow("digital") << "01:digital" << 0x01 << QByteArray("Q516");
    QTest::newRow("analog") << "02:analog" << 0x02 << QByteArray("Q411");
    QTest::newRow("q83q, any case") << "0a:Q83Q" << 0x0A << QByteArray("Q83Q");
    QTest::newRow("q907") << "FF:q907" << 0xFF << QByteArray("Q907");
    QTest::newRow("relay") << "0A:relay" << 0x0A << QByteArray("Q610");
    QTest::newRow("silent") << "07:silent" << 0x07 << QByteArray("Q000");
    QTest::newRow("with echo") << "05:digital:0C" << 0x05 << QByteArray("Q516");

    QTest::newRow("one digit") << "1:digital" << -1 << QByteArray();
    QTest::newRow("not hex") << "0G:digital" << -1 << QByteArray();
    QTest::newRow("unknown kind") << "01:stepper" << -1 << QByteArray();
    QTest::newRow("no kind") << "01" << -1 << QByteArray();
    QTest::newRow("bad echo") << "01:digital:X" << -1 << QByteArray();
    QTest::newRow("too many parts") << "01:digital:02:03" << -1 << QByteArray();
}

void TestBoardModels::makeBoard()
{
    QFETCH(QString, description);
    QFETCH(int, address);
    QFETCH(QByteArray, type);

    QString error;
    const auto board = boardsim::makeBoard(description, 0us, &error);
    if (address < 0) {
        QVERIFY(!board);
        QVERIFY2(error.contains(description), qPrintable(error));
        return;
    }
    QVERIFY2(board, qPrintable(error));
    QCOMPARE(board->address(), address);
    QCOMPARE(board->typeCode(), type);
}

QTEST_GUILESS_MAIN(TestBoardModels)
#include "tst_boardmodels.moc"
