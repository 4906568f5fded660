// The three board workspaces and the Scan Defaults page, offscreen, on the in-memory serial
// driver: the controls' own rules, the buttons and the shared flags, what a workspace change
// does to the monitors, and work on the line that stops or fails. A workspace on its own runs
// against a fake console; what needs the main window (the workspace change, the tab strip,
// the closing write, two workspaces sharing their flags) runs in it.

#include "app/mainwindow.h"
#include "settings/settingsfile.h"
#include "monitors/analogmonitor.h"
#include "monitors/digitalmonitor.h"
#include "monitors/monitorstate.h"
#include "monitors/relaycontrol.h"
#include "monitors/scandefaults.h"
#include "fakeconsole.h"
#include "startconsole.h"
#include "testfiles.h"
#include "widgetfind.h"
#include "serial/fakeserialdriver.h"
#include "serial/mainport.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <thread>
#include <type_traits>

using namespace std::chrono_literals;

namespace {

// One board workspace with no window around it: the fake console on the in-memory driver
// (COM1 unless told otherwise), flags of its own, its panel on a host widget, entered as a
// workspace change enters it and taken past the stop phase of its first tick.
template<typename W>
struct Alone
{
    MonitorState state;
    std::shared_ptr<FakeLine> line;
    std::unique_ptr<FakeConsole> console;
    QWidget host;
    std::unique_ptr<W> ws;

    explicit Alone(const QString &ini, bool withPort = true)
    {
        auto driver = std::make_unique<FakeSerialDriver>();
        if (withPort)
            line = driver->addPort(1);
        console = std::make_unique<FakeConsole>(std::move(driver), ini);
        ws = std::make_unique<W>(*console, state);
        host.resize(1000, 700);
        ws->panel()->setParent(&host);
        host.show();
        // A workspace change resets the Digital Monitor and asks the next tick of the
        // entered monitor for a stop phase.
        if constexpr (std::is_same_v<W, DigitalMonitor>)
            ws->workspaceChanging();
        else
            state.StopRequested = true;
        ws->enter();
        QTimer *timer = ws->timer();
        if (!QTest::qWaitFor([timer] { return !timer->isActive(); }, 5000))
            QTest::qFail("the monitor's first tick did not stop its timer", __FILE__, __LINE__);
        if (!QTest::qWaitFor([this] { return console->mainPort().line().idle(); }, 5000))
            QTest::qFail("entering left the line busy", __FILE__, __LINE__);
    }

    ~Alone()
    {
        ws->stopTimers();
        console->mainPort().stopAndClose();
        console->mainPort().line().waitIdle(5000);
        ws.reset();
    }

    // Controls lie on the panel; the timer belongs to the workspace.
    template<typename T>
    T *find(const char *name) const
    {
        const QObject *root = std::is_base_of_v<QWidget, T> ? static_cast<const QObject *>(&host) : ws.get();
        return ::find<T>(root, QString::fromLatin1(name));
    }
    QString text(const char *name) const { return find<QLineEdit>(name)->text(); }
    QString label(const char *name) const { return find<QLabel>(name)->text(); }
    MonitorState &flags() { return state; }
    QString connected() const { return console->connected; }
    void settle() const { QTRY_VERIFY_WITH_TIMEOUT(console->mainPort().line().idle(), 10000); }
};

} // namespace

class TestMonitorWorkspaces : public QObject
{
    Q_OBJECT

    struct Console
    {
        std::unique_ptr<TForm1> window;
        std::shared_ptr<FakeLine> line;   // COM1, when the driver has it

        template<typename T>
        T *find(const char *name) const { return ::find<T>(window.get(), QString::fromLatin1(name)); }
        QString text(const char *name) const { return find<QLineEdit>(name)->text(); }
        QString label(const char *name) const { return find<QLabel>(name)->text(); }
        MonitorState &flags() const { return *window->findChild<MonitorState *>(); }
        void settle() const { QTRY_VERIFY_WITH_TIMEOUT(window->mainPort().line().idle(), 10000); }
        void showWorkspace(const QString &caption) const
        {
            auto *tabs = find<QTabBar>("TabControl1");
            for (int i = 0; i < tabs->count(); ++i) {
                if (tabs->tabText(i) == caption)
                    tabs->setCurrentIndex(i);
            }
        }
    };

    QTemporaryDir m_dir;
    QString m_ini;

