// The three board workspaces against the board models on a simulated line: the exact bytes
// each operation puts on the wire, in order, and what the window shows of the answers.

#include "app/mainwindow.h"
#include "boardsim/boards.h"
#include "boardsim/simline.h"
#include "monitors/analogmonitor.h"
#include "monitors/digitalmonitor.h"
#include "monitors/monitorstate.h"
#include "monitors/relaycontrol.h"
#include "startconsole.h"
#include "widgetfind.h"
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

using namespace std::chrono_literals;

namespace {

constexpr int LongWait = 20000;   // ms; a silent address costs about 105 ms

// "L00" .. "L0F" as a scan probes them, with "U" after every address in present.
QByteArray scanBytes(int first, int last, const QList<int> &present)
{
    QByteArray bytes;
    for (int address = first; address <= last; ++address) {
        bytes += QString::asprintf("L%02X", address).toLatin1();
        if (present.contains(address))
            bytes += 'U';
    }
    return bytes;
}

// One RUN tick after the identify step: address, the three output writes, the inputs.
QByteArray runTick(const QByteArray &address, const QByteArray &left, const QByteArray &middle,
                   const QByteArray &right)
{
    return "L" + address + "R5EM" + left + "R5BM" + middle + "R5FM" + right + "R5AR5CR5D";
}

// One TEST tick of a pattern: the pattern to the middle, left and right outputs, the
// inputs, then RUN's writing of the echoed pattern and its reading of the inputs.
QByteArray testTick(const QByteArray &pattern)
{
    const QByteArray m = "M" + pattern;
    return "R5B" + m + "R5E" + m + "R5F" + m + "R5CR5AR5D" + "R5E" + m + "R5B" + m + "R5F" + m + "R5AR5CR5D";
}

} // namespace

class TestMonitorsEndToEnd : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    boardsim::SimLine *m_line = nullptr;
    std::shared_ptr<boardsim::ResponderChain> m_bus;
    std::unique_ptr<TForm1> m_window;

    template<typename T>
    T *find(const char *name) const
    {
        return ::find<T>(m_window.get(), QString::fromLatin1(name));
    }
    QString text(const char *name) const { return find<QLineEdit>(name)->text(); }
    QString status(const char *name) const { return find<QLabel>(name)->text(); }

    // A bus of board models ("01:digital", ...) on a fresh line, and the console started
    // on it in the given workspace with the given scan range.
    void start(const QStringList &boards, const QByteArray &workspace, const QByteArray &first, const QByteArray &last)
    {
        const QString ini = prepare(boards, workspace, first, last);
        QVERIFY(!ini.isEmpty());
        m_window = startConsole(ini);
        // The first tick of a monitor's timer after entry is a stop phase; a scan asked
        // for before it would wait for the timer's next start.
        if (auto *monitorTimer = m_window->currentWorkspace()->findChild<QTimer *>())
            QTRY_VERIFY(!monitorTimer->isActive() || workspace == "Relay Control");
        settle();
    }

    // The bus and the settings file of start(); returns the file's path (empty on failure).
    QString prepare(const QStringList &boards, const QByteArray &workspace, const QByteArray &first,
                    const QByteArray &last)
    {
        m_window.reset();
        delete m_line;
        m_line = new boardsim::SimLine;
        m_bus = std::make_shared<boardsim::ResponderChain>();
        for (const QString &description : boards) {
            std::shared_ptr<boardsim::Board> board = boardsim::makeBoard(description, boardsim::Board::DefaultLatency);
            if (!board) {
                qWarning("no board model for %s", qPrintable(description));
                return QString();
            }
            const int address = board->address();
            m_bus->add(address, std::move(board));
        }
        m_line->setResponder(m_bus);
        const QString link = m_dir.filePath(QStringLiteral("COM1"));
        if (!m_line->open(link)) {
            qWarning("%s", qPrintable(m_line->errorString()));
            return QString();
        }

        const QString ini = m_dir.filePath(QStringLiteral("monitors.INI"));
        QFile file(ini);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return QString();
        file.write("[Ports]\r\nCOM1=" + link.toLocal8Bit() + "\r\n[Tester]\r\nNagScreen=1\r\nHideDM=0\r\nHideAM=0\r\n"
                   "HideRC=0\r\nStartProg=" + workspace + "\r\nFirstAddr=" + first + "\r\nLastAddr=" + last + "\r\n");
        file.close();
        return ini;
    }

    template<typename T>
    std::shared_ptr<T> board(int address) const
    {
        return std::dynamic_pointer_cast<T>(m_bus->find(address));
    }

    // Clicks a scan button and waits for the scan's end.
    void scan(const char *button)
    {
        m_line->clearRecord();
        find<QPushButton>(button)->click();
        // The request is taken by the next tick; the scan is one job on the line.
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->findChild<MonitorState *>()->ScanRequested, 2000);
        settle();
        QCOMPARE(status("SB5"), QStringLiteral("READY"));
    }

    // Waits for the line to go quiet: the console's work and the board's answers are done.
    void settle()
    {
        QTRY_VERIFY_WITH_TIMEOUT(m_window->mainPort().line().idle(), LongWait);
        // The simulated line takes the last bytes in on its own thread.
        QTest::qWait(50);
    }

