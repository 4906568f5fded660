// The port enumeration of the main window with the threaded port: which ports the menu
// offers after a start-up and after a rescan, on simulated lines mapped in [Ports], and
// that the window keeps answering while a rescan runs.

#include "app/mainwindow.h"
#include "boardsim/simline.h"
#include "serial/faketsiodevice.h"
#include "serial/fakeserialdriver.h"
#include "serial/mainport.h"
#include "serial/qtserialdriver.h"
#include "serial/tsiocommport.h"
#include "startconsole.h"
#include "testfiles.h"
#include "widgetfind.h"

#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <condition_variable>
#include <mutex>

namespace {

constexpr int Generous = 20000;   // ms: only a broken enumeration waits this out

// Captions as the operator sees them, a disabled item marked with "-".
QStringList captions(const QMenu *menu)
{
    QStringList list;
    for (const QAction *action : menu->actions())
        list.append(action->text() + (action->isEnabled() ? "" : "-"));
    return list;
}

// Holds the probe of one port until the test lets it go.
struct Gate
{
    std::mutex mutex;
    std::condition_variable changed;
    bool armed = false;
    bool open = false;

    void pass()
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [this] { return !armed || open; });
    }
    void release()
    {
        {
            std::lock_guard lock(mutex);
            open = true;
        }
        changed.notify_all();
    }
};

} // namespace

class TestPortEnumeration : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::map<int, std::unique_ptr<boardsim::SimLine>> m_lines;

    // Simulated lines at COM1, COM3 and COM12 behind links, and a settings file that maps them.
    QString mapLines(const QByteArray &tester = "PORT=COM3\r\n")
    {
        QByteArray ports = "[Ports]\r\n";
        for (int n : {1, 3, 12}) {
            auto line = std::make_unique<boardsim::SimLine>();
            const QString link = m_dir.filePath(QStringLiteral("ttyS%1").arg(n));
            if (!line->open(link))
                qFatal("no pseudo-terminal: %s", qPrintable(line->errorString()));
            ports += "COM" + QByteArray::number(n) + "=" + link.toLocal8Bit() + "\r\n";
            m_lines[n] = std::move(line);
        }
        const QString ini = m_dir.filePath(QStringLiteral("enumerate.INI"));
        writeFile(ini, ports + "[Tester]\r\nNagScreen=1\r\n" + tester);
        return ini;
    }

