#include "serial/fakeserialdriver.h"
#include "serial/tcom.h"
#include "serialprint.h"

#include <QElapsedTimer>
#include <QTest>

#include <functional>

using namespace std::chrono_literals;

Q_DECLARE_METATYPE(LineConfig)
Q_DECLARE_METATYPE(OpenError)

namespace {

using Setter = void (TCom::*)(int);
using Getter = int (TCom::*)() const;

struct Property
{
    Setter set;
    Getter get;
};

Property property(const QString &name)
{
    if (name == u"baud")
        return {&TCom::setBaud, &TCom::getBaud};
    if (name == u"parity")
        return {&TCom::setParity, &TCom::getParity};
    if (name == u"data")
        return {&TCom::setDataBits, &TCom::getDataBits};
    if (name == u"stop")
        return {&TCom::setStopBits, &TCom::getStopBits};
    return {&TCom::setFlowCtl, &TCom::getFlowCtl};
}

LineConfig with(const std::function<void(LineConfig &)> &change)
{
    LineConfig c;
    change(c);
    return c;
}

// A TCom on an open fake COM1, with every setting at its usual value.
struct OpenCom
{
    FakeSerialDriver driver;
    std::shared_ptr<FakeLine> line = driver.addPort(1);
    TCom com{driver};

    explicit OpenCom(int flowOrdinal = 3)
    {
        com.setCOMport(1);
        com.setBaud(4);
        com.setFlowCtl(flowOrdinal);
        com.setStopBits(0);
        com.setDataBits(1);
        com.setParity(0);
    }
};

} // namespace

class TComTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ordinals_data();
    void ordinals();
    void closedComponentDoesNothing();
    void openAppliesTheStoredSettings();
    void openFailures_data();
    void openFailures();
    void openIsExclusive();
    void reopenReleasesTheOldDeviceFirst();
    void controlLinesAtOpen_data();
    void controlLinesAtOpen();
    void controlLinesThatCannotBeDrivenDoNotFailTheOpen();
    void ctrlFlowLines_data();
    void ctrlFlowLines();
    void receive_data();
    void receive();
    void emptyReadWaitsTheReadTimeout();
    void rxChar2NeverWaits();
    void send();
    void sendHeldByFlowControlReportsShortWrite();
    void sendOnClosedComponent();
    void cancelFlag();
    void lostLine_data();
    void lostLine();
    void changeParity();
};

