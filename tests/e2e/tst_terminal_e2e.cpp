// The Terminal Emulator in the console against a simulated line with the real serial
// driver: the bytes each typing path, function key and macro puts on the line, in order;
// what each display mode shows and logs for the same received bytes; reply waits on a
// silent line and with a slow reply; the virtual board; a line that goes away while
// connected; and what leaving the terminal does.

#include "app/configurationmenu.h"
#include "app/mainwindow.h"
#include "boardsim/responder.h"
#include "boardsim/simline.h"
#include "serial/mainport.h"
#include "startconsole.h"
#include "terminal/terminalpane.h"
#include "terminal/terminalworkspace.h"
#include "testfiles.h"
#include "widgetfind.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace std::chrono_literals;

namespace {

constexpr int Generous = 10000;   // ms: only a broken console waits this out

} // namespace

class TestTerminalEndToEnd : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<boardsim::SimLine> m_line;
    std::unique_ptr<TForm1> m_window;
    ScriptedPrompt *m_prompt = nullptr;

    QString link() const { return m_dir.filePath(QStringLiteral("ttyUSB0")); }

    template<typename T>
    T *find(const char *name) const
    {
        return ::find<T>(m_window.get(), QString::fromLatin1(name));
    }
    TerminalPane *pane(const char *name) const { return find<TerminalPane>(name); }
    QString shown(const char *name) const { return pane(name)->toPlainText(); }
    QString connected() const { return find<QLabel>("Connected")->text(); }
    TerminalWorkspace *terminal() const { return m_window->findChild<TerminalWorkspace *>(); }
    QPushButton *connectButton() const { return find<QPushButton>("Connect"); }

    // The console on a fresh line at link(), in the terminal, with these settings.
    void start(std::shared_ptr<boardsim::Responder> responder = {}, const QByteArray &settings = {})
    {
        m_line = std::make_unique<boardsim::SimLine>();
        if (responder)
            m_line->setResponder(std::move(responder));
        m_line->setBaud(0);
        QVERIFY2(m_line->open(link()), qPrintable(m_line->errorString()));
        const QString ini = m_dir.filePath(QStringLiteral("terminal.INI"));
        writeFile(ini, "[Ports]\r\nCOM1=" + link().toLocal8Bit()
                           + "\r\n[Tester]\r\nNagScreen=1\r\nStartProg=Terminal Emulator\r\n" + settings);
        m_window = startConsole(ini, {}, &m_prompt);
        QCOMPARE(m_window->currentWorkspace(), static_cast<Workspace *>(terminal()));
    }

    // The open's answer and the session's start come through this thread's events.
    bool received(const QByteArray &bytes) const
    {
        (void)QTest::qWaitFor([&] { return m_line->received().size() >= bytes.size(); }, Generous);
        return m_line->received() == bytes;
    }

    void connectLine()
    {
        connectButton()->click();
        QTRY_COMPARE_WITH_TIMEOUT(connectButton()->text(), QStringLiteral("Disconnect"), Generous);
        QTRY_VERIFY_WITH_TIMEOUT(connected().startsWith(u"Port Open - COM1"), Generous);
    }

    void type(const char *paneName, const QString &text)
    {
        QTest::keyClicks(pane(paneName), text);
    }

