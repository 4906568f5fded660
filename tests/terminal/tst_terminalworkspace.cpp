// The Terminal Emulator workspace offscreen on the in-memory line: its controls, the bytes
// each typing path, function key and macro sends, what each display mode shows and logs,
// the log's file handling, the settings writes of font and colours, and a line that goes
// away while connected.

#include "fakeconsole.h"
#include "testfiles.h"
#include "widgetfind.h"
#include "serial/fakeserialdriver.h"
#include "serial/mainport.h"
#include "settings/settingsfile.h"
#include "terminal/terminalpane.h"
#include "terminal/terminalworkspace.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace std::chrono_literals;

namespace {

// The terminal alone on the fake console, entered as a workspace change enters it, with
// the two configuration pages it fills.
struct Terminal
{
    std::shared_ptr<FakeLine> line;
    std::unique_ptr<FakeConsole> console;
    QWidget host;
    QWidget communications;
    QWidget virtualBoard;
    std::unique_ptr<TerminalWorkspace> ws;

    explicit Terminal(const QString &ini)
    {
        auto driver = std::make_unique<FakeSerialDriver>();
        line = driver->addPort(1);
        console = std::make_unique<FakeConsole>(std::move(driver), ini);
        ws = std::make_unique<TerminalWorkspace>(*console);
        ws->installConfigurationPages(&communications, &virtualBoard);
        host.resize(1000, 700);
        ws->panel()->setParent(&host);
        ws->panel()->setGeometry(0, 0, 1000, 700);
        host.show();
        ws->enter();
    }

    ~Terminal()
    {
        ws->workspaceChangeRequested();
        ws->workspaceChanging();
        console->mainPort().stopAndClose();
        console->mainPort().line().waitIdle(5000);
        ws.reset();
    }

    template<typename T>
    T *find(const char *name) const
    {
        const QObject *root = ws->panel();
        if (!root->findChild<T *>(QString::fromLatin1(name))) {
            for (const QObject *page : {static_cast<const QObject *>(&communications), static_cast<const QObject *>(&virtualBoard)}) {
                if (page->findChild<T *>(QString::fromLatin1(name)))
                    root = page;
            }
        }
        return ::find<T>(root, QString::fromLatin1(name));
    }
    TerminalPane *pane(const char *name) const { return find<TerminalPane>(name); }
    QString shown(const char *name) const { return pane(name)->toPlainText(); }
    QPushButton *connect() const { return find<QPushButton>("Connect"); }

    // The open's answer and the session's start come through this thread's events.
    bool written(const QByteArray &bytes) const
    {
        (void)QTest::qWaitFor([&] { return line->written().size() >= bytes.size(); }, 5000);
        return line->written() == bytes;
    }
    void connectLine()
    {
        connect()->click();
        QVERIFY(QTest::qWaitFor([this] { return connect()->text() == u"Disconnect"; }, 5000));
        QVERIFY(QTest::qWaitFor([this] { return line->waitForReader(1ms); }, 5000));
    }
    // Every pane shows what has come so far.
    void settle() const
    {
        QTest::qWait(60);
        ws->TermTimerTimer();
    }
};

} // namespace

class TestTerminalWorkspace : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_ini;