void TComTest::ordinals_data()
{
    QTest::addColumn<QString>("property");
    QTest::addColumn<int>("prior");      // given first, so "leaves it as it was" is visible
    QTest::addColumn<int>("ordinal");
    QTest::addColumn<int>("stored");
    QTest::addColumn<LineConfig>("selected");

    const qint32 rates[] = {300, 1200, 2400, 4800, 9600, 14400, 19200, 28800, 38400, 57600, 115200, 230400, 460800, 921600, 1843200};
    for (int i = 0; i < 15; ++i)
        QTest::addRow("baud %d", i) << "baud" << (i == 4 ? 0 : 4) << i << i << with([&](LineConfig &c) { c.baudRate = rates[i]; });
    for (int bad : {15, 20, -1})
        QTest::addRow("baud %d is 9600", bad) << "baud" << 0 << bad << 4 << LineConfig{};

    const Parity parities[] = {Parity::None, Parity::Even, Parity::Odd, Parity::Space, Parity::Mark};
    for (int i = 0; i < 5; ++i)
        QTest::addRow("parity %d", i) << "parity" << (i == 1 ? 2 : 1) << i << i << with([&](LineConfig &c) { c.parity = parities[i]; });
    for (int bad : {7, 5, -1})
        QTest::addRow("parity %d is none", bad) << "parity" << 1 << bad << 0 << LineConfig{};

    QTest::newRow("data 0 is 7 bits") << "data" << 1 << 0 << 0 << with([](LineConfig &c) { c.dataBits = 7; });
    QTest::newRow("data 1 is 8 bits") << "data" << 0 << 1 << 1 << LineConfig{};
    QTest::newRow("data 2 keeps 8 bits") << "data" << 1 << 2 << 2 << LineConfig{};
    QTest::newRow("data 2 keeps 7 bits") << "data" << 0 << 2 << 2 << with([](LineConfig &c) { c.dataBits = 7; });

    QTest::newRow("stop 0 is one") << "stop" << 1 << 0 << 0 << LineConfig{};
    QTest::newRow("stop 1 is two") << "stop" << 0 << 1 << 1 << with([](LineConfig &c) { c.stopBits = 2; });
    QTest::newRow("stop 2 is one") << "stop" << 1 << 2 << 2 << LineConfig{};
    QTest::newRow("stop -3 is one") << "stop" << 1 << -3 << -3 << LineConfig{};

    QTest::newRow("flow 0 xon/xoff") << "flow" << 3 << 0 << 0 << with([](LineConfig &c) { c.flow = FlowMode::XonXoff; });
    QTest::newRow("flow 1 dtr/dsr") << "flow" << 3 << 1 << 1 << with([](LineConfig &c) { c.flow = FlowMode::DtrDsr; });
    QTest::newRow("flow 2 cts/rts") << "flow" << 3 << 2 << 2 << with([](LineConfig &c) { c.flow = FlowMode::CtsRts; });
    QTest::newRow("flow 3 none") << "flow" << 0 << 3 << 3 << LineConfig{};
    QTest::newRow("flow 5 none, kept") << "flow" << 0 << 5 << 5 << LineConfig{};
    QTest::newRow("flow 255 none, kept") << "flow" << 1 << 255 << 255 << LineConfig{};
}

void TComTest::ordinals()
{
    QFETCH(QString, property);
    QFETCH(int, prior);
    QFETCH(int, ordinal);
    QFETCH(int, stored);
    QFETCH(LineConfig, selected);

    FakeSerialDriver driver;
    TCom com(driver);
    const Property p = ::property(property);
    (com.*p.set)(prior);
    (com.*p.set)(ordinal);
    QCOMPARE((com.*p.get)(), stored);
    QCOMPARE(com.lineConfig(), selected);
}

void TComTest::closedComponentDoesNothing()
{
    FakeSerialDriver driver;
    TCom com(driver);
    QCOMPARE(com.getCOMport(), 0);
    QCOMPARE(com.getBaud(), 0);
    QCOMPARE(com.getFlowCtl(), 0);
    QVERIFY(!com.comStatus());
    QCOMPARE(com.comRxCharWait(), TCom::NoChar);
    QCOMPARE(com.comRxChar(), '\0');
    char c = 'z';
    QVERIFY(!com.comRxChar2(&c));
    QCOMPARE(c, 'z');
    QCOMPARE(com.getAvailableByteCount(), 0);
    QCOMPARE(com.comGetErrorCode(), 0);
    QCOMPARE(com.comChangeParity(2), 1);
    QCOMPARE(com.getParity(), 2);
}

void TComTest::openAppliesTheStoredSettings()
{
    FakeSerialDriver driver;
    auto line = driver.addPort(12);
    TCom com(driver);
    com.setCOMport(12);
    com.setBaud(10);
    com.setFlowCtl(0);
    com.setStopBits(1);
    com.setDataBits(0);
    com.setParity(1);
    QCOMPARE(com.comOpen(), 0);
    QVERIFY(com.comStatus());
    QVERIFY(line->isOpen());
    const LineConfig expected{115200, 7, Parity::Even, 2, FlowMode::XonXoff};
    QCOMPARE(line->config(), expected);
    QCOMPARE(com.lastOpenError(), OpenError::None);

    com.comClose();
    QVERIFY(!com.comStatus());
    QVERIFY(!line->isOpen());
}

