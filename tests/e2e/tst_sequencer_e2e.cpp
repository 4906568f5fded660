// The Sequencer inside the console, on the simulated line: a start that loads the last
// sequence and runs it with no operator action, the settings it reads at start-up and writes
// at close, and its help button.

#include "app/configurationmenu.h"
#include "app/helpwindow.h"
#include "app/mainwindow.h"
#include "settings/settingsfile.h"
#include "settings/settingskeys.h"
#include "boardsim/responder.h"
#include "boardsim/simline.h"
#include "startconsole.h"
#include "testfiles.h"
#include "widgetfind.h"
#include "sequencer/sequencerunner.h"
#include "sequencer/sequencersettingspanel.h"
#include "sequencer/sequencerworkspace.h"
#include "serial/mainport.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>

using namespace std::chrono_literals;

namespace {

// When each byte the console sent started on the line, in order.
QList<std::chrono::nanoseconds> sendTimes(const boardsim::SimLine &line)
{
    QList<std::chrono::nanoseconds> times;
    for (const boardsim::RecordedByte &b : line.recorded()) {
        if (b.direction == boardsim::Direction::ToBoard)
            times.append(b.at);
    }
    return times;
}

double milliseconds(std::chrono::nanoseconds d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

} // namespace

class TestSequencerEndToEnd : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QByteArray settingsFor(const boardsim::SimLine &line) const
    {
        return "[Ports]\r\nCOM1=" + line.linkPath().toLocal8Bit() + "\r\n[Tester]\r\nNagScreen=1\r\n";
    }

    static void selectTab(TForm1 &window, const QString &caption)
    {
        auto *tabs = window.findChild<QTabBar *>(QStringLiteral("TabControl1"));
        for (int i = 0; i < tabs->count(); ++i) {
            if (tabs->tabText(i) == caption)
                tabs->setCurrentIndex(i);
        }
    }

private Q_SLOTS:
    // Start-up enters the Sequencer, loads LastFile on the first tick and runs it: every
    // step's bytes reach the line, each step starting no sooner than the delay of the step
    // before it after that step's start.
    void theLastSequenceRunsByItselfAtStartUp()
    {
        boardsim::SimLine line;
        QVERIFY2(line.open(m_dir.filePath(QStringLiteral("COM1"))), qPrintable(line.errorString()));
        line.setResponder(std::make_shared<boardsim::ScriptedResponder>(
            QList<boardsim::ScriptStep>{{"L01", "8080"}}, true));

        const QString sequence = m_dir.filePath(QStringLiteral("last.txt"));
        writeFile(sequence, "\"1\" \"100\" \"L01[4]\" \"2\" \r\n"
                            "\"2\" \"250\" \";poll the register;R5E\" \"3\" \r\n"
                            "\"3\" \"0\" \"~065\" \"1\" \r\n");
        const QString ini = m_dir.filePath(QStringLiteral("autostart.INI"));
        writeFile(ini, settingsFor(line) + "StartProg=Sequencer\r\nLoadLastSeqFile=1\r\nAutoStart=1\r\nLastFile="
                           + sequence.toLocal8Bit() + "\r\n");

        auto window = startConsole(ini);
        SequencerWorkspace &seq = *window->findChild<SequencerWorkspace *>();
        QCOMPARE(window->currentWorkspace(), &seq);
        const QByteArray cycle = "L01R5EA";
        // The run lives on the event loop: wait with it turning.
        QVERIFY2(QTest::qWaitFor([&] { return line.received().size() >= cycle.size() * 2; }, 5000),
                 line.received().constData());
        QVERIFY(line.received().startsWith(cycle + cycle));

        QVERIFY(seq.runner().isRunning());
        QVERIFY(find<QToolButton>(seq.panel(), "PauseBtn")->isEnabled());
        QVERIFY(!find<QToolButton>(seq.panel(), "RunBtn")->isEnabled());
        QCOMPARE(window->activityText().isEmpty(), false);
        QCOMPARE(window->findChild<QLabel *>(QStringLiteral("Connected"))->text(),
                 QStringLiteral("Port Open - COM1,9600,N-8-1,NO FLOW"));
        QCOMPARE(find<QListWidget>(seq.panel(), "COL3")->item(1)->text(), QStringLiteral(";poll the register;R5E"));
        QTRY_COMPARE(find<QListWidget>(seq.panel(), "COL5")->item(0)->text(), QStringLiteral("8080 "));

        // Steps start on the line at the pace of their delays: 101 ms after the first step
        // (100 x 1.00 + 1), 251 ms after the second; a few milliseconds of scheduling may
        // fall on either side of a start, so the bounds allow for them.
        const QList<std::chrono::nanoseconds> sent = sendTimes(line);
        QVERIFY(sent.size() >= 14);
        for (int c = 0; c < 2; ++c) {
            const int base = c * int(cycle.size());
            const double first = milliseconds(sent[base + 3] - sent[base]);
            const double second = milliseconds(sent[base + 6] - sent[base + 3]);
            QVERIFY2(first >= 101 - 15, qPrintable(QString::number(first)));
            QVERIFY2(second >= 251 - 15, qPrintable(QString::number(second)));
        }

        // Leaving stops the run; coming back neither loads nor starts it again.
        selectTab(*window, QStringLiteral("Configuration Menu"));
        QVERIFY(!seq.runner().isRunning());
        QVERIFY(window->mainPort().line().waitIdle(5000));
        const qsizetype before = line.received().size();
        selectTab(*window, QStringLiteral("Sequencer"));
        QTest::qWait(300);
        QVERIFY(!seq.runner().isRunning());
        QCOMPARE(line.received().size(), before);
        QVERIFY(find<QToolButton>(seq.panel(), "RunBtn")->isEnabled());
        QVERIFY(find<QToolButton>(seq.panel(), "BitBtn5")->isEnabled());
    }

