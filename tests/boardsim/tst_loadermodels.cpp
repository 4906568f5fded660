// The loader models as the bus hears them, byte by byte, without a line: the board that
// starts its loader, the search and identification commands, the acknowledgements each
// kind gives, the record of the lines, the drop, and the demo firmware file.

#include "boardsim/boards.h"
#include "boardsim/loaders.h"

#include <QFile>
#include <QTest>

using namespace std::chrono_literals;
using boardsim::Clock;
using boardsim::LoaderBoard;

namespace {

// Loaders (and boards) from their descriptions on one bus; each exchange is sent as one
// burst, well after the one before, as the updater's waits space them.
struct Bus
{
    boardsim::ResponderChain chain;
    Clock::time_point clock = Clock::now();

    explicit Bus(const QStringList &descriptions)
    {
        for (const QString &description : descriptions) {
            if (auto loader = boardsim::makeLoader(description)) {
                const int address = loader->address();
                chain.add(address, std::move(loader));
            } else {
                auto board = boardsim::makeBoard(description, 0us);
                const int address = board->address();
                chain.add(address, std::move(board));
            }
        }
    }

    QList<boardsim::Reply> exchange(QByteArrayView bytes)
    {
        clock += 100ms;
        QList<boardsim::Reply> replies;
        for (char byte : bytes) {
            clock += 1ms;   // a byte time at 9600 baud
            replies += chain.respond(byte, clock);
        }
        return replies;
    }

    QByteArray send(QByteArrayView bytes)
    {
        QByteArray answer;
        for (const boardsim::Reply &reply : exchange(bytes))
            answer += reply.bytes;
        return answer;
    }

