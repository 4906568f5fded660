// The scan loop: its commands and reads on the in-memory line, and the bytes it puts on
// the wire, in order, against the board models on a simulated line.

#include "boardsim/boards.h"
#include "boardsim/simline.h"
#include "bus/busscan.h"
#include "fakebus.h"
#include "serial/portmap.h"
#include "serial/qtserialdriver.h"

#include <QTest>

using namespace std::chrono_literals;

// Per address: the "L" reply and the type reply it is expected to give.
using Answers = QMap<int, QByteArrayList>;

namespace {

// The real driver on a simulated line, paced at 9600 baud, with a bus of board models.
struct SimBus
{
    boardsim::SimLine sim;
    std::shared_ptr<boardsim::ResponderChain> boards = std::make_shared<boardsim::ResponderChain>();
    std::shared_ptr<PortMap> map = std::make_shared<PortMap>();
    QtSerialDriver driver{map};
    TCom com{driver};

    bool open(const QStringList &descriptions)
    {
        for (const QString &description : descriptions) {
            auto board = boardsim::makeBoard(description, boardsim::Board::DefaultLatency);
            if (!board)
                return false;
            const int address = board->address();
            boards->add(address, std::move(board));
        }
        sim.setResponder(boards);
        if (!sim.open())
            return false;
        map->setEntries({{1, sim.devicePath()}});
        com.setCOMport(1);
        com.setBaud(4);
        com.setFlowCtl(3);
        com.setStopBits(0);
        com.setDataBits(1);
        com.setParity(0);
        return com.comOpen() == 0;
    }
};

// The traffic as "> sent < answered > sent ...", one group per change of direction.
class Transcript
{
public:
    void sent(const QByteArray &bytes) { add('>', bytes); }
    void answered(const QByteArray &bytes) { add('<', bytes); }
    QByteArray text() const { return m_text; }

    static Transcript of(const QList<boardsim::RecordedByte> &record)
    {
        Transcript t;
        for (const boardsim::RecordedByte &b : record)
            t.add(b.direction == boardsim::Direction::ToBoard ? '>' : '<', QByteArray(1, b.byte));
        return t;
    }

private:
    void add(char direction, const QByteArray &bytes)
    {
        if (bytes.isEmpty())
            return;
        if (direction != m_direction) {
            m_text += (m_text.isEmpty() ? "" : " ") + QByteArray(1, direction) + ' ';
            m_direction = direction;
        }
        m_text += bytes;
    }

    QByteArray m_text;
    char m_direction = 0;
};

} // namespace

class TestBusScan : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void scanProbes_data();
    void scanProbes();
    void scanAsksForTheLastAddressBeforeEveryProbe();
    void scanStopsBetweenAddressesWhenCancelled();
    void scanNeverProbesPastFF();
    void scanOnTheSimulatedBus_data();
    void scanOnTheSimulatedBus();
};

void TestBusScan::scanProbes_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<QByteArray>("fed");
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("reads");

    QTest::newRow("silent address: one read, not four")
        << true << 5 << 5 << QByteArray() << QByteArray("L05") << QStringList() << 1;
    QTest::newRow("board: L reply, then U and its reply")
        << true << 1 << 1 << QByteArray("01D0Q516") << QByteArray("L01U") << QStringList{"01 Q516"} << 8;
    QTest::newRow("board without a type") << true << 1 << 1 << QByteArray("01D0") << QByteArray("L01U")
                                          << QStringList{"01 XXXX"} << 8;
    QTest::newRow("first character only, type still asked")
        << true << 6 << 6 << QByteArray("0") << QByteArray("L06U") << QStringList{"0  XXXX"} << 8;
    QTest::newRow("echoed address is listed") << true << 7 << 7 << QByteArray("0CD0Q516") << QByteArray("L07U")
                                              << QStringList{"0C Q516"} << 8;
    QTest::newRow("first above last: nothing") << true << 6 << 5 << QByteArray() << QByteArray() << QStringList()
                                               << 0;
    QTest::newRow("port closed: nothing sent, nothing found")
        << false << 0 << 3 << QByteArray("00D0Q516") << QByteArray() << QStringList() << 0;
}