    void startUpFillsTheSequencerAndTheCloseWritesIt()
    {
        boardsim::SimLine line;
        QVERIFY(line.open(m_dir.filePath(QStringLiteral("COM1s"))));
        const QString ini = m_dir.filePath(QStringLiteral("settings.INI"));
        writeFile(ini, settingsFor(line)
                           + "SeqFont=DejaVu Sans Mono\r\nSeqSize=14\r\nSeqColor=255\r\nNETime=250\r\n"
                             "SFUNCTSTART=<\r\nSFUNCTEND=>\r\nSFUNCTENAB=1\r\nBitNumbering=0\r\nPrintOFF=-\r\n"
                             "PrintON=+\r\nCommentChar=!\r\nEscapeChar=^\r\nSeqFilePath=/srv/scripts\r\n"
                             "AutoStart=1\r\n");
        auto window = startConsole(ini);
        SequencerWorkspace &seq = *window->findChild<SequencerWorkspace *>();
        SequencerSettingsPanel *panel = window->findChild<SequencerSettingsPanel *>();
        QVERIFY(panel);
        QVERIFY(window->configuration().page(2)->isAncestorOf(panel));

        QCOMPARE(panel->CommentChar->text(), QStringLiteral("!"));
        QCOMPARE(panel->EscapeChar->text(), QStringLiteral("^"));
        QCOMPARE(panel->PrintCtrlOn->text(), QStringLiteral("+"));
        QCOMPARE(panel->PrintCtrlOff->text(), QStringLiteral("-"));
        QVERIFY(panel->SpecFunctEnable->isChecked());
        QCOMPARE(panel->SpecFunctStart->text(), QStringLiteral("<"));
        QCOMPARE(panel->SpecFunctEnd->text(), QStringLiteral(">"));
        QCOMPARE(panel->NewEntry->text(), QStringLiteral("250"));
        QVERIFY(!panel->BitNumbering->isChecked());
        QCOMPARE(panel->SeqPath->text(), QStringLiteral("/srv/scripts"));
        QVERIFY(panel->AutoStart->isChecked());
        QVERIFY(!panel->LoadLastSeqFile->isChecked());
        QCOMPARE(seq.runner().language().escapeChar, QStringLiteral("^"));
        QVERIFY(seq.runner().language().specialEnabled);
        QCOMPARE(seq.runner().newEntryTime(), QStringLiteral("250"));
        QCOMPARE(find<QListWidget>(seq.panel(), "COL3")->font().family(), QStringLiteral("DejaVu Sans Mono"));
        QCOMPARE(find<QListWidget>(seq.panel(), "COL3")->font().pointSize(), 14);
        QCOMPARE(find<QListWidget>(seq.panel(), "COL3")->palette().color(QPalette::Text), QColor(0xFF, 0, 0));
        // Start-up's own filling wrote nothing back.
        QFile written(ini);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(!written.readAll().contains("LoadLastSeqFile"));

        // The closing write takes what the panel shows now.
        panel->PrintCtrlOn->setText(QStringLiteral("%"));
        panel->SpecFunctEnable->setChecked(false);
        panel->SeqPath->setText(QStringLiteral("/home/op/seq"));
        panel->AutoStart->setChecked(false);
        window->close();
        const SettingsFile file(ini);
        QCOMPARE(read(file, key::PrintON), QStringLiteral("%"));
        QCOMPARE(read(file, key::PrintOFF), QStringLiteral("-"));
        QCOMPARE(read(file, key::CommentChar), QStringLiteral("!"));
        QVERIFY(!read(file, key::SFUNCTENAB));
        QCOMPARE(read(file, key::SeqFilePath), QStringLiteral("/home/op/seq"));
        QVERIFY(!read(file, key::AutoStart));
        QVERIFY(!read(file, key::LoadLastSeqFile));
    }

    void theHelpButtonOpensTheHelpAtItsContents()
    {
        boardsim::SimLine line;
        QVERIFY(line.open(m_dir.filePath(QStringLiteral("COM1h"))));
        const QString ini = m_dir.filePath(QStringLiteral("help.INI"));
        writeFile(ini, settingsFor(line) + "StartProg=Sequencer\r\n");
        auto window = startConsole(ini);
        QTest::mouseClick(find<QToolButton>(window->findChild<SequencerWorkspace *>()->panel(), "SeqHelpBtn"), Qt::LeftButton);
        auto *help = window->findChild<HelpWindow *>(QStringLiteral("HelpWindow"));
        QVERIFY(help);
        QVERIFY(help->isVisible());
        const QString text = help->browser()->toPlainText();
        for (const char *section : {"Contents", "The Sequencer", "The step language", "Function-key macros",
                                    "Sequence file", "Key-set file", "Settings file"})
            QVERIFY2(text.contains(QLatin1String(section)), section);
    }
};

QTEST_MAIN(TestSequencerEndToEnd)
#include "tst_sequencer_e2e.moc"
