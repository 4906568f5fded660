// The Flash Updater in the console against the loader models of the simulated bus, on the
// real threaded port: the bytes on the line (the simulator's record) and what the window
// shows for a search, downloads that find the loader at once or must start it, a loader
// that never acknowledges, and a device that goes away in the middle of the lines.

#include "app/mainwindow.h"
#include "boardsim/boards.h"
#include "boardsim/loaders.h"
#include "boardsim/simline.h"
#include "startconsole.h"
#include "testfiles.h"
#include "updater/updaterworkspace.h"
#include "widgetfind.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

constexpr int Generous = 20000;   // ms: only a broken console waits this out

// The demo firmware's lines without their line ends, as a loader keeps them.
QByteArrayList demoLines()
{
    QByteArrayList out;
    for (QByteArray line : readAll(QStringLiteral(DEMO_FIRMWARE)).split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            out.append(line);
    }
    return out;
}

// What the updater sends of a file: every line that is not a comment.
QByteArrayList sentLines(const QByteArrayList &file)
{
    QByteArrayList out;
    for (const QByteArray &line : file)
        if (!line.startsWith(';'))
            out.append(line);
    return out;
}

QByteArray withCRs(const QByteArrayList &lines)
{
    QByteArray out;
    for (const QByteArray &line : lines)
        out += line + '\r';
    return out;
}

// The demo file's type line and three of its records behind a comment: a download short
// enough to wait out a loader that never answers.
QByteArrayList shortFile()
{
    const QByteArrayList demo = demoLines();
    return {demo.at(0), "; three records", demo.at(2), demo.at(3), demo.constLast()};
}

} // namespace

class TestUpdaterEndToEnd : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<boardsim::SimLine> m_line;
    std::shared_ptr<boardsim::ResponderChain> m_bus;
    std::unique_ptr<TForm1> m_window;
    ScriptedPrompt *m_prompt = nullptr;

    QString link() const { return m_dir.filePath(QStringLiteral("ttyUSB0")); }
    QString folder() const { return m_dir.filePath(QStringLiteral("firmware")); }

    template<typename T>
    T *find(const char *name) const
    {
        return ::find<T>(m_window.get(), QString::fromLatin1(name));
    }
    QString connected() const { return find<QLabel>("Connected")->text(); }
    QString status() const { return find<QPlainTextEdit>("ProgStatus")->toPlainText(); }
    QStringList statusLines() const { return status().split(QLatin1Char('\n')); }
    QString percent() const { return find<QLabel>("Label117")->text(); }
    UpdaterWorkspace &workspace() const { return *m_window->findChild<UpdaterWorkspace *>(); }
    FlashUpdater &updater() const { return workspace().updater(); }

    // The bus on a line at link(), paced at baud (0: as fast as the terminal takes bytes),
    // and the console on it with the Flash Updater in front and the firmware folder chosen.
    void start(const QList<std::pair<int, std::shared_ptr<boardsim::Responder>>> &members, int baud = 0,
               const QByteArray &settings = {})
    {
        QVERIFY(QDir().mkpath(folder()));
        m_line = std::make_unique<boardsim::SimLine>();
        m_bus = std::make_shared<boardsim::ResponderChain>();
        for (const auto &[address, member] : members)
            m_bus->add(address, member);
        m_line->setResponder(m_bus);
        m_line->setBaud(baud);
        QVERIFY2(m_line->open(link()), qPrintable(m_line->errorString()));
        const QString ini = m_dir.filePath(QStringLiteral("updater.INI"));
        writeFile(ini, "[Ports]\r\nCOM1=" + link().toLocal8Bit() + "\r\n[Tester]\r\nNagScreen=1\r\n"
                       "StartProg=Flash Updater\r\nBAUDAX=7\r\nBAUDX=3\r\nSTARTIN=" + folder().toLocal8Bit() + "\r\n"
                       + settings);
        m_window = startConsole(ini, {}, &m_prompt);
        // The start-up enumeration tests COM1 with a port of its own; the updater's opens
        // wait until it has let the device go.
        QTRY_VERIFY_WITH_TIMEOUT(workspace().availablePorts().contains(QStringLiteral("COM1")), Generous);
        QCOMPARE(workspace().portText(), QStringLiteral("COM1"));
        m_line->clearRecord();
    }

    static std::shared_ptr<boardsim::LoaderBoard> loader(const char *description)
    {
        std::shared_ptr<boardsim::LoaderBoard> made = boardsim::makeLoader(QString::fromLatin1(description));
        if (!made)
            qFatal("no loader %s", description);
        return made;
    }

    // A firmware file in the folder; the grid is read again so it shows.
    void addFile(const QString &name, const QByteArrayList &lines)
    {
        writeFile(QDir(folder()).filePath(name), lines.join("\r\n") + "\r\n");
        find<QPushButton>("Button34")->click();
    }

    void chooseFile(const QString &name)
    {
        auto *grid = find<QTableWidget>("PrgFileList");
        for (int row = 0; row < grid->rowCount(); ++row) {
            const QTableWidgetItem *item = grid->item(row, 0);
            if (item && item->text() == name) {
                QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                                  grid->visualRect(grid->model()->index(row, 0)).center());
                QCOMPARE(grid->currentRow(), row);
                return;
            }
        }
        QFAIL(qPrintable(QStringLiteral("no row for %1").arg(name)));
    }

    // A board entry in ListBox1, clicked, as a search would have left it.
    void chooseBoard(const QString &entry)
    {
        auto *boards = find<QListWidget>("ListBox1");
        boards->addItem(entry);
        QListWidgetItem *item = boards->item(boards->count() - 1);
        QTest::mouseClick(boards->viewport(), Qt::LeftButton, {}, boards->visualItemRect(item).center());
        QVERIFY(item->isSelected());
    }

    // Program, and the download to its end.
    void program()
    {
        find<QPushButton>("Button16")->click();
        QVERIFY(updater().busy());
        QTRY_VERIFY_WITH_TIMEOUT(!updater().busy(), Generous);
    }

    // What every download's end shows, whatever the loader did.
    void expectEnd() const
    {
        QCOMPARE(statusLines().constLast(), QStringLiteral("DONE."));
        QCOMPARE(percent(), QStringLiteral("Ready"));
        QCOMPARE(find<QProgressBar>("ProgressBar1")->value(), 0);
        QVERIFY(!find<QWidget>("PBAR")->isVisible());
        QVERIFY(!updater().ProgrammingActive);
        QVERIFY(!updater().programmingPortExists());
    }

