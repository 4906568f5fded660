// The threaded port on pseudo-terminals played by the simulated bus in this process, and
// on the fake device where a pseudo-terminal cannot show a case (a refused configuration).

#include "boardsim/loaders.h"
#include "boardsim/responder.h"
#include "boardsim/scriptfile.h"
#include "boardsim/simline.h"
#include "scriptedprompt.h"
#include "serial/faketsiodevice.h"
#include "serial/portmap.h"
#include "serial/qtserialdriver.h"
#include "serial/tsiocommport.h"

#include <QFile>
#include <QSignalSpy>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <atomic>

using namespace std::chrono_literals;

namespace {

constexpr int ArrivalMs = 5000;   // generous: only a broken port ever waits it out

struct Note
{
    int message;
    qint64 wParam;
    qint64 lParam;
};

// COM1 is a simulated line; every notification of the port is kept in order.
struct PtyPort
{
    boardsim::SimLine sim;
    std::shared_ptr<PortMap> map = std::make_shared<PortMap>();
    TSIOCommPort port{qtTSIODevices(map)};
    QList<Note> notes;
    QStringList order;   // "3025", "box", ...: notifications and boxes as they came

    explicit PtyPort(std::shared_ptr<boardsim::Responder> responder = {})
    {
        QObject::connect(&port, &TSIOCommPort::notification, [this](int message, qint64 w, qint64 l) {
            notes.append({message, w, l});
            order << QString::number(message);
        });
        if (!sim.open())
            qFatal("no pseudo-terminal: %s", qPrintable(sim.errorString()));
        sim.setBaud(0);
        sim.setResponder(std::move(responder));
        map->setEntries({{1, sim.devicePath()}});
    }

    qsizetype count(int message) const
    {
        return std::count_if(notes.begin(), notes.end(), [message](const Note &n) { return n.message == message; });
    }
    // Everything the 3025s announced, in bytes.
    qint64 announced() const
    {
        qint64 sum = 0;
        for (const Note &n : notes)
            sum += n.message == TSIOCommPort::DataReceived ? n.wParam : 0;
        return sum;
    }
};

std::shared_ptr<boardsim::Responder> script(const QByteArray &text, std::chrono::microseconds latency = 0us)
{
    return std::make_shared<boardsim::ScriptedResponder>(*boardsim::parseScript(text), false, latency);
}

} // namespace

class TSIOCommPortTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void opensConfiguresAndCloses();
    void rates_data();
    void rates();
    void receivedBytesAreAnnouncedAndTakenWhole();
    void aLateReplyComesAfterTheWatchClearedTheText();
    void twoQuickSendsMaySendOnlyTheSecond();
    void aBlockBeyondTheLimitIsRefused();
    void aHeldDeviceDoesNotOpen();
    void closingRunningWorkersReturns();
    void aVanishedDeviceEndsTheReader();
    void aFailedWriteShowsItsBoxAndWaitsForIt();
    void closingWhileTheBoxIsUpDoesNotHang();
    void aRefusedConfigurationLeavesNoWorkers();
    void aLoaderTakesTheDemoFirmwareLineByLine();
    void aDropLoaderTakesTheLineAwayMidFile();
};

void TSIOCommPortTest::opensConfiguresAndCloses()
{
    PtyPort f;
    QVERIFY(f.port.OpenPort(1, 9600));
    QVERIFY(f.port.isOpen());
    QVERIFY(f.port.configured());
    QCOMPARE(f.port.portNumber(), 1);
    QCOMPARE(f.port.rate(), 9600);
    QCOMPARE(f.sim.deviceBaud(), 9600);

    // Opening again closes first: the device is not held twice.
    QVERIFY(f.port.OpenPort(1, 19200));
    QCOMPARE(f.sim.deviceBaud(), 19200);

    f.port.ClosePort();
    QVERIFY(!f.port.isOpen());
    QVERIFY(!f.port.configured());
    QCOMPARE(f.port.portNumber(), 0);
    QCOMPARE(f.port.rate(), 0);
    QVERIFY(!f.port.SendBytes("x"));

    // Closed means released: another user gets the device.
    OpenError error = OpenError::None;
    QString detail;
    QVERIFY2(QtSerialDriver::openPath(f.sim.devicePath(), error, detail), qPrintable(detail));

    // A port without a device stores its number and fails.
    QVERIFY(!f.port.OpenPort(12, 9600));
    QCOMPARE(f.port.portNumber(), 12);
    QVERIFY(!f.port.isOpen());
}