void TComTest::openFailures_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<OpenError>("portError");
    QTest::addColumn<bool>("refuse");
    QTest::addColumn<int>("code");
    QTest::addColumn<OpenError>("reported");
    QTest::addColumn<bool>("held");

    QTest::newRow("no such port") << false << OpenError::None << false << -1 << OpenError::NoSuchDevice << false;
    QTest::newRow("held by another program") << true << OpenError::Busy << false << -1 << OpenError::Busy << false;
    QTest::newRow("permission denied") << true << OpenError::PermissionDenied << false << -1 << OpenError::PermissionDenied << false;
    // The caller decides what to do with a device that would not take the settings.
    QTest::newRow("settings refused") << true << OpenError::None << true << -3 << OpenError::SettingsRefused << true;
}

void TComTest::openFailures()
{
    QFETCH(bool, exists);
    QFETCH(OpenError, portError);
    QFETCH(bool, refuse);
    QFETCH(int, code);
    QFETCH(OpenError, reported);
    QFETCH(bool, held);

    FakeSerialDriver driver;
    if (exists) {
        auto line = driver.addPort(2);
        line->setOpenError(portError);
        line->setRefuseConfigure(refuse);
    }
    TCom com(driver);
    com.setCOMport(2);
    com.setDataBits(0);
    QCOMPARE(com.comOpen(), code);
    QCOMPARE(com.comStatus(), held);
    QCOMPARE(com.lastOpenError(), reported);
    QVERIFY(!com.lastOpenDetail().isEmpty());
}

void TComTest::openIsExclusive()
{
    OpenCom first;
    QCOMPARE(first.com.comOpen(), 0);
    TCom second(first.driver);
    second.setCOMport(1);
    QCOMPARE(second.comOpen(), -1);
    QCOMPARE(second.lastOpenError(), OpenError::Busy);
    QVERIFY(!second.comStatus());
}

void TComTest::reopenReleasesTheOldDeviceFirst()
{
    OpenCom c;
    QCOMPARE(c.com.comOpen(), 0);
    c.line->clearEvents();
    c.com.setBaud(6);
    QCOMPARE(c.com.comOpen(), 0);
    QCOMPARE(c.line->events().mid(0, 2), (QStringList{"close", "open"}));
    QCOMPARE(c.line->config().baudRate, 19200);
}

void TComTest::controlLinesAtOpen_data()
{
    QTest::addColumn<int>("flow");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<bool>("dtr");
    QTest::addColumn<bool>("rts");

    // The fake raises both lines at open, as a POSIX port does: what TCom lowers is visible.
    QTest::newRow("xon/xoff") << 0 << QStringList{"open", "configure", "DTR off", "RTS off"} << false << false;
    QTest::newRow("dtr/dsr raises DTR before configuring") << 1 << QStringList{"open", "DTR on", "configure", "RTS off"} << true << false;
    QTest::newRow("cts/rts holds RTS on") << 2 << QStringList{"open", "configure", "DTR off", "RTS on"} << false << true;
    QTest::newRow("none") << 3 << QStringList{"open", "configure", "DTR off", "RTS off"} << false << false;
}

void TComTest::controlLinesAtOpen()
{
    QFETCH(int, flow);
    QFETCH(QStringList, events);
    QFETCH(bool, dtr);
    QFETCH(bool, rts);

    OpenCom c(flow);
    QCOMPARE(c.com.comOpen(), 0);
    QCOMPARE(c.line->events(), events);
    QCOMPARE(c.line->dtr(), dtr);
    QCOMPARE(c.line->rts(), rts);
}

void TComTest::controlLinesThatCannotBeDrivenDoNotFailTheOpen()
{
    OpenCom c(1);
    c.line->setControlLinesFail(true);
    QCOMPARE(c.com.comOpen(), 0);
    QVERIFY(c.com.comStatus());
}

