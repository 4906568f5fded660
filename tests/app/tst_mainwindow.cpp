// The main window offscreen: start-up, the closing write, the workspace strip, the
// status-bar menus and the opening of the main port, on a fake serial driver.

#include "app/aboutbox.h"
#include "app/configurationmenu.h"
#include "app/mainwindow.h"
#include "settings/settingsfile.h"
#include "startconsole.h"
#include "testfiles.h"
#include "widgetfind.h"
#include "serial/fakeserialdriver.h"
#include "serial/faketsiodevice.h"
#include "serial/mainport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

QStringList tabCaptions(const QTabBar *tabs)
{
    QStringList captions;
    for (int i = 0; i < tabs->count(); ++i)
        captions.append(tabs->tabText(i));
    return captions;
}

// Key names of the [Tester] section in file order.
QStringList testerKeys(const QString &path)
{
    return SettingsFile(path).keysIn(QStringLiteral("Tester"));
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private:
    struct Console
    {
        std::unique_ptr<TForm1> window;
        ScriptedPrompt *prompt = nullptr;
        FakeSerialDriver *driver = nullptr;

        template<typename T>
        T *find(const char *name) const { return ::find<T>(window.get(), QString::fromLatin1(name)); }
        QString text(const char *name) const { return find<QLabel>(name)->text(); }
        bool waitLine() { return window->mainPort().line().waitIdle(5000); }
    };

    // A main window on the settings file ini and fake drivers with the given COM ports, for
    // the main port and for the threaded port that enumerates them, started (both ticks of
    // Timer1) unless told otherwise.
    Console open(const QString &ini, QList<int> ports = {1}, bool start = true)
    {
        auto driver = std::make_unique<FakeSerialDriver>();
        FakeTSIOPorts threaded(driver.get());
        for (int port : ports) {
            driver->addPort(port);
            threaded.addPort(port);
        }
        Console console;
        console.driver = driver.get();
        console.window = startConsole(ini, std::move(driver), &console.prompt, start, threaded.opener());
        if (start)
            console.waitLine();
        return console;
    }

    QTemporaryDir m_dir;
    QString m_ini;

private Q_SLOTS:
    void init()
    {
        m_ini = m_dir.filePath(QStringLiteral("iovantor.INI"));
        QFile::setPermissions(m_ini, QFile::ReadOwner | QFile::WriteOwner);
        QFile::remove(m_ini);
    }

    void firstStartShowsDefaultsAndTheAboutBox()
    {
        Console c = open(m_ini, {}, false);
        QVERIFY(!c.find<QWidget>("StartUpPanel")->isHidden());
        QCOMPARE(c.find<QLabel>("StartUpText")->text(), QStringLiteral("Retrieving Settings Please Wait....."));
        QVERIFY(!c.find<QLabel>("Image33")->pixmap().isNull());
        QCOMPARE(c.window->windowTitle(), QStringLiteral("KELDAN - V4.7 (09-23-06) - I/O VANTOR"));
        QCOMPARE(c.find<QTimer>("Timer1")->interval(), 1000);

        c.window->Timer1Timer();   // the first tick only counts
        QVERIFY(!c.window->settingsLoaded());
        QVERIFY(c.find<QTabBar>("TabControl1")->isHidden() || !c.find<QTabBar>("TabControl1")->isVisible());
        c.window->Timer1Timer();
        QVERIFY(c.window->settingsLoaded());
        QVERIFY(!c.find<QTimer>("Timer1")->isActive());
        QVERIFY(c.find<QWidget>("StartUpPanel")->isHidden());

        const auto *tabs = c.find<QTabBar>("TabControl1");
        QCOMPARE(tabCaptions(tabs), (QStringList{"Terminal Emulator", "Sequencer", "Flash Updater", "Configuration Menu"}));
        QCOMPARE(tabs->currentIndex(), 0);
        QVERIFY(c.find<QWidget>("TermPanel")->isVisible());
        QCOMPARE(c.text("SB1"), QStringLiteral("COM1"));
        QCOMPARE(c.text("SB2"), QStringLiteral("9600"));
        QCOMPARE(c.text("SB3"), QStringLiteral("N-8-1"));
        QCOMPARE(c.text("Connected"), QStringLiteral("Port Closed"));
        QCOMPARE(c.find<QComboBox>("StartProgIdx")->currentText(), QStringLiteral("Terminal Emulator"));

        // The About box: shown at the first tick of its timer without OK, gone 3 s later.
        auto *aboutTimer = c.find<QTimer>("AboutTimer");
        QVERIFY(aboutTimer->isActive());
        auto *about = c.window->findChild<TAboutDlgOK *>();
        c.window->AboutTimerTimer();
        QVERIFY(about->isVisible());
        QVERIFY(about->OKBtn->isHidden());
        QCOMPARE(aboutTimer->interval(), 3000);
        c.window->AboutTimerTimer();
        QVERIFY(!about->isVisible());
        QVERIFY(!about->OKBtn->isHidden());
        QVERIFY(!aboutTimer->isActive());
        QVERIFY(c.prompt->messages.isEmpty());
    }

    void closingWritesTheGroupInOrderAndTheNextStartReadsIt()
    {
        {
            Console c = open(m_ini);
            c.window->AboutTimerTimer();
            c.window->findChild<TAboutDlgOK *>()->HideOnStartup->setChecked(true);
            c.window->close();
        }
        const QStringList expected{"A", "B", "C", "PrintON", "PrintOFF", "EscapeChar", "CommentChar",
                                   "LoadLastSeqFile", "AutoStart", "SeqFilePath", "BAUDX", "BAUDAX", "CRLF",
                                   "SFUNCTSTART", "SFUNCTEND", "SFUNCTENAB", "STARTIN", "NagScreen",
                                   "LocalEchoCheck", "KeySetSel"};
        QStringList keys = testerKeys(m_ini);
        QCOMPARE(keys.mid(0, expected.size()), expected);
        for (int n = 1; n <= 16; ++n)
            QCOMPARE(keys.value(expected.size() + n - 1), QStringLiteral("CFGSETSEL%1").arg(n));
        const SettingsFile file(m_ini);
        QCOMPARE(file.readString("A", {}), QStringLiteral("34952"));
        QCOMPARE(file.readString("BAUDX", {}), QStringLiteral("3"));
        QCOMPARE(file.readString("CRLF", {}), QStringLiteral("0"));   // only a stored 1 checks the box
        QCOMPARE(file.readString("PrintON", {}), QStringLiteral("$"));
        QCOMPARE(file.readString("NagScreen", {}), QStringLiteral("1"));
        QCOMPARE(file.readString("CFGSETSEL16", {}), QStringLiteral("SET 16"));

        // "Hide On Startup" was saved: the next start shows no About box.
        Console again = open(m_ini);
        again.window->AboutTimerTimer();
        auto *about = again.window->findChild<TAboutDlgOK *>();
        QVERIFY(!about->isVisible());
        QVERIFY(about->HideOnStartup->isChecked());
        QVERIFY(!again.find<QTimer>("AboutTimer")->isActive());
        // The "About Keldan" button still shows it, with OK.
        again.find<QPushButton>("Button18")->click();
        QVERIFY(about->isVisible());
        QVERIFY(!about->OKBtn->isHidden());
    }

    void handEditedLinesSurviveARun()
    {
        const QByteArray other = "; kept comment\r\n[Other]\r\nKey=1 # not a comment\r\n\r\n";
        writeFile(m_ini, other + "[Tester]\r\nUnknownKey=\"quoted\"\r\nBAUDAX=9\r\nbaud=19200\r\n");
        {
            Console c = open(m_ini);
            QCOMPARE(c.text("SB2"), QStringLiteral("19200"));
            c.window->close();
        }
        const QByteArray after = readAll(m_ini);
        QVERIFY(after.startsWith(other + "[Tester]\r\nUnknownKey=\"quoted\"\r\nBAUDAX=9\r\nbaud=19200\r\n"));
    }

    void closingBeforeStartUpWritesNothing()
    {
        writeFile(m_ini, "[Tester]\r\nNagScreen=1\r\n");
        Console c = open(m_ini, {}, false);
        c.window->close();
        QCOMPARE(readAll(m_ini), QByteArray("[Tester]\r\nNagScreen=1\r\n"));
    }

    void readOnlyFileGivesOneMessageAtClose()
    {
        writeFile(m_ini, "[Tester]\r\nBAUD=9600\r\n");
        Console c = open(m_ini);
        QFile::setPermissions(m_ini, QFile::ReadOwner);
        c.window->close();
        QCOMPARE(c.prompt->messages.size(), 1);
        QCOMPARE(c.prompt->messages[0].title, QStringLiteral("Error Saving"));
        QCOMPARE(c.prompt->messages[0].text, QStringLiteral("Error Saving, The drive may be write protected"));
        QVERIFY(!c.window->isVisible());
        QCOMPARE(readAll(m_ini), QByteArray("[Tester]\r\nBAUD=9600\r\n"));
    }

    void startWorkspace_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QStringList>("tabs");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("startProgText");

        const QStringList defaults{"Terminal Emulator", "Sequencer", "Flash Updater", "Configuration Menu"};
        QTest::newRow("Configure") << QByteArray("StartProg=Configure\r\n") << defaults << 3 << "Configure";
        QTest::newRow("hidden start tab: first tab, choice unchanged")
            << QByteArray("StartProg=Relay Control\r\nHideRC=1\r\n") << defaults << 0 << "Terminal Emulator";
        QTest::newRow("all hidden")
            << QByteArray("StartProg=Sequencer\r\nHideTE=1\r\nHideSE=1\r\nHidePrg=1\r\n")
            << QStringList{"Configuration Menu"} << 0 << "Terminal Emulator";
        QTest::newRow("digital shown and chosen")
            << QByteArray("StartProg=Digital Monitor\r\nHideDM=0\r\n")
            << QStringList{"Digital Monitor", "Terminal Emulator", "Sequencer", "Flash Updater", "Configuration Menu"}
            << 0 << "Digital Monitor";
        QTest::newRow("unknown start text") << QByteArray("StartProg=Nowhere\r\n") << defaults << 0
                                            << "Terminal Emulator";
    }

    void startWorkspace()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QStringList, tabs);
        QFETCH(int, selected);
        QFETCH(QString, startProgText);
        writeFile(m_ini, "[Tester]\r\n" + settings);
        Console c = open(m_ini);
        const auto *strip = c.find<QTabBar>("TabControl1");
        QCOMPARE(tabCaptions(strip), tabs);
        QCOMPARE(strip->currentIndex(), selected);
        QCOMPARE(c.find<QComboBox>("StartProgIdx")->currentText(), startProgText);
        QCOMPARE(c.window->currentWorkspace()->caption(), tabs[selected]);
        QVERIFY(c.window->currentWorkspace()->panel()->isVisible());
    }

    void hideBoxesRebuildTheStripAndKeepConfigurationInFront()
    {
        writeFile(m_ini, "[Tester]\r\nStartProg=Configure\r\n");
        Console c = open(m_ini);
        auto *strip = c.find<QTabBar>("TabControl1");
        c.find<QCheckBox>("HideDigMon")->click();
        QCOMPARE(strip->tabText(0), QStringLiteral("Digital Monitor"));
        QCOMPARE(strip->currentIndex(), strip->count() - 1);
        QVERIFY(c.find<QWidget>("ConfigurePanel")->isVisible());
        QCOMPARE(SettingsFile(m_ini).readString("HideDM", {}), QStringLiteral("0"));

        c.find<QCheckBox>("HideProg")->click();
        QVERIFY(!tabCaptions(strip).contains("Flash Updater"));
        QCOMPARE(SettingsFile(m_ini).readString("HidePrg", {}), QStringLiteral("1"));

        // A failed write leaves the strip as it was.
        QFile::setPermissions(m_ini, QFile::ReadOwner);
        const QStringList before = tabCaptions(strip);
        c.find<QCheckBox>("HideAnaMon")->click();
        QCOMPARE(tabCaptions(strip), before);
        QCOMPARE(c.prompt->messages.size(), 1);
    }

    void startTabChoiceIsSaved()
    {
        Console c = open(m_ini);
        auto *combo = c.find<QComboBox>("StartProgIdx");
        combo->setCurrentIndex(4);
        Q_EMIT combo->activated(4);
        QCOMPARE(SettingsFile(m_ini).readString("StartProg", {}), QStringLiteral("Sequencer"));
    }

    void configurationPagesAndNotes()
    {
        writeFile(m_ini, "[Tester]\r\nStartProg=Configure\r\n");
        Console c = open(m_ini);
        auto *pages = c.find<QTabBar>("TabControl2");
        const char *panels[] = {"ConfigPanel2", "ConfigPanel1", "ConfigPanel3", "ConfigPanel4", "ConfigPanel5"};
        QCOMPARE(pages->currentIndex(), 0);
        for (int i = 0; i < 5; ++i) {
            pages->setCurrentIndex(i);
            for (int j = 0; j < 5; ++j)
                QCOMPARE(c.find<QWidget>(panels[j])->isVisible(), i == j);
        }
        auto *notes = c.find<QTabBar>("TabControl3");
        notes->setCurrentIndex(1);
        QVERIFY(c.find<QWidget>("Memo2")->isHidden());
        QVERIFY(!c.find<QWidget>("Memo3")->isHidden());
        notes->setCurrentIndex(0);
        QVERIFY(!c.find<QWidget>("Memo2")->isHidden());
        QVERIFY(c.find<QWidget>("Memo3")->isHidden());
    }

    void communicationsPageSavesAndShowsItsChoices()
    {
        Console c = open(m_ini);
        auto *power = c.find<QCheckBox>("EnableCtlrPower");
        QVERIFY(c.find<QCheckBox>("DTRCtrl")->isHidden());
        power->click();
        QVERIFY(!c.find<QCheckBox>("DTRCtrl")->isHidden());
        QVERIFY(!c.find<QCheckBox>("RTSCtrl")->isHidden());
        c.find<QCheckBox>("RTSCtrl")->click();
        c.find<QCheckBox>("EnableFlowCtl")->click();
        QVERIFY(!c.find<QWidget>("FlowCTS")->isHidden());
        c.find<QAbstractButton>("FlowCTS")->click();
        const SettingsFile file(m_ini);
        QCOMPARE(file.readString("POWERCTL", {}), QStringLiteral("1"));
        QCOMPARE(file.readString("DTRACTIVE", {}), QStringLiteral("0"));
        QCOMPARE(file.readString("RTSACTIVE", {}), QStringLiteral("1"));
        QCOMPARE(file.readString("FLOWEN", {}), QStringLiteral("1"));
        QCOMPARE(file.readString("FLOWCTL", {}), QStringLiteral("FLOWCTS"));
    }

    void relayControlOpensThePortOnEntry_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QString>("connected");
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("dataBits");
        QTest::addColumn<int>("parity");
        QTest::addColumn<int>("stopBits");
        QTest::addColumn<int>("flow");
        QTest::addColumn<bool>("dtr");
        QTest::addColumn<bool>("rts");

        // Without power control the open leaves both lines low, whatever the port had.
        QTest::newRow("defaults") << QByteArray() << "Port Open - COM1,9600,N-8-1,NO FLOW" << 9600 << 8
                                  << int(Parity::None) << 1 << int(FlowMode::None) << false << false;
        QTest::newRow("E-7-2, 19200, power lines")
            << QByteArray("COMSPEC=E-7-2\r\nBAUD=19200\r\nPOWERCTL=1\r\nDTRACTIVE=1\r\nRTSACTIVE=1\r\n")
            << "Port Open - COM1,19200,E-7-2{DTR,RTS},NO FLOW" << 19200 << 7 << int(Parity::Even) << 2
            << int(FlowMode::None) << true << true;
        // A rate the driver has though the rate menu does not offer it.
        QTest::newRow("14400") << QByteArray("BAUD=14400\r\n") << "Port Open - COM1,14400,N-8-1,NO FLOW" << 14400 << 8
                               << int(Parity::None) << 1 << int(FlowMode::None) << false << false;
        QTest::newRow("power, RTS only")
            << QByteArray("POWERCTL=1\r\nRTSACTIVE=1\r\n") << "Port Open - COM1,9600,N-8-1{RTS},NO FLOW" << 9600
            << 8 << int(Parity::None) << 1 << int(FlowMode::None) << false << true;
        QTest::newRow("power, neither line")
            << QByteArray("POWERCTL=1\r\n") << "Port Open - COM1,9600,N-8-1,NO FLOW" << 9600 << 8
            << int(Parity::None) << 1 << int(FlowMode::None) << false << false;
        QTest::newRow("DTR/DSR flow")
            << QByteArray("FLOWEN=1\r\nFLOWCTL=FLOWDTR\r\nCOMSPEC=O-8-1\r\n") << "Port Open - COM1,9600,O-8-1,DTR"
            << 9600 << 8 << int(Parity::Odd) << 1 << int(FlowMode::DtrDsr) << true << false;
        QTest::newRow("flow chosen but not enabled")
            << QByteArray("FLOWEN=0\r\nFLOWCTL=FLOWCTS\r\n") << "Port Open - COM1,9600,N-8-1,NO FLOW" << 9600 << 8
            << int(Parity::None) << 1 << int(FlowMode::None) << false << false;
    }

    void relayControlOpensThePortOnEntry()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QString, connected);
        writeFile(m_ini, "[Tester]\r\nStartProg=Relay Control\r\nHideRC=0\r\n" + settings);
        Console c = open(m_ini);
        QVERIFY(c.waitLine());
        QCOMPARE(c.text("Connected"), connected);
        QVERIFY(c.window->mainPort().portIsOpen());
        const auto line = c.driver->line(1);
        QVERIFY(line->isOpen());
        const LineConfig config = line->config();
        QTEST(int(config.baudRate), "baud");
        QTEST(config.dataBits, "dataBits");
        QTEST(int(config.parity), "parity");
        QTEST(config.stopBits, "stopBits");
        QTEST(int(config.flow), "flow");
        QTEST(line->dtr(), "dtr");
        QTEST(line->rts(), "rts");
    }

    void failedOpensSayWhy_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<int>("openError");
        QTest::addColumn<QString>("hint");
        QTest::newRow("held by another program") << QByteArray() << int(OpenError::Busy) << "another program";
        QTest::newRow("permission") << QByteArray() << int(OpenError::PermissionDenied) << "dialout";
        QTest::newRow("no such port") << QByteArray("PORT=COM5\r\n") << int(OpenError::None) << "COM5";
        QTest::newRow("rate without a code") << QByteArray("BAUD=600\r\n") << int(OpenError::None) << "600";
        QTest::newRow("a rate the driver does not have")
            << QByteArray("BAUD=12345\r\n") << int(OpenError::None) << "12345 baud is not a rate";
        QTest::newRow("port text without a number") << QByteArray("PORT=COMX\r\n") << int(OpenError::None) << "";
    }

    void failedOpensSayWhy()
    {
        QFETCH(QByteArray, settings);
        QFETCH(int, openError);
        QFETCH(QString, hint);
        writeFile(m_ini, "[Tester]\r\nStartProg=Relay Control\r\nHideRC=0\r\n" + settings);
        auto driver = std::make_unique<FakeSerialDriver>();
        Console c = open(m_ini, {}, false);
        c.driver->addPort(1)->setOpenError(OpenError(openError));
        c.window->Timer1Timer();
        c.window->Timer1Timer();
        QVERIFY(c.waitLine());
        QCOMPARE(c.text("Connected"), QStringLiteral("Port Closed"));
        QVERIFY(!c.window->mainPort().portIsOpen());
        QVERIFY(!c.driver->line(1)->isOpen());
        QVERIFY2(c.find<QLabel>("Connected")->toolTip().contains(hint), qPrintable(c.find<QLabel>("Connected")->toolTip()));
        QVERIFY(c.window->currentWorkspace()->panel()->isVisible());
    }

    void workspaceChangeClosesThePort()
    {
        writeFile(m_ini, "[Tester]\r\nStartProg=Relay Control\r\nHideRC=0\r\n");
        Console c = open(m_ini);
        QVERIFY(c.driver->line(1)->isOpen());
        auto *strip = c.find<QTabBar>("TabControl1");
        strip->setCurrentIndex(int(tabCaptions(strip).indexOf("Sequencer")));
        QVERIFY(c.waitLine());
        QCOMPARE(c.text("Connected"), QStringLiteral("Port Closed"));
        QVERIFY(!c.driver->line(1)->isOpen());
        QVERIFY(!c.window->mainPort().portIsOpen());
        QVERIFY(!c.find<QTimer>("TermTimer")->isActive());
        QVERIFY(c.find<QWidget>("SequencerP")->isVisible());
        QVERIFY(!c.find<QWidget>("DrumPanel")->isVisible());
    }

    void statusMenusChangeTheNextOpen()
    {
        writeFile(m_ini, "[Tester]\r\nStartProg=Relay Control\r\nHideRC=0\r\n");
        Console c = open(m_ini, {1, 3});
        QCOMPARE(c.text("Connected"), QStringLiteral("Port Open - COM1,9600,N-8-1,NO FLOW"));

        c.window->ComSpecClick(QStringLiteral("E-7-2"));
        QCOMPARE(c.text("SB3"), QStringLiteral("E-7-2"));
        QCOMPARE(c.text("Connected"), QStringLiteral("Port Closed"));
        c.window->BaudSel(QStringLiteral("38400"));
        c.window->PortSel(QStringLiteral("COM3"));
        QVERIFY(c.waitLine());
        QVERIFY(!c.driver->line(1)->isOpen());
        const SettingsFile file(m_ini);
        QCOMPARE(file.readString("COMSPEC", {}), QStringLiteral("E-7-2"));
        QCOMPARE(file.readString("BAUD", {}), QStringLiteral("38400"));
        QCOMPARE(file.readString("PORT", {}), QStringLiteral("COM3"));

        c.window->applyLineSettings(true);
        QVERIFY(c.waitLine());
        QCOMPARE(c.text("Connected"), QStringLiteral("Port Open - COM3,38400,E-7-2,NO FLOW"));
        const LineConfig config = c.driver->line(3)->config();
        QCOMPARE(config.baudRate, 38400);
        QCOMPARE(config.dataBits, 7);
        QCOMPARE(config.parity, Parity::Even);
        QCOMPARE(config.stopBits, 2);

        // A failed settings write keeps the new text but stops the handler: the port stays open.
        QFile::setPermissions(m_ini, QFile::ReadOwner);
        c.window->BaudSel(QStringLiteral("19200"));
        QVERIFY(c.waitLine());
        QCOMPARE(c.text("SB2"), QStringLiteral("19200"));
        QCOMPARE(c.prompt->messages.size(), 1);
        QVERIFY(c.window->mainPort().portIsOpen());
    }

    void menusOfferThePartsItems()
    {
        Console c = open(m_ini, {1, 3, 12});
        auto captions = [](const QMenu *menu) {
            QStringList list;
            for (const QAction *action : menu->actions())
                list.append(action->text() + (action->isEnabled() ? "" : "-"));
            return list;
        };
        // Start-up probes COM1 to COM7.
        QCOMPARE(captions(c.find<QMenu>("PM")),
                 (QStringList{"COM1", "COM2 NA-", "COM3", "COM4 NA-", "COM5 NA-", "COM6 NA-", "COM7 NA-", "Rescan"}));
        QCOMPARE(captions(c.find<QMenu>("PM2")).size(), 13);
        QCOMPARE(captions(c.find<QMenu>("PM3")).first(), QStringLiteral("N-8-1"));

        writeFile(m_ini, "[Tester]\r\nPORT=COM3\r\n");
        c.window->PortSel(QStringLiteral("Rescan"));
        QCOMPARE(c.text("SB1"), QStringLiteral("Scanning"));
        QVERIFY(c.waitLine());
        QCOMPARE(captions(c.find<QMenu>("PM")),
                 (QStringList{"COM1", "COM2 NA-", "COM3", "COM4 NA-", "COM5 NA-", "COM6 NA-", "COM7 NA-", "COM8 NA-",
                              "COM9 NA-", "COM12", "Rescan"}));
        QCOMPARE(c.text("SB1"), QStringLiteral("COM3"));
    }

    void windowSizeFollowsTheWorkspace()
    {
        writeFile(m_ini, "[Tester]\r\nStartProg=Configure\r\n");
        Console c = open(m_ini);
        c.window->resize(700, 500);
        QCOMPARE(c.window->size(), QSize(905, 636));

        auto *strip = c.find<QTabBar>("TabControl1");
        strip->setCurrentIndex(0);   // Terminal Emulator
        c.window->resize(1000, 700);
        QCOMPARE(c.window->size(), QSize(1000, 700));
        const QWidget *status = c.find<QWidget>("StatusPanel");
        QCOMPARE(status->geometry().bottom(), 700 - 2);
        QCOMPARE(status->width(), 1000);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
