// The Flash Updater in the console's window, offscreen, on a scripted programming line and
// the in-memory main port: the panel's controls, the rate buttons and their saved choice,
// the folder and file grid, a search and a board click, and a download through the panel
// during which the workspace cannot be left. The updater's clock is the test's.

#include "updaterbench.h"

#include "app/mainwindow.h"
#include "serial/fakeserialdriver.h"
#include "settings/settingsfile.h"
#include "testfiles.h"
#include "updater/updaterworkspace.h"
#include "widgetfind.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Reply = FakeProgrammingLine::Reply;

// A loader at 0F: it answers the search's three loader commands, CR and every line.
std::optional<Reply> loaderAt0F(const QByteArray &sent)
{
    if (sent == ")*LOC(0FH)")
        return Reply{"LUN_AT0F", 1};
    if (sent == "*VER(0FH)")
        return Reply{"V2.10", 1};
    if (sent == "*TYP(0FH)")
        return Reply{"TYPE-AB12-X", 2};
    if (sent.endsWith('\r'))
        return Reply{"\x06", 1};
    return std::nullopt;
}

void stamp(const QString &path, const QDateTime &when)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(when, QFileDevice::FileModificationTime));
}

QStringList gridColumn(const QTableWidget *grid, int column)
{
    QStringList out;
    for (int row = 0; row < grid->rowCount(); ++row) {
        const QTableWidgetItem *item = grid->item(row, column);
        out.append(item ? item->text() : QString());
    }
    return out;
}

void clickRow(QTableWidget *grid, int row)
{
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(row, 0)).center());
}

void clickItem(QListWidget *list, int row, bool twice = false)
{
    const QPoint at = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    // The view takes a double click only on the item its first click pressed.
    if (twice)
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

} // namespace

class TestUpdaterWorkspace : public QObject
{
    Q_OBJECT

    struct Console
    {
        FakeProgrammingLine line;
        ScriptedPrompt *prompt = nullptr;
        std::unique_ptr<TForm1> window;
        UpdaterWorkspace *workspace = nullptr;
        std::unique_ptr<UpdaterClock> clock;

        template<typename T>
        T *find(const char *name) const { return ::find<T>(window.get(), QString::fromLatin1(name)); }
        QString connected() const { return find<QLabel>("Connected")->text(); }
    };

    QTemporaryDir m_dir;
    QString m_ini;
    QString m_firmware;   // STARTIN

    // The console started on the settings, the Flash Updater in front.
    std::unique_ptr<Console> open(const QByteArray &extra = {})
    {
        writeFile(m_ini, "[Tester]\r\nStartProg=Flash Updater\r\nSTARTIN=" + m_firmware.toUtf8() + "\r\n" + extra);
        auto c = std::make_unique<Console>();
        auto scripted = std::make_unique<ScriptedPrompt>();
        c->prompt = scripted.get();
        ConsoleSetup setup;
        setup.settingsPath = m_ini;
        setup.driver = std::make_unique<FakeSerialDriver>();
        setup.prompt = std::move(scripted);
        setup.discoverDevices = [] { return QStringList(); };
        setup.programmingLinks = [line = &c->line] { return line->makeLink(); };
        c->window = std::make_unique<TForm1>(std::move(setup));
        c->window->show();
        c->window->Timer1Timer();
        c->window->Timer1Timer();
        c->workspace = c->window->findChild<UpdaterWorkspace *>();
        c->clock = std::make_unique<UpdaterClock>(c->line, c->workspace->updater(), c->find<QTimer>("FlashPrgTimer"));
        return c;
    }

private Q_SLOTS:
    void init()
    {
        m_ini = m_dir.filePath(QStringLiteral("iovantor.INI"));
        m_firmware = m_dir.filePath(QStringLiteral("firmware"));
        QDir(m_firmware).removeRecursively();
        QVERIFY(QDir().mkpath(m_firmware));
    }