void TSIOCommPortTest::rates_data()
{
    QTest::addColumn<int>("asked");
    QTest::addColumn<int>("line");
    QTest::newRow("0 runs at 38400") << 0 << 38400;
    QTest::newRow("300 is kept") << 300 << 300;
    QTest::newRow("57600") << 57600 << 57600;
    QTest::newRow("115200") << 115200 << 115200;
}

void TSIOCommPortTest::rates()
{
    QFETCH(int, asked);
    QFETCH(int, line);
    PtyPort f;
    QVERIFY(f.port.OpenPort(1, asked));
    QVERIFY(f.port.configured());
    QCOMPARE(f.sim.deviceBaud(), line);
    QCOMPARE(f.port.lineRate(), line);
    QCOMPARE(f.port.rate(), asked);
}

void TSIOCommPortTest::receivedBytesAreAnnouncedAndTakenWhole()
{
    PtyPort f(script("abc => 0123456789AB\n"));
    QVERIFY(f.port.OpenPort(1, 115200));
    QVERIFY(f.port.SendBytes("abc"));
    QTRY_VERIFY_WITH_TIMEOUT(f.announced() == 12, ArrivalMs);
    QCOMPARE(f.sim.received(), QByteArray("abc"));

    // Each 3025 gives the bytes just read and the total so far.
    qint64 total = 0;
    for (const Note &n : std::as_const(f.notes)) {
        if (n.message != TSIOCommPort::DataReceived)
            continue;
        QVERIFY(n.wParam > 0);
        total += n.wParam;
        QCOMPARE(n.lParam, total);
    }
    // The writer announced its block before the reply came, and its end.
    QVERIFY(f.order.indexOf("3027") >= 0);
    QVERIFY(f.order.indexOf("3027") < f.order.indexOf("3025"));
    QVERIFY(f.order.indexOf("3027") < f.order.indexOf("3028"));

    QCOMPARE(f.port.ReceivedLength(), 12);
    qsizetype count = 5;
    QCOMPARE(f.port.TakeReceived(count), QByteArray("0123456789AB"));
    QCOMPARE(count, 12);
    QCOMPARE(f.port.ReceivedLength(), 0);
    QCOMPARE(f.port.TakeReceived(), QByteArray());
}

void TSIOCommPortTest::aLateReplyComesAfterTheWatchClearedTheText()
{
    PtyPort f(script("?? => LATE\n", 1500ms));
    QVERIFY(f.port.OpenPort(1, 9600));
    // Bytes that wait untaken when a transmission starts...
    f.sim.send("stale");
    QTRY_VERIFY_WITH_TIMEOUT(f.announced() == 5, ArrivalMs);
    QCOMPARE(f.port.ReceivedLength(), 5);
    f.notes.clear();
    f.order.clear();
    QVERIFY(f.port.SendBytes("??"));
    // ...are cleared when no reply has started within the watch, and the late reply then
    // arrives on its own.
    QTRY_VERIFY_WITH_TIMEOUT(f.announced() == 4, ArrivalMs);
    const qsizetype watch = f.order.indexOf("3024");
    QVERIFY2(watch >= 0, qPrintable(f.order.join(' ')));
    QVERIFY(watch < f.order.indexOf("3025"));
    for (const Note &n : std::as_const(f.notes)) {
        if (n.message == TSIOCommPort::NoReply)
            QCOMPARE(n.wParam, 0);
    }
    QCOMPARE(f.port.TakeReceived(), QByteArray("LATE"));
}

void TSIOCommPortTest::twoQuickSendsMaySendOnlyTheSecond()
{
    PtyPort f;
    QVERIFY(f.port.OpenPort(1, 9600));
    QVERIFY(f.port.SendBytes("first"));
    QVERIFY(f.port.SendBytes("second"));
    QTRY_VERIFY_WITH_TIMEOUT(f.sim.received().endsWith("second"), ArrivalMs);
    // Each block went out whole and once: never the first after the second.
    QTRY_COMPARE_WITH_TIMEOUT(f.count(TSIOCommPort::TransmitDone), f.count(TSIOCommPort::TransmitStarting), ArrivalMs);
    const QByteArray sent = f.sim.received();
    QVERIFY2(sent == "second" || sent == "firstsecond", sent.constData());
    QCOMPARE(f.count(TSIOCommPort::TransmitStarting), sent == "second" ? 1 : 2);
}

void TSIOCommPortTest::aBlockBeyondTheLimitIsRefused()
{
    PtyPort f;
    QVERIFY(f.port.OpenPort(1, 9600));
    QVERIFY(!f.port.SendBytes(QByteArray(TSIOCommPort::BlockLimit + 1, 'x')));
    const QByteArray full(TSIOCommPort::BlockLimit, 'y');
    QVERIFY(f.port.SendBytes(full));
    QVERIFY(f.sim.waitForReceived(full.size(), 5s));
    QCOMPARE(f.sim.received(), full);
}

