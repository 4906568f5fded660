#include "settings/settingsfile.h"
#include "serial/fakeserialdriver.h"
#include "serial/portenumerator.h"
#include "serial/portmap.h"
#include "serialprint.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

inline char *toString(const PortMenuItem &item)
{
    return qstrdup(qPrintable(item.caption + (item.enabled ? QString() : QStringLiteral(" (disabled)"))));
}

namespace {

bool writeFile(const QString &path, const QByteArray &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

} // namespace

// The device layer's port numbers, and the port probe and menu built on them.
class PortMapTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void loadReadsThePortsSection();
    void newDevicesGetTheLowestFreeNumbers();
    void numbersStayFromRunToRun();
    void aLinkToAMappedDeviceIsTheSameDevice();
    void probeAndMenu();
    void startUpProbeStopsBeforeCount();
    void probeOpensEachPortAt9600AndClosesIt();
    void initialMenu();
};

void PortMapTest::loadReadsThePortsSection()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("iovantor.INI"));
    QVERIFY(writeFile(path, "[Tester]\nPORT=COM3\n"
                            "[Ports]\nCOM3=/dev/ttyUSB0\ncom12=/dev/ttyACM1\nCOM0=/dev/zero\nCOM256=/dev/null\n"
                            "COMX=/dev/x\nCOM4=\nPRINTER=/dev/lp0\n"));
    PortMap map;
    map.load(SettingsFile(path));
    QCOMPARE(map.entries(), (QMap<int, QString>{{3, "/dev/ttyUSB0"}, {12, "/dev/ttyACM1"}}));
    QCOMPARE(map.devicePath(12), QStringLiteral("/dev/ttyACM1"));
    QCOMPARE(map.devicePath(4), QString());
}

void PortMapTest::newDevicesGetTheLowestFreeNumbers()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("iovantor.INI"));
    PortMap map;
    map.setEntries({{1, "/dev/ttyS0"}, {3, "/dev/ttyUSB0"}});
    SettingsFile file(path);
    QVERIFY(map.assignDiscovered({"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyACM0", "/dev/ttyACM1"}, file));
    QCOMPARE(map.entries(), (QMap<int, QString>{{1, "/dev/ttyS0"},
                                                {2, "/dev/ttyUSB1"},
                                                {3, "/dev/ttyUSB0"},
                                                {4, "/dev/ttyACM0"},
                                                {5, "/dev/ttyACM1"}}));
    QCOMPARE(file.readStringIn("Ports", "COM2", QString()), QStringLiteral("/dev/ttyUSB1"));
    QCOMPARE(file.readStringIn("Ports", "COM5", QString()), QStringLiteral("/dev/ttyACM1"));
    // Entries that were already there are not written again.
    QCOMPARE(file.keysIn("Ports"), (QStringList{"COM2", "COM4", "COM5"}));
}

void PortMapTest::numbersStayFromRunToRun()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("iovantor.INI"));
    {
        PortMap first;
        SettingsFile file(path);
        first.load(file);
        QVERIFY(first.assignDiscovered({"/dev/ttyUSB0", "/dev/ttyUSB1"}, file));
        QVERIFY(file.commit());
    }
    // The next run finds the first device gone and a new one: the survivor keeps its
    // number, the newcomer takes the free one, not the next after the end.
    PortMap second;
    SettingsFile file(path);
    second.load(file);
    QVERIFY(!second.assignDiscovered({"/dev/ttyUSB1"}, file));
    QVERIFY(second.assignDiscovered({"/dev/ttyACM0", "/dev/ttyUSB1"}, file));
    QVERIFY(file.commit());

    PortMap third;
    third.load(SettingsFile(path));
    QCOMPARE(third.entries(), (QMap<int, QString>{{1, "/dev/ttyUSB0"}, {2, "/dev/ttyUSB1"}, {3, "/dev/ttyACM0"}}));
}

void PortMapTest::aLinkToAMappedDeviceIsTheSameDevice()
{
    QTemporaryDir dir;
    const QString device = dir.filePath(QStringLiteral("device"));
    const QString link = dir.filePath(QStringLiteral("link"));
    QVERIFY(writeFile(device, QByteArray()));
    QVERIFY(QFile::link(device, link));
    PortMap map;
    map.setEntries({{7, link}});
    SettingsFile file(dir.filePath(QStringLiteral("iovantor.INI")));
    QVERIFY(!map.assignDiscovered({device}, file));
    QCOMPARE(map.entries(), (QMap<int, QString>{{7, link}}));
}

void PortMapTest::probeAndMenu()
{
    FakeSerialDriver driver;
    for (int n : {1, 3, 12})
        driver.addPort(n);
    const QStringList probed = probePorts(driver, 127);
    QStringList all;
    for (int n = 1; n <= 126; ++n)
        all << QStringLiteral("%1COM%2").arg(n == 1 || n == 3 || n == 12 ? "" : "x").arg(n);
    QCOMPARE(probed, all);

    const PortMenuModel menu = buildPortMenu(probed);
    const QList<PortMenuItem> expected{
        {"COM1", true},     {"COM2 NA", false}, {"COM3", true},     {"COM4 NA", false}, {"COM5 NA", false},
        {"COM6 NA", false}, {"COM7 NA", false}, {"COM8 NA", false}, {"COM9 NA", false}, {"COM12", true},
        {"Rescan", true},
    };
    QCOMPARE(menu.items, expected);
    QCOMPARE(menu.ports, (QStringList{"COM1", "COM3", "COM12"}));
}

void PortMapTest::startUpProbeStopsBeforeCount()
{
    FakeSerialDriver driver;
    driver.addPort(2)->setOpenError(OpenError::Busy);   // held by another program
    driver.addPort(7);
    driver.addPort(8);
    const QStringList probed = probePorts(driver, 8);
    QCOMPARE(probed, (QStringList{"xCOM1", "xCOM2", "xCOM3", "xCOM4", "xCOM5", "xCOM6", "COM7"}));
    const PortMenuModel menu = buildPortMenu(probed);
    QCOMPARE(menu.ports, QStringList{"COM7"});
    QCOMPARE(menu.items.first(), (PortMenuItem{"COM1 NA", false}));
    QCOMPARE(menu.items.last(), (PortMenuItem{"Rescan", true}));
}

void PortMapTest::probeOpensEachPortAt9600AndClosesIt()
{
    FakeSerialDriver driver;
    auto line = driver.addPort(1);
    auto refusing = driver.addPort(2);
    refusing->setRefuseConfigure(true);
    QCOMPARE(probePorts(driver, 3), (QStringList{"COM1", "xCOM2"}));
    QCOMPARE(line->events(), (QStringList{"open", "configure", "DTR off", "RTS off", "close"}));
    QCOMPARE(line->config(), LineConfig{});
    QVERIFY(!refusing->isOpen());
}

void PortMapTest::initialMenu()
{
    const PortMenuModel menu = initialPortMenu();
    QList<PortMenuItem> expected;
    for (int n = 1; n <= 8; ++n)
        expected.append({QStringLiteral("COM%1").arg(n), true});
    QCOMPARE(menu.items, expected);
    QVERIFY(menu.ports.isEmpty());
}

QTEST_GUILESS_MAIN(PortMapTest)
#include "tst_portmap.moc"
