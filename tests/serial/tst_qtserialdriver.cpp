#include "boardsim/simline.h"
#include "serial/portenumerator.h"
#include "serial/portmap.h"
#include "serial/qtserialdriver.h"
#include "serial/tcom.h"
#include "serialprint.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

Q_DECLARE_METATYPE(OpenError)

namespace {

// The real driver on a pseudo-terminal: COM1 is the simulated line, nothing else exists.
struct PtyFixture
{
    boardsim::SimLine sim;
    std::shared_ptr<PortMap> map = std::make_shared<PortMap>();
    QtSerialDriver driver{map};
    TCom com{driver};

    // COM1 is the device itself, or the link when one is given.
    bool open(const QString &link = QString())
    {
        if (!sim.open(link))
            return false;
        sim.setBaud(0);
        map->setEntries({{1, link.isEmpty() ? sim.devicePath() : link}});
        com.setCOMport(1);
        com.setBaud(4);
        com.setFlowCtl(3);
        com.setStopBits(0);
        com.setDataBits(1);
        com.setParity(0);
        return true;
    }
};

} // namespace

class QtSerialDriverTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void classifyOpenError_data();
    void classifyOpenError();
    void opensWithARate();
    void exchangesBytes();
    void emptyReadWaitsAboutTheReadTimeout();
    void aHeldDeviceIsBusy();
    void absentDevices_data();
    void absentDevices();
    void formatsAPtyCannotTake_data();
    void formatsAPtyCannotTake();
    void missingControlLinesDoNotFailTheOpen();
    void lostLine();
};

void QtSerialDriverTest::classifyOpenError_data()
{
    QTest::addColumn<QSerialPort::SerialPortError>("error");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<bool>("accessible");
    QTest::addColumn<OpenError>("expected");

    QTest::newRow("not found") << QSerialPort::DeviceNotFoundError << false << false << OpenError::NoSuchDevice;
    QTest::newRow("lock held") << QSerialPort::PermissionError << true << true << OpenError::Busy;
    QTest::newRow("node not ours") << QSerialPort::PermissionError << true << false << OpenError::PermissionDenied;
    QTest::newRow("vanished meanwhile") << QSerialPort::PermissionError << false << false << OpenError::NoSuchDevice;
    QTest::newRow("anything else") << QSerialPort::UnknownError << true << true << OpenError::Other;
}

void QtSerialDriverTest::classifyOpenError()
{
    QFETCH(QSerialPort::SerialPortError, error);
    QFETCH(bool, exists);
    QFETCH(bool, accessible);
    QFETCH(OpenError, expected);
    QCOMPARE(QtSerialDriver::classifyOpenError(error, exists, accessible), expected);
}

void QtSerialDriverTest::opensWithARate()
{
    PtyFixture f;
    QVERIFY2(f.open(), qPrintable(f.sim.errorString()));
    f.com.setBaud(10);
    QCOMPARE(f.com.comOpen(), 0);

    OpenError error = OpenError::None;
    QString detail;
    auto device = QtSerialDriver::openPath(f.sim.devicePath(), error, detail);
    QVERIFY(!device);   // held by f.com
    f.com.comClose();
    device = QtSerialDriver::openPath(f.sim.devicePath(), error, detail);
    QVERIFY2(device, qPrintable(detail));
    LineConfig config;
    config.baudRate = 921600;
    config.stopBits = 2;
    QVERIFY(device->configure(config));
    QCOMPARE(device->config(), config);
}

void QtSerialDriverTest::exchangesBytes()
{
    PtyFixture f;
    QVERIFY2(f.open(), qPrintable(f.sim.errorString()));
    QCOMPARE(f.com.comOpen(), 0);

    QCOMPARE(f.com.comSendString("L0A"), 1);
    QCOMPARE(f.com.comTxChar('\xFF'), 1);
    QVERIFY(f.sim.waitForReceived(4, 5s));
    QCOMPARE(f.sim.received(), QByteArray("L0A\xFF"));

    f.sim.send(QByteArray("\xFF" "A" "B", 3));
    QCOMPARE(f.com.comRxCharWait(), -1);
    QCOMPARE(f.com.comRxChar(), 'A');
    QTRY_COMPARE(f.com.getAvailableByteCount(), 1);
    char c = 0;
    QVERIFY(f.com.comRxChar2(&c));
    QCOMPARE(c, 'B');
    QVERIFY(!f.com.comRxChar2(&c));
}

void QtSerialDriverTest::emptyReadWaitsAboutTheReadTimeout()
{
    PtyFixture f;
    QVERIFY2(f.open(), qPrintable(f.sim.errorString()));
    QCOMPARE(f.com.comOpen(), 0);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(f.com.comRxCharWait(), TCom::NoChar);
    QVERIFY2(clock.elapsed() >= 90, qPrintable(QString::number(clock.elapsed())));
}

