// A device that vanishes and comes back at the same link, as a pulled USB adapter does:
// against the board models on a simulated line with the real serial driver, what each
// workspace shows meanwhile (Connected, its tool tip, SB5) and the bytes once it is back.

#include "app/mainwindow.h"
#include "boardsim/boards.h"
#include "boardsim/simline.h"
#include "monitors/monitorstate.h"
#include "startconsole.h"
#include "testfiles.h"
#include "widgetfind.h"
#include "serial/mainport.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace std::chrono_literals;

namespace {

constexpr int Generous = 10000;   // ms: only a broken console waits this out

} // namespace

class TestLostLineEndToEnd : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<boardsim::SimLine> m_line;
    std::unique_ptr<TForm1> m_window;

    QString link() const { return m_dir.filePath(QStringLiteral("ttyUSB0")); }

    template<typename T>
    T *find(const char *name) const
    {
        return ::find<T>(m_window.get(), QString::fromLatin1(name));
    }
    QString text(const char *name) const { return find<QLineEdit>(name)->text(); }
    QString connected() const { return find<QLabel>("Connected")->text(); }
    QString connectedTip() const { return find<QLabel>("Connected")->toolTip(); }
    QString activity() const { return find<QLabel>("SB5")->text(); }
    MonitorState &flags() const { return *m_window->findChild<MonitorState *>(); }

    // The boards on a fresh line at link(), and the console on it with these settings.
    void start(const QStringList &boards, const QByteArray &settings)
    {
        m_line = std::make_unique<boardsim::SimLine>();
        auto bus = std::make_shared<boardsim::ResponderChain>();
        for (const QString &description : boards) {
            std::shared_ptr<boardsim::Board> board = boardsim::makeBoard(description, boardsim::Board::DefaultLatency);
            QVERIFY2(board, qPrintable(description));
            const int address = board->address();
            bus->add(address, std::move(board));
        }
        m_line->setResponder(bus);
        m_line->setBaud(0);
        QVERIFY2(m_line->open(link()), qPrintable(m_line->errorString()));
        const QString ini = m_dir.filePath(QStringLiteral("lostline.INI"));
        writeFile(ini, "[Ports]\r\nCOM1=" + link().toLocal8Bit() + "\r\n[Tester]\r\nNagScreen=1\r\nHideDM=0\r\n"
                       "HideAM=0\r\nHideRC=0\r\n" + settings);
        m_window = startConsole(ini);
    }

    // A monitor entered at start-up: its first tick is a stop phase.
    void startMonitor(const QString &board, const QByteArray &workspace, const QByteArray &address)
    {
        start({board}, "StartProg=" + workspace + "\r\nFirstAddr=" + address + "\r\nLastAddr=" + address + "\r\n");
        auto *timer = m_window->currentWorkspace()->findChild<QTimer *>();
        QTRY_VERIFY_WITH_TIMEOUT(!timer->isActive(), Generous);
        QTRY_VERIFY_WITH_TIMEOUT(m_window->mainPort().line().idle(), Generous);
    }

    void scan(const char *button)
    {
        find<QPushButton>(button)->click();

        QTRY_VERIFY_WITH_TIMEOUT(!flags().ScanRequested, Generous);
        QTRY_VERIFY_WITH_TIMEOUT(m_window->mainPort().line().idle() && activity() == u"READY", Generous);
        waitForStopPhase();
    }

    // After a scan the monitor's next tick closes the port and stops its timer; a click
    // before it would be undone by it.
    void waitForStopPhase() const
    {
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->currentWorkspace()->findChild<QTimer *>()->isActive(), Generous);
        QTRY_VERIFY_WITH_TIMEOUT(m_window->mainPort().line().idle(), Generous);
    }

    // What the tool tip says while the device is away, whatever else follows it.
    void expectLossTip() const
    {
        const QString tip = connectedTip();
        QVERIFY2(tip.startsWith(QStringLiteral("The serial device %1 (COM1) went away at ").arg(link())), qPrintable(tip));
        QVERIFY2(tip.contains(QStringLiteral("Plug it back in; the console opens it again the next time it uses the port.")),
                 qPrintable(tip));
    }

    // The device back, with nothing recorded from before.
    void restore()
    {
        m_line->clearRecord();
        QVERIFY2(m_line->restoreDevice(), qPrintable(m_line->errorString()));
    }

