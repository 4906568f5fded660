// The monitors' work on the line, headless on the in-memory line: the bytes each tick or
// click sends and the reports it makes, in one transcript, so a report posted before or
// after the wrong exchange shows.

#include "monitors/digitaljobs.h"
#include "monitors/relayjobs.h"
#include "fakebus.h"
#include "serial/mainport.h"

#include <QTest>

#include <atomic>
#include <memory>

namespace {

// A job on the fake line whose reports run at once, so each lands in the transcript after
// the bytes sent before it: "> bytes" for what was written since the last report, then the
// report.
struct JobRig
{
    FakeBus bus;
    std::atomic<bool> cancelled{false};
    std::shared_ptr<std::atomic<bool>> stopped = std::make_shared<std::atomic<bool>>(false);
    LineContext context{bus.com, bus.driver, cancelled, [](std::function<void()> fn) { fn(); }};
    QStringList transcript;
    qsizetype seen = 0;

    explicit JobRig(bool open) : bus(open) {}

    void run(const MonitorJobBody &body)
    {
        MonitorJob job(context, stopped);
        body(job);
        flushWritten();
    }
    void flushWritten()
    {
        const QByteArray written = bus.line->written();
        if (written.size() > seen)
            transcript << QStringLiteral("> ") + QString::fromLatin1(written.mid(seen));
        seen = written.size();
    }
    void note(const QString &report)
    {
        flushWritten();
        transcript << report;
    }
};

// A reply as the transcript shows it: NUL (nothing arrived) as '.'.
QString shown(const QByteArray &reply)
{
    QByteArray text = reply;
    text.replace('\0', '.');
    return QString::fromLatin1(text);
}

DigitalJobs::Sink digitalSink(JobRig &rig)
{
    DigitalJobs::Sink sink;
    sink.reopened = [&rig](bool opened) { rig.note(QStringLiteral("reopened %1").arg(opened)); };
    sink.lineReplied = [&rig](const QByteArray &r) { rig.note(QStringLiteral("L reply ") + shown(r)); };
    sink.typeRead = [&rig](const QByteArray &r) { rig.note(QStringLiteral("type ") + shown(r)); };
    sink.versionRead = [&rig](const QByteArray &r) { rig.note(QStringLiteral("version ") + shown(r)); };
    sink.outputRead = [&rig](int port, const QByteArray &v) {
        rig.note(QStringLiteral("output %1 = ").arg(port) + shown(v));
    };
    sink.identified = [&rig] { rig.note(QStringLiteral("identified")); };
    sink.running = [&rig] { rig.note(QStringLiteral("running")); };
    sink.outputWritten = [&rig](int port) { rig.note(QStringLiteral("written %1").arg(port)); };
    sink.inputRead = [&rig](int port, const QByteArray &v) {
        rig.note(QStringLiteral("input %1 = ").arg(port) + shown(v));
    };
    sink.testStepDone = [&rig](int next) { rig.note(QStringLiteral("next step %1").arg(next)); };
    return sink;
}

} // namespace

class TestMonitorJobs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void digitalTicks_data();
    void digitalTicks();
    void relayListRead_data();
    void relayListRead();
};

void TestMonitorJobs::digitalTicks_data()
{
    QTest::addColumn<int>("testStep");         // -1: a RUN tick
    QTest::addColumn<bool>("identify");        // RUN: IdentifyPending
    QTest::addColumn<bool>("portIsOpen");
    QTest::addColumn<bool>("stopped");
    QTest::addColumn<QStringList>("outputs");  // OUTL, OUTM, OUTR
    QTest::addColumn<QByteArray>("fed");       // the board's replies, in order
    QTest::addColumn<QStringList>("transcript");

    // Ports: 0 left, 1 middle, 2 right. Identifying reads the middle port first and RUN
    // writes back what it read, not what the fields showed.
    QTest::newRow("RUN, identifying")
        << -1 << true << true << false << QStringList{"XX", "XX", "XX"}
        << QByteArray("01D0Q5161.07" "3Cxx" "81xx" "7Exx" "01D0" "xxxx3Cxx" "xxxx81xx" "xxxx7Exx" "11xx" "22xx" "33xx")
        << QStringList{"> L01U", "type Q516", "> V", "version 1.07", "> R5B", "output 1 = 3C", "> R5E",
                       "output 0 = 81", "> R5F", "output 2 = 7E", "identified", "running", "> L01",
                       "L reply 01D0", "> R5EM81", "written 0", "> R5BM3C", "written 1", "> R5FM7E", "written 2",
                       "> R5A", "input 1 = 11", "> R5C", "input 0 = 22", "> R5D", "input 2 = 33"};
    // Only two-character outputs are written, as typed.
    QTest::newRow("RUN, outputs as typed")
        << -1 << false << true << false << QStringList{"1g", "3", ""}
        << QByteArray("01D0" "xxxx1gxx" "11xx" "22xx" "33xx")
        << QStringList{"running", "> L01", "L reply 01D0", "> R5EM1g", "written 0", "> R5A", "input 1 = 11",
                       "> R5C", "input 0 = 22", "> R5D", "input 2 = 33"};
    QTest::newRow("RUN, silent board: nothing after L")
        << -1 << false << true << false << QStringList{"12", "34", "56"} << QByteArray()
        << QStringList{"running", "> L01", "L reply ...."};
    // The reopen's outcome is what the line now is: it is reported also after STOP, which
    // skips every exchange and drops every other report.
    QTest::newRow("RUN after STOP, port reopened")
        << -1 << true << false << true << QStringList{"12", "34", "56"} << QByteArray()
        << QStringList{"reopened 1"};
    // The first TEST step reads the identity, writes the pattern and reads the inputs, then
    // puts back the pattern as the board echoed it.
    QTest::newRow("TEST, first step")
        << 0 << false << true << false << QStringList{"12", "34", "56"}
        << QByteArray("01D0Q5161.07" "xxxx0Axx" "xxxx0Bxx" "xxxx0Cxx" "11xx" "22xx" "33xx"
                      "xxxxxxxx" "xxxxxxxx" "xxxxxxxx" "44xx" "55xx" "66xx")
        << QStringList{"> L01", "L reply 01D0", "> U", "type Q516", "> V", "version 1.07", "> R5BM00",
                       "output 1 = 0A", "> R5EM00", "output 0 = 0B", "> R5FM00", "output 2 = 0C", "next step 1",
                       "> R5C", "input 0 = 11", "> R5A", "input 1 = 22", "> R5D", "input 2 = 33", "running",
                       "> R5EM0B", "written 0", "> R5BM0A", "written 1", "> R5FM0C", "written 2", "> R5A",
                       "input 1 = 44", "> R5C", "input 0 = 55", "> R5D", "input 2 = 66"};
    // A right input that never answers ends the tick before RUN's writing.
    QTest::newRow("TEST, right input silent")
        << 1 << false << true << false << QStringList{"12", "34", "56"}
        << QByteArray("xxxx0Axx" "xxxx0Bxx" "xxxx0Cxx" "11xx" "22xx")
        << QStringList{"> R5BM55", "output 1 = 0A", "> R5EM55", "output 0 = 0B", "> R5FM55", "output 2 = 0C",
                       "next step 2", "> R5C", "input 0 = 11", "> R5A", "input 1 = 22", "> R5D", "input 2 = ..",
                       "running"};
}