private Q_SLOTS:
    void cleanup()
    {
        m_window.reset();
        m_line.reset();
    }

    // Single view, split view, the keyboard's function keys and a macro, in the order given.
    void everyPathPutsItsBytesOnTheLine()
    {
        start();
        terminal()->setKeyDataProvider([](int k) { return QStringLiteral("F%1~013").arg(k); });
        type("RichEdit1", QStringLiteral("ab1"));
        QTRY_VERIFY_WITH_TIMEOUT(m_line->received() == "AB1", Generous);
        QCOMPARE(connectButton()->text(), QStringLiteral("Disconnect"));
        QTest::keyClick(pane("RichEdit1"), Qt::Key_F2);
        QTest::keyClick(pane("RichEdit1"), Qt::Key_F10, Qt::AltModifier);
        find<QCheckBox>("SplitCom")->click();
        type("TXBUF", QStringLiteral("cd"));
        terminal()->SendMacro(QStringLiteral("M~065~1"));
        find<QCheckBox>("UPCASE")->click();
        type("TXBUF", QStringLiteral("e"));
        QVERIFY2(received("AB1F2\rF14\rCDMA~1e"), m_line->received().constData());
        QTRY_COMPARE_WITH_TIMEOUT(shown("TXBUF"), QStringLiteral("CDMA~1e"), Generous);
        // The function keys' echoes stay where the view was when they were pressed.
        QCOMPARE(shown("RichEdit1"), QStringLiteral("AB1F2.F14."));
    }

    void eachModeShowsAndLogsTheSameBytes_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("crlf");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QByteArray>("logged");
        QTest::newRow("plain") << "" << false << "AB\n" << QByteArray("AB\r\n");
        QTest::newRow("plain, CRLF") << "" << true << "AB\n\n" << QByteArray("AB\r\n\r\n");
        QTest::newRow("hex") << "HexIO" << false << "41 42 0D 0A " << QByteArray("41 42 0D 0A ");
        QTest::newRow("dec") << "DecIO" << true << "065 066 013 010 " << QByteArray("065 066 013 010 ");
    }
    void eachModeShowsAndLogsTheSameBytes()
    {
        QFETCH(QString, mode);
        QFETCH(bool, crlf);
        QFETCH(QString, shown);
        QFETCH(QByteArray, logged);
        start();
        if (!mode.isEmpty())
            find<QCheckBox>(mode.toLatin1().constData())->click();
        find<QCheckBox>("CRLF")->setChecked(crlf);
        const QString log = m_dir.filePath(QStringLiteral("modes.log"));
        QFile::remove(log);
        m_prompt->saveFiles << log;
        find<QPushButton>("LogStartStop")->click();
        connectLine();
        m_line->send("AB\r\n");
        QTRY_COMPARE_WITH_TIMEOUT(this->shown("RichEdit1"), shown, Generous);
        find<QPushButton>("LogStartStop")->click();
        QCOMPARE(readAll(log), logged);
    }

    // A reply wait on a silent line gives up byte by byte and the macro goes on; a reply
    // that comes late, but within the read time-out, is collected before the rest is sent.
    void replyWaits()
    {
        auto slow = std::make_shared<boardsim::ScriptedResponder>(
            QList<boardsim::ScriptStep>{{"Q", "OK"}}, false, std::chrono::microseconds(60000));
        start(slow);
        terminal()->SendMacro(QStringLiteral("Z[3]Y"));
        QVERIFY2(received("ZY"), m_line->received().constData());
        QTRY_COMPARE_WITH_TIMEOUT(shown("RichEdit1"), QStringLiteral("ZY"), Generous);
        terminal()->SendMacro(QStringLiteral("Q[2]X"));
        QVERIFY2(received("ZYQX"), m_line->received().constData());
        QTRY_COMPARE_WITH_TIMEOUT(shown("RichEdit1"), QStringLiteral("ZYQOKX"), Generous);
        // X left only once the reply was in.
        const QList<boardsim::RecordedByte> record = m_line->recorded();
        QList<QByteArray> order;
        for (const boardsim::RecordedByte &b : record)
            order << (QByteArray(b.direction == boardsim::Direction::FromBoard ? "<" : ">") + b.byte);
        QCOMPARE(order.mid(order.indexOf(">Q")), (QList<QByteArray>{">Q", "<O", "<K", ">X"}));
    }

    void theVirtualBoardAnswers()
    {
        start();
        find<QCheckBox>("CheckBox1")->setChecked(true);
        QCOMPARE(find<QLineEdit>("VirtualAddress")->text(), QStringLiteral("80"));
        find<QCheckBox>("LocalEchoCheck")->setChecked(false);
        // The board takes one typed character per tick of TermTimer, as an operator types.
        for (char c : QByteArray("L80R5EM12R5ER5F")) {
            type("RichEdit1", QString(QLatin1Char(c)));
            QTest::qWait(60);
        }
        QTRY_COMPARE_WITH_TIMEOUT(shown("RichEdit1"), QStringLiteral("80808000801280128000"), Generous);
        QVERIFY(received("L80R5EM12R5ER5F"));
    }

    // The line goes while connected: Connect reads "Connect", the status says why, and the
    // next key opens the line again and goes out.
    void aLostLineOpensAgainOnTheNextKey()
    {
        start();
        connectLine();
        m_line->dropDevice();
        QTRY_COMPARE_WITH_TIMEOUT(connectButton()->text(), QStringLiteral("Connect"), Generous);
        QCOMPARE(connected(), QStringLiteral("Port Closed"));
        const QString tip = find<QLabel>("Connected")->toolTip();
        QVERIFY2(tip.startsWith(QStringLiteral("The serial device %1 (COM1) went away at ").arg(link())), qPrintable(tip));
        QVERIFY(!m_window->mainPort().portIsOpen());

        m_line->clearRecord();
        QVERIFY2(m_line->restoreDevice(), qPrintable(m_line->errorString()));
        type("RichEdit1", QStringLiteral("k"));
        QVERIFY2(received("K"), m_line->received().constData());
        QCOMPARE(connectButton()->text(), QStringLiteral("Disconnect"));
        QTRY_VERIFY_WITH_TIMEOUT(connected().startsWith(u"Port Open - COM1"), Generous);
        m_line->send("back\r");
        QTRY_VERIFY_WITH_TIMEOUT(shown("RichEdit1").endsWith(u"back"), Generous);
    }

    // Leaving stops the log and closes the port; coming back shows NOTE 1 again.
    void leavingAndComingBack()
    {
        start();
        const QString log = m_dir.filePath(QStringLiteral("leave.log"));
        QFile::remove(log);
        m_prompt->saveFiles << log;
        find<QPushButton>("LogStartStop")->click();
        QCOMPARE(find<QPushButton>("LogStartStop")->text(), QStringLiteral("STOP LOG"));
        connectLine();
        type("RichEdit1", QStringLiteral("x"));
        QVERIFY(received("X"));
        auto *tabs = find<QTabBar>("TabControl1");
        auto *notes = find<QTabBar>("TabControl3");
        notes->setCurrentIndex(1);
        tabs->setCurrentIndex(tabs->count() - 1);   // Configuration Menu
        QCOMPARE(find<QPushButton>("LogStartStop")->text(), QStringLiteral("START LOG"));
        QCOMPARE(readAll(log), QByteArray("x"));
        QTRY_COMPARE_WITH_TIMEOUT(connected(), QStringLiteral("Port Closed"), Generous);
        QVERIFY(!terminal()->timer()->isActive());
        QVERIFY(find<QPlainTextEdit>("Memo3")->isVisibleTo(find<QWidget>("ConfigPanel3")));

        for (int i = 0; i < tabs->count(); ++i) {
            if (tabs->tabText(i) == u"Terminal Emulator")
                tabs->setCurrentIndex(i);
        }
        QCOMPARE(connectButton()->text(), QStringLiteral("Connect"));
        QCOMPARE(shown("RichEdit1"), QString());
        QCOMPARE(notes->currentIndex(), 0);
        QVERIFY(!find<QPlainTextEdit>("Memo3")->isVisibleTo(find<QWidget>("ConfigPanel3")));
        QCOMPARE(find<QPlainTextEdit>("Memo2")->toPlainText(),
                 QStringLiteral("Using \"~nnn\"  where nnn is a decimal number 000 - \n255 \n"
                                "will cause the ASCII character associated with the \nvalue \nnnn to be sent."));
        QCOMPARE(find<QPlainTextEdit>("Memo3")->toPlainText(),
                 QStringLiteral("Using [n] where n is the number of characters to \nreceive before proceding on "
                                "with the rest of the \nmacro string."));
    }

    // The panes fill the space between the option row and the key panel, which lies across
    // the bottom, whatever the size.
    void theLayoutFollowsTheWindow()
    {
        start();
        QWidget *termPanel = find<QWidget>("TermPanel");
        QWidget *keys = find<QWidget>("Panel20");
        QCOMPARE(keys->parentWidget(), termPanel);
        for (const QSize size : {QSize(1200, 900), QSize(800, 600)}) {
            m_window->resize(size);
            QTRY_COMPARE_WITH_TIMEOUT(termPanel->width(), m_window->width() - 2 - 4, Generous);
            QTRY_COMPARE_WITH_TIMEOUT(keys->width(), termPanel->width(), Generous);
            QCOMPARE(keys->geometry().bottom(), termPanel->height() - 1);
            QCOMPARE(pane("RichEdit1")->geometry().bottom(), keys->geometry().top() - 3);
            // Every button stays inside the panel, the key rows below the set rows.
            QVERIFY(keys->rect().contains(find<QPushButton>("F64")->geometry()));
            QVERIFY(find<QPushButton>("F1")->geometry().top() > find<QPushButton>("SETSEL16")->geometry().bottom());
        }
    }

    // The key buttons send the current set's keys; a set chosen on the terminal is the one
    // the keyboard's function keys send too.
    void keyButtonsSendTheCurrentSet()
    {
        start({}, "F1TEXT=Hello\r\nF1MACRO=H~013\r\nF3MACRO=k3\r\nF65TEXT=Second\r\nF65MACRO=S2[0]\r\n"
                  "F67MACRO=s3\r\nCFGSETSEL2=Two\r\n");
        QCOMPARE(find<QPushButton>("F1")->text(), QStringLiteral("Hello"));
        QCOMPARE(find<QPushButton>("SETSEL2")->text(), QStringLiteral("Two"));
        find<QPushButton>("F1")->click();
        QVERIFY2(received("H\r"), m_line->received().constData());
        QTest::keyClick(pane("RichEdit1"), Qt::Key_F3);
        QVERIFY2(received("H\rk3"), m_line->received().constData());

        find<QPushButton>("SETSEL2")->click();
        QCOMPARE(find<QPushButton>("F1")->text(), QStringLiteral("Second"));
        find<QPushButton>("F1")->click();
        QTest::keyClick(pane("RichEdit1"), Qt::Key_F3);
        // A key without data sends nothing.
        find<QPushButton>("F2")->click();
        QTest::keyClick(pane("RichEdit1"), Qt::Key_F1);
        QVERIFY2(received("H\rk3S2s3S2"), m_line->received().constData());
    }

    // What the terminal looks like in use: split view, hex mode, a filled key set. Saved as a
    // picture when VANTOR_SHOT_DIR names a folder.
    void aScreenshotOfTheTerminalInUse()
    {
        QByteArray keys;
        const char *const names[] = {"RESET", "STATUS", "READ A", "READ B", "WRITE", "VERSION", "PING", "LOOP"};
        for (int k = 1; k <= 24; ++k)
            keys += QStringLiteral("F%1TEXT=%2 %3\r\nF%1MACRO=L80R%3~013\r\n")
                        .arg(k).arg(QLatin1String(names[(k - 1) % 8])).arg(k, 2, 16, QLatin1Char('0')).toUpper().toLatin1();
        start(std::make_shared<boardsim::EchoResponder>(), keys);
        m_window->resize(1000, 720);
        find<QCheckBox>("SplitCom")->click();
        find<QCheckBox>("HexIO")->click();
        connectLine();
        for (const char *key : {"F1", "F2", "F3", "F9"})
            find<QPushButton>(key)->click();
        QTRY_VERIFY_WITH_TIMEOUT(shown("ReceiveEdit").contains(QStringLiteral("4C 38 30 52 30 39 0D")), Generous);
        QVERIFY(shown("TXBUF").contains(QStringLiteral("4C 38 30 52 30 31 0D")));
        QCOMPARE(find<QPushButton>("F9")->text(), QStringLiteral("RESET 09"));
        const QString shots = qEnvironmentVariable("VANTOR_SHOT_DIR");
        if (!shots.isEmpty())
            QVERIFY(m_window->grab().save(shots + QStringLiteral("/terminal.png")));
    }
};

QTEST_MAIN(TestTerminalEndToEnd)
#include "tst_terminal_e2e.moc"