    // The controls with their form names and captions, inside the 896 x 567 panel; the
    // saved rate choices checked; the port label and the hidden port list.
    void panelControls()
    {
        const auto c = open("BAUDAX=6\r\nBAUDX=3\r\n");
        QVERIFY(c->find<QWidget>("FlashUpdater")->isVisible());
        QCOMPARE(c->find<QWidget>("FlashUpdater")->geometry(), QRect(5, 24, 896, 567));
        const QList<QPair<const char *, const char *>> captions{
            {"SearchBoards", "Search All"}, {"Button35", "Stop Search"}, {"PgmrSearchRange", "Search Range"},
            {"Button16", "Program"},        {"Button34", "REFRESH"},     {"OpenClose", "&Open"},
            {"TestLoaderCon", "Test Connection"}};
        for (const auto &[name, caption] : captions)
            QCOMPARE(c->find<QPushButton>(name)->text(), QString::fromLatin1(caption));
        QVERIFY(!c->find<QPushButton>("OpenClose")->isVisible());
        QVERIFY(!c->find<QPushButton>("TestLoaderCon")->isVisible());
        QVERIFY(!c->find<QWidget>("PBAR")->isVisible());
        QVERIFY(!c->find<QWidget>("RxData")->isVisible());
        QVERIFY(!c->find<QWidget>("xCommsList")->isVisible());
        QCOMPARE(c->find<QLabel>("Label117")->text(), QStringLiteral("Ready"));
        QCOMPARE(c->find<QLineEdit>("Filename")->text(), QStringLiteral("*.hex"));

        QStringList titles;
        for (const QGroupBox *group : c->find<QWidget>("FlashUpdater")->findChildren<QGroupBox *>())
            titles.append(group->title());
        QCOMPARE(titles, (QStringList{"Discovery Baudrate ", "Programming Baudrate ", " Programming Comm Port"}));

        for (const char *name : {"BAUDX0", "BAUDX1", "BAUDX2"})
            QVERIFY(!c->find<QRadioButton>(name)->isEnabled());
        QVERIFY(c->find<QRadioButton>("BAUDX3")->isChecked());
        QVERIFY(c->find<QRadioButton>("BAUDAX06")->isChecked());
        QCOMPARE(c->find<QComboBox>("SCANFIRST")->count(), 256);
        QCOMPARE(c->find<QComboBox>("SCANLAST")->itemText(255), QStringLiteral("FF"));

        auto *grid = c->find<QTableWidget>("PrgFileList");
        QCOMPARE(grid->horizontalHeaderItem(0)->text(), QStringLiteral("File Name"));
        QCOMPARE(grid->horizontalHeaderItem(1)->text(), QStringLiteral("Date Modified"));
        QCOMPARE(grid->columnWidth(0), 240);
        QCOMPARE(grid->columnWidth(1), 129);

        // Every control the operator sees lies inside the panel.
        const QWidget *panel = c->find<QWidget>("FlashUpdater");
        for (const QWidget *child : panel->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
            if (child->isVisible())
                QVERIFY2(panel->rect().contains(child->geometry()), qPrintable(child->objectName()));
        }

        c->window->setPortField(QStringLiteral("COM4"));
        c->workspace->portFieldChanged(QStringLiteral("COM4"));
        QCOMPARE(c->find<QLabel>("CommsList")->text(), QStringLiteral("COM4"));
        c->workspace->portsEnumerated({"COM1", "COM3", "COM12"});
        QCOMPARE(c->workspace->availablePorts(), (QStringList{"COM1", "COM3", "COM12"}));
        QCOMPARE(c->find<QComboBox>("xCommsList")->currentText(), QStringLiteral("COM12"));
    }