void QtSerialDriverTest::aHeldDeviceIsBusy()
{
    QTemporaryDir dir;
    PtyFixture f;
    QVERIFY2(f.open(), qPrintable(f.sim.errorString()));
    QCOMPARE(f.com.comOpen(), 0);

    OpenError error = OpenError::None;
    QString detail;
    QVERIFY(!QtSerialDriver::openPath(f.sim.devicePath(), error, detail));
    QVERIFY2(error == OpenError::Busy, qPrintable(detail));
    // Also under another name of the same device.
    const QString link = dir.filePath(QStringLiteral("ttySIM"));
    QVERIFY(QFile::link(f.sim.devicePath(), link));
    QVERIFY(!QtSerialDriver::openPath(link, error, detail));
    QVERIFY2(error == OpenError::Busy, qPrintable(detail));

    // The port probe sees the main port as unavailable, and leaves it alone.
    QCOMPARE(probePorts(f.driver, 2), QStringList{"xCOM1"});
    QCOMPARE(f.com.comSendString("U"), 1);
    QVERIFY(f.sim.waitForReceived(1, 5s));

    f.com.comClose();
    QCOMPARE(probePorts(f.driver, 2), QStringList{"COM1"});
}

void QtSerialDriverTest::absentDevices_data()
{
    QTest::addColumn<int>("port");
    QTest::newRow("mapped to a missing path") << 2;
    QTest::newRow("not mapped") << 3;
}

void QtSerialDriverTest::absentDevices()
{
    QFETCH(int, port);
    QTemporaryDir dir;
    auto map = std::make_shared<PortMap>();
    map->setEntries({{2, dir.filePath(QStringLiteral("ttyNONE"))}});
    QtSerialDriver driver(map);
    TCom com(driver);
    com.setCOMport(port);
    QCOMPARE(com.comOpen(), -1);
    QCOMPARE(com.lastOpenError(), OpenError::NoSuchDevice);
    QVERIFY(!com.comStatus());
}

void QtSerialDriverTest::formatsAPtyCannotTake_data()
{
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<int>("parity");
    QTest::addColumn<int>("code");

    // A pseudo-terminal keeps 8N1 whatever is asked; a real port takes these formats.
    QTest::newRow("N-8") << 1 << 0 << 0;
    QTest::newRow("N-7") << 0 << 0 << -3;
    QTest::newRow("E-8") << 1 << 1 << -3;
}

void QtSerialDriverTest::formatsAPtyCannotTake()
{
    QFETCH(int, dataBits);
    QFETCH(int, parity);
    QFETCH(int, code);
    PtyFixture f;
    QVERIFY2(f.open(), qPrintable(f.sim.errorString()));
    f.com.setDataBits(dataBits);
    f.com.setParity(parity);
    QCOMPARE(f.com.comOpen(), code);
    QCOMPARE(f.com.lastOpenError(), code == 0 ? OpenError::None : OpenError::SettingsRefused);
}

void QtSerialDriverTest::missingControlLinesDoNotFailTheOpen()
{
    PtyFixture f;
    QVERIFY2(f.open(), qPrintable(f.sim.errorString()));
    for (int flow : {0, 1, 2, 3}) {
        f.com.setFlowCtl(flow);
        QCOMPARE(f.com.comOpen(), 0);
        f.com.CtrlFlowLines(5);
        QCOMPARE(f.com.comGetErrorCode(), 1);
    }
}

// A device that vanishes at its link (a pulled adapter) closes TCom at the first read,
// which returns at once and names the device; the same link opens again once it is back.
void QtSerialDriverTest::lostLine()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttyUSB0"));
    PtyFixture f;
    boardsim::SimLine &sim = f.sim;
    sim.setResponder(std::make_shared<boardsim::EchoResponder>());
    QVERIFY2(f.open(link), qPrintable(sim.errorString()));
    QList<LineLoss> losses;
    f.com.setLossHandler([&](const LineLoss &loss) { losses << loss; });
    QCOMPARE(f.com.comOpen(), 0);
    QVERIFY(!f.com.lineLost());

    sim.dropDevice();
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(f.com.comRxCharWait(), TCom::NoChar);
    QVERIFY2(clock.elapsed() < 50, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(f.com.lineLost());
    QVERIFY(!f.com.comStatus());
    QCOMPARE(f.com.comGetErrorCode(), 0);
    QCOMPARE(f.com.comSendString("L00"), 0);
    QCOMPARE(losses.size(), 1);
    QCOMPARE(losses.first().device, link);
    QCOMPARE(f.com.comOpen(), -1);   // nothing at the link while it is gone
    QCOMPARE(f.com.lastOpenError(), OpenError::NoSuchDevice);

    QVERIFY2(sim.restoreDevice(), qPrintable(sim.errorString()));
    QCOMPARE(f.com.comOpen(), 0);
    QCOMPARE(f.com.comSendString("L00"), 1);
    QCOMPARE(f.com.comRxCharWait(), int('L'));
    QCOMPARE(losses.size(), 1);
}

QTEST_GUILESS_MAIN(QtSerialDriverTest)
#include "tst_qtserialdriver.moc"