void TComTest::ctrlFlowLines_data()
{
    QTest::addColumn<unsigned long>("code");
    QTest::addColumn<QStringList>("events");

    QTest::newRow("3 raises RTS") << 3ul << QStringList{"RTS on"};
    QTest::newRow("4 lowers RTS") << 4ul << QStringList{"RTS off"};
    QTest::newRow("5 raises DTR") << 5ul << QStringList{"DTR on"};
    QTest::newRow("6 lowers DTR") << 6ul << QStringList{"DTR off"};
    QTest::newRow("7 does nothing") << 7ul << QStringList{};
    QTest::newRow("0 does nothing") << 0ul << QStringList{};
}

void TComTest::ctrlFlowLines()
{
    QFETCH(unsigned long, code);
    QFETCH(QStringList, events);

    OpenCom c;
    QCOMPARE(c.com.comOpen(), 0);
    c.line->clearEvents();
    c.com.CtrlFlowLines(code);
    QCOMPARE(c.line->events(), events);
}

void TComTest::receive_data()
{
    QTest::addColumn<QByteArray>("fed");
    QTest::addColumn<int>("wait");    // comRxCharWait
    QTest::addColumn<char>("plain");  // comRxChar

    QTest::newRow("ASCII") << QByteArray("A") << 0x41 << 'A';
    QTest::newRow("0xFF is -1") << QByteArray("\xFF") << -1 << '\xFF';
    QTest::newRow("0x80 is -128") << QByteArray("\x80") << -128 << '\x80';
    QTest::newRow("NUL") << QByteArray(1, '\0') << 0 << '\0';
    QTest::newRow("nothing") << QByteArray() << TCom::NoChar << '\0';
}

void TComTest::receive()
{
    QFETCH(QByteArray, fed);
    QFETCH(int, wait);
    QFETCH(char, plain);

    OpenCom c;
    QCOMPARE(c.com.comOpen(), 0);
    c.line->feed(fed);
    QCOMPARE(c.com.comRxCharWait(), wait);
    c.line->feed(fed);
    QCOMPARE(c.com.comRxChar(), plain);
}