    // A click on a rate button closes the programming port; the choice is written at close.
    void rateButtonClosesThePortAndIsSaved()
    {
        auto c = open("BAUDAX=6\r\n");
        c->find<QPushButton>("OpenClose")->click();
        QCOMPARE(c->connected(), QStringLiteral("Status: Port Open"));
        QCOMPARE(c->find<QPushButton>("OpenClose")->text(), QStringLiteral("&Close"));
        c->find<QRadioButton>("BAUDAX02")->click();
        QCOMPARE(c->connected(), QStringLiteral("Status: Ready"));
        QCOMPARE(c->find<QPushButton>("OpenClose")->text(), QStringLiteral("&Open"));
        QCOMPARE(c->line.portEvents(), (QList<QByteArray>{"open 1 115200", "close"}));
        // The discovery port now opens at 4800.
        c->workspace->updater().OpenDiscoveryPort();
        QCOMPARE(c->line.portEvents().constLast(), QByteArray("open 1 4800"));
        c->window->close();
        c.reset();
        QCOMPARE(SettingsFile(m_ini).readString("BAUDAX", {}), QStringLiteral("2"));
        QCOMPARE(SettingsFile(m_ini).readString("BAUDX", {}), QStringLiteral("3"));
    }

    // A disabled programming rate chosen by hand in the settings file is shown checked, and
    // the programming port still opens at 115200; the choice is written back as it was.
    void disabledProgrammingRateOpensAt115200_data()
    {
        QTest::addColumn<int>("baudx");
        QTest::newRow("BAUDX=0 (9600)") << 0;
        QTest::newRow("BAUDX=1 (19200)") << 1;
        QTest::newRow("BAUDX=2 (38400)") << 2;
    }
    void disabledProgrammingRateOpensAt115200()
    {
        QFETCH(int, baudx);
        auto c = open("BAUDX=" + QByteArray::number(baudx) + "\r\n");
        QVERIFY(c->find<QRadioButton>(qPrintable(QStringLiteral("BAUDX%1").arg(baudx)))->isChecked());
        c->find<QPushButton>("OpenClose")->click();
        QCOMPARE(c->line.portEvents(), QList<QByteArray>{"open 1 115200"});
        c->window->close();
        c.reset();
        QCOMPARE(SettingsFile(m_ini).readString("BAUDX", {}), QString::number(baudx));
    }

    // The grid lists the folder's firmware files newest first with their dates and one empty
    // row; the empty row changes nothing; a file click takes its name and type; REFRESH and a
    // folder change read the files again, and the folder is saved as STARTIN.
    void folderAndFileGrid()
    {
        writeFile(m_firmware + "/may1.hex", "TYPE-ABCD-X\r\n:00000001FF\r\n");
        writeFile(m_firmware + "/may3.hex", ":00000001FF\r\n");
        writeFile(m_firmware + "/may2.HEX", "TYPE-ef01\r\n");
        writeFile(m_firmware + "/readme.txt", "not firmware");
        stamp(m_firmware + "/may1.hex", QDateTime(QDate(2006, 5, 1), QTime(8, 0)));
        stamp(m_firmware + "/may3.hex", QDateTime(QDate(2006, 5, 3), QTime(13, 45)));
        stamp(m_firmware + "/may2.HEX", QDateTime(QDate(2006, 5, 2), QTime(23, 59)));
        QVERIFY(QDir(m_firmware).mkdir("old"));
        writeFile(m_firmware + "/old/older.hex", ":00000001FF\r\n");

        auto c = open();
        auto *grid = c->find<QTableWidget>("PrgFileList");
        QCOMPARE(gridColumn(grid, 0), (QStringList{"may3.hex", "may2.HEX", "may1.hex", ""}));
        QCOMPARE(gridColumn(grid, 1), (QStringList{"05/03/2006 01:45 PM", "05/02/2006 11:59 PM", "05/01/2006 08:00 AM", ""}));
        FlashUpdater &updater = c->workspace->updater();

        clickRow(grid, 3);
        QCOMPARE(c->find<QLineEdit>("Filename")->text(), QStringLiteral("*.hex"));
        QVERIFY(updater.FirmwareLines.isEmpty());

        clickRow(grid, 2);
        QCOMPARE(c->find<QLineEdit>("Filename")->text(), QStringLiteral("may1.hex"));
        QCOMPARE(updater.SelectedFileType, QStringLiteral("ABCD"));
        QCOMPARE(updater.FirmwareLines, (QStringList{"TYPE-ABCD-X", ":00000001FF"}));
        clickRow(grid, 1);
        QCOMPARE(updater.SelectedFileType, QStringLiteral("EF01"));
        clickRow(grid, 0);
        QCOMPARE(updater.SelectedFileType, QStringLiteral("0"));

        writeFile(m_firmware + "/newest.hex", ":00000001FF\r\n");
        c->find<QPushButton>("Button34")->click();
        QCOMPARE(gridColumn(grid, 0).constFirst(), QStringLiteral("newest.hex"));
        QCOMPARE(c->find<QLineEdit>("Filename")->text(), QStringLiteral("*.hex"));

        auto *folders = c->find<QListWidget>("DirectoryListBox1");
        const int old = folders->count() - 1;
        QCOMPARE(folders->item(old)->text().trimmed(), QStringLiteral("old"));
        clickItem(folders, old, true);
        QCOMPARE(gridColumn(grid, 0), (QStringList{"older.hex", ""}));
        QCOMPARE(c->workspace->folder(), m_firmware + "/old");
        c->window->close();
        c.reset();
        QCOMPARE(SettingsFile(m_ini).readString("STARTIN", {}), QDir::toNativeSeparators(m_firmware + "/old"));
    }

