// The updater's engine on a scripted line: the programming port, the board searches, the
// loader test, the ways into the loader and the download, asserting the bytes sent and the
// ticks they went out at. The clock is the test's: no real time passes.

#include "updaterbench.h"

#include "testfiles.h"
#include "updater/firmwarefile.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

using Reply = FakeProgrammingLine::Reply;

const QByteArray Ack("\x06");
const QByteArray CR("\r");

// Answers CR and every firmware line with 0x06 one tick later.
std::optional<Reply> runningLoader(const QByteArray &sent)
{
    if (sent.endsWith('\r'))
        return Reply{Ack, 1};
    return std::nullopt;
}

QByteArray lines(const QStringList &text)
{
    return text.join(QLatin1Char('\n')).toLatin1() + '\n';
}

// A file of count plain lines "LINE 1" ... (not records, so not checked).
QStringList numberedLines(int count)
{
    QStringList out;
    for (int i = 1; i <= count; ++i)
        out.append(QStringLiteral("LINE %1").arg(i));
    return out;
}

QList<QByteArray> withCR(const QStringList &text)
{
    QList<QByteArray> out;
    for (const QString &line : text)
        out.append(line.toLatin1() + '\r');
    return out;
}

} // namespace

class TestFlashUpdater : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    // Writes a firmware file and returns the choice of its grid row.
    FlashUpdater::FileChoice firmware(const QString &name, const QStringList &text)
    {
        const QString path = m_dir.filePath(name);
        writeFile(path, lines(text));
        return {path, name};
    }