private Q_SLOTS:
    void cleanup()
    {
        m_window.reset();
        delete m_line;
        m_line = nullptr;
    }

    void scanFindsTheBoardsInEveryWorkspace_data()
    {
        QTest::addColumn<QByteArray>("workspace");
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QByteArray>("address");
        QTest::addColumn<QByteArray>("lineReply");
        QTest::addColumn<QByteArray>("afterScan");
        QTest::addColumn<QString>("lineReplyText");
        // The digital scan leaves the "LXX" field as the scan start made it; the other two
        // address the first board found once more.
        QTest::newRow("digital") << QByteArray("Digital Monitor") << QByteArray("Button1") << QByteArray("Boards")
                                 << QByteArray("LOCXX") << QByteArray("BAUDTXT") << QByteArray() << "XXXX";
        QTest::newRow("analog") << QByteArray("Analog Monitor") << QByteArray("ANASCAN") << QByteArray("AnaBoards")
                                << QByteArray("SCANSTART") << QByteArray("ANALOC") << QByteArray("L01") << "01D0";
        QTest::newRow("relay") << QByteArray("Relay Control") << QByteArray("Button5") << QByteArray("KBoards")
                               << QByteArray("KLoc") << QByteArray("KLCMD") << QByteArray("L01") << "01D0";
    }

    void scanFindsTheBoardsInEveryWorkspace()
    {
        QFETCH(QByteArray, workspace);
        QFETCH(QByteArray, button);
        QFETCH(QByteArray, list);
        QFETCH(QByteArray, address);
        QFETCH(QByteArray, lineReply);
        QFETCH(QByteArray, afterScan);
        start({QStringLiteral("01:digital"), QStringLiteral("0A:relay")}, workspace, "00", "0F");

        scan(button.constData());
        QCOMPARE(m_line->received(), scanBytes(0x00, 0x0F, {0x01, 0x0A}) + afterScan);
        auto *boards = find<QListWidget>(list.constData());
        QCOMPARE(boards->count(), 2);
        QCOMPARE(boards->item(0)->text(), QStringLiteral("01 Q516"));
        QCOMPARE(boards->item(1)->text(), QStringLiteral("0A Q610"));
        QCOMPARE(boards->currentRow(), 0);
        auto *field = find<QLineEdit>(address.constData());
        QCOMPARE(field->text(), QStringLiteral("01"));
        QCOMPARE(field->palette().color(QPalette::Base), QColor(0, 0, 128));
        QCOMPARE(field->palette().color(QPalette::Text), QColor(Qt::white));
        QTEST(text(lineReply.constData()), "lineReplyText");

        // The digital and analog timers stop and close the port on their next tick; the
        // relay workspace keeps it open.
        const bool keepsPort = workspace == "Relay Control";
        QTRY_COMPARE_WITH_TIMEOUT(m_window->mainPort().portIsOpen(), keepsPort, 2000);
        QCOMPARE(status("Connected").startsWith(QLatin1String("Port Open")), keepsPort);
        QVERIFY(!m_window->findChild<MonitorState *>()->ScanRequested);
    }

    // The operator clicks the moment the tab strip appears, before the first tick of the
    // workspace's timer (its stop phase of the entry): the click still acts.
    void theFirstClickCounts_data()
    {
        QTest::addColumn<QByteArray>("workspace");
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QByteArray>("list");

        const QByteArray scanned = scanBytes(0x00, 0x0F, {0x01, 0x0A});
        QTest::newRow("digital SCAN") << QByteArray("Digital Monitor") << QByteArray("Button1") << scanned
                                      << QByteArray("Boards");
        QTest::newRow("analog SCAN") << QByteArray("Analog Monitor") << QByteArray("ANASCAN") << scanned + "L01"
                                     << QByteArray("AnaBoards");
        QTest::newRow("relay SCAN") << QByteArray("Relay Control") << QByteArray("Button5") << scanned + "L01"
                                    << QByteArray("KBoards");
        // RUN at address 00 (LOCXX as the entry left it): the identity, then the first tick.
        QTest::newRow("digital RUN") << QByteArray("Digital Monitor") << QByteArray("Button2")
                                     << QByteArray("L00UVR5BR5ER5FL00") << QByteArray();
    }

    void theFirstClickCounts()
    {
        QFETCH(QByteArray, workspace);
        QFETCH(QByteArray, button);
        QFETCH(QByteArray, sent);
        QFETCH(QByteArray, list);
        const QString ini = prepare({QStringLiteral("01:digital"), QStringLiteral("0A:relay")}, workspace, "00", "0F");
        QVERIFY(!ini.isEmpty());
        m_window = startConsole(ini, {}, nullptr, false);
        bool clicked = false;
        connect(m_window.get(), &TForm1::startupFinished, this, [&] {
            QCOMPARE(m_window->currentWorkspace()->caption(), QString::fromLatin1(workspace));
            find<QPushButton>(button.constData())->click();
            clicked = true;
        });
        m_window->Timer1Timer();
        m_window->Timer1Timer();
        QVERIFY(clicked);

        QTRY_VERIFY_WITH_TIMEOUT(m_line->received().size() >= sent.size(), LongWait);
        QCOMPARE(m_line->received().left(sent.size()), sent);
        if (!list.isEmpty()) {
            settle();
            QCOMPARE(m_line->received(), sent);
            QCOMPARE(find<QListWidget>(list.constData())->count(), 2);
            QCOMPARE(status("SB5"), QStringLiteral("READY"));
        } else {
            QCOMPARE(find<QPushButton>(button.constData())->text(), QStringLiteral("STOP"));
            QTRY_COMPARE_WITH_TIMEOUT(status("SB5"), QStringLiteral("RUNNING"), LongWait);
        }
    }

    void scanListsOddBoardsAsTheyAnswer()
    {
        // 03 answers only the first character of "L"; 05 answers as if it were 07.
        start({QStringLiteral("03:first-char"), QStringLiteral("05:digital:07"), QStringLiteral("06:silent")},
              "Digital Monitor", "02", "06");
        scan("Button1");
        QCOMPARE(m_line->received(), QByteArray("L02L03UL04L05UL06"));
        auto *boards = find<QListWidget>("Boards");
        QCOMPARE(boards->count(), 2);
        QCOMPARE(boards->item(0)->text(), QStringLiteral("0  XXXX"));
        QCOMPARE(boards->item(1)->text(), QStringLiteral("07 Q516"));
        QCOMPARE(text("LOCXX"), QStringLiteral("0 "));
    }

    void runTickIdentifiesThenWritesAndReads()
    {
        start({QStringLiteral("01:digital")}, "Digital Monitor", "01", "01");
        auto digital = board<boardsim::DigitalBoard>(1);
        digital->setInput(boardsim::DigitalBoard::Port::Left, 0x3C);
        digital->setInput(boardsim::DigitalBoard::Port::Middle, 0x81);
        digital->setInput(boardsim::DigitalBoard::Port::Right, 0xFF);
        scan("Button1");
        QTRY_VERIFY_WITH_TIMEOUT(!find<QTimer>("VantorTimer")->isActive(), 2000);

        m_line->clearRecord();
        find<QPushButton>("Button2")->click();
        QCOMPARE(find<QPushButton>("Button2")->text(), QStringLiteral("STOP"));
        QVERIFY(!find<QPushButton>("Button3")->isEnabled());
        // The first tick reads the board's identity and outputs, then writes those back.
        const QByteArray first = "L01UVR5BR5ER5F" + runTick("01", "00", "00", "00");
        QTRY_VERIFY_WITH_TIMEOUT(m_line->received().size() >= first.size(), LongWait);
        QTRY_COMPARE_WITH_TIMEOUT(text("INR"), QStringLiteral("FF"), LongWait);
        QCOMPARE(m_line->received().left(first.size()), first);
        QCOMPARE(text("UIDTEXT"), QStringLiteral("Q516"));
        QCOMPARE(status("TypeText"), QStringLiteral("QK5151M"));
        QCOMPARE(text("VERTEXT"), QStringLiteral("1.07"));
        QCOMPARE(text("BAUDTXT"), QStringLiteral("01D0"));
        QCOMPARE(status("BaudConv"), QStringLiteral("9600"));
        QVERIFY(find<QLabel>("BaudConv")->isVisible());
        QCOMPARE(text("INL"), QStringLiteral("3C"));
        QCOMPARE(status("Label21"), QStringLiteral("00111100"));
        QCOMPARE(text("INM"), QStringLiteral("81"));
        QCOMPARE(status("SB5"), QStringLiteral("RUNNING"));
        QCOMPARE(status("Connected"), QStringLiteral("Port Open"));

        // A lamp click changes the output; the next ticks write it.
        m_window->findChild<DigitalMonitor *>()->LampClick(7);
        QCOMPARE(text("OUTL"), QStringLiteral("80"));
        QTRY_COMPARE_WITH_TIMEOUT(digital->output(boardsim::DigitalBoard::Port::Left), quint8(0x80), LongWait);

        m_line->clearRecord();
        QTRY_VERIFY_WITH_TIMEOUT(m_line->received().size() >= 2 * runTick("01", "80", "00", "00").size(), LongWait);
        const QByteArray later = m_line->received();
        const QByteArray tick = runTick("01", "80", "00", "00");
        // The record may start inside a tick; whole ticks follow it.
        const qsizetype start = later.indexOf("L01");
        QCOMPARE(later.mid(start, tick.size()), tick);

        find<QPushButton>("Button2")->click();
        QCOMPARE(find<QPushButton>("Button2")->text(), QStringLiteral("RUN"));
        QCOMPARE(text("INL"), QStringLiteral("XX"));
        QCOMPARE(status("SB5"), QStringLiteral("READY"));
        QTRY_COMPARE_WITH_TIMEOUT(status("Connected"), QStringLiteral("Port Closed"), 2000);
        QTRY_VERIFY(!find<QTimer>("VantorTimer")->isActive());
        QCOMPARE(text("INL"), QStringLiteral("XX"));
    }

    // A workspace change cuts a RUN tick short while the board still answers; the port
    // keeps those late characters, and the next workspace must not take them for replies.
    void lateRepliesOfCancelledWorkAreNotTakenForAnswers()
    {
        start({QStringLiteral("01:digital")}, "Digital Monitor", "01", "01");
        auto slow = std::make_shared<boardsim::DigitalBoard>(0x01, 40ms);
        m_bus->add(0x01, slow);
        find<QLineEdit>("LOCXX")->setText(QStringLiteral("01"));
        find<QPushButton>("Button2")->click();
        QTRY_VERIFY_WITH_TIMEOUT(m_line->received().contains("R5B"), LongWait);
        m_window->findChild<QTabBar *>(QStringLiteral("TabControl1"))->setCurrentIndex(1);   // Analog Monitor
        QCOMPARE(m_window->currentWorkspace()->caption(), QStringLiteral("Analog Monitor"));
        QTRY_VERIFY(!find<QTimer>("AnaMonTimer")->isActive());
        QTest::qWait(300);   // the board finishes its answer into the port's buffer
        scan("ANASCAN");
        auto *boards = find<QListWidget>("AnaBoards");
        QCOMPARE(boards->count(), 1);
        QCOMPARE(boards->item(0)->text(), QStringLiteral("01 Q516"));
        QCOMPARE(text("ANALOC"), QStringLiteral("01D0"));
    }

    void testCycleStepsThroughThePatterns()
    {
        start({QStringLiteral("01:digital")}, "Digital Monitor", "01", "01");
        scan("Button1");
        QTRY_VERIFY_WITH_TIMEOUT(!find<QTimer>("VantorTimer")->isActive(), 2000);
        m_line->clearRecord();
        find<QPushButton>("Button3")->click();
        QVERIFY(!find<QPushButton>("Button2")->isEnabled());
        const QByteArray cycle = "L01UV" + testTick("00") + testTick("55") + testTick("AA") + testTick("FF") + "L01UV";
        QTRY_VERIFY_WITH_TIMEOUT(m_line->received().size() >= cycle.size(), LongWait);
        find<QPushButton>("Button3")->click();
        QCOMPARE(m_line->received().left(cycle.size()), cycle);
        QCOMPARE(find<QPushButton>("Button3")->text(), QStringLiteral("TEST"));
        QVERIFY(find<QPushButton>("Button2")->isEnabled());
        QCOMPARE(text("OUTM"), QStringLiteral("XX"));
        QTRY_COMPARE_WITH_TIMEOUT(status("Connected"), QStringLiteral("Port Closed"), 2000);
    }

    void analogPollReadsEachLayout()
    {
        start({QStringLiteral("02:analog"), QStringLiteral("03:q83q"), QStringLiteral("04:q907")}, "Analog Monitor",
              "02", "04");
        auto eleven = board<boardsim::AnalogBoard>(2);
        eleven->setChannel(1, 0x0100);
        eleven->setChannel(11, 0x03FF);
        board<boardsim::AnalogBoard>(3)->setChannel(5, 0x0023);
        board<boardsim::AnalogBoard>(4)->setChannel(1, 0x0400);
        AnalogMonitor &analog = *m_window->findChild<AnalogMonitor *>();
        find<QRadioButton>("CH1C")->click();     // channel 1 as temperature
        find<QRadioButton>("CH11V1")->click();   // channel 11 on the 0 .. 5V scale
        find<QRadioButton>("CH5C")->click();
        scan("ANASCAN");
        QCOMPARE(m_line->received(), QByteArray("L02UL03UL04UL02"));
        auto *boards = find<QListWidget>("AnaBoards");
        QCOMPARE(boards->count(), 3);
        QTRY_VERIFY_WITH_TIMEOUT(!find<QTimer>("AnaMonTimer")->isActive(), 2000);

        struct Case
        {
            int row;
            QByteArray bytes;
            bool coveredAfterClick;
            bool coveredAfterRun;
        };
        const QByteArray elevenRegisters = "R30R32R34R36R38R3AR3CR3ER40R42R44R10";
        const QList<Case> cases{
            {0, "L02" + elevenRegisters, false, false},
            {1, "L03R10R12R14R16R0ER00", true, true},
            // A "Q907" shows five channels after a click in the list and eleven in the poll.
            {2, "L04" + elevenRegisters, true, false},
        };
        for (const Case &c : cases) {
            boards->setCurrentRow(c.row);
            analog.AnaBoardsClick();
            QCOMPARE(find<QWidget>("AD5PANEL")->isVisible(), c.coveredAfterClick);
            m_line->clearRecord();
            find<QPushButton>("ANARUN")->click();
            QCOMPARE(find<QWidget>("AD5PANEL")->isVisible(), c.coveredAfterRun);
            QTRY_VERIFY_WITH_TIMEOUT(m_line->received().size() >= c.bytes.size(), LongWait);
            QTRY_VERIFY_WITH_TIMEOUT(!text("AIN1").isEmpty() && text("AIN1") != QLatin1String("XXXX"), LongWait);
            find<QPushButton>("ANARUN")->click();
            QCOMPARE(m_line->received().left(c.bytes.size()), c.bytes);
            for (int channel = 1; channel <= 11; ++channel)
                QVERIFY(text(qPrintable(QStringLiteral("AIN%1").arg(channel))).isEmpty());
            settle();
        }

        // The values as shown, polled once more from the eleven-channel board.
        boards->setCurrentRow(0);
        analog.AnaBoardsClick();
        find<QPushButton>("ANARUN")->click();
        QTRY_COMPARE_WITH_TIMEOUT(text("AIN1"), QStringLiteral("22.100"), LongWait);
        QCOMPARE(text("AIN11"), QStringLiteral("5.000"));
        QCOMPARE(text("ANALOC"), QStringLiteral("02A0"));
        find<QRadioButton>("Faren")->click();
        QTRY_COMPARE_WITH_TIMEOUT(text("AIN1"), QStringLiteral("71.780"), LongWait);
        find<QPushButton>("ANARUN")->click();

        boards->setCurrentRow(1);
        analog.AnaBoardsClick();
        find<QPushButton>("ANARUN")->click();
        QTRY_COMPARE_WITH_TIMEOUT(text("AIN5"), QStringLiteral("32.000"), LongWait);
        QCOMPARE(text("AIN6"), QString());
        find<QPushButton>("ANARUN")->click();
    }

    void relayListClickShowsAndSwitchesTheRelays()
    {
        start({QStringLiteral("0A:relay")}, "Relay Control", "0A", "0A");
        auto relay = board<boardsim::RelayBoard>(0x0A);
        relay->setStateWord(0x8000);
        QTRY_VERIFY_WITH_TIMEOUT(m_window->mainPort().portIsOpen(), 2000);
        scan("Button5");
        QCOMPARE(m_line->received(), QByteArray("L0AUL0A"));
        QCOMPARE(text("KLCMD"), QStringLiteral("0AK0"));

        // The first read after start-up shows every relay, which switches each one to what
        // it shows: K1 on, K2 to K10 off, each OFF beginning with L0F.
        m_line->clearRecord();
        find<QListWidget>("KBoards")->setCurrentRow(0);
        m_window->findChild<RelayControl *>()->KBoardsClick();
        QByteArray expected = "L0AIL0AK1FF";
        for (int digit : {2, 3, 4, 5, 6, 7, 8, 9, 0})
            expected += "L0FL0AK" + QByteArray::number(digit) + "00";
        settle();
        QCOMPARE(m_line->received(), expected);
        QCOMPARE(status("Connected"), QStringLiteral("Reading Relay Data"));
        QVERIFY(find<QRadioButton>("K1ON")->isChecked());
        QCOMPARE(text("TimerVal1"), QStringLiteral("FF"));
        for (int relayNumber = 2; relayNumber <= 10; ++relayNumber) {
            QVERIFY(find<QRadioButton>(qPrintable(QStringLiteral("K%1OFF").arg(relayNumber)))->isChecked());
            QCOMPARE(text(qPrintable(QStringLiteral("TimerVal%1").arg(relayNumber))), QStringLiteral("00"));
        }
        QCOMPARE(relay->stateWord(), quint16(0x8000));

        // The same state read again changes no selector and switches nothing.
        m_line->clearRecord();
        m_window->findChild<RelayControl *>()->KBoardsClick();
        settle();
        QCOMPARE(m_line->received(), QByteArray("L0AI"));
    }

    void relayCommandsGoOutAsClicked()
    {
        start({QStringLiteral("0A:relay")}, "Relay Control", "0A", "0A");
        auto relay = board<boardsim::RelayBoard>(0x0A);
        QTRY_VERIFY_WITH_TIMEOUT(m_window->mainPort().portIsOpen(), 2000);
        find<QLineEdit>("KLoc")->setText(QStringLiteral("0A"));

        m_line->clearRecord();
        find<QRadioButton>("K3ON")->click();
        QCOMPARE(text("TimerVal3"), QStringLiteral("FF"));
        settle();
        QCOMPARE(m_line->received(), QByteArray("L0AK3FF"));
        QVERIFY(relay->isOn(3));

        m_line->clearRecord();
        find<QRadioButton>("K3OFF")->click();
        settle();
        QCOMPARE(m_line->received(), QByteArray("L0FL0AK300"));
        QCOMPARE(text("TimerVal3"), QStringLiteral("00"));
        QVERIFY(!relay->isOn(3));

        m_line->clearRecord();
        find<QLineEdit>("TimerVal10")->setText(QStringLiteral("30"));
        find<QPushButton>("Button29")->click();   // START of K10
        settle();
        QCOMPARE(m_line->received(), QByteArray("K030"));

        m_line->clearRecord();
        for (int relayNumber = 1; relayNumber <= 9; ++relayNumber)
            find<QLineEdit>(qPrintable(QStringLiteral("TimerVal%1").arg(relayNumber)))
                ->setText(QStringLiteral("%1").arg(relayNumber * 11));
        find<QLineEdit>("TimerVal6")->setText(QStringLiteral("5"));
        find<QPushButton>("Button10")->click();   // SEND ALL
        settle();
        QCOMPARE(m_line->received(), QByteArray("K030K111K222K333K444K555K6 5K777K888K999"));

        m_line->clearRecord();
        find<QLineEdit>("PREHIGH")->setText(QStringLiteral("01"));
        find<QLineEdit>("PRELOW")->setText(QStringLiteral("F4"));
        find<QPushButton>("Button9")->click();   // SEND
        settle();
        QCOMPARE(m_line->received(), QByteArray("KB01KCF4"));
        QCOMPARE(relay->prescaler(), quint16(0x01F4));
    }
};

QTEST_MAIN(TestMonitorsEndToEnd)
#include "tst_monitors_e2e.moc"