void TComTest::emptyReadWaitsTheReadTimeout()
{
    OpenCom c;
    QCOMPARE(c.com.comOpen(), 0);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(c.com.comRxCharWait(), TCom::NoChar);
    QVERIFY2(clock.elapsed() >= 90, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(c.line->readTimeouts(), (QList<std::chrono::milliseconds>{105ms}));
}

void TComTest::rxChar2NeverWaits()
{
    OpenCom c;
    QCOMPARE(c.com.comOpen(), 0);
    char got = 0;
    QVERIFY(!c.com.comRxChar2(&got));
    c.line->feed("xy");
    QCOMPARE(c.com.getAvailableByteCount(), 2);
    QVERIFY(c.com.comRxChar2(&got));
    QCOMPARE(got, 'x');
    for (auto timeout : c.line->readTimeouts())
        QCOMPARE(timeout, 0ms);
}

void TComTest::send()
{
    OpenCom c;
    QCOMPARE(c.com.comOpen(), 0);
    QCOMPARE(c.com.comTxChar('\xFF'), 1);
    QCOMPARE(c.line->lastWriteTimeout(), 2000ms);
    QCOMPARE(c.com.comSendString("L0A"), 1);
    QCOMPARE(c.line->lastWriteTimeout(), 4000ms);
    const char buffer[] = {'M', '\0', '\x80'};
    QCOMPARE(c.com.comSendBuffer(buffer, 3), 1);
    QCOMPARE(c.com.comSendString(""), 1);
    QCOMPARE(c.line->written(), QByteArray("\xFF" "L0A" "M\0\x80", 7));
}

void TComTest::sendHeldByFlowControlReportsShortWrite()
{
    OpenCom c;
    QCOMPARE(c.com.comOpen(), 0);
    c.line->setWriteCapacity(2);
    QCOMPARE(c.com.comSendString("HELLO"), -5);
    QCOMPARE(c.line->written(), QByteArray("HE"));
    QCOMPARE(c.line->lastWriteTimeout(), 6000ms);
}

void TComTest::sendOnClosedComponent()
{
    OpenCom c;
    QCOMPARE(c.com.comOpen(), 0);
    c.com.comClose();
    QCOMPARE(c.com.comSendString("L00"), 0);
    QCOMPARE(c.com.comTxChar('x'), 0);
    QCOMPARE(c.com.comSendBuffer("ab", 2), 0);
    QVERIFY(c.line->written().isEmpty());
}

void TComTest::cancelFlag()
{
    OpenCom c;
    std::atomic<bool> cancel{false};
    c.com.setCancelFlag(&cancel);
    QCOMPARE(c.com.comOpen(), 0);
    c.line->feed("AB");
    cancel = true;
    QCOMPARE(c.com.comRxCharWait(), TCom::NoChar);
    char got = 0;
    QVERIFY(!c.com.comRxChar2(&got));
    QCOMPARE(c.com.comSendString("L00"), -5);
    QVERIFY(c.line->written().isEmpty());
    QCOMPARE(c.line->unread(), qsizetype(2));   // nothing was taken off the line
    QVERIFY(c.line->readTimeouts().isEmpty());

    cancel = false;
    QCOMPARE(c.com.comRxCharWait(), int('A'));
    QCOMPARE(c.com.comSendString("L00"), 1);
}

void TComTest::lostLine_data()
{
    QTest::addColumn<bool>("metByWrite");
    QTest::newRow("met by a read") << false;
    QTest::newRow("met by a write") << true;
}

// The first call that meets a vanished line closes TCom and reports the loss once; the
// device comes back with a plain open.
void TComTest::lostLine()
{
    QFETCH(bool, metByWrite);
    OpenCom c;
    QList<LineLoss> losses;
    c.com.setLossHandler([&](const LineLoss &loss) { losses << loss; });
    QCOMPARE(c.com.comOpen(), 0);
    QCOMPARE(c.com.comGetErrorCode(), 1);
    QVERIFY(!c.com.lineLost());
    c.line->feed("A");
    const QDateTime before = QDateTime::currentDateTime();
    c.line->drop();
    QVERIFY(c.com.lineLost());
    QVERIFY(losses.isEmpty());   // noticed by the next call on the line, not before
    if (metByWrite)
        QCOMPARE(c.com.comSendString("L00"), -5);
    else
        QCOMPARE(c.com.comRxCharWait(), TCom::NoChar);
    QVERIFY(!c.com.comStatus());
    QVERIFY(!c.line->isOpen());   // the device is released at once
    QVERIFY(c.com.lineLost());
    QCOMPARE(c.com.comRxCharWait(), TCom::NoChar);
    QCOMPARE(c.com.comSendString("L00"), 0);   // closed: nothing is sent
    QCOMPARE(c.com.comGetErrorCode(), 0);
    QCOMPARE(losses.size(), 1);
    QCOMPARE(losses.first().comNumber, 1);
    QVERIFY(losses.first().at >= before && losses.first().at <= QDateTime::currentDateTime());

    QCOMPARE(c.com.comOpen(), 0);   // plugged back in
    QVERIFY(!c.com.lineLost());
    QCOMPARE(c.com.comSendString("L00"), 1);
    QCOMPARE(losses.size(), 1);
}

void TComTest::changeParity()
{
    OpenCom c;
    c.com.setBaud(8);
    QCOMPARE(c.com.comOpen(), 0);
    QCOMPARE(c.com.comChangeParity(2), 1);
    QCOMPARE(c.com.getParity(), 2);
    QCOMPARE(c.line->config(), (LineConfig{38400, 8, Parity::Odd, 1, FlowMode::None}));

    c.line->setRefuseConfigure(true);
    QCOMPARE(c.com.comChangeParity(1), -3);
    QCOMPARE(c.com.lastOpenError(), OpenError::SettingsRefused);
    QCOMPARE(c.line->config().parity, Parity::Odd);
}

QTEST_GUILESS_MAIN(TComTest)
#include "tst_tcom.moc"