    // The console started on m_ini with settings, the three board workspaces shown and
    // the given one in front; COM1 exists unless told otherwise.
    Console start(const QByteArray &workspace, const QByteArray &settings = {}, bool withPort = true)
    {
        writeFile(m_ini, "[Tester]\r\nNagScreen=1\r\nHideDM=0\r\nHideAM=0\r\nHideRC=0\r\nStartProg=" + workspace
                             + "\r\n" + settings);
        auto driver = std::make_unique<FakeSerialDriver>();
        Console c;
        if (withPort)
            c.line = driver->addPort(1);
        c.window = startConsole(m_ini, std::move(driver));
        // The first tick of a monitor's timer after entry is a stop phase.
        if (auto *timer = c.window->currentWorkspace()->findChild<QTimer *>(); timer && workspace != "Relay Control")
            if (!QTest::qWaitFor([timer] { return !timer->isActive(); }, 5000))
                QTest::qFail("the monitor's first tick did not stop its timer", __FILE__, __LINE__);
        if (!QTest::qWaitFor([&c] { return c.window->mainPort().line().idle(); }, 5000))
            QTest::qFail("start-up left the line busy", __FILE__, __LINE__);
        return c;
    }

    // Five channels: the columns and fields of channels 6 to 11 are covered and disabled.
    static void expectLayout(const Alone<AnalogMonitor> &c, bool five)
    {
        QCOMPARE(c.find<QWidget>("AD5PANEL")->isVisible(), five);
        QCOMPARE(c.find<QWidget>("AN6")->isEnabled(), !five);
        QCOMPARE(c.find<QLineEdit>("AIN11")->isEnabled(), !five);
        QCOMPARE(c.find<QLineEdit>("AIN6")->palette().color(QPalette::Base),
                 five ? QColor(192, 192, 192) : QColor(Qt::white));
        QVERIFY(c.find<QWidget>("AN5")->isEnabled());
    }

    QString saved(const char *key) const { return SettingsFile(m_ini).readString(QString::fromLatin1(key), {}); }

private Q_SLOTS:
    void init()
    {
        m_ini = m_dir.filePath(QStringLiteral("iovantor.INI"));
        QFile::setPermissions(m_ini, QFile::ReadOwner | QFile::WriteOwner);
        QFile::remove(m_ini);
    }

    void scanDefaultsAreSavedAndCorrected()
    {
        writeFile(m_ini, "[Tester]\r\nFirstAddr=05\r\nLastAddr=03\r\n");
        FakeConsole console(std::make_unique<FakeSerialDriver>(), m_ini);
        ScanRange range;
        QWidget page;
        ScanDefaults defaults(console, range, &page);
        page.show();
        // Start-up fills the edits without writing or correcting anything.
        console.loaded = false;
        defaults.readSettings(SettingsFile(m_ini));
        console.loaded = true;
        auto *first = find<QLineEdit>(&page, QStringLiteral("FSCANADR"));
        auto *last = find<QLineEdit>(&page, QStringLiteral("LSCANADR"));
        QCOMPARE(first->text(), QStringLiteral("05"));
        QCOMPARE(last->text(), QStringLiteral("03"));
        QCOMPARE(range.first(), 0x05);
        QCOMPARE(range.last(), 0x03);

        // A first address above the last moves the last one up to it.
        first->setText(QStringLiteral("20"));
        QCOMPARE(saved("FirstAddr"), QStringLiteral("20"));
        QCOMPARE(last->text(), QStringLiteral("20"));
        QCOMPARE(saved("LastAddr"), QStringLiteral("20"));

        last->setText(QStringLiteral("3F"));
        first->setText(QStringLiteral("10"));
        QCOMPARE(last->text(), QStringLiteral("3F"));
        QCOMPARE(saved("LastAddr"), QStringLiteral("3F"));
        QCOMPARE(range.last(), 0x3F);

        // Typed letters are upper case.
        first->clear();
        QTest::keyClicks(first, QStringLiteral("4a"));
        QCOMPARE(first->text(), QStringLiteral("4A"));
        QCOMPARE(last->text(), QStringLiteral("4A"));

        // A failed write says so once and skips the correction.
        QFile::setPermissions(m_ini, QFile::ReadOwner);
        first->setText(QStringLiteral("50"));
        QCOMPARE(console.boxes.messages.size(), 1);
        QCOMPARE(console.boxes.messages[0].title, QStringLiteral("Error Saving"));
        QCOMPARE(last->text(), QStringLiteral("4A"));
        QCOMPARE(range.first(), 0x50);
    }

