// The Function Keys page inside the console: start-up fills it from the settings file, and
// the closing write takes an edit still open in the grid.

#include "startconsole.h"
#include "testfiles.h"
#include "widgetfind.h"

#include "serial/fakeserialdriver.h"
#include "settings/settingsfile.h"
#include "terminal/keygridview.h"

#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

class TestFunctionKeysConsole : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startUpAndClosingWrite()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("iovantor.INI"));
        writeFile(ini, "[Tester]\r\n"
                       "KeySetSel=1\r\n"
                       "CFGSETSEL2=BENCH\r\n"
                       "F65TEXT=RESET\r\nF65MACRO=L01~013\r\n"
                       "F66TEXT=KEEP\r\nF66MACRO=R5E\r\n"
                       "KEYSDRIVE=\r\nKEYSDIR=/srv/keys/\r\nKEYSFILE=bench.txt\r\n");
        auto driver = std::make_unique<FakeSerialDriver>();
        driver->addPort(1);
        std::unique_ptr<TForm1> window = startConsole(ini, std::move(driver));

        auto *set2 = find<QPushButton>(window.get(), QStringLiteral("CFGSETSEL2"));
        QVERIFY(set2->isChecked());
        QCOMPARE(set2->text(), QStringLiteral("BENCH"));
        QCOMPARE(find<QPushButton>(window.get(), QStringLiteral("F1S"))->text(), QStringLiteral("RESET"));
        QCOMPARE(find<QPushButton>(window.get(), QStringLiteral("F3S"))->text(), QStringLiteral("F3"));
        QCOMPARE(find<QLabel>(window.get(), QStringLiteral("CurrentKeyFile"))->text(), QStringLiteral("/srv/keys/bench.txt"));
        auto *grid = find<KeyGridView>(window.get(), QStringLiteral("FKeyGrid"));
        QCOMPARE(grid->model()->index(0, 2).data().toString(), QStringLiteral("L01~013"));

        // A row move can be undone until another page or workspace is shown.
        auto *undo = find<QPushButton>(window.get(), QStringLiteral("UndoMoveButton"));
        auto *pages = find<QTabBar>(window.get(), QStringLiteral("TabControl2"));
        auto *strip = find<QTabBar>(window.get(), QStringLiteral("TabControl1"));
        const auto showTab = [](QTabBar *tabs, const QString &caption) {
            for (int i = 0; i < tabs->count(); ++i) {
                if (tabs->tabText(i) == caption)
                    tabs->setCurrentIndex(i);
            }
        };
        showTab(strip, QStringLiteral("Configuration Menu"));
        QVERIFY(grid->isVisible());
        const auto dragRow = [&](int from, int to) {
            QWidget *viewport = grid->viewport();
            QTest::mousePress(viewport, Qt::LeftButton, {}, grid->visualRect(grid->model()->index(from - 1, 0)).center());
            QTest::mouseRelease(viewport, Qt::LeftButton, {}, grid->visualRect(grid->model()->index(to - 1, 0)).center());
        };
        dragRow(5, 6);
        QVERIFY(undo->isEnabled());
        pages->setCurrentIndex(1);
        QVERIFY(!undo->isEnabled());
        pages->setCurrentIndex(0);
        dragRow(6, 5);
        QVERIFY(undo->isEnabled());
        showTab(strip, QStringLiteral("Terminal Emulator"));
        QVERIFY(!undo->isEnabled());
        showTab(strip, QStringLiteral("Configuration Menu"));
        QVERIFY(!undo->isEnabled());

        // An edit the grid has not committed yet, then the window closes.
        QVERIFY(grid->model()->setData(grid->model()->index(2, 1), QStringLiteral("NEW")));
        window->close();
        const SettingsFile file(ini);
        QCOMPARE(file.readString(QStringLiteral("F67TEXT"), QStringLiteral("<absent>")), QStringLiteral("NEW"));
        QCOMPARE(file.readString(QStringLiteral("F67MACRO"), QStringLiteral("<absent>")), QString());
        QCOMPARE(file.readString(QStringLiteral("F66TEXT"), {}), QStringLiteral("KEEP"));
        QVERIFY(!file.contains(QStringLiteral("F68TEXT")));
        QCOMPARE(file.readInteger(QStringLiteral("KeySetSel"), -1), 1);
        QCOMPARE(file.readString(QStringLiteral("CFGSETSEL2"), {}), QStringLiteral("BENCH"));
    }
};

QTEST_MAIN(TestFunctionKeysConsole)
#include "tst_functionkeysconsole.moc"