    // The range choosers set the bus scan's range; a search over it lists the loader at 0F,
    // and a click on its entry takes the board's type.
    void searchRangeAndBoardClick()
    {
        auto c = open();
        c->line.responder = loaderAt0F;
        auto *first = c->find<QComboBox>("SCANFIRST");
        auto *last = c->find<QComboBox>("SCANLAST");
        first->setCurrentIndex(0x0E);
        Q_EMIT first->activated(0x0E);
        last->setCurrentIndex(0x0F);
        Q_EMIT last->activated(0x0F);
        QCOMPARE(c->find<QLineEdit>("FSCANADR")->text(), QStringLiteral("0E"));
        QCOMPARE(c->find<QLineEdit>("LSCANADR")->text(), QStringLiteral("0F"));

        c->find<QPushButton>("PgmrSearchRange")->click();
        QVERIFY(c->clock->runUntil([&] { return c->find<QPushButton>("PgmrSearchRange")->text() == "SEARCH 0F"; }));
        QVERIFY(c->clock->runToIdle());
        QCOMPARE(c->find<QPushButton>("PgmrSearchRange")->text(), QStringLiteral("Search Range"));
        auto *boards = c->find<QListWidget>("ListBox1");
        QCOMPARE(boards->count(), 1);
        QCOMPARE(boards->item(0)->text(), QStringLiteral("0F:LUN_AT0F:V2.10:TYPE-AB12-X"));
        QCOMPARE(c->line.sends().constFirst(), QByteArray(")*L0E"));
        clickItem(boards, 0);
        QCOMPARE(c->workspace->updater().SelectedBoardType, QStringLiteral("AB12"));
        QCOMPARE(c->connected(), QStringLiteral("Status: Ready"));

        // An edit of the range on the Scan Defaults page shows on the next entry.
        c->find<QLineEdit>("FSCANADR")->setText(QStringLiteral("2a"));
        c->find<QLineEdit>("LSCANADR")->setText(QStringLiteral("C0"));
        auto *strip = c->find<QTabBar>("TabControl1");
        const int updaterTab = strip->currentIndex();
        strip->setCurrentIndex(strip->count() - 1);
        strip->setCurrentIndex(updaterTab);
        QCOMPARE(first->currentText(), QStringLiteral("2A"));
        QCOMPARE(last->currentText(), QStringLiteral("C0"));
    }