    void outputFieldsDriveTheLamps()
    {
        Alone<DigitalMonitor> c(m_ini);
        auto lamps = [&](const char *prefix) {
            QString shown;
            for (int i = 0; i < 8; ++i)
                shown += c.label(qPrintable(QStringLiteral("%1%2").arg(QLatin1String(prefix)).arg(i)));
            return shown;
        };
        // A workspace change leaves every port "XX".
        QCOMPARE(c.text("OUTL"), QStringLiteral("XX"));
        QCOMPARE(lamps("OLB"), QStringLiteral("XXXXXXXX"));

        auto *outl = c.find<QLineEdit>("OUTL");
        outl->setText(QStringLiteral("3C"));
        QCOMPARE(lamps("OLB"), QStringLiteral("00111100"));
        outl->setText(QStringLiteral("3"));   // one digit: the lamps keep what they show
        QCOMPARE(lamps("OLB"), QStringLiteral("00111100"));
        outl->setText(QString());
        QCOMPARE(lamps("OLB"), QStringLiteral("        "));
        outl->setText(QStringLiteral("00"));
        QTest::mouseClick(c.find<QLabel>("OLB0"), Qt::LeftButton);
        QCOMPARE(outl->text(), QStringLiteral("80"));
        QCOMPARE(lamps("OLB"), QStringLiteral("10000000"));

        c.find<QLineEdit>("OUTR")->setText(QStringLiteral("FF"));
        QTest::mouseClick(c.find<QLabel>("ORB7"), Qt::LeftButton);
        QCOMPARE(c.text("OUTR"), QStringLiteral("FE"));

        // A lamp of a port showing "XX" starts the port from 00.
        QCOMPARE(c.text("OUTM"), QStringLiteral("XX"));
        QTest::mouseClick(c.find<QLabel>("OMB2"), Qt::LeftButton);
        QCOMPARE(c.text("OUTM"), QStringLiteral("00"));
        QCOMPARE(lamps("OMB"), QStringLiteral("00000000"));

        c.find<QLineEdit>("INL")->setText(QStringLiteral("3C"));
        QCOMPARE(c.label("Label21"), QStringLiteral("00111100"));
        c.find<QLineEdit>("INR")->setText(QString());
        QCOMPARE(c.label("Label23"), QStringLiteral("        "));
        QCOMPARE(c.label("Label22"), QStringLiteral("XXXXXXXX"));

        auto *baudConv = c.find<QLabel>("BaudConv");
        c.find<QLineEdit>("BAUDTXT")->setText(QStringLiteral("01D3"));
        QCOMPARE(baudConv->text(), QStringLiteral("600"));
        QVERIFY(baudConv->isVisible());
        c.find<QLineEdit>("BAUDTXT")->setText(QStringLiteral("01Da"));
        QCOMPARE(baudConv->text(), QStringLiteral("    "));
        QVERIFY(!baudConv->isVisible());
        c.find<QLineEdit>("UIDTEXT")->setText(QStringLiteral("Q516"));
        QCOMPARE(c.label("TypeText"), QStringLiteral("QK5151M"));
        c.find<QLineEdit>("UIDTEXT")->setText(QStringLiteral("Q610"));
        QCOMPARE(c.label("TypeText"), QStringLiteral("    "));
        QVERIFY(c.find<QLabel>("TypeText")->isVisible());
    }

    void stopShowsReadyOnlyWhenNothingElseRuns_data()
    {
        QTest::addColumn<bool>("test");            // the TEST button, else RUN
        QTest::addColumn<bool>("analogRunning");
        QTest::addColumn<bool>("otherMode");      // TEST during RUN, RUN during TEST
        QTest::addColumn<bool>("ready");
        QTest::newRow("RUN alone") << false << false << false << true;
        QTest::newRow("RUN, analog polling") << false << true << false << false;
        QTest::newRow("RUN, TEST set") << false << false << true << false;
        QTest::newRow("TEST alone") << true << false << false << true;
        QTest::newRow("TEST, analog polling") << true << true << false << false;
        QTest::newRow("TEST, RUN set") << true << false << true << false;
    }