void TestMonitorJobs::digitalTicks()
{
    QFETCH(int, testStep);
    QFETCH(bool, identify);
    QFETCH(bool, portIsOpen);
    QFETCH(bool, stopped);
    QFETCH(QStringList, outputs);
    QFETCH(QByteArray, fed);

    JobRig rig(portIsOpen);
    rig.stopped->store(stopped);
    rig.bus.line->feed(fed);
    DigitalJobs::TickInputs in;
    in.portIsOpen = portIsOpen;
    in.address = QStringLiteral("01");
    for (int port = 0; port < Digital::PortCount; ++port)
        in.outputs[size_t(port)] = outputs.at(port);
    rig.run(testStep < 0 ? DigitalJobs::runTick(in, identify, digitalSink(rig))
                         : DigitalJobs::testTick(in, Digital::testPattern(testStep), digitalSink(rig)));
    QTEST(rig.transcript, "transcript");
    QCOMPARE(rig.bus.line->unread(), 0);
}

void TestMonitorJobs::relayListRead_data()
{
    QTest::addColumn<QString>("shownBefore");   // K1..K10: '1' ON, '0' OFF, '-' neither
    QTest::addColumn<QByteArray>("fed");
    QTest::addColumn<QStringList>("transcript");

    // The word 8000 has K1 on and the rest off: only the relays shown otherwise are
    // switched, ON with "L" and "K1FF", OFF with "L0F" first.
    QTest::newRow("relays shown otherwise are switched")
        << QStringLiteral("-0100000-0") << QByteArray("0AR08000" "0AR0K1OK" "0FR0" "0AR0K3OK" "0FR0" "0AR0K9OK")
        << QStringList{"reading", "> L0AI", "shown K1 on", "> L0AK1FF", "shown K3 off", "> L0F", "timer K3 cleared",
                       "> L0AK300", "shown K9 off", "> L0F", "timer K9 cleared", "> L0AK900"};
    QTest::newRow("every relay already shown as read")
        << QStringLiteral("1000000000") << QByteArray("0AR08000") << QStringList{"reading", "> L0AI"};
    QTest::newRow("board silent: no state read") << QStringLiteral("1000000000") << QByteArray()
                                                 << QStringList{"reading", "> L0A"};
}

void TestMonitorJobs::relayListRead()
{
    QFETCH(QString, shownBefore);
    QFETCH(QByteArray, fed);

    JobRig rig(false);
    MainPort port(std::make_unique<FakeSerialDriver>());
    LineOpenRequest request;
    request.portText = QStringLiteral("COM1");
    request.baudText = QStringLiteral("9600");
    request.specText = QStringLiteral("N-8-1");
    RelayJobs::ShownRelays shown;
    for (int index = 0; index < Relay::Count; ++index) {
        const QChar c = shownBefore.at(index);
        if (c != QLatin1Char('-'))
            shown[size_t(index)] = c == QLatin1Char('1');
    }
    RelayJobs::Sink sink;
    // The board answers once the job has opened the port and dropped what was waiting.
    sink.reading = [&rig, fed] {
        rig.note(QStringLiteral("reading"));
        rig.bus.line->feed(fed);
    };
    sink.relayShown = [&rig](int relay, bool on) {
        rig.note(QStringLiteral("shown K%1 %2").arg(relay).arg(on ? QStringLiteral("on") : QStringLiteral("off")));
    };
    sink.timerCleared = [&rig](int relay) { rig.note(QStringLiteral("timer K%1 cleared").arg(relay)); };
    rig.run(RelayJobs::readStates(port, request, QStringLiteral("0A"), shown, sink));
    QTEST(rig.transcript, "transcript");
    QCOMPARE(rig.bus.line->unread(), 0);
    QVERIFY(rig.bus.line->isOpen());
}

QTEST_GUILESS_MAIN(TestMonitorJobs)
#include "tst_monitorjobs.moc"