void TSIOCommPortTest::aHeldDeviceDoesNotOpen()
{
    PtyPort f;
    // Held by the main port's driver...
    {
        QtSerialDriver mainDriver(f.map);
        OpenError error = OpenError::None;
        QString detail;
        auto held = mainDriver.open(1, error, detail);
        QVERIFY2(held, qPrintable(detail));
        QVERIFY(!f.port.OpenPort(1, 9600));
        QVERIFY(!f.port.isOpen());
    }
    // ...and the other way round, also through a link to the device.
    QVERIFY(f.port.OpenPort(1, 9600));
    OpenError error = OpenError::None;
    QString detail;
    QVERIFY(!QtSerialDriver::openPath(f.sim.devicePath(), error, detail));
    QCOMPARE(error, OpenError::Busy);
    TSIOCommPort second(qtTSIODevices(f.map));
    QVERIFY(!second.OpenPort(1, 9600));
}

void TSIOCommPortTest::closingRunningWorkersReturns()
{
    PtyPort f;   // silent: the reader sits in its reply watch
    QVERIFY(f.port.OpenPort(1, 9600));
    QVERIFY(f.port.SendBytes("x"));
    QVERIFY(f.sim.waitForReceived(1, 5s));
    f.port.ClosePort();
    QVERIFY(!f.port.isOpen());
    // What the stopped workers posted is not delivered after the close.
    const qsizetype before = f.notes.size();
    QTest::qWait(50);
    QCOMPARE(f.notes.size(), before);
}

void TSIOCommPortTest::aVanishedDeviceEndsTheReader()
{
    PtyPort f;
    QSignalSpy lost(&f.port, &TSIOCommPort::lineLost);
    QVERIFY(f.port.OpenPort(1, 9600));
    f.sim.dropDevice();
    QTRY_COMPARE_WITH_TIMEOUT(lost.count(), 1, ArrivalMs);
    QVERIFY(f.port.lost());
    // The reader has ended instead of polling the dead descriptor: nothing more comes.
    const qsizetype before = f.notes.size();
    QTest::qWait(200);
    QCOMPARE(f.notes.size(), before);
    QCOMPARE(lost.count(), 1);
    QVERIFY(!f.port.SendBytes("x"));
    f.port.ClosePort();
    QVERIFY(!f.port.isOpen());
}

void TSIOCommPortTest::aFailedWriteShowsItsBoxAndWaitsForIt()
{
    PtyPort f;
    ScriptedPrompt prompt;
    f.port.setErrorReporter([&](const QString &text) {
        f.order << QStringLiteral("box");
        prompt.showMessage(QStringLiteral("Error"), text);
    });
    QVERIFY(f.port.OpenPort(1, 9600));
    // Gone before the owner has heard of it: the writer meets the dead line itself.
    f.sim.dropDevice();
    QVERIFY(f.port.SendBytes("x"));
    QTRY_COMPARE_WITH_TIMEOUT(prompt.messages.size(), 1, ArrivalMs);
    QCOMPARE(prompt.messages.first().text, QStringLiteral("writefile error : %1").arg(EIO));
    // The transmission ends only once the box is closed.
    QTRY_VERIFY_WITH_TIMEOUT(f.order.contains("3028"), ArrivalMs);
    QVERIFY(f.order.indexOf("box") < f.order.indexOf("3028"));
    f.port.ClosePort();
}

void TSIOCommPortTest::closingWhileTheBoxIsUpDoesNotHang()
{
    // The box runs on the owner's thread while the writer waits for it; a workspace change
    // made meanwhile closes the port, which must not wait for a box that is still up.
    PtyPort f;
    bool closedInBox = false;
    f.port.setErrorReporter([&](const QString &) {
        f.port.ClosePort();
        closedInBox = !f.port.isOpen();
    });
    QVERIFY(f.port.OpenPort(1, 9600));
    f.sim.dropDevice();
    QVERIFY(f.port.SendBytes("x"));
    QTRY_VERIFY_WITH_TIMEOUT(closedInBox, ArrivalMs);
    QVERIFY(f.port.OpenPort(1, 9600) == false);   // the device has gone for good
}