    void stopShowsReadyOnlyWhenNothingElseRuns()
    {
        QFETCH(bool, test);
        QFETCH(bool, analogRunning);
        QFETCH(bool, otherMode);
        QFETCH(bool, ready);
        Alone<DigitalMonitor> c(m_ini);
        auto *button = c.find<QPushButton>(test ? "Button3" : "Button2");
        auto *other = c.find<QPushButton>(test ? "Button2" : "Button3");
        auto *timer = c.find<QTimer>("VantorTimer");

        button->click();
        QCOMPARE(button->text(), QStringLiteral("STOP"));
        QVERIFY(!other->isEnabled());
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), test ? 300 : 100);
        QCOMPARE(test ? c.flags().TestMode : c.flags().RunMode, true);
        QCOMPARE(c.flags().IdentifyPending, !test);
        QCOMPARE(c.ws->TestStep, 0);

        c.flags().AnalogRunning = analogRunning;
        (test ? c.flags().RunMode : c.flags().TestMode) = otherMode;
        c.console->setActivityText(QStringLiteral("RUNNING"));
        c.find<QLineEdit>("INL")->setText(QStringLiteral("12"));
        button->click();
        QCOMPARE(button->text(), test ? QStringLiteral("TEST") : QStringLiteral("RUN"));
        QVERIFY(other->isEnabled());
        QCOMPARE(c.console->activityText(), ready ? QStringLiteral("READY") : QStringLiteral("RUNNING"));
        QVERIFY(c.flags().StopRequested);
        QVERIFY(!c.flags().IdentifyPending);
        QCOMPARE(test ? c.flags().TestMode : c.flags().RunMode, false);
        for (const char *port : {"INL", "INM", "INR", "OUTL", "OUTM", "OUTR"})
            QCOMPARE(c.text(port), QStringLiteral("XX"));
        c.flags().AnalogRunning = false;
        c.flags().RunMode = false;
        c.flags().TestMode = false;
        // The next tick closes the port and stops the timer.
        QTRY_VERIFY_WITH_TIMEOUT(!timer->isActive(), 5000);
        QCOMPARE(c.connected(), QStringLiteral("Port Closed"));
        QVERIFY(!c.flags().StopRequested);
    }

    void workspaceChangeResetsTheMonitors()
    {
        Console c = start("Digital Monitor");
        c.find<QPushButton>("Button2")->click();   // RUN
        c.window->setActivityText(QStringLiteral("RUNNING"));
        c.find<QLineEdit>("OUTL")->setText(QStringLiteral("12"));

        c.showWorkspace(QStringLiteral("Analog Monitor"));
        QCOMPARE(c.find<QPushButton>("Button3")->text(), QStringLiteral("TEST"));
        QVERIFY(c.find<QPushButton>("Button2")->isEnabled());
        QCOMPARE(c.text("OUTL"), QStringLiteral("XX"));
        // RUN stays set through the change, so "READY" is not shown.
        QVERIFY(c.flags().RunMode);
        QCOMPARE(c.window->activityText(), QStringLiteral("RUNNING"));
        QVERIFY(!c.flags().IdentifyPending);
        QVERIFY(!c.find<QTimer>("VantorTimer")->isActive());
        QCOMPARE(c.find<QPushButton>("ANARUN")->text(), QStringLiteral("RUN"));
        // Entering the analog monitor runs its stop phase first.
        QTRY_VERIFY(!c.find<QTimer>("AnaMonTimer")->isActive());
        QVERIFY(!c.flags().StopRequested);

        c.showWorkspace(QStringLiteral("Digital Monitor"));
        QCOMPARE(c.find<QPushButton>("Button2")->text(), QStringLiteral("RUN"));
        QCOMPARE(c.find<QPushButton>("Button3")->text(), QStringLiteral("TEST"));
        QVERIFY(c.find<QPushButton>("Button3")->isEnabled());
        QVERIFY(c.find<QTimer>("VantorTimer")->isActive());
        QTRY_VERIFY(!c.find<QTimer>("VantorTimer")->isActive());
        QVERIFY(!c.flags().RunMode);
    }

    void aScanWhosePortWillNotOpenEndsThere()
    {
        Alone<DigitalMonitor> c(m_ini, false);
        c.find<QPushButton>("Button1")->click();
        auto *address = c.find<QLineEdit>("LOCXX");
        QCOMPARE(address->text(), QStringLiteral("00"));
        QCOMPARE(address->palette().color(QPalette::Base), QColor(Qt::yellow));
        QVERIFY(c.flags().ScanRequested);
        QTRY_COMPARE_WITH_TIMEOUT(c.connected(), QStringLiteral("Port Open Failed"), 5000);
        c.settle();
        QVERIFY(!c.flags().ScanRequested);
        QVERIFY(!c.flags().StopRequested);
        QCOMPARE(c.find<QListWidget>("Boards")->count(), 0);
        // Nothing retries: the timer finds no work.
        QTest::qWait(300);
        QVERIFY(c.console->mainPort().line().idle());
        QCOMPARE(c.connected(), QStringLiteral("Port Open Failed"));
        QCOMPARE(c.text("INL"), QStringLiteral("XX"));
    }

    void typingAnAddressLetsTheDigitalListGo()
    {
        Console c = start("Relay Control");
        auto *boards = c.find<QListWidget>("Boards");
        auto *relayBoards = c.find<QListWidget>("KBoards");
        boards->addItem(QStringLiteral("01 Q516"));
        relayBoards->addItem(QStringLiteral("0A Q610"));
        boards->setCurrentRow(0);
        relayBoards->setCurrentRow(0);
        auto *kLoc = c.find<QLineEdit>("KLoc");
        kLoc->clear();
        QTest::keyClicks(kLoc, QStringLiteral("0b"));
        QCOMPARE(kLoc->text(), QStringLiteral("0B"));
        QVERIFY(boards->selectedItems().isEmpty());
        QCOMPARE(relayBoards->currentRow(), 0);
        QVERIFY(relayBoards->item(0)->isSelected());

        // A click in the digital list with nothing selected empties LOCXX.
        c.window->findChild<DigitalMonitor *>()->BoardsClick();
        QCOMPARE(c.text("LOCXX"), QString());
        QVERIFY(c.flags().IdentifyPending);
    }

    void modeSelectorsAndUnitAreSaved()
    {
        // Channel 1 temperature, 2 on 0..5V, 3 on 0..10V, 4 hexadecimal; a group with
        // several bits takes the last one checked.
        Console c = start("Analog Monitor", "A=16920\r\nB=" + QByteArray::number(0x4C88) + "\r\nTEMP=TEMP F\r\n");
        for (const char *name : {"CH1C", "CH2V1", "CH3V2", "CH4H", "CH5C", "CH6C", "CH7H", "CH11H"})
            QVERIFY2(c.find<QRadioButton>(name)->isChecked(), name);
        const AnalogChannelModes &modes = c.window->findChild<AnalogMonitor *>()->channelModes();
        QCOMPARE(modes.mode(1), ChannelMode::Temperature);
        QCOMPARE(modes.mode(2), ChannelMode::Volts5);
        QCOMPARE(modes.mode(3), ChannelMode::Volts10);
        QCOMPARE(modes.mode(5), ChannelMode::Temperature);
        QVERIFY(c.find<QRadioButton>("Faren")->isChecked());
        QCOMPARE(c.label("Temp"), QStringLiteral("TEMP F"));
        QVERIFY(!c.window->findChild<AnalogMonitor *>()->celsius());

        c.find<QRadioButton>("CH2V2")->click();
        QCOMPARE(modes.mode(2), ChannelMode::Volts10);
        c.find<QRadioButton>("Celcius")->click();
        QVERIFY(c.window->findChild<AnalogMonitor *>()->celsius());
        QCOMPARE(c.label("Temp"), QStringLiteral("TEMP C"));
        QCOMPARE(saved("TEMP"), QStringLiteral("TEMP C"));

        c.window->close();
        QCOMPARE(saved("A"), QString::number(0x4118));
        QCOMPARE(saved("B"), QString::number(0x4488));
    }

    void channelLayoutFollowsTheBoardType_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("fiveAfterClick");
        QTest::addColumn<bool>("fiveAfterRun");
        QTest::newRow("Q83Q") << "Q83Q" << true << true;
        QTest::newRow("Q907") << "Q907" << true << false;
        QTest::newRow("eleven channels") << "Q411" << false << false;
    }

    void channelLayoutFollowsTheBoardType()
    {
        QFETCH(QString, type);
        QFETCH(bool, fiveAfterClick);
        QFETCH(bool, fiveAfterRun);
        Alone<AnalogMonitor> c(m_ini);
        auto *boards = c.find<QListWidget>("AnaBoards");
        boards->addItem(QStringLiteral("03 ") + type);
        boards->setCurrentRow(0);
        c.ws->AnaBoardsClick();
        QCOMPARE(c.text("SCANSTART"), QStringLiteral("03"));
        expectLayout(c, fiveAfterClick);

        c.find<QPushButton>("ANARUN")->click();
        QCOMPARE(c.find<QPushButton>("ANARUN")->text(), QStringLiteral("STOP"));
        QVERIFY(c.flags().AnalogRunning);
        expectLayout(c, fiveAfterRun);

        // With nothing selected, a click empties the address.
        boards->setCurrentRow(-1);
        c.ws->AnaBoardsClick();
        QTRY_COMPARE(c.text("SCANSTART"), QString());
        c.find<QPushButton>("ANARUN")->click();
    }

    void runWithoutABoardPollsTheTypedAddress()
    {
        Alone<AnalogMonitor> c(m_ini);
        c.find<QLineEdit>("SCANSTART")->setText(QStringLiteral("07"));
        c.line->takeWritten();
        // A board at 07 answering every three-character command as it comes.
        std::thread board([line = c.line] {
            QByteArrayList replies{"07A0"};
            for (int reading = 1; reading <= 12; ++reading)
                replies << QString::asprintf("%04X", reading).toLatin1();
            qsizetype commandsEnd = 0;
            for (const QByteArray &reply : std::as_const(replies)) {
                commandsEnd += 3;
                if (!line->waitForWritten(commandsEnd, 5s))
                    return;
                line->feed(reply);
            }
        });
        c.find<QPushButton>("ANARUN")->click();
        QVERIFY(!c.find<QWidget>("AD5PANEL")->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(c.text("AIN11"), QStringLiteral("000B"), 5000);
        QCOMPARE(c.text("AIN1"), QStringLiteral("0001"));
        QCOMPARE(c.text("ANALOC"), QStringLiteral("07A0"));
        QCOMPARE(c.connected(), QStringLiteral("Port Open"));
        QVERIFY(c.line->written().startsWith("L07R30R32R34R36R38R3AR3CR3ER40R42R44R10"));
        c.find<QPushButton>("ANARUN")->click();
        board.join();
    }

    void stopEndsAPollOfASilentBoardAtOnce()
    {
        Alone<AnalogMonitor> c(m_ini);
        auto *run = c.find<QPushButton>("ANARUN");
        run->click();
        // The poll waits on its first reply: a silent board costs seconds a tick.
        QTRY_COMPARE_WITH_TIMEOUT(c.line->written(), QByteArray("L00"), 2000);
        c.console->setActivityText(QStringLiteral("RUNNING"));
        run->click();
        QCOMPARE(run->text(), QStringLiteral("RUN"));
        QCOMPARE(c.console->activityText(), QStringLiteral("READY"));
        QVERIFY(!c.find<QTimer>("AnaMonTimer")->isActive());
        for (int channel = 1; channel <= 11; ++channel)
            QVERIFY(c.text(qPrintable(QStringLiteral("AIN%1").arg(channel))).isEmpty());
        // The exchange under way reads its reply to the end; no command follows it.
        QTRY_VERIFY_WITH_TIMEOUT(c.console->mainPort().line().idle(), 1000);
        QCOMPARE(c.line->written(), QByteArray("L00"));
        QVERIFY(c.text("ANALOC").isEmpty());
        for (int channel = 1; channel <= 11; ++channel)
            QVERIFY(c.text(qPrintable(QStringLiteral("AIN%1").arg(channel))).isEmpty());
        // The port stays open for the next RUN.
        QVERIFY(c.console->mainPort().portIsOpen());
    }

    void clicksWaitForTheRunningScan()
    {
        Alone<DigitalMonitor> c(m_ini);
        c.state.scanRange.setFirstText(QStringLiteral("00"));
        c.state.scanRange.setLastText(QStringLiteral("03"));
        c.find<QPushButton>("Button1")->click();
        QTRY_VERIFY(!c.flags().ScanRequested);
        QTRY_COMPARE(c.console->activityText(), QStringLiteral("SCANNING"));
        // The scan shows every address it probes.
        QTRY_COMPARE_WITH_TIMEOUT(c.text("LOCXX"), QStringLiteral("01"), 2000);
        auto *boards = c.find<QListWidget>("Boards");
        boards->addItem(QStringLiteral("05 Q516"));
        boards->setCurrentRow(0);
        c.ws->BoardsClick();
        // The click acts once the scan has ended, after the last address shown.
        QVERIFY(!c.flags().IdentifyPending);
        QTRY_COMPARE_WITH_TIMEOUT(c.text("LOCXX"), QStringLiteral("05"), 5000);
        QCOMPARE(c.console->activityText(), QStringLiteral("READY"));
        QCOMPARE(c.line->written(), QByteArray("L00L01L02L03"));
    }
};

QTEST_MAIN(TestMonitorWorkspaces)
#include "tst_monitorworkspaces.moc"