void TestBusScan::scanProbes()
{
    QFETCH(bool, open);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(QByteArray, fed);

    FakeBus bus(open);
    bus.line->feed(fed);
    QList<int> probed;
    QStringList found;
    ScanCallbacks callbacks;
    callbacks.probing = [&](int address) { probed << address; };
    callbacks.found = [&](const QString &entry) { found << entry; };
    const QStringList entries = scanAddresses(bus.com, first, [last] { return last; }, callbacks);

    QTEST(bus.line->written(), "written");
    QTEST(entries, "entries");
    QTEST(found, "entries");
    QTEST(int(bus.reads()), "reads");
    QList<int> expectedProbes;
    for (int address = first; address <= last; ++address)
        expectedProbes << address;
    QCOMPARE(probed, expectedProbes);
}

void TestBusScan::scanAsksForTheLastAddressBeforeEveryProbe()
{
    // The range edit may change while a scan runs; the scan follows it.
    FakeBus bus;
    int asked = 0;
    const auto last = [&] { return ++asked == 1 ? 3 : 1; };
    const QStringList entries = scanAddresses(bus.com, 0, last, {});
    QCOMPARE(bus.line->written(), QByteArray("L00L01"));
    QCOMPARE(asked, 3);
    QVERIFY(entries.isEmpty());
}

void TestBusScan::scanStopsBetweenAddressesWhenCancelled()
{
    FakeBus bus;
    int lastProbed = -1;
    ScanCallbacks callbacks;
    callbacks.probing = [&](int address) { lastProbed = address; };
    callbacks.cancelled = [&] { return lastProbed >= 2; };
    scanAddresses(bus.com, 0, [] { return 0xFF; }, callbacks);
    QCOMPARE(bus.line->written(), QByteArray("L00L01L02"));
}

void TestBusScan::scanNeverProbesPastFF()
{
    // A range text longer than two digits (a hand-edited settings file) stops at the last
    // bus address instead of sending three-digit addresses.
    FakeBus bus;
    const int last = scanAddressValue(QStringLiteral("FFF"));
    scanAddresses(bus.com, 0xFE, [last] { return last; }, {});
    QCOMPARE(bus.line->written(), QByteArray("LFELFF"));
}

void TestBusScan::scanOnTheSimulatedBus_data()
{
    QTest::addColumn<QStringList>("bus");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<Answers>("answers");
    QTest::addColumn<QStringList>("entries");

    QTest::newRow("boards at 01 and 0A")
        << QStringList{"01:digital", "0A:q83q"} << 0x00 << 0x0F
        << Answers{{0x01, {"01D0", "Q516"}}, {0x0A, {"0AA0", "Q83Q"}}}
        << QStringList{"01 Q516", "0A Q83Q"};
    QTest::newRow("first character only, echo of another address, silent board")
        << QStringList{"03:first-char", "05:digital:0C", "07:silent"} << 0x02 << 0x08
        << Answers{{0x03, {"0", ""}}, {0x05, {"0CD0", "Q516"}}}
        << QStringList{"0  XXXX", "0C Q516"};
}

void TestBusScan::scanOnTheSimulatedBus()
{
    QFETCH(QStringList, bus);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(Answers, answers);

    SimBus line;
    QVERIFY2(line.open(bus), qPrintable(line.sim.errorString()));
    const QStringList entries = scanAddresses(line.com, first, [last] { return last; }, {});
    QTEST(entries, "entries");

    // Every address gets its "L"; only a board that began to answer is asked for its type,
    // and only after the rest of its "L" reply was read.
    Transcript expected;
    for (int address = first; address <= last; ++address) {
        expected.sent(QString::asprintf("L%2.2X", address).toLatin1());
        if (!answers.contains(address))
            continue;
        expected.answered(answers[address].at(0));
        expected.sent("U");
        expected.answered(answers[address].at(1));
    }
    QCOMPARE(Transcript::of(line.sim.recorded()).text(), expected.text());
}

QTEST_GUILESS_MAIN(TestBusScan)
#include "tst_busscan.moc"