    std::shared_ptr<LoaderBoard> loader(int address) const
    {
        return std::dynamic_pointer_cast<LoaderBoard>(chain.find(address));
    }
};

QByteArrayList firmwareLines()
{
    QFile file(QStringLiteral(DEMO_FIRMWARE));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArrayList lines = file.readAll().split('\n');
    for (QByteArray &line : lines)
        line = line.trimmed();
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

class TestLoaderModels : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void exchanges_data();
    void exchanges();
    void theLoaderReplyNamesTheAddressAtCharacters7And8();
    void linesAreRecordedAndAcknowledged();
    void acknowledgements_data();
    void acknowledgements();
    void aDropLoaderAsksForTheDropOnceAfterItsLines();
    void theDemoFirmwareIsIntelHexOfTheDemoType();
    void makeLoader_data();
    void makeLoader();
};

void TestLoaderModels::exchanges_data()
{
    QTest::addColumn<QStringList>("bus");
    QTest::addColumn<QByteArrayList>("exchanges");   // sent, expected answer, sent, ...

    QTest::newRow("normal firmware: select reply, version, ^FP starts the loader")
        << QStringList{"10:firmware", "01:digital"}
        << QByteArrayList{")*L10", "10F0", "V", "2.40", ")*LOC(10H)", "", "\r", "", "L10", "10F0", "^FP", "",
                          ")*LOC(10H)", "LUNIT-10 READY", "*VER(10H)", "LDR 1.3", "*TYP(10H)", "TYPE-VDEMO-LDR",
                          "*PFL(10H)", "", "\r", "\x06", ":00000001FF\r", "\x06"};
    QTest::newRow("normal firmware: ^FP only while selected")
        << QStringList{"10:firmware"}
        << QByteArrayList{"L11", "", "^FP", "", ")*LOC(10H)", "", "L10", "10F0", "^FP", "", "\r", "\x06"};
    QTest::newRow("a running loader answers the loader search, not the firmware's")
        << QStringList{"11:loader"}
        << QByteArrayList{")*L11", "", "V", "", ")*LOC(11H)", "LUNIT-11 READY", "*VER(11H)", "LDR 1.3",
                          "*TYP(11H)", "TYPE-VDEMO-LDR", "*PFL(11H)", "", "\r", "\x06"};
    QTest::newRow("other addresses get nothing")
        << QStringList{"11:loader"}
        << QByteArrayList{")*LOC(12H)", "", "*VER(12H)", "", "*TYP(12H)", "", "\r", ""};
    QTest::newRow(")*LOC chooses the one loader that takes the lines")
        << QStringList{"11:loader", "12:loader"}
        << QByteArrayList{"\r", "\x06\x06", ")*LOC(12H)", "LUNIT-12 READY", "\r", "\x06", ":00000001FF\r", "\x06",
                          "*VER(11H)", "LDR 1.3"};
    QTest::newRow("a mute loader answers its commands and no line")
        << QStringList{"13:mute-loader"}
        << QByteArrayList{")*LOC(13H)", "LUNIT-13 READY", "\r", "\x06", ":00000001FF\r", ""};
    QTest::newRow("the boards answer beside a running loader")
        << QStringList{"11:loader", "01:digital"}
        << QByteArrayList{")*L01", "01D0", "V", "1.07", "\r", "\x06"};
}

void TestLoaderModels::exchanges()
{
    QFETCH(QStringList, bus);
    QFETCH(QByteArrayList, exchanges);
    Bus b(bus);
    for (qsizetype i = 0; i + 1 < exchanges.size(); i += 2)
        QCOMPARE(b.send(exchanges[i]), exchanges[i + 1]);
}

void TestLoaderModels::theLoaderReplyNamesTheAddressAtCharacters7And8()
{
    Bus b({"0F:loader"});
    const QByteArray reply = b.send(")*LOC(0FH)");
    QVERIFY(reply.startsWith("LUN"));
    QCOMPARE(reply.mid(6, 2), QByteArray("0F"));
    // The type text: "TYPE-", the type, and a further "-".
    const QByteArray type = b.send("*TYP(0FH)");
    QCOMPARE(type.mid(type.indexOf("TYPE-") + 5).split('-').first(), QByteArray(boardsim::DemoType));
    QVERIFY(type.indexOf('-', type.indexOf("TYPE-") + 5) > 0);
}

void TestLoaderModels::linesAreRecordedAndAcknowledged()
{
    const QByteArrayList file = firmwareLines();
    QVERIFY(file.size() > 3);
    Bus b({"11:loader", "12:loader"});
    b.send(")*LOC(11H)");
    b.send(")*L05");   // a search's leftover: a pause ends it, it is no part of a line
    QByteArrayList sent;
    int acks = 0;
    for (const QByteArray &line : file) {
        if (line.startsWith(';'))
            continue;
        sent << line;
        acks += int(b.send(line + '\r').count('\x06'));
    }
    QCOMPARE(b.loader(0x11)->lines(), sent);
    QCOMPARE(acks, sent.size());
    QCOMPARE(b.loader(0x11)->acknowledged(), sent.size());
    QVERIFY(b.loader(0x12)->lines().isEmpty());   // not the chosen one
}

void TestLoaderModels::acknowledgements_data()
{
    QTest::addColumn<QString>("loader");
    QTest::addColumn<QList<bool>>("acked");   // lines 1 to 6
    QTest::addColumn<int>("latencyMs");

    QTest::newRow("loader") << "20:loader" << QList<bool>{true, true, true, true, true, true} << 0;
    QTest::newRow("slow") << "20:slow-loader:250" << QList<bool>{true, true, true, true, true, true} << 250;
    QTest::newRow("mute") << "20:mute-loader" << QList<bool>{false, false, false, false, false, false} << 0;
    QTest::newRow("all but line 3") << "20:partial-loader:3" << QList<bool>{true, true, false, true, true, true} << 0;
    QTest::newRow("every second") << "20:partial-loader:%2" << QList<bool>{true, false, true, false, true, false}
                                  << 0;
}

void TestLoaderModels::acknowledgements()
{
    QFETCH(QString, loader);
    QFETCH(QList<bool>, acked);
    QFETCH(int, latencyMs);
    Bus b({loader});
    for (qsizetype line = 0; line < acked.size(); ++line) {
        const QList<boardsim::Reply> replies = b.exchange(":00000001FF\r");
        QCOMPARE(replies.size(), acked[line] ? 1 : 0);
        if (acked[line]) {
            QCOMPARE(replies.first().bytes, QByteArray("\x06"));
            if (latencyMs > 0)
                QCOMPARE(replies.first().latency, std::chrono::microseconds(std::chrono::milliseconds(latencyMs)));
        }
    }
    QCOMPARE(b.loader(0x20)->lines().size(), acked.size());
    // The loader test's bare CR is answered at once, however slow the lines.
    const QList<boardsim::Reply> test = b.exchange("\r");
    QCOMPARE(test.size(), 1);
    QVERIFY(test.first().latency < 10ms);
}

void TestLoaderModels::aDropLoaderAsksForTheDropOnceAfterItsLines()
{
    Bus b({"15:drop-loader:2"});
    int drops = 0;
    b.loader(0x15)->setDropHandler([&] { ++drops; });
    QCOMPARE(b.send(":00000001FF\r"), QByteArray("\x06"));
    QCOMPARE(drops, 0);
    QCOMPARE(b.send(":00000001FF\r"), QByteArray());   // the line goes as line 2 ends
    QCOMPARE(drops, 1);
    QVERIFY(b.loader(0x15)->dropRequested());
    // Gone: nothing more is heard or answered, and the drop is asked once.
    QCOMPARE(b.send("\r"), QByteArray());
    QCOMPARE(b.send(":00000001FF\r"), QByteArray());
    QCOMPARE(drops, 1);
    QCOMPARE(b.loader(0x15)->lines().size(), 2);
    // Back at its link, it counts afresh.
    b.loader(0x15)->lineRestored();
    QCOMPARE(b.send(":00000001FF\r"), QByteArray("\x06"));
    QCOMPARE(b.send(":00000001FF\r"), QByteArray());
    QCOMPARE(drops, 2);
}

void TestLoaderModels::theDemoFirmwareIsIntelHexOfTheDemoType()
{
    const QByteArrayList lines = firmwareLines();
    QVERIFY(!lines.isEmpty());
    // The first line names the type the demo loaders answer.
    QVERIFY(lines.first().startsWith(QByteArray("TYPE-") + boardsim::DemoType + '-'));
    bool ended = false;
    for (const QByteArray &line : lines.mid(1)) {
        if (line.startsWith(';'))
            continue;
        QVERIFY2(!ended, "a record after the end record");
        QVERIFY2(line.startsWith(':'), line.constData());
        const QByteArray bytes = QByteArray::fromHex(line.mid(1));
        QCOMPARE(bytes.size() * 2, line.size() - 1);
        QCOMPARE(bytes.size(), 5 + int(quint8(bytes[0])));
        quint8 sum = 0;
        for (char c : bytes)
            sum = quint8(sum + quint8(c));
        QVERIFY2(sum == 0, line.constData());
        ended = bytes[3] == 1;
    }
    QVERIFY(ended);
}

void TestLoaderModels::makeLoader_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<bool>("firmware");