private Q_SLOTS:
    void cleanup() { m_lines.clear(); }

    void offersThePortsThatOpen()
    {
        const QString ini = mapLines();
        auto window = startConsole(ini, {}, nullptr, false);
        QSignalSpy enumerated(window.get(), &TForm1::portsEnumerated);
        window->Timer1Timer();
        window->Timer1Timer();
        QTRY_COMPARE_WITH_TIMEOUT(enumerated.count(), 1, Generous);
        const QMenu *menu = find<QMenu>(window.get(), QStringLiteral("PM"));
        // Start-up tries COM1 to COM7 only.
        QCOMPARE(captions(menu),
                 (QStringList{"COM1", "COM2 NA-", "COM3", "COM4 NA-", "COM5 NA-", "COM6 NA-", "COM7 NA-", "Rescan"}));
        QCOMPARE(enumerated.takeFirst().at(0).toStringList(), (QStringList{"COM1", "COM3"}));

        window->EnumeratePorts(127);
        QTRY_COMPARE_WITH_TIMEOUT(enumerated.count(), 1, Generous);
        QCOMPARE(captions(menu), (QStringList{"COM1", "COM2 NA-", "COM3", "COM4 NA-", "COM5 NA-", "COM6 NA-",
                                              "COM7 NA-", "COM8 NA-", "COM9 NA-", "COM12", "Rescan"}));
        QCOMPARE(enumerated.takeFirst().at(0).toStringList(), (QStringList{"COM1", "COM3", "COM12"}));
        // The probes let every device go again.
        for (int n : {1, 3, 12}) {
            OpenError error = OpenError::None;
            QString detail;
            QVERIFY2(QtSerialDriver::openPath(m_lines[n]->devicePath(), error, detail), qPrintable(detail));
        }
        // What the console lends the workspaces finds the same devices.
        TSIOCommPort port(window->threadedDevices());
        QVERIFY(port.OpenPort(12, 115200));
        QCOMPARE(port.location(), m_dir.filePath(QStringLiteral("ttyS12")));
        QVERIFY(!port.OpenPort(2, 115200));
    }

    void aHeldPortIsNotAvailable()
    {
        const QString ini = mapLines("PORT=COM1\r\nBAUD=9600\r\n");
        auto window = startConsole(ini);
        QVERIFY(window->mainPort().line().waitIdle(Generous));
        QSignalSpy enumerated(window.get(), &TForm1::portsEnumerated);

        // COM1 held by the main port, COM12 by another program.
        bool opened = false;
        window->applyLineSettings(true, [&](bool open) { opened = open; });
        QVERIFY(window->mainPort().line().waitIdle(Generous));
        QVERIFY(opened);
        OpenError error = OpenError::None;
        QString detail;
        auto other = QtSerialDriver::openPath(m_lines[12]->devicePath(), error, detail);
        QVERIFY2(other, qPrintable(detail));

        window->EnumeratePorts(127);
        QTRY_COMPARE_WITH_TIMEOUT(enumerated.count(), 1, Generous);
        QCOMPARE(enumerated.takeFirst().at(0).toStringList(), QStringList{"COM3"});
        const QStringList shown = captions(find<QMenu>(window.get(), QStringLiteral("PM")));
        QCOMPARE(shown.first(), QStringLiteral("COM1 NA-"));
        QVERIFY(!shown.contains("COM12"));
        QVERIFY(window->mainPort().portIsOpen());
    }

    void anEnumerationDroppedByAWorkspaceChangeStillRuns()
    {
        writeFile(m_dir.filePath(QStringLiteral("dropped.INI")), "[Tester]\r\nNagScreen=1\r\n");
        auto driver = std::make_unique<FakeSerialDriver>();
        FakeTSIOPorts ports(driver.get());
        ports.addPort(3);
        auto gate = std::make_shared<Gate>();
        TSIODeviceOpener gated = [inner = ports.opener(), gate](int n) {
            if (n == 2)
                gate->pass();
            return inner(n);
        };
        auto window = startConsole(m_dir.filePath(QStringLiteral("dropped.INI")), std::move(driver), nullptr, true,
                                   gated);
        QVERIFY(window->mainPort().line().waitIdle(Generous));
        QSignalSpy enumerated(window.get(), &TForm1::portsEnumerated);
        {
            std::lock_guard lock(gate->mutex);
            gate->armed = true;
        }
        // The first enumeration holds the line; the second waits behind it when a
        // workspace change drops what is queued.
        int done = 0;
        window->EnumeratePorts(8, [&] { ++done; });
        window->EnumeratePorts(127, [&] { ++done; });
        window->mainPort().stopAndClose();
        gate->release();
        QTRY_COMPARE_WITH_TIMEOUT(done, 2, Generous);
        QCOMPARE(enumerated.count(), 2);
        QCOMPARE(enumerated.at(0).at(0).toStringList(), QStringList{"COM3"});
        QCOMPARE(enumerated.at(1).at(0).toStringList(), QStringList{"COM3"});
        QCOMPARE(captions(find<QMenu>(window.get(), QStringLiteral("PM"))).last(), QStringLiteral("Rescan"));
        QCOMPARE(captions(find<QMenu>(window.get(), QStringLiteral("PM"))).size(), 10);   // COM1..COM9, Rescan
    }

    void aRescanShowsScanningAndTheWindowKeepsAnswering()
    {
        writeFile(m_dir.filePath(QStringLiteral("rescan.INI")), "[Tester]\r\nNagScreen=1\r\nPORT=COM3\r\n");
        auto driver = std::make_unique<FakeSerialDriver>();
        FakeTSIOPorts ports(driver.get());
        for (int n : {1, 3})
            ports.addPort(n);
        // The rescan cannot finish before a timer of the window has fired during it.
        auto gate = std::make_shared<Gate>();
        TSIODeviceOpener gated = [inner = ports.opener(), gate](int n) {
            if (n == 2)
                gate->pass();
            return inner(n);
        };
        auto window = startConsole(m_dir.filePath(QStringLiteral("rescan.INI")), std::move(driver), nullptr, true,
                                   gated);
        QVERIFY(window->mainPort().line().waitIdle(Generous));
        QSignalSpy enumerated(window.get(), &TForm1::portsEnumerated);
        {
            std::lock_guard lock(gate->mutex);
            gate->armed = true;
        }

        QStringList seenDuring;
        QTimer tick;
        tick.setInterval(1);
        connect(&tick, &QTimer::timeout, this, [&] {
            if (enumerated.isEmpty())
                seenDuring << find<QLabel>(window.get(), QStringLiteral("SB1"))->text();
            gate->release();
        });
        tick.start();
        window->PortSel(QStringLiteral("Rescan"));
        QTRY_COMPARE_WITH_TIMEOUT(enumerated.count(), 1, Generous);
        tick.stop();

        QVERIFY(!seenDuring.isEmpty());
        QCOMPARE(seenDuring.first(), QStringLiteral("Scanning"));
        QCOMPARE(enumerated.first().at(0).toStringList(), (QStringList{"COM1", "COM3"}));
        QTRY_COMPARE_WITH_TIMEOUT(find<QLabel>(window.get(), QStringLiteral("SB1"))->text(), QStringLiteral("COM3"), Generous);
    }
};

QTEST_MAIN(TestPortEnumeration)
#include "tst_portenumeration.moc"