private Q_SLOTS:
    void init()
    {
        m_ini = m_dir.filePath(QStringLiteral("term.INI"));
        QFile::remove(m_ini);
        writeFile(m_ini, "[Tester]\r\n");
    }

    void controlsCarryTheirCaptions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::newRow("Connect") << "Connect" << "Connect";
        QTest::newRow("Button4") << "Button4" << "Clear Buffer";
        QTest::newRow("SplitCom") << "SplitCom" << "Split View";
        QTest::newRow("UPCASE") << "UPCASE" << "Send Uppercase Only";
        QTest::newRow("HexIO") << "HexIO" << "HEX ";
        QTest::newRow("DecIO") << "DecIO" << "DEC.";
        QTest::newRow("CRLF") << "CRLF" << "RX CR = CRLF";
        QTest::newRow("LogStartStop") << "LogStartStop" << "START LOG";
        QTest::newRow("LocalEchoCheck") << "LocalEchoCheck" << "Local Echo";
    }
    void controlsCarryTheirCaptions()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        Terminal t(m_ini);
        auto *button = t.find<QAbstractButton>(name.toLatin1().constData());
        QCOMPARE(button->text(), caption);
    }

    void startsAsTheFormDoes()
    {
        Terminal t(m_ini);
        QVERIFY(t.find<QCheckBox>("UPCASE")->isChecked());
        QVERIFY(!t.find<QCheckBox>("CRLF")->isChecked());
        QVERIFY(!t.find<QCheckBox>("CheckBox1")->isChecked());
        QVERIFY(t.find<QCheckBox>("CheckBox1")->text().startsWith(u"VIRTUAL SIMULATION  MODE ENABLE"));
        QCOMPARE(t.find<QLineEdit>("VirtualAddress")->text(), QStringLiteral("80"));
        QCOMPARE(t.find<QToolButton>("BitBtn7")->toolTip(), QStringLiteral("Change Font Properties"));
        QVERIFY(t.pane("RichEdit1")->isVisible());
        QVERIFY(!t.pane("TXBUF")->isVisible());
        QVERIFY(t.ws->timer()->isActive());
        QCOMPARE(t.find<QFrame>("Shape1")->palette().color(QPalette::Window), QColor(0, 0x80, 0));
        QCOMPARE(t.find<QFrame>("Shape2")->palette().color(QPalette::Window), QColor(0xFF, 0, 0));
        QVERIFY(!t.console->mainPort().portIsOpen());
    }

    void hexAndDecimalExcludeEachOther()
    {
        Terminal t(m_ini);
        auto *hex = t.find<QCheckBox>("HexIO");
        auto *dec = t.find<QCheckBox>("DecIO");
        hex->click();
        QVERIFY(hex->isChecked());
        dec->click();
        QVERIFY(dec->isChecked() && !hex->isChecked());
        hex->click();
        QVERIFY(hex->isChecked() && !dec->isChecked());
        hex->click();
        QCOMPARE(t.ws->displayMode(), TerminalText::DisplayMode::Plain);
    }

    // The first key opens the line; it and the keys typed while the line opened go out in
    // order, upper-cased, each shown by the pane itself.
    void typingInSingleViewOpensAndSends()
    {
        Terminal t(m_ini);
        QTest::keyClicks(t.pane("RichEdit1"), QStringLiteral("l80x"));
        QCOMPARE(t.connect()->text(), QStringLiteral("Disconnect"));
        QVERIFY2(t.written("L80X"), t.line->written().constData());
        QTest::keyClick(t.pane("RichEdit1"), Qt::Key_Return);
        QVERIFY(t.written("L80X\r"));
        QTRY_COMPARE(t.shown("RichEdit1"), QStringLiteral("L80X\n"));
        QVERIFY(t.console->mainPort().portIsOpen());
        QVERIFY(t.console->connected.startsWith(u"Port Open - COM1"));
    }

    void typedEchoes_data()
    {
        QTest::addColumn<bool>("upcase");
        QTest::addColumn<bool>("echo");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<char>("key");
        QTest::addColumn<char>("sent");
        QTest::addColumn<QString>("single");
        QTest::addColumn<QString>("split");   // what TXBUF holds, seen once split view is on
        QTest::newRow("0xE9 hex, UPCASE off") << false << true << "HexIO" << char(0xE9) << char(0xE9) << "E9 " << "E9 ";
        QTest::newRow("a dec, UPCASE on") << true << true << "DecIO" << 'a' << 'A' << "065 " << "065 ";
        QTest::newRow("a plain, UPCASE off") << false << true << "" << 'a' << 'a' << "a" << "";
        QTest::newRow("NUL plain") << true << true << "" << char(0) << char(0) << "_" << "_";
        QTest::newRow("echo off") << true << false << "HexIO" << 'a' << 'A' << "" << "";
    }
    void typedEchoes()
    {
        QFETCH(bool, upcase);
        QFETCH(bool, echo);
        QFETCH(QString, mode);
        QFETCH(char, key);
        QFETCH(char, sent);
        QFETCH(QString, single);
        QFETCH(QString, split);
        Terminal t(m_ini);
        t.find<QCheckBox>("UPCASE")->setChecked(upcase);
        t.find<QCheckBox>("LocalEchoCheck")->setChecked(echo);
        if (!mode.isEmpty())
            t.find<QCheckBox>(mode.toLatin1().constData())->click();
        t.ws->RichEdit1KeyPress(key);
        QVERIFY(t.written(QByteArray(1, sent)));
        t.settle();
        QCOMPARE(t.shown("RichEdit1"), single);
        t.find<QCheckBox>("SplitCom")->click();
        QVERIFY(t.pane("TXBUF")->isVisible() && t.pane("ReceiveEdit")->isVisible());
        QVERIFY(!t.pane("RichEdit1")->isVisible());
        QCOMPARE(t.shown("TXBUF"), split);
    }

    // Without local echo nothing shows until the device echoes the key.
    void withoutEchoTheDeviceEchoes()
    {
        Terminal t(m_ini);
        t.find<QCheckBox>("LocalEchoCheck")->setChecked(false);
        QTest::keyClicks(t.pane("RichEdit1"), QStringLiteral("q"));
        QVERIFY(t.written("Q"));
        t.settle();
        QCOMPARE(t.shown("RichEdit1"), QString());
        t.line->feed("Q");
        QTRY_COMPARE(t.shown("RichEdit1"), QStringLiteral("Q"));
    }

    void typingInSplitView()
    {
        Terminal t(m_ini);
        t.find<QCheckBox>("SplitCom")->click();
        t.find<QCheckBox>("HexIO")->click();
        QTest::keyClicks(t.pane("TXBUF"), QStringLiteral("ab"));
        QTest::keyClick(t.pane("TXBUF"), Qt::Key_Return);
        QVERIFY(t.written("AB\r"));
        t.line->feed("OK\r");
        // The typed keys in plain form whatever the mode; the reply on a line of its own.
        QTRY_COMPARE(t.shown("ReceiveEdit"), QStringLiteral("\n4F 4B 0D "));
        QCOMPARE(t.shown("TXBUF"), QStringLiteral("AB\n"));
        QCOMPARE(t.shown("RichEdit1"), QString());
    }

    void receivedBytesInEachMode_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("crlf");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain, CRLF off") << "" << false << QByteArray("AB\r\n") << "AB\n";
        QTest::newRow("plain, CRLF on") << "" << true << QByteArray("AB\r\n") << "AB\n\n";
        QTest::newRow("hex") << "HexIO" << false << QByteArray("\x41\x0D\x80") << "41 0D 80 ";
        QTest::newRow("dec") << "DecIO" << false << QByteArray("\x41\x0D\x80") << "065 013 128 ";
    }
    void receivedBytesInEachMode()
    {
        QFETCH(QString, mode);
        QFETCH(bool, crlf);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        Terminal t(m_ini);
        if (!mode.isEmpty())
            t.find<QCheckBox>(mode.toLatin1().constData())->click();
        t.find<QCheckBox>("CRLF")->setChecked(crlf);
        t.connectLine();
        t.line->feed(bytes);
        QTRY_COMPARE(t.shown("RichEdit1"), shown);
    }

    // AB~013~65x[2]C: A, B, CR, then 65x; two reply bytes collected; then C.
    void macroWaitsForItsReply()
    {
        Terminal t(m_ini);
        t.find<QCheckBox>("HexIO")->click();
        t.ws->SendMacro(QStringLiteral("AB~013~65x[2]C"));
        QVERIFY(t.written("AB\r65x"));
        QVERIFY(QTest::qWaitFor([&] { return t.line->waitForReader(1ms); }, 5000));
        QTest::qWait(50);
        QCOMPARE(t.line->written(), QByteArray("AB\r65x"));   // C waits for the reply
        t.line->feed("OK");
        QVERIFY2(t.written("AB\r65xC"), t.line->written().constData());
        QTRY_COMPARE(t.shown("RichEdit1"), QStringLiteral("41 42 0D 36 35 78 OK43 "));
    }

    // A silent line: each awaited byte gives up after one read time-out; the rest goes on.
    void macroWaitOnASilentLineGoesOn()
    {
        Terminal t(m_ini);
        t.ws->SendMacro(QStringLiteral("A[2]B"));
        QVERIFY(t.written("AB"));
        const auto timeouts = t.line->readTimeouts();
        QVERIFY(!timeouts.isEmpty());
        QCOMPARE(timeouts.last(), 105ms);
        t.settle();
        QCOMPARE(t.shown("RichEdit1"), QStringLiteral("AB"));
    }

    // The keyboard's function keys send keys 1 to 12, with Alt keys 13 to 16 from F9 on.
    void functionKeys()
    {
        Terminal t(m_ini);
        t.ws->setKeyDataProvider([](int k) { return QStringLiteral("<%1>").arg(k); });
        QTest::keyClick(t.pane("RichEdit1"), Qt::Key_F1);
        QTest::keyClick(t.pane("RichEdit1"), Qt::Key_F12);
        QTest::keyClick(t.pane("RichEdit1"), Qt::Key_F9, Qt::AltModifier);
        QTest::keyClick(t.pane("RichEdit1"), Qt::Key_F1, Qt::AltModifier);
        QTest::keyClick(t.pane("RichEdit1"), Qt::Key_F12, Qt::AltModifier);
        QVERIFY2(t.written("<1><12><13><16>"), t.line->written().constData());
    }

    void functionKeysDefaultToTheKeyTable()
    {
        Terminal t(m_ini);
        t.ws->keys().setCurrentKeySet(1);
        t.ws->keys().setData(64 + 3, QStringLiteral("K3~013"));
        QTest::keyClick(t.pane("RichEdit1"), Qt::Key_F3);
        QVERIFY(t.written("K3\r"));
    }

    void virtualBoardAnswersInGreen()
    {
        Terminal t(m_ini);
        t.find<QCheckBox>("CheckBox1")->setChecked(true);
        t.find<QCheckBox>("LocalEchoCheck")->setChecked(false);
        for (char c : QByteArray("l80r5em12r5er5f")) {
            t.ws->RichEdit1KeyPress(c);
            t.ws->TermTimerTimer();
        }
        t.settle();
        QCOMPARE(t.shown("RichEdit1"), QStringLiteral("80808000801280128000"));
        QTextCursor cursor(t.pane("RichEdit1")->document());
        cursor.setPosition(1);
        QCOMPARE(cursor.charFormat().foreground().color(), QColor(0, 0x80, 0));
        QVERIFY(t.written("L80R5EM12R5ER5F"));
    }

    void clearBufferEmptiesAllPanes()
    {
        Terminal t(m_ini);
        t.find<QCheckBox>("HexIO")->click();
        t.ws->RichEdit1KeyPress('a');
        t.settle();
        QVERIFY(!t.shown("TXBUF").isEmpty());
        t.find<QPushButton>("Button4")->click();
        t.settle();
        QCOMPARE(t.shown("RichEdit1"), QString());
        QCOMPARE(t.shown("TXBUF"), QString());
    }

    // A port that does not open: "Disconnect" stays and nothing goes out.
    void aPortThatDoesNotOpenSendsNothing()
    {
        Terminal t(m_ini);
        t.line->setOpenError(OpenError::Busy);
        t.ws->RichEdit1KeyPress('a');
        QVERIFY(QTest::qWaitFor([&] { return t.console->mainPort().line().idle(); }, 5000));
        QCOMPARE(t.connect()->text(), QStringLiteral("Disconnect"));
        QCOMPARE(t.console->connected, QStringLiteral("Port Closed"));
        QCOMPARE(t.line->written(), QByteArray());
        t.connect()->click();
        QCOMPARE(t.connect()->text(), QStringLiteral("Connect"));
        t.line->setOpenError(OpenError::None);
        t.ws->RichEdit1KeyPress('b');
        QVERIFY(t.written("B"));
    }

    void disconnectClosesTheLine()
    {
        Terminal t(m_ini);
        t.connectLine();
        t.connect()->click();
        QCOMPARE(t.connect()->text(), QStringLiteral("Connect"));
        QVERIFY(QTest::qWaitFor([&] { return !t.line->isOpen(); }, 5000));
        QCOMPARE(t.console->connected, QStringLiteral("Port Closed"));
        t.line->feed("late");
        t.settle();
        QCOMPARE(t.shown("RichEdit1"), QString());
    }

    // The line goes while connected: Connect reads "Connect" again, the status says why,
    // and the next key opens the line again and goes out.
    void aLostLineOpensAgainOnTheNextKey()
    {
        Terminal t(m_ini);
        t.connectLine();
        t.line->drop();
        QTRY_COMPARE(t.connect()->text(), QStringLiteral("Connect"));
        QCOMPARE(t.console->connected, QStringLiteral("Port Closed"));
        QVERIFY(t.console->connectedToolTip.contains(u"went away"));
        QVERIFY(!t.console->mainPort().portIsOpen());
        t.ws->RichEdit1KeyPress('z');
        QVERIFY(t.written("Z"));
        QCOMPARE(t.connect()->text(), QStringLiteral("Disconnect"));
        t.line->feed("back");
        QTRY_VERIFY(t.shown("RichEdit1").endsWith(u"back"));
    }

    void leavingStopsTheSession()
    {
        Terminal t(m_ini);
        t.connectLine();
        t.ws->workspaceChanging();
        t.console->mainPort().stopAndClose();
        QVERIFY(t.console->mainPort().line().waitIdle(5000));
        QVERIFY(!t.line->isOpen());
        QVERIFY(!t.ws->timer()->isActive());
    }

    // What each path writes, in order, in the form it is shown or typed.
    void theLogHoldsTheTraffic()
    {
        Terminal t(m_ini);
        const QString log = m_dir.filePath(QStringLiteral("traffic.log"));
        QFile::remove(log);
        t.console->boxes.saveFiles << log;
        t.find<QPushButton>("LogStartStop")->click();
        QCOMPARE(t.find<QPushButton>("LogStartStop")->text(), QStringLiteral("STOP LOG"));
        QCOMPARE(t.console->boxes.choosers.at(0).title, QStringLiteral("Keldan Log file"));
        QCOMPARE(t.console->boxes.choosers.at(0).fileName, QStringLiteral("vantor.log"));
        t.find<QCheckBox>("HexIO")->click();
        t.connectLine();
        t.line->feed("AB\r");
        QTRY_COMPARE(t.shown("RichEdit1"), QStringLiteral("41 42 0D "));
        t.ws->RichEdit1KeyPress('x');
        QVERIFY(t.written("X"));
        t.ws->SendMacro(QStringLiteral("~065[3]"));
        QVERIFY(t.written("XA"));
        t.line->feed("r\rs");
        QTRY_VERIFY(t.shown("RichEdit1").endsWith(u"r\ns"));
        t.find<QCheckBox>("HexIO")->click();
        t.find<QCheckBox>("CRLF")->setChecked(true);
        t.line->feed("OK\r\n");
        QTRY_VERIFY(t.shown("RichEdit1").endsWith(u"OK\n\n"));
        t.find<QPushButton>("LogStartStop")->click();
        QCOMPARE(t.find<QPushButton>("LogStartStop")->text(), QStringLiteral("START LOG"));
        QCOMPARE(readAll(log), QByteArray("41 42 0D xAr\rsOK\r\n\r\n"));
        SettingsFile settings(m_ini);
        QCOMPARE(settings.readString(QStringLiteral("LOGSDIR"), QString()), m_dir.path() + QLatin1Char('/'));
    }

    void anExistingLogIsAskedAbout_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("No") << false;
        QTest::newRow("Yes") << true;
    }
    void anExistingLogIsAskedAbout()
    {
        QFETCH(bool, yes);
        Terminal t(m_ini);
        const QString log = m_dir.filePath(QStringLiteral("vantor.log"));
        const QString backup = m_dir.filePath(QStringLiteral("vantor.BAK"));
        writeFile(log, "the last session");
        writeFile(backup, "an older backup");
        t.console->boxes.saveFiles << log;
        t.console->boxes.answers << (yes ? OperatorPrompt::Answer::Yes : OperatorPrompt::Answer::No);
        t.find<QPushButton>("LogStartStop")->click();
        QCOMPARE(t.console->boxes.questions.size(), 1);
        QCOMPARE(t.console->boxes.questions.at(0).title, QStringLiteral("File Exists"));
        QVERIFY(t.console->boxes.questions.at(0).text.startsWith(u"Are you sure you want to overwrite the file? \n("));
        if (!yes) {
            QCOMPARE(t.find<QPushButton>("LogStartStop")->text(), QStringLiteral("START LOG"));
            QCOMPARE(readAll(log), QByteArray("the last session"));
            QCOMPARE(readAll(backup), QByteArray("an older backup"));
            return;
        }
        QCOMPARE(t.find<QPushButton>("LogStartStop")->text(), QStringLiteral("STOP LOG"));
        QCOMPARE(readAll(backup), QByteArray("the last session"));
        t.ws->RichEdit1KeyPress('k');
        t.ws->workspaceChangeRequested();   // a workspace change stops the log
        QCOMPARE(t.find<QPushButton>("LogStartStop")->text(), QStringLiteral("START LOG"));
        QCOMPARE(readAll(log), QByteArray("k"));
    }

    void aLogThatCannotBeCreatedIsReported()
    {
        Terminal t(m_ini);
        t.console->boxes.saveFiles << m_dir.filePath(QStringLiteral("no/such/folder/x.log"));
        t.find<QPushButton>("LogStartStop")->click();
        QCOMPARE(t.find<QPushButton>("LogStartStop")->text(), QStringLiteral("START LOG"));
        QVERIFY(!t.ws->logActive());
        QCOMPARE(t.console->boxes.messages.size(), 1);
        QVERIFY(t.console->boxes.messages.at(0).text.startsWith(u"The log file could not be created"));
    }

    // The log reaches the file within a second of being written, not only at its end.
    void theLogIsFlushedWhileItRuns()
    {
        Terminal t(m_ini);
        const QString log = m_dir.filePath(QStringLiteral("flushed.log"));
        QFile::remove(log);
        t.console->boxes.saveFiles << log;
        t.find<QPushButton>("LogStartStop")->click();
        t.ws->RichEdit1KeyPress('f');
        QTRY_COMPARE_WITH_TIMEOUT(readAll(log), QByteArray("f"), 5000);
        QVERIFY(t.ws->logActive());
    }

    void fontAndColoursAreKept()
    {
        Terminal t(m_ini);
        QFont chosen(QStringLiteral("DejaVu Sans Mono"), 14);
        chosen.setBold(false);
        t.console->boxes.fonts << OperatorPrompt::FontChoice{chosen, QColor(0x10, 0x20, 0x30)};
        t.find<QToolButton>("BitBtn7")->click();
        t.console->boxes.colours << QColor(0, 0, 0xFF);
        QTest::mouseClick(t.find<QFrame>("Shape1"), Qt::LeftButton);
        t.console->boxes.colours << std::nullopt;   // cancelled: the colour is written all the same
        QTest::mouseClick(t.find<QFrame>("Shape2"), Qt::LeftButton);
        QVERIFY(t.ws->timer()->isActive());
        SettingsFile settings(m_ini);
        QCOMPARE(settings.readString(QStringLiteral("TermFont"), QString()), QStringLiteral("DejaVu Sans Mono"));
        QCOMPARE(settings.readInteger(QStringLiteral("TermSize"), 0), 14);
        QCOMPARE(settings.readInteger(QStringLiteral("TermColor"), 0), 0x302010);
        QCOMPARE(settings.readInteger(QStringLiteral("FontBold"), 1), 0);
        QCOMPARE(settings.readInteger(QStringLiteral("TxColor"), 0), 0xFF0000);   // the RX swatch
        QCOMPARE(settings.readInteger(QStringLiteral("RxColor"), 0), 0x0000FF);   // the TX swatch
        QCOMPARE(t.pane("RichEdit1")->font().pointSize(), 14);
    }

    // A failed write shows its box; the chosen font and colour stay in effect.
    void aFailedSettingsWriteKeepsTheChoice()
    {
        Terminal t(m_ini);
        QFile::setPermissions(m_ini, QFile::ReadOwner);
        QFont chosen(QStringLiteral("DejaVu Sans Mono"), 9);
        t.console->boxes.fonts << OperatorPrompt::FontChoice{chosen, QColor(Qt::black)};
        t.find<QToolButton>("BitBtn7")->click();
        t.console->boxes.colours << QColor(0x12, 0x34, 0x56);
        QTest::mouseClick(t.find<QFrame>("Shape1"), Qt::LeftButton);
        QFile::setPermissions(m_ini, QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(t.console->boxes.messages.size(), 2);
        QCOMPARE(t.console->boxes.messages.at(0).text, QStringLiteral("Error Saving, The drive may be write protected"));
        QCOMPARE(t.pane("RichEdit1")->font().pointSize(), 9);
        QCOMPARE(t.find<QFrame>("Shape1")->palette().color(QPalette::Window), QColor(0x12, 0x34, 0x56));
        QVERIFY(t.ws->timer()->isActive());
        t.connectLine();
        t.line->feed("c");
        QTRY_COMPARE(t.shown("RichEdit1"), QStringLiteral("c"));
        QTextCursor cursor(t.pane("RichEdit1")->document());
        cursor.setPosition(1);
        QCOMPARE(cursor.charFormat().foreground().color(), QColor(0x12, 0x34, 0x56));
    }

    // Hex columns line up only in a fixed-pitch face.
    void aMissingFontFallsBackToFixedPitch()
    {
        Terminal t(m_ini);
        t.ws->settings().font = QStringLiteral("No Such Face Anywhere");
        QVERIFY(QFontInfo(t.ws->terminalFont()).fixedPitch());
    }

    // The history is capped however long the terminal runs.
    void thePaneKeepsABoundedHistory()
    {
        TerminalPane pane(QStringLiteral("p"));
        for (int i = 0; i < TerminalPane::MaxLines + 100; ++i)
            pane.add(QStringLiteral("line %1\n").arg(i), Qt::red);
        pane.flush();
        QVERIFY(pane.document()->blockCount() <= TerminalPane::MaxLines);
        QVERIFY(pane.toPlainText().endsWith(QStringLiteral("line %1\n").arg(TerminalPane::MaxLines + 99)));
        const QString hex = QStringLiteral("41 ").repeated(100000);
        for (int i = 0; i < 5; ++i) {
            pane.add(hex, Qt::red);
            pane.flush();
        }
        QVERIFY(pane.document()->characterCount() <= TerminalPane::MaxCharacters);
    }

    // A stream without line breaks goes on in new lines, so no line grows without end; the
    // text itself is all there.
    void anEndlessLineIsBroken()
    {
        TerminalPane pane(QStringLiteral("p"));
        const QString hex = QStringLiteral("0D ").repeated(3000);
        pane.add(QStringLiteral("ab\n"), Qt::red);
        pane.add(hex, Qt::red);
        pane.flush();
        pane.add(hex, Qt::blue);
        pane.flush();
        const QStringList lines = pane.toPlainText().split(QLatin1Char('\n'));
        for (const QString &line : lines)
            QVERIFY(line.size() <= TerminalPane::MaxLineLength);
        QCOMPARE(lines.size(), 1 + (2 * hex.size() + TerminalPane::MaxLineLength - 1) / TerminalPane::MaxLineLength);
        QCOMPARE(lines.mid(1).join(QString()), hex + hex);
        QCOMPARE(pane.insertedCharacters(), 3 + 2 * hex.size());
    }
};

QTEST_MAIN(TestTerminalWorkspace)
#include "tst_terminalworkspace.moc"