void TSIOCommPortTest::aRefusedConfigurationLeavesNoWorkers()
{
    FakeTSIOPorts ports;
    const auto line = ports.addPort(4);
    line->setRefuseConfigure(true);
    TSIOCommPort port(ports.opener());
    QSignalSpy notes(&port, &TSIOCommPort::notification);
    QVERIFY(port.OpenPort(4, 0));   // opened, whatever the configuration gave
    QVERIFY(port.isOpen());
    QVERIFY(!port.configured());
    QCOMPARE(line->setups().size(), 1);
    QCOMPARE(line->setups().first().baudRate, 38400);
    QVERIFY(!port.SendBytes("x"));
    QVERIFY(line->feed("data"));
    QCOMPARE(port.ReceivedLength(), 0);
    QCOMPARE(port.TakeReceived(), QByteArray());
    port.ClosePort();
    QVERIFY(!line->isOpen());
    QCOMPARE(notes.count(), 0);

    // The same device configured: the data path works on the fake as on a line.
    line->setRefuseConfigure(false);
    QVERIFY(port.OpenPort(4, 4800));
    QVERIFY(port.configured());
    QVERIFY(port.SendBytes("ping"));
    QCOMPARE(line->takeWritten(4, 5s), QByteArray("ping"));
    QVERIFY(line->feed("pong"));
    QTRY_COMPARE_WITH_TIMEOUT(port.ReceivedLength(), 4, ArrivalMs);
}

namespace {

// The demo firmware's lines the updater sends: all but the comments.
QByteArrayList demoFirmwareLines()
{
    QFile file(QStringLiteral(DEMO_FIRMWARE));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArrayList lines;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QByteArray text = line.trimmed();
        if (!text.isEmpty() && !text.startsWith(';'))
            lines << text;
    }
    return lines;
}

// Sends each line with its CR and waits for the 0x06 in what the reader takes; the number
// of lines acknowledged, stopping at the first that is not (or when the line is lost).
int sendAcknowledged(PtyPort &f, const QByteArrayList &lines)
{
    int acknowledged = 0;
    for (const QByteArray &line : lines) {
        if (!f.port.SendBytes(line + '\r'))
            break;
        QByteArray reply;
        QElapsedTimer waited;
        waited.start();
        while (!reply.contains('\x06') && !f.port.lost() && waited.elapsed() < ArrivalMs) {
            QTest::qWait(5);
            reply += f.port.TakeReceived();
        }
        if (!reply.contains('\x06'))
            break;
        ++acknowledged;
    }
    return acknowledged;
}

} // namespace

void TSIOCommPortTest::aLoaderTakesTheDemoFirmwareLineByLine()
{
    const QByteArrayList lines = demoFirmwareLines();
    QVERIFY(lines.size() > 10);
    auto loader = boardsim::makeLoader(QStringLiteral("11:loader"));
    PtyPort f(loader);
    f.sim.setBaud(115200);
    QVERIFY(f.port.OpenPort(1, 115200));
    QVERIFY(f.port.SendBytes(")*LOC(11H)"));
    QTRY_COMPARE_WITH_TIMEOUT(f.port.ReceivedLength(), 14, ArrivalMs);
    QCOMPARE(f.port.TakeReceived().mid(6, 2), QByteArray("11"));
    QCOMPARE(sendAcknowledged(f, lines), lines.size());
    QCOMPARE(loader->lines(), lines);
}

void TSIOCommPortTest::aDropLoaderTakesTheLineAwayMidFile()
{
    const QByteArrayList lines = demoFirmwareLines();
    auto loader = boardsim::makeLoader(QStringLiteral("15:drop-loader:4"));
    std::atomic<bool> dropAsked{false};
    loader->setDropHandler([&] { dropAsked = true; });
    PtyPort f(loader);
    QSignalSpy lost(&f.port, &TSIOCommPort::lineLost);
    // A line sent before the loss has reached this thread fails its write: that box is
    // answered here, whether it comes or not.
    f.port.setErrorReporter([](const QString &) {});
    QVERIFY(f.port.OpenPort(1, 9600));
    // The loader asks on the line thread; the line's owner drops it.
    QTimer dropper;
    connect(&dropper, &QTimer::timeout, this, [&] {
        if (dropAsked && !f.sim.isDropped())
            f.sim.dropDevice();
    });
    dropper.start(1);
    const int acknowledged = sendAcknowledged(f, lines);
    QTRY_COMPARE_WITH_TIMEOUT(lost.count(), 1, ArrivalMs);
    QCOMPARE(acknowledged, 3);
    QCOMPARE(loader->lines().size(), 4);
    QCOMPARE(loader->lines(), lines.mid(0, 4));
}

QTEST_GUILESS_MAIN(TSIOCommPortTest)
#include "tst_tsiocommport.moc"