    QTest::newRow("firmware") << "10:firmware" << true << true;
    QTest::newRow("loader") << "1f:loader" << true << false;
    QTest::newRow("slow with latency") << "12:slow-loader:20" << true << false;
    QTest::newRow("partial every third") << "14:partial-loader:%3" << true << false;
    QTest::newRow("drop after 7") << "15:drop-loader:7" << true << false;
    QTest::newRow("no kind") << "10" << false << false;
    QTest::newRow("bad address") << "1G:loader" << false << false;
    QTest::newRow("unknown kind") << "10:digital" << false << false;
    QTest::newRow("number where none goes") << "10:loader:3" << false << false;
    QTest::newRow("pattern where none goes") << "15:drop-loader:%3" << false << false;
    QTest::newRow("line 0") << "14:partial-loader:0" << false << false;
}

void TestLoaderModels::makeLoader()
{
    QFETCH(QString, description);
    QFETCH(bool, valid);
    QFETCH(bool, firmware);
    QString error;
    const auto loader = boardsim::makeLoader(description, &error);
    QCOMPARE(bool(loader), valid);
    QCOMPARE(error.isEmpty(), valid);
    if (loader)
        QCOMPARE(loader->mode() == LoaderBoard::Mode::Firmware, firmware);
}

QTEST_GUILESS_MAIN(TestLoaderModels)
#include "tst_loadermodels.moc"