private Q_SLOTS:
    void cleanup()
    {
        m_window.reset();
        m_line.reset();
        m_bus.reset();
        QDir(folder()).removeRecursively();
    }

    // Search Range over 10 to 12: a board running its normal firmware, a running loader and
    // an address where nothing answers. The bytes of every exchange, in order, and the list.
    void searchOverARange()
    {
        auto loader11 = loader("11:loader");
        start({{0x10, loader("10:firmware")}, {0x11, loader11}}, 115200, "FirstAddr=10\r\nLastAddr=12\r\n");
        auto *search = find<QPushButton>("PgmrSearchRange");
        search->click();
        QVERIFY(updater().SearchActive);
        QTRY_VERIFY_WITH_TIMEOUT(!updater().SearchActive, Generous);

        QCOMPARE(m_line->received(), QByteArray(")*L10V"
                                                ")*L11)*LOC(11H)*VER(11H)*TYP(11H)"
                                                ")*L12)*LOC(12H)"));
        auto *boards = find<QListWidget>("ListBox1");
        QCOMPARE(boards->count(), 2);
        QCOMPARE(boards->item(0)->text(), QStringLiteral("10F0:2.40"));
        QCOMPARE(boards->item(1)->text(), QStringLiteral("11:LUNIT-11 READY:LDR 1.3:TYPE-VDEMO-LDR"));
        QCOMPARE(search->text(), QStringLiteral("Search Range"));
        QCOMPARE(connected(), QStringLiteral("Status: Ready"));
        QVERIFY(!updater().programmingPortExists());

        // The loader's entry gives the board's type the file's type is checked against.
        QTest::mouseClick(boards->viewport(), Qt::LeftButton, {}, boards->visualItemRect(boards->item(1)).center());
        QCOMPARE(updater().SelectedBoardType, QStringLiteral("VDEMO"));
    }

    // A loader alone on the line answers the first loader test: the lines follow its CR
    // with no ")*LOC", "L" or "^FP", each after the one before was acknowledged. A loader
    // that takes its time lets the window be seen mid-download; with VANTOR_SHOT_DIR set, a
    // picture of it is written there as updater-download.png.
    void downloadFindsTheLoaderAtOnce()
    {
        auto slow = loader("11:slow-loader:40");
        start({{0x11, slow}});
        const QByteArrayList file = demoLines();
        addFile(QStringLiteral("vdemo.hex"), file);
        chooseFile(QStringLiteral("vdemo.hex"));
        find<QPushButton>("Button16")->click();
        QTRY_VERIFY_WITH_TIMEOUT(updater().ProgrammingActive && find<QProgressBar>("ProgressBar1")->value() >= 2, Generous);
        QVERIFY(find<QWidget>("PBAR")->isVisible());
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d+%$")).match(percent()).hasMatch(), qPrintable(percent()));
        QCOMPARE(connected(), QStringLiteral("Status: Port Open Sending"));
        const QString shots = qEnvironmentVariable("VANTOR_SHOT_DIR");
        if (!shots.isEmpty())
            QVERIFY(m_window->grab().save(QDir(shots).filePath(QStringLiteral("updater-download.png"))));
        QTRY_VERIFY_WITH_TIMEOUT(!updater().busy(), Generous);

        QCOMPARE(m_line->received(), "\r" + withCRs(sentLines(file)));
        QCOMPARE(slow->lines(), sentLines(file));
        QCOMPARE(statusLines(), (QStringList{"LOADING FILE vdemo.hex TO MEMORY", "CHECKING FOR THE RESIDENT LOADER.",
                                             "LOADER FOUND SENDING HEX DATA!", "WARNING DO NOT POWER OFF UNTIL DONE!",
                                             "SUCCESS...", "DONE."}));
        expectEnd();
        QCOMPARE(connected(), QStringLiteral("Status: Ready"));
        QVERIFY(m_prompt->messages.isEmpty());
    }

    // The two ways into the loader. A loader that is not chosen (none answers the test's
    // CRs) but answers ")*LOC" of the selected entry is told "*PFL" and then found; a board
    // running its normal firmware ignores ")*LOC", answers "L" and starts its loader on "^FP".
    void downloadEntersTheLoader_data()
    {
        QTest::addColumn<bool>("runningLoader");
        QTest::addColumn<QByteArray>("entering");
        QTest::addColumn<QString>("sending");
        QTest::newRow("loader answers )*LOC") << true << QByteArray(")*LOC(11H)*PFL(11H)")
                                              << QStringLiteral("SENDING *PFL COMMAND");
        QTest::newRow("normal firmware, L and ^FP") << false << QByteArray(")*LOC(11H)L11^FP")
                                                    << QStringLiteral("SENDING ^FP COMMAND");
    }
    void downloadEntersTheLoader()
    {
        QFETCH(bool, runningLoader);
        QFETCH(QByteArray, entering);
        QFETCH(QString, sending);
        auto board = loader(runningLoader ? "11:loader" : "11:firmware");
        board->setSelected(false);
        start({{0x11, board}});
        const QByteArrayList file = shortFile();
        addFile(QStringLiteral("short.hex"), file);
        chooseBoard(runningLoader ? QStringLiteral("11:LUNIT-11 READY:LDR 1.3:TYPE-VDEMO-LDR")
                                  : QStringLiteral("11F0:2.40"));
        chooseFile(QStringLiteral("short.hex"));
        program();

        // Three unanswered tests, the way in, and the test that finds the loader.
        QCOMPARE(m_line->received(), "\r\r\r" + entering + "\r" + withCRs(sentLines(file)));
        QCOMPARE(board->mode(), boardsim::LoaderBoard::Mode::Loader);
        QCOMPARE(board->lines(), sentLines(file));
        QCOMPARE(board->flashPrepared(), runningLoader);
        QCOMPARE(statusLines(), (QStringList{"LOADING FILE short.hex TO MEMORY", "CHECKING FOR THE RESIDENT LOADER.",
                                             "LOADER NOT RUNNING.", "TRYING TO ENTER LOADER.", sending,
                                             "LOADER FOUND SENDING HEX DATA!", "WARNING DO NOT POWER OFF UNTIL DONE!",
                                             "SUCCESS...", "DONE."}));
        expectEnd();
    }

    // A loader that answers its test but never a line: every line gets its wait and the
    // next follows; the end says how many lines went unacknowledged and which came first.
    void aLoaderThatNeverAcknowledges()
    {
        auto mute = loader("13:mute-loader");
        start({{0x13, mute}});
        const QByteArrayList file = shortFile();
        addFile(QStringLiteral("short.hex"), file);
        chooseFile(QStringLiteral("short.hex"));
        program();

        QCOMPARE(m_line->received(), "\r" + withCRs(sentLines(file)));
        QCOMPARE(mute->lines(), sentLines(file));
        QCOMPARE(mute->acknowledged(), 0);
        QVERIFY(!status().contains(QStringLiteral("SUCCESS...")));
        QCOMPARE(statusLines().mid(statusLines().size() - 2),
                 (QStringList{"FAILED: 4 OF 4 LINES NOT ACKNOWLEDGED (FIRST: LINE 1)", "DONE."}));
        expectEnd();
    }

    // The device goes away as the loader takes a line: the download ends at once with an
    // honest failure, Connected says the device went away, nothing hangs and no box asks;
    // once the device is back, the next Program opens the port again and succeeds.
    void theDeviceGoesAwayDuringADownload()
    {
        auto drop = loader("15:drop-loader:6");
        std::atomic<bool> dropAsked{false};
        drop->setDropHandler([&] { dropAsked = true; });
        start({{0x15, drop}});
        // The loader asks on the line thread; the line's owner drops the device.
        QTimer dropper;
        connect(&dropper, &QTimer::timeout, this, [&] {
            if (dropAsked.exchange(false))
                m_line->dropDevice();
        });
        dropper.start(1);

        const QByteArrayList file = demoLines();
        const QByteArrayList sent = sentLines(file);
        addFile(QStringLiteral("vdemo.hex"), file);
        chooseFile(QStringLiteral("vdemo.hex"));
        program();
        QVERIFY(m_line->isDropped());

        QCOMPARE(drop->lines(), sent.mid(0, 6));
        QCOMPARE(m_line->received(), "\r" + withCRs(sent.mid(0, 6)));
        const QStringList lines = statusLines();
        QCOMPARE(lines.mid(0, 4), (QStringList{"LOADING FILE vdemo.hex TO MEMORY", "CHECKING FOR THE RESIDENT LOADER.",
                                               "LOADER FOUND SENDING HEX DATA!", "WARNING DO NOT POWER OFF UNTIL DONE!"}));
        // The sixth line sent is the file's seventh (the comment is its second).
        const int missed = int(sent.size()) - drop->acknowledged();
        QCOMPARE(lines.mid(4), (QStringList{"THE DEVICE WENT AWAY: THE PORT IS CLOSED.",
                                            QStringLiteral("FAILED: %1 OF %2 LINES NOT ACKNOWLEDGED (FIRST: LINE 7)")
                                                .arg(missed)
                                                .arg(sent.size()),
                                            "DONE."}));
        expectEnd();
        QCOMPARE(connected(), QStringLiteral("Status: Port Closed, The Device Went Away"));
        const QString tip = find<QLabel>("Connected")->toolTip();
        QVERIFY2(tip.startsWith(QStringLiteral("The serial device %1 (COM1) went away at ").arg(link())), qPrintable(tip));
        QVERIFY(m_prompt->messages.isEmpty());

        m_line->clearRecord();
        QVERIFY2(m_line->restoreDevice(), qPrintable(m_line->errorString()));
        drop->lineRestored();
        const QByteArrayList shorter = shortFile();
        addFile(QStringLiteral("short.hex"), shorter);
        chooseFile(QStringLiteral("short.hex"));
        program();
        QCOMPARE(m_line->received(), "\r" + withCRs(sentLines(shorter)));
        QCOMPARE(statusLines().mid(statusLines().size() - 2), (QStringList{"SUCCESS...", "DONE."}));
        expectEnd();
        QCOMPARE(connected(), QStringLiteral("Status: Ready"));
        QCOMPARE(find<QLabel>("Connected")->toolTip(), QString());
    }
};

QTEST_MAIN(TestUpdaterEndToEnd)
#include "tst_updater_e2e.moc"