    // A download through the panel: the progress panel and the status memo while the lines
    // go out, a refused workspace change, and the end. With VANTOR_SHOT_DIR set, a picture of
    // the window mid-download is written there as updater.png.
    void downloadThroughThePanel()
    {
        QStringList text{QStringLiteral("TYPE-AB12-X")};
        for (int i = 0; i < 120; ++i)
            text.append(QStringLiteral(":00000001FF"));
        writeFile(m_firmware + "/board.hex", text.join("\r\n").toLatin1());
        auto c = open();
        c->line.responder = loaderAt0F;
        c->find<QComboBox>("SCANFIRST")->setCurrentIndex(0x0F);
        Q_EMIT c->find<QComboBox>("SCANFIRST")->activated(0x0F);
        c->find<QPushButton>("PgmrSearchRange")->click();
        QVERIFY(c->clock->runToIdle());
        clickItem(c->find<QListWidget>("ListBox1"), 0);
        clickRow(c->find<QTableWidget>("PrgFileList"), 0);

        c->find<QPushButton>("Button16")->click();
        FlashUpdater &updater = c->workspace->updater();
        QVERIFY(c->prompt->questions.isEmpty());   // the types agree, the records are sound
        QVERIFY(c->clock->runUntil([&] { return updater.ProgrammingActive && c->find<QProgressBar>("ProgressBar1")->value() >= 50; }));
        QVERIFY(c->find<QWidget>("PBAR")->isVisible());
        QCOMPARE(c->find<QLabel>("Label117")->text(), QStringLiteral("42%"));
        QCOMPARE(c->connected(), QStringLiteral("Status: Port Open Sending"));
        QCOMPARE(c->find<QPlainTextEdit>("ProgStatus")->toPlainText(),
                 QStringLiteral("LOADING FILE board.hex TO MEMORY\nCHECKING FOR THE RESIDENT LOADER.\n"
                                "LOADER FOUND SENDING HEX DATA!\nWARNING DO NOT POWER OFF UNTIL DONE!"));
        const QString shots = qEnvironmentVariable("VANTOR_SHOT_DIR");
        if (!shots.isEmpty())
            QVERIFY(c->window->grab().save(shots + "/updater.png"));

        // The tab strip may show another tab; the updater stays in front and keeps sending.
        auto *strip = c->find<QTabBar>("TabControl1");
        const int sequencer = [&] {
            for (int i = 0; i < strip->count(); ++i)
                if (strip->tabText(i) == QLatin1String("Sequencer"))
                    return i;
            return -1;
        }();
        strip->setCurrentIndex(sequencer);
        QCOMPARE(c->window->currentWorkspace(), static_cast<Workspace *>(c->workspace));
        QVERIFY(c->find<QWidget>("FlashUpdater")->isVisible());
        QVERIFY(c->clock->runToIdle());
        QCOMPARE(c->line.sends().size(), 4 + 1 + 121);   // the search, one CR, the lines
        QCOMPARE(c->line.portEvents().count("close"), 2);  // the search's and the download's

        QVERIFY(!c->find<QWidget>("PBAR")->isVisible());
        QCOMPARE(c->find<QLabel>("Label117")->text(), QStringLiteral("Ready"));
        QCOMPARE(c->find<QProgressBar>("ProgressBar1")->value(), 0);
        QVERIFY(c->find<QPlainTextEdit>("ProgStatus")->toPlainText().endsWith("SUCCESS...\nDONE."));

        // Once it is done, the workspace can be left.
        strip->setCurrentIndex(0);
        strip->setCurrentIndex(sequencer);
        QVERIFY(!c->find<QWidget>("FlashUpdater")->isVisible());
    }
};

QTEST_MAIN(TestUpdaterWorkspace)
#include "tst_updaterworkspace.moc"