private Q_SLOTS:
    void cleanup()
    {
        m_window.reset();
        m_line.reset();
    }

    // RUN meets the loss, shows "Port Open Failed" while the device is away and tries again
    // every tick; once it is back, RUN goes on by itself with its whole tick.
    void digitalRunGoesOnOnceTheDeviceIsBack()
    {
        startMonitor(QStringLiteral("01:digital"), "Digital Monitor", "01");
        scan("Button1");
        find<QPushButton>("Button2")->click();
        QVERIFY(QTest::qWaitFor([&] { return m_line->received().contains("R5AR5CR5D"); }, Generous));

        m_line->dropDevice();
        QTRY_COMPARE_WITH_TIMEOUT(connected(), QStringLiteral("Port Open Failed"), Generous);
        expectLossTip();
        QCOMPARE(activity(), QStringLiteral("RUNNING"));
        QCOMPARE(find<QPushButton>("Button2")->text(), QStringLiteral("STOP"));
        QVERIFY(!m_window->mainPort().portIsOpen());

        restore();
        const QByteArray tick = "L01R5EM" + text("OUTL").toLatin1() + "R5BM" + text("OUTM").toLatin1() + "R5FM"
            + text("OUTR").toLatin1() + "R5AR5CR5D";
        QVERIFY2(QTest::qWaitFor([&] { return m_line->received().size() >= tick.size(); }, Generous),
                 m_line->received().constData());
        QCOMPARE(m_line->received().left(tick.size()), tick);
        QTRY_COMPARE_WITH_TIMEOUT(connected(), QStringLiteral("Port Open"), Generous);
        QCOMPARE(connectedTip(), QString());
        QCOMPARE(activity(), QStringLiteral("RUNNING"));
        QTRY_COMPARE_WITH_TIMEOUT(text("INM"), QStringLiteral("A5"), Generous);
    }

    // The poll meets the loss: "Port Open Failed" on the next tick, then the poll stops
    // with "Port Closed"; RUN once the device is back polls again.
    void analogPollStopsAndRunsAgainOnceTheDeviceIsBack()
    {
        startMonitor(QStringLiteral("02:analog"), "Analog Monitor", "02");
        scan("ANASCAN");
        find<QPushButton>("ANARUN")->click();
        QVERIFY(QTest::qWaitFor([&] { return m_line->received().count("L02") >= 3; }, Generous));

        m_line->dropDevice();
        QTRY_VERIFY_WITH_TIMEOUT(!flags().AnalogRunning, Generous);
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->currentWorkspace()->findChild<QTimer *>()->isActive(), Generous);
        QCOMPARE(connected(), QStringLiteral("Port Closed"));
        expectLossTip();

        restore();
        QTest::qWait(300);   // the stopped poll sends nothing by itself
        QCOMPARE(m_line->received(), QByteArray());
        find<QPushButton>("ANARUN")->click();
        QVERIFY2(QTest::qWaitFor([&] { return m_line->received().size() >= 9; }, Generous),
                 m_line->received().constData());
        QVERIFY2(m_line->received().startsWith("L02R30R32"), m_line->received().constData());
        QTRY_COMPARE_WITH_TIMEOUT(connected(), QStringLiteral("Port Open"), Generous);
        QCOMPARE(connectedTip(), QString());
    }

    // A scan whose device goes ends at once rather than waiting out every address left,
    // keeps what it found, and says the list may be incomplete.
    void aScanCutShortSaysSo()
    {
        start({QStringLiteral("01:digital")}, "StartProg=Digital Monitor\r\nFirstAddr=00\r\nLastAddr=7F\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->currentWorkspace()->findChild<QTimer *>()->isActive(), Generous);
        find<QPushButton>("Button1")->click();
        // Past the board at 01: the scan is at L03 (a silent address waits about 105 ms).
        QVERIFY(QTest::qWaitFor([&] { return m_line->received().contains("L03"); }, Generous));
        QElapsedTimer sinceDrop;
        sinceDrop.start();
        m_line->dropDevice();
        QTRY_VERIFY_WITH_TIMEOUT(m_window->mainPort().line().idle() && activity() == u"READY", Generous);
        // The rest of the range would take about 13 seconds of read time-outs.
        QVERIFY2(sinceDrop.elapsed() < 4000, qPrintable(QString::number(sinceDrop.elapsed())));
        auto *list = find<QListWidget>("Boards");
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(), QStringLiteral("01 Q516"));
        waitForStopPhase();
        QCOMPARE(connected(), QStringLiteral("Port Closed"));
        expectLossTip();
        QVERIFY2(connectedTip().endsWith(QStringLiteral("The scan ended there: the list of boards may be incomplete. "
                                                        "Click SCAN again once the device is back.")),
                 qPrintable(connectedTip()));

        restore();
        find<QLineEdit>("FSCANADR")->setText(QStringLiteral("01"));
        find<QLineEdit>("LSCANADR")->setText(QStringLiteral("01"));
        scan("Button1");
        QCOMPARE(m_line->received(), QByteArray("L01U"));
        QCOMPARE(list->count(), 1);
        QCOMPARE(connected(), QStringLiteral("Port Closed"));   // the stop phase
        QCOMPARE(connectedTip(), QString());
    }

    // The sequencer tries to open again on every tick while the device is away, and goes
    // on with its steps once it is back.
    void theSequencerReconnectsByItself()
    {
        const QString sequence = m_dir.filePath(QStringLiteral("poll.txt"));
        writeFile(sequence, "\"1\" \"50\" \"L01[4]\" \"1\" \r\n");
        start({QStringLiteral("01:digital")}, "StartProg=Sequencer\r\nLoadLastSeqFile=1\r\nAutoStart=1\r\nLastFile="
                                                  + sequence.toLocal8Bit() + "\r\n");
        QVERIFY(QTest::qWaitFor([&] { return m_line->received().count("L01") >= 2; }, Generous));
        QTRY_COMPARE_WITH_TIMEOUT(activity(), QStringLiteral("RXOK"), Generous);

        m_line->dropDevice();
        QTRY_COMPARE_WITH_TIMEOUT(connected(), QStringLiteral("Port Closed"), Generous);
        expectLossTip();
        // Every tick tries to open again and fails; the tool tip adds why.
        QTRY_VERIFY_WITH_TIMEOUT(connectedTip().contains(QStringLiteral("COM1: no such device")), Generous);
        expectLossTip();

        restore();
        QVERIFY(QTest::qWaitFor([&] { return m_line->received().count("L01") >= 2; }, Generous));
        QVERIFY2(m_line->received().startsWith("L01L01"), m_line->received().constData());
        QTRY_COMPARE_WITH_TIMEOUT(connected(), QStringLiteral("Port Open - COM1,9600,N-8-1,NO FLOW"), Generous);
        QCOMPARE(connectedTip(), QString());
        QTRY_COMPARE_WITH_TIMEOUT(activity(), QStringLiteral("RXOK"), Generous);
    }
};

QTEST_MAIN(TestLostLineEndToEnd)
#include "tst_lostline_e2e.moc"