private Q_SLOTS:
    // OpenClose twice: open at the programming rate, then closed; the texts of Connected.
    void openCloseOpensThenCloses()
    {
        UpdaterBench bench;
        bench.updater.OpenCloseClick();
        QVERIFY(bench.updater.ProgrammingPortOpen);
        bench.updater.OpenCloseClick();
        QVERIFY(!bench.updater.ProgrammingPortOpen);
        QVERIFY(!bench.updater.programmingPortExists());
        QCOMPARE(bench.line.portEvents(), (QList<QByteArray>{"open 3 115200", "close"}));
        QCOMPARE(bench.connected, (QStringList{"Status: Opening Port", "Status: Port Open", "Status: Opening Port",
                                               "Status: Ready"}));
        QCOMPARE(bench.captionsOf("OpenClose"), (QStringList{"&Close", "&Open"}));
    }

    // The discovery port takes its own button's rate, whatever was open before; with no
    // button checked, the default choice's 9600.
    void ratesOfTheTwoOpens_data()
    {
        QTest::addColumn<int>("discoveryIndex");
        QTest::addColumn<QByteArray>("discoveryOpen");
        QTest::newRow("BAUDAX06") << 6 << QByteArray("open 3 57600");
        QTest::newRow("BAUDAX00") << 0 << QByteArray("open 3 1200");
        QTest::newRow("BAUDAX07") << 7 << QByteArray("open 3 115200");
        QTest::newRow("no discovery button checked") << -1 << QByteArray("open 3 9600");
    }
    void ratesOfTheTwoOpens()
    {
        QFETCH(int, discoveryIndex);
        QFETCH(QByteArray, discoveryOpen);
        UpdaterBench bench;
        bench.updater.discoveryRateIndex = discoveryIndex < 0 ? std::nullopt : std::optional<int>(discoveryIndex);
        bench.updater.OpenCloseClick();
        bench.updater.OpenDiscoveryPort();
        QCOMPARE(bench.line.portEvents(), (QList<QByteArray>{"open 3 115200", "close", discoveryOpen}));
    }

    // A port that does not open stays as a closed object; the next OpenClose tries again.
    void failedOpenKeepsAClosedObject()
    {
        UpdaterBench bench;
        bench.line.failOpen = true;
        bench.updater.OpenCloseClick();
        QVERIFY(bench.updater.programmingPortExists());
        QVERIFY(!bench.updater.ProgrammingPortOpen);
        QCOMPARE(bench.connected.constLast(), QStringLiteral("Status: Error Opening Port"));
        bench.line.failOpen = false;
        bench.updater.OpenCloseClick();
        QVERIFY(bench.updater.ProgrammingPortOpen);
    }

    // The range 10 to 12: a normal board at 11 answers its select and "V" (or only
    // "*VER"); 10 and 12 are silent. The exact commands, their ticks and the entry.
    void searchRangeFindsNormalBoard_data()
    {
        QTest::addColumn<bool>("answersV");
        QTest::addColumn<QList<QByteArray>>("sends");
        QTest::addColumn<QList<int>>("ticks");
        QTest::addColumn<QString>("entry");
        QTest::newRow("V answered")
            << true << QList<QByteArray>{")*L10", ")*LOC(10H)", ")*L11", "V", ")*L12", ")*LOC(12H)"}
            << QList<int>{0, 4, 8, 12, 17, 21} << QStringLiteral("1100:D4.7");
        QTest::newRow("V silent, *VER answered")
            << false << QList<QByteArray>{")*L10", ")*LOC(10H)", ")*L11", "V", "*VER(11H)", ")*L12", ")*LOC(12H)"}
            << QList<int>{0, 4, 8, 12, 17, 22, 26} << QStringLiteral("1100:L2.0");
    }
    void searchRangeFindsNormalBoard()
    {
        QFETCH(bool, answersV);
        QFETCH(QList<QByteArray>, sends);
        QFETCH(QList<int>, ticks);
        QFETCH(QString, entry);
        UpdaterBench bench;
        bench.first = 0x10;
        bench.last = 0x12;
        bench.line.responder = [answersV](const QByteArray &sent) -> std::optional<Reply> {
            if (sent == ")*L11")
                return Reply{"1100", 1};
            if (sent == "V" && answersV)
                return Reply{"D4.7", 2};
            if (sent == "*VER(11H)")
                return Reply{"L2.0", 1};
            return std::nullopt;
        };
        bench.updater.PgmrSearchRangeClick();
        QVERIFY(bench.updater.SearchActive);
        QVERIFY(bench.runToIdle());
        QCOMPARE(bench.line.sends(), sends);
        QCOMPARE(bench.line.sendTicks(), ticks);
        QCOMPARE(bench.entries, QStringList{entry});
        QCOMPARE(bench.captionsOf("PgmrSearchRange"),
                 (QStringList{"SEARCH 10", "SEARCH 11", "SEARCH 12", "Search Range"}));
        // Opened at the discovery rate for the search, closed at its end.
        QCOMPARE(bench.line.portEvents(), (QList<QByteArray>{"open 3 9600", "close"}));
        QVERIFY(!bench.updater.SearchActive);
        QCOMPARE(bench.connected.constLast(), QStringLiteral("Status: Ready"));
    }

    // A running loader at 0F answers the three loader commands; one that does not answer
    // "*TYP" gives no entry.
    void searchFindsRunningLoader_data()
    {
        QTest::addColumn<bool>("answersType");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("all three answered") << true << QStringList{"0F:LUN_AT0F:V2.10:TYPE-AB12-X"};
        QTest::newRow("*TYP silent") << false << QStringList{};
    }
    void searchFindsRunningLoader()
    {
        QFETCH(bool, answersType);
        QFETCH(QStringList, entries);
        UpdaterBench bench;
        bench.first = 0x0F;
        bench.last = 0x0F;
        bench.line.responder = [answersType](const QByteArray &sent) -> std::optional<Reply> {
            if (sent == ")*LOC(0FH)")
                return Reply{"LUN_AT0F", 1};
            if (sent == "*VER(0FH)")
                return Reply{"V2.10", 3};
            if (sent == "*TYP(0FH)" && answersType)
                return Reply{"TYPE-AB12-X", 6};
            return std::nullopt;
        };
        bench.updater.PgmrSearchRangeClick();
        QVERIFY(bench.runToIdle());
        QCOMPARE(bench.line.sends(), (QList<QByteArray>{")*L0F", ")*LOC(0FH)", "*VER(0FH)", "*TYP(0FH)"}));
        QCOMPARE(bench.line.sendTicks(), (QList<int>{0, 4, 8, 15}));
        QCOMPARE(bench.entries, entries);
        if (answersType) {
            bench.updater.ListBox1Click(bench.entries.constFirst());
            QCOMPARE(bench.updater.SelectedBoardType, QStringLiteral("AB12"));
        }
    }

    // A second click on a search button or "Stop Search" stops the search after the address
    // it works on; the caption comes back; a further click starts a new search.
    void stopDuringSearch_data()
    {
        QTest::addColumn<bool>("byStopButton");
        QTest::newRow("Search All again") << false;
        QTest::newRow("Stop Search") << true;
    }
    void stopDuringSearch()
    {
        QFETCH(bool, byStopButton);
        UpdaterBench bench;
        bench.updater.SearchBoardsClick();
        bench.tick(10);   // address 01, its ")*LOC" exchange
        if (byStopButton)
            bench.updater.Button35Click();
        else
            bench.updater.SearchBoardsClick();
        QVERIFY(!bench.updater.SearchActive);
        QVERIFY(bench.runToIdle());
        QCOMPARE(bench.line.sends(), (QList<QByteArray>{")*L00", ")*LOC(00H)", ")*L01", ")*LOC(01H)"}));
        QCOMPARE(bench.captionsOf("SearchBoards"), (QStringList{"SEARCH 00", "SEARCH 01", "Search All"}));
        QCOMPARE(bench.line.portEvents(), (QList<QByteArray>{"open 3 9600", "close"}));

        bench.updater.SearchBoardsClick();
        QVERIFY(bench.updater.SearchActive);
        QCOMPARE(bench.line.sends().constLast(), QByteArray(")*L00"));
        // Stop Search with no search running does nothing.
        bench.updater.SearchBoardsClick();
        QVERIFY(bench.runToIdle());
        bench.updater.Button35Click();
        QVERIFY(!bench.updater.busy());
    }

    // Leaving the workspace stops a search after its address and closes the port, which
    // the search does not open again behind the hidden panel.
    void leavingTheWorkspaceStopsASearch()
    {
        UpdaterBench bench;
        bench.updater.SearchBoardsClick();
        bench.tick(2);
        bench.updater.workspaceLeft();
        QCOMPARE(bench.connected.constLast(), QStringLiteral("Status: Ready"));
        QVERIFY(bench.runToIdle());
        QCOMPARE(bench.line.portEvents(), (QList<QByteArray>{"open 3 9600", "close"}));
        QCOMPARE(bench.line.sends(), QList<QByteArray>{")*L00"});
        QCOMPARE(bench.captionsOf("SearchBoards").constLast(), QStringLiteral("Search All"));
        QVERIFY(!bench.updater.programmingPortExists());
    }

    // With the loader already running the lines follow the first loader test, each one
    // tick after the acknowledgement of the one before; no ")*LOC", "L" or "^FP" is sent.
    void downloadFindsLoaderAtOnce()
    {
        UpdaterBench bench;
        bench.line.responder = runningLoader;
        const QStringList text{QStringLiteral("; TYPE-AB12- comment"), QStringLiteral(":00000001FF"),
                               QString(), QStringLiteral(":10010000214601360121470136007EFE09D2190140")};
        bench.updater.Button16Click(firmware(QStringLiteral("fw.hex"), text));
        QVERIFY(bench.runToIdle());

        QList<QByteArray> expected{CR};
        expected += withCR(text.mid(1));
        QCOMPARE(bench.line.sends(), expected);
        // CR after 5 ticks; 0x06 seen at the attempt's end (10); the caption shows for 20.
        QCOMPARE(bench.line.sendTicks(), (QList<int>{5, 30, 31, 32}));
        QCOMPARE(bench.captionsOf("TestLoaderCon"), (QStringList{"Ready", "Test Connection"}));
        QCOMPARE(bench.status, (QStringList{"LOADING FILE fw.hex TO MEMORY", "CHECKING FOR THE RESIDENT LOADER.",
                                            "LOADER FOUND SENDING HEX DATA!", "WARNING DO NOT POWER OFF UNTIL DONE!",
                                            "SUCCESS...", "DONE."}));
        QCOMPARE(bench.connected.mid(0, 3),
                 (QStringList{"Status: Opening Port", "Status: Opening Port", "Status: Port Open"}));
        QVERIFY(bench.connected.contains("Status: Port Open Sending"));
        QCOMPARE(bench.connected.constLast(), QStringLiteral("Status: Ready"));
        QCOMPARE(bench.line.portEvents(), (QList<QByteArray>{"open 3 115200", "close"}));
        QCOMPARE(bench.panelShown, (QList<bool>{true, false}));
        QCOMPARE(bench.barMaximum, 4);
        QCOMPARE(bench.barPosition, 0);
        QVERIFY(!bench.updater.ProgrammingActive);
    }

    // A loader that acknowledges the CR of its test but no line: each line gets its 20
    // ticks and the next follows; the end says how many lines went unacknowledged, counting
    // the file's lines (the comment is line 1).
    void downloadAgainstSilentLoaderFailsHonestly()
    {
        UpdaterBench bench;
        bench.line.responder = [](const QByteArray &sent) -> std::optional<Reply> {
            if (sent == "\r")
                return Reply{Ack, 1};
            return std::nullopt;
        };
        bench.updater.Button16Click(firmware(QStringLiteral("fw.hex"), {";c", "A", "B", "C"}));
        QVERIFY(bench.runToIdle());
        QCOMPARE(bench.line.sendTicks(), (QList<int>{5, 30, 50, 70}));
        QVERIFY(!bench.status.contains("SUCCESS..."));
        QCOMPARE(bench.status.mid(bench.status.size() - 2),
                 (QStringList{"FAILED: 3 OF 3 LINES NOT ACKNOWLEDGED (FIRST: LINE 2)", "DONE."}));
    }

    // The port closed under a running download (a rate button's click): the lines left go
    // nowhere, and the end says so instead of claiming success.
    void portClosedDuringDownload()
    {
        UpdaterBench bench;
        bench.line.responder = runningLoader;
        bench.updater.Button16Click(firmware(QStringLiteral("fw.hex"), numberedLines(10)));
        // The CR of the loader test and lines 1 to 4; line 4 waits for its 0x06.
        QVERIFY(bench.clock.runUntil([&] { return bench.line.sends().size() == 5; }));
        bench.updater.CloseProgrammingPort();
        QVERIFY(bench.runToIdle());
        QCOMPARE(bench.line.sends().size(), 5);
        QVERIFY(bench.status.contains("FAILED: 7 OF 10 LINES NOT ACKNOWLEDGED (FIRST: LINE 4)"));
        QCOMPARE(bench.status.constLast(), QStringLiteral("DONE."));
        QVERIFY(!bench.updater.ProgrammingActive);
    }

    // The device goes away in the middle of the lines: the port is closed at once, the
    // lines left are counted as not acknowledged without a wait each, Connected and the
    // memo say what happened, and the next Program opens the port again.
    void deviceGoneDuringDownload()
    {
        UpdaterBench bench;
        bench.line.responder = runningLoader;
        const FlashUpdater::FileChoice file = firmware(QStringLiteral("fw.hex"), numberedLines(200));
        bench.updater.Button16Click(file);
        // The CR of the loader test and lines 1 to 4; line 4 waits for its 0x06.
        QVERIFY(bench.clock.runUntil([&] { return bench.line.sends().size() == 5; }));
        const int lostAt = bench.line.now;
        bench.line.dropLine();
        bench.flush();
        QVERIFY(!bench.updater.busy());
        QCOMPARE(bench.line.now, lostAt);   // no line waited out its ticks
        QCOMPARE(bench.line.sends().size(), 5);
        QCOMPARE(bench.line.portEvents(), (QList<QByteArray>{"open 3 115200", "close"}));
        QVERIFY(!bench.updater.ProgrammingPortOpen);
        QVERIFY(!bench.updater.programmingPortExists());
        QCOMPARE(bench.status.mid(bench.status.size() - 3),
                 (QStringList{"THE DEVICE WENT AWAY: THE PORT IS CLOSED.",
                              "FAILED: 197 OF 200 LINES NOT ACKNOWLEDGED (FIRST: LINE 4)", "DONE."}));
        QCOMPARE(bench.connected.constLast(), QStringLiteral("Status: Port Closed, The Device Went Away"));
        QVERIFY2(bench.updater.lossNote().startsWith("The serial device /dev/ttyFAKE (COM3) went away at "),
                 qPrintable(bench.updater.lossNote()));
        QVERIFY(!bench.updater.ProgrammingActive);
        QCOMPARE(bench.percents.constLast(), QStringLiteral("Ready"));

        bench.updater.Button16Click(file);
        QVERIFY(bench.runToIdle());
        QCOMPARE(bench.line.portEvents().mid(2), (QList<QByteArray>{"open 3 115200", "close"}));
        QCOMPARE(bench.status.mid(bench.status.size() - 2), (QStringList{"SUCCESS...", "DONE."}));
        QVERIFY(bench.updater.lossNote().isEmpty());
    }

    // A search whose device goes ends after the address it is at, keeps what it found and
    // leaves the port closed; the next search opens it again.
    void deviceGoneDuringSearch()
    {
        UpdaterBench bench;
        bench.first = 0x10;
        bench.last = 0x40;
        bench.line.responder = [](const QByteArray &sent) -> std::optional<Reply> {
            if (sent == ")*L11")
                return Reply{"11F0", 1};
            if (sent == "V")
                return Reply{"2.40", 1};
            return std::nullopt;
        };
        bench.updater.PgmrSearchRangeClick();
        QVERIFY(bench.clock.runUntil([&] { return bench.line.sends().contains(")*LOC(13H)"); }));
        bench.line.dropLine();
        QVERIFY(bench.runToIdle(20));
        QCOMPARE(bench.entries, (QStringList{"11F0:2.40"}));
        QCOMPARE(bench.line.sends().constLast(), QByteArray(")*LOC(13H)"));
        QCOMPARE(bench.captionsOf("PgmrSearchRange").constLast(), QStringLiteral("Search Range"));
        QCOMPARE(bench.connected.constLast(), QStringLiteral("Status: Port Closed, The Device Went Away"));
        QVERIFY(!bench.updater.SearchActive);

        bench.updater.PgmrSearchRangeClick();
        QVERIFY(bench.clock.runUntil([&] { return bench.line.sends().count(")*L11") == 2; }));
        QCOMPARE(bench.line.portEvents().mid(2, 1), (QList<QByteArray>{"open 3 9600"}));
        bench.updater.Button35Click();
        QVERIFY(bench.runToIdle());
    }

    // Some lines acknowledged, some not: the count and the first line number.
    void downloadWithMissedAcknowledgements()
    {
        UpdaterBench bench;
        bench.line.responder = [](const QByteArray &sent) -> std::optional<Reply> {
            if (sent == "L3\r" || sent == "L5\r")
                return std::nullopt;
            return Reply{Ack, 2};
        };
        bench.updater.Button16Click(firmware(QStringLiteral("fw.hex"), {"L1", "L2", "L3", "L4", "L5", "L6"}));
        QVERIFY(bench.runToIdle());
        const QList<int> ticks = bench.line.sendTicks();
        // Acknowledged lines are followed two ticks later, a missed one after 20.
        QCOMPARE(ticks.mid(1), (QList<int>{30, 32, 34, 54, 56, 76}));
        QVERIFY(bench.status.contains("FAILED: 2 OF 6 LINES NOT ACKNOWLEDGED (FIRST: LINE 3)"));
    }

    // A loader that answers ")*LOC" gets "*PFL" and is then found; a normal board that
    // ignores ")*LOC" but answers "L" gets "^FP" about a second after ")*LOC" and is then
    // found. The lines go out after the following test.
    void downloadEntersTheLoader_data()
    {
        QTest::addColumn<bool>("loaderAnswersSelect");
        QTest::addColumn<QList<QByteArray>>("entrySends");
        QTest::addColumn<QList<int>>("entryGaps");   // ticks after ")*LOC"; a wait set on a reply loses the tick under way
        QTest::addColumn<QString>("statusLine");
        QTest::newRow("through )*LOC and *PFL") << true << QList<QByteArray>{")*LOC(0FH)", "*PFL(0FH)"}
                                                << QList<int>{0, 5} << QStringLiteral("SENDING *PFL COMMAND");
        QTest::newRow("through L and ^FP") << false << QList<QByteArray>{")*LOC(0FH)", "L0F", "^FP"}
                                           << QList<int>{0, 50, 55} << QStringLiteral("SENDING ^FP COMMAND");
    }
    void downloadEntersTheLoader()
    {
        QFETCH(bool, loaderAnswersSelect);
        QFETCH(QList<QByteArray>, entrySends);
        QFETCH(QList<int>, entryGaps);
        QFETCH(QString, statusLine);
        UpdaterBench bench;
        bench.selectedEntry = QStringLiteral("0F00:D4.7");
        bench.updater.discoveryRateIndex = 4;
        bool loaderRuns = false;
        bench.line.responder = [&](const QByteArray &sent) -> std::optional<Reply> {
            if (loaderRuns)
                return runningLoader(sent);
            if (sent == ")*LOC(0FH)" && loaderAnswersSelect)
                return Reply{"LUN_AT0F", 1};
            if (sent == "*PFL(0FH)" || sent == "^FP")
                loaderRuns = true;
            if (sent == "L0F" && !loaderAnswersSelect)
                return Reply{"0F00", 1};
            return std::nullopt;
        };
        const QStringList text{QStringLiteral(":00000001FF")};
        bench.updater.Button16Click(firmware(QStringLiteral("fw.hex"), text));
        QVERIFY(bench.runToIdle());

        const QList<QByteArray> sends = bench.line.sends();
        const QList<int> ticks = bench.line.sendTicks();
        // Three unanswered CRs of the first test, the entry's commands, one CR, the line.
        QCOMPARE(sends.mid(0, 3), (QList<QByteArray>{CR, CR, CR}));
        QCOMPARE(sends.mid(3, entrySends.size()), entrySends);
        QList<int> gaps;
        for (qsizetype i = 0; i < entrySends.size(); ++i)
            gaps.append(ticks.at(3 + i) - ticks.at(3));
        QCOMPARE(gaps, entryGaps);
        QCOMPARE(sends.mid(3 + entrySends.size()), (QList<QByteArray>{CR, ":00000001FF\r"}));
        QVERIFY(bench.status.contains(statusLine));
        QVERIFY(bench.status.contains("SUCCESS..."));
        QCOMPARE(bench.status.mid(2, 2), (QStringList{"LOADER NOT RUNNING.", "TRYING TO ENTER LOADER."}));
        // The discovery rate for the entry's commands, the programming rate for the lines.
        QCOMPARE(bench.line.portEvents(),
                 (QList<QByteArray>{"open 3 115200", "close", "open 3 19200", "close", "open 3 19200", "close",
                                    "open 3 115200", "close"}));
    }

    // No board selected and no loader answering: the last "^FP" is sent, and the log ends
    // with the error, the hint and "DONE.".
    void downloadWithoutLoaderOrBoard()
    {
        UpdaterBench bench;
        bench.updater.Button16Click(firmware(QStringLiteral("fw.hex"), {"A"}));
        QVERIFY(bench.runToIdle());
        QCOMPARE(bench.line.sends(), (QList<QByteArray>{CR, CR, CR, CR, CR, CR, "^FP", CR, CR, CR}));
        QCOMPARE(bench.status,
                 (QStringList{"LOADING FILE fw.hex TO MEMORY", "CHECKING FOR THE RESIDENT LOADER.",
                              "LOADER NOT RUNNING.", "TRYING TO ENTER LOADER.", "SENDING ^FP COMMAND",
                              "ERROR LOADER NOT FOUND!!", "WARNING! NO UNIT SELECTED, TRY SELECTING A UNIT FIRST.",
                              "DONE."}));
        QCOMPARE(bench.captionsOf("TestLoaderCon").count("Not Ready"), 3);
        QCOMPARE(bench.percents, (QStringList{"100%", "Ready"}));
    }

    // 200 lines: 1%, 2%, ... after each change, 101% after the last line, then "100%" and
    // "Ready"; a file of comments only sends no line and succeeds.
    void percentagesOfTwoHundredLines()
    {
        UpdaterBench bench;
        bench.line.responder = runningLoader;
        bench.updater.Button16Click(firmware(QStringLiteral("big.hex"), numberedLines(200)));
        QVERIFY(bench.runToIdle());
        QStringList expected;
        for (int p = 1; p <= 101; ++p)
            expected.append(QStringLiteral("%1%").arg(p));
        expected << QStringLiteral("100%") << QStringLiteral("Ready");
        QCOMPARE(bench.percents, expected);
        QCOMPARE(bench.line.sends().size(), 201);
        QVERIFY(bench.status.contains("SUCCESS..."));
    }
    void allCommentFileSendsNoLine()
    {
        UpdaterBench bench;
        bench.line.responder = runningLoader;
        bench.updater.Button16Click(firmware(QStringLiteral("notes.hex"), {";one", ";two", ";three"}));
        QVERIFY(bench.runToIdle());
        QCOMPARE(bench.line.sends(), QList<QByteArray>{CR});
        QVERIFY(bench.status.contains("SUCCESS..."));
        QCOMPARE(bench.percents, (QStringList{"100%", "Ready"}));
    }

    // The records are checked before anything is sent: a bad one is named with its line and
    // its fault, and only Yes sends the file.
    void hexCheckBeforeSending_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("problem");   // empty: the file is sound
        QTest::newRow("good") << QStringLiteral(":10010000214601360121470136007EFE09D2190140") << QString();
        QTest::newRow("bad checksum") << QStringLiteral(":10010000214601360121470136007EFE09D2190141")
                                      << QStringLiteral("Line 3 is not a valid Intel HEX record: its checksum is 41, its bytes need 40.");
        QTest::newRow("bad length") << QStringLiteral(":0F010000214601360121470136007EFE09D2190140")
                                    << QStringLiteral("Line 3 is not a valid Intel HEX record: its length byte says 15 data bytes, it carries 16.");
        QTest::newRow("odd digits") << QStringLiteral(":10010000214601360121470136007EFE09D219014")
                                    << QStringLiteral("Line 3 is not a valid Intel HEX record: it has an odd number of hexadecimal digits (41).");
        QTest::newRow("not a digit") << QStringLiteral(":1001000021460136012147013600ZEFE09D2190140")
                                     << QStringLiteral("Line 3 is not a valid Intel HEX record: the character \"Z\" in column 30 is not a hexadecimal digit.");
        QTest::newRow("too short") << QStringLiteral(":00FF")
                                   << QStringLiteral("Line 3 is not a valid Intel HEX record: it is too short for a record (2 bytes, a record has at least 5).");
    }
    void hexCheckBeforeSending()
    {
        QFETCH(QString, record);
        QFETCH(QString, problem);
        const QStringList text{QStringLiteral("TYPE-AB12-"), QString(), record, QStringLiteral(":00000001FF")};
        for (const OperatorPrompt::Answer answer : {OperatorPrompt::Answer::No, OperatorPrompt::Answer::Yes}) {
            UpdaterBench bench;
            bench.line.responder = runningLoader;
            bench.prompt.answers = {answer};
            bench.updater.Button16Click(firmware(QStringLiteral("fw.hex"), text));
            QVERIFY(bench.runToIdle());
            if (problem.isEmpty()) {
                QVERIFY(bench.prompt.questions.isEmpty());
                QCOMPARE(bench.line.sends().size(), 5);
                break;
            }
            QCOMPARE(bench.prompt.questions.size(), 1);
            QCOMPARE(bench.prompt.questions.constFirst().text, problem + "\n\nSend the file anyway?");
            if (answer == OperatorPrompt::Answer::No) {
                QVERIFY(bench.line.log.isEmpty());
                QVERIFY(bench.status.isEmpty());
            } else {
                QCOMPARE(bench.line.sends().mid(1), withCR(text));
            }
        }
    }

    // Files that cannot go out: unreadable (at the click and at Program), a line too long
    // for one send, no row chosen. A box says so and nothing is sent.
    void filesThatCannotBeSent()
    {
        UpdaterBench bench;
        const QString missing = m_dir.filePath(QStringLiteral("missing.hex"));
        QVERIFY(!bench.updater.chooseFile(missing));
        QCOMPARE(bench.prompt.messages.size(), 1);
        QCOMPARE(bench.prompt.messages.constLast().text, QStringLiteral("The file %1 cannot be read. Nothing is sent.").arg(missing));

        bench.updater.Button16Click(FlashUpdater::FileChoice{missing, QStringLiteral("missing.hex")});
        QCOMPARE(bench.prompt.messages.size(), 2);

        const QString longLine(2048, QLatin1Char('A'));
        bench.updater.Button16Click(firmware(QStringLiteral("long.hex"), {"A", QString(2047, QLatin1Char('B')), longLine}));
        QCOMPARE(bench.prompt.messages.size(), 3);
        QCOMPARE(bench.prompt.messages.constLast().text,
                 QStringLiteral("Line 3 of the file is 2048 characters long; with its CR a line must fit in 2048 bytes. Nothing is sent."));

        bench.updater.Button16Click(std::nullopt);
        QCOMPARE(bench.prompt.messages.constLast().title, QStringLiteral("Error!"));
        QCOMPARE(bench.prompt.messages.constLast().text, QStringLiteral("You Must First Select A File"));
        QVERIFY(!bench.updater.busy());
        QVERIFY(bench.line.log.isEmpty());
    }

    // A board type that differs from the file's asks OK or Cancel; Cancel sends nothing. A
    // file without a type line is of type "0" and so differs from any board's.
    void typeWarning_data()
    {
        QTest::addColumn<QString>("firstLine");
        QTest::addColumn<QString>("boardType");
        QTest::addColumn<bool>("warned");
        QTest::newRow("same type") << "TYPE-AB12-X" << "AB12" << false;
        QTest::newRow("other type") << "TYPE-CD34-X" << "AB12" << true;
        QTest::newRow("file without type") << "LINE" << "AB12" << true;
        QTest::newRow("no board clicked") << "TYPE-CD34-X" << "" << false;
    }
    void typeWarning()
    {
        QFETCH(QString, firstLine);
        QFETCH(QString, boardType);
        QFETCH(bool, warned);
        UpdaterBench bench;
        bench.line.responder = runningLoader;
        bench.updater.SelectedBoardType = boardType;
        bench.prompt.answers = {OperatorPrompt::Answer::Cancel};
        bench.updater.Button16Click(firmware(QStringLiteral("fw.hex"), {firstLine, "X"}));
        QCOMPARE(bench.prompt.questions.size(), warned ? 1 : 0);
        if (warned) {
            QCOMPARE(bench.prompt.questions.constFirst().title, QStringLiteral("WARNING - WARNING - WARNING"));
            QCOMPARE(bench.prompt.questions.constFirst().text, QStringLiteral("WARNING, The file type does not match the board type."));
            QVERIFY(!bench.updater.busy());
            QVERIFY(bench.line.log.isEmpty());
        } else {
            QVERIFY(bench.runToIdle());
            QVERIFY(bench.status.contains("SUCCESS..."));
        }
    }

    // While a command waits, a second Program, a search or a loader test does nothing, and
    // the download keeps the workspace from the moment it starts to its end.
    void secondPressWhileRunning()
    {
        UpdaterBench bench;
        bench.line.responder = runningLoader;
        bench.updater.Button16Click(firmware(QStringLiteral("fw.hex"), numberedLines(3)));
        QVERIFY(bench.updater.downloadRunning());
        bench.tick(3);
        const QStringList statusBefore = bench.status;
        bench.updater.Button16Click(firmware(QStringLiteral("other.hex"), numberedLines(5)));
        bench.updater.TestLoaderConClick();
        bench.updater.SearchBoardsClick();
        bench.updater.PgmrSearchRangeClick();
        QCOMPARE(bench.status, statusBefore);
        QVERIFY(!bench.updater.SearchActive);
        bench.tick(27);   // the lines go out now
        QVERIFY(bench.updater.ProgrammingActive);
        bench.updater.Button16Click(firmware(QStringLiteral("other.hex"), numberedLines(5)));
        bench.updater.SearchBoardsClick();
        QVERIFY(bench.runToIdle());
        QVERIFY(!bench.updater.downloadRunning());
        QCOMPARE(bench.line.sends(), QList<QByteArray>{CR} + withCR(numberedLines(3)));
        QCOMPARE(bench.status.count("DONE."), 1);

        // A loader test alone: the same guard against a second press.
        bench.updater.TestLoaderConClick();
        QVERIFY(bench.updater.busy());
        bench.updater.TestLoaderConClick();
        QVERIFY(bench.runToIdle());
        QCOMPARE(bench.line.sends().count(CR), 2);
    }

    // Bytes still queued from a port that was closed meanwhile are not taken.
    void bytesOfAClosedPortAreDropped()
    {
        UpdaterBench bench;
        bench.line.responder = runningLoader;
        bench.updater.TestLoaderConClick();
        bench.tick(5);   // the CR goes out; its 0x06 is due on the next tick
        ++bench.line.now;
        bench.line.deliverDue();   // queued, not yet taken
        bench.updater.CloseProgrammingPort();
        QCoreApplication::sendPostedEvents();
        QVERIFY(bench.updater.RxData.isEmpty());
        QVERIFY(bench.runToIdle());
        QVERIFY(!bench.updater.LoaderFound);
    }
};

QTEST_GUILESS_MAIN(TestFlashUpdater)
#include "tst_flashupdater.moc"
