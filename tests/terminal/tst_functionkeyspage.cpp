// The Function Keys page and the terminal's key panel, offscreen, with scripted boxes: the
// row drag and its undo, edits committed by a set switch, the row clipboard and the
// caption follow-up, CLEAR SUBSET, the caption panel, the key buttons of both panels and
// the panel's layout, and the four key-set file commands with the overwrite question,
// backups, refusals and failed writes.

#include "fakeconsole.h"
#include "testfiles.h"
#include "widgetfind.h"

#include "serial/fakeserialdriver.h"
#include "settings/settingsfile.h"
#include "terminal/functionkeys.h"
#include "terminal/functionkeyspage.h"
#include "terminal/keyfilelocation.h"
#include "terminal/keygridmodel.h"
#include "terminal/keygridview.h"
#include "terminal/keypanel.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

KeyText original(int set, int k)
{
    return {QStringLiteral("L%1.%2").arg(set).arg(k), QStringLiteral("D%1.%2").arg(set).arg(k)};
}

void fillKeys(FunctionKeyTable &keys)
{
    for (int set = 0; set < FunctionKeyTable::Sets; ++set) {
        for (int k = 1; k <= 64; ++k) {
            const KeyText text = original(set, k);
            keys.setKey(FunctionKeyTable::keyNumber(set, k), text.label, text.data);
        }
    }
    keys.clearChanged();
}

KeyText keyOf(const FunctionKeyTable &keys, int set, int k)
{
    const int n = FunctionKeyTable::keyNumber(set, k);
    return {keys.label(n), keys.data(n)};
}

struct Fixture
{
    QTemporaryDir dir;
    std::unique_ptr<FakeConsole> console;
    FunctionKeyTable keys;
    QWidget host;
    std::unique_ptr<FunctionKeysPage> page;

    Fixture()
    {
        console = std::make_unique<FakeConsole>(std::make_unique<FakeSerialDriver>(), dir.filePath(QStringLiteral("t.INI")));
        fillKeys(keys);
        host.resize(880, 490);
        page = std::make_unique<FunctionKeysPage>(keys, *console, &host);
        page->setHomeFolder(dir.path());
        page->setDrives({QStringLiteral("/"), dir.path()});
        host.show();
        host.activateWindow();
        if (!QTest::qWaitForWindowActive(&host))
            qFatal("the page never became active");
    }

    template<typename T>
    T *control(const QString &name) const { return find<T>(&host, name); }
    QPushButton *button(const QString &name) const { return control<QPushButton>(name); }
    KeyGridView *view() const { return page->gridView(); }
    KeyGridModel &grid() const { return page->grid(); }
    ScriptedPrompt &boxes() const { return console->boxes; }
    QString path(const QString &name) const { return dir.filePath(name); }
    QRect cell(int r, int column) const { return view()->visualRect(grid().index(r - 1, column)); }

    void selectCell(int r, int column) const
    {
        view()->setFocus();
        view()->setCurrentIndex(grid().index(r - 1, column));
    }
    QString settingsValue(const char *name) const
    {
        const SettingsFile file(console->settingsPath());
        return file.readString(QString::fromLatin1(name), QStringLiteral("<absent>"));
    }
};

} // namespace

class TestFunctionKeysPage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pageShowsTheCurrentSet()
    {
        Fixture f;
        f.keys.setCurrentKeySet(2);
        f.keys.setSetName(2, QStringLiteral("R&D"));
        f.page->showKeySet();
        QVERIFY(f.button(QStringLiteral("CFGSETSEL3"))->isChecked());
        QCOMPARE(f.button(QStringLiteral("CFGSETSEL3"))->text(), QStringLiteral("R&&D"));
        QCOMPARE(f.button(QStringLiteral("CFGSETSEL16"))->text(), QStringLiteral("SET 16"));
        QCOMPARE(f.button(QStringLiteral("F7S"))->text(), QStringLiteral("L2.7"));
        QCOMPARE(f.page->gridData(12), QStringLiteral("D2.12"));
        QVERIFY(!f.button(QStringLiteral("UndoMoveButton"))->isEnabled());
        QVERIFY(!f.control<QWidget>(QStringLiteral("CaptionSetPanel"))->isVisible());
    }

    void rowDragOntoAnotherRowAndItsUndo()
    {
        Fixture f;
        QWidget *viewport = f.view()->viewport();
        const QRect from = f.cell(3, 0);
        const QRect to = f.cell(10, 0);
        QVERIFY(viewport->rect().contains(to.center()));
        QTest::mousePress(viewport, Qt::LeftButton, {}, from.center());
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, to.center());

        QCOMPARE(keyOf(f.keys, 0, 10), original(0, 3));
        QCOMPARE(keyOf(f.keys, 0, 3), KeyText());
        for (int k = 4; k <= 9; ++k)
            QCOMPARE(keyOf(f.keys, 0, k), original(0, k));
        QVERIFY(f.keys.changed(3) && f.keys.changed(10) && !f.keys.changed(4));
        QCOMPARE(f.button(QStringLiteral("F10S"))->text(), QStringLiteral("L0.3"));
        QCOMPARE(f.button(QStringLiteral("F3S"))->text(), QStringLiteral("F3"));

        QPushButton *undo = f.button(QStringLiteral("UndoMoveButton"));
        QVERIFY(undo->isEnabled());
        QTest::mouseClick(undo, Qt::LeftButton);
        QCOMPARE(keyOf(f.keys, 0, 3), original(0, 3));
        QCOMPARE(keyOf(f.keys, 0, 10), original(0, 10));
        QCOMPARE(f.grid().row(10), original(0, 10));
        QCOMPARE(f.button(QStringLiteral("F10S"))->text(), QStringLiteral("L0.10"));
        QVERIFY(!undo->isEnabled());

        // No second undo: the next drag is undone on its own, and only once.
        f.grid().setRow(3, {QStringLiteral("EDIT"), QString()});
        QTest::mouseClick(undo, Qt::LeftButton);
        QCOMPARE(f.grid().row(3).label, QStringLiteral("EDIT"));
    }

    // Rows below the visible ones are reached by holding the drag at the bottom edge.
    void aDragHeldAtTheEdgeScrollsToFarRows()
    {
        Fixture f;
        QWidget *viewport = f.view()->viewport();
        QScrollBar *bar = f.view()->verticalScrollBar();
        QTest::mousePress(viewport, Qt::LeftButton, {}, f.cell(3, 0).center());
        const int x = f.cell(3, 0).center().x();
        QTest::mouseMove(viewport, QPoint(x, viewport->height() - 2));
        QTRY_VERIFY(bar->value() >= 6);
        const QPoint middle(x, viewport->height() / 2);
        QTest::mouseMove(viewport, middle);
        const int stoppedAt = bar->value();
        const int target = f.view()->rowAt(middle.y()) + 1;
        QVERIFY(target > 10);   // beyond the rows shown at first
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, middle);
        QCOMPARE(bar->value(), stoppedAt);
        QCOMPARE(keyOf(f.keys, 0, target), original(0, 3));
        QCOMPARE(keyOf(f.keys, 0, 3), KeyText());
    }

    void aDragReleasedOnItsOwnRowOrOutsideMovesNothing()
    {
        Fixture f;
        QWidget *viewport = f.view()->viewport();
        QTest::mousePress(viewport, Qt::LeftButton, {}, f.cell(2, 0).center());
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, f.cell(2, 0).center() + QPoint(0, 3));
        QTest::mousePress(viewport, Qt::LeftButton, {}, f.cell(2, 0).center());
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(viewport->width() - 2, 5000));
        QVERIFY(!f.button(QStringLiteral("UndoMoveButton"))->isEnabled());
        QCOMPARE(keyOf(f.keys, 0, 2), original(0, 2));
    }

    void undoIsDroppedBySetAndPageChanges()
    {
        Fixture f;
        f.page->FKeyGridRowMoved(1, 2);
        QVERIFY(f.button(QStringLiteral("UndoMoveButton"))->isEnabled());
        f.page->dropUndo();
        QVERIFY(!f.button(QStringLiteral("UndoMoveButton"))->isEnabled());

        f.page->FKeyGridRowMoved(3, 4);
        f.host.hide();
        QVERIFY(!f.button(QStringLiteral("UndoMoveButton"))->isEnabled());
        f.host.show();

        f.page->FKeyGridRowMoved(5, 6);
        QTest::mouseClick(f.button(QStringLiteral("CFGSETSEL2")), Qt::LeftButton);
        QVERIFY(!f.button(QStringLiteral("UndoMoveButton"))->isEnabled());
        f.page->UndoMoveButtonClick();
        QCOMPARE(keyOf(f.keys, 0, 6), original(0, 5));
        QCOMPARE(keyOf(f.keys, 1, 5), original(1, 5));
    }

    // An edit in the grid, then another set button: the edit lands in the old set, marked
    // for the exit save, and the grid shows the new set.
    void editThenSetSwitchCommitsToTheOldSet()
    {
        Fixture f;
        f.selectCell(2, KeyGridModel::LabelColumn);
        QTest::keyClick(f.view(), Qt::Key_F2);   // the cell editor
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, QStringLiteral("GO"));
        QCOMPARE(f.keys.label(2), QStringLiteral("L0.2"));

        QSignalSpy chosen(f.page.get(), &FunctionKeysPage::currentSetChanged);
        QTest::mouseClick(f.button(QStringLiteral("CFGSETSEL3")), Qt::LeftButton);
        QCOMPARE(f.keys.label(2), QStringLiteral("GO"));
        QVERIFY(f.keys.changed(2));
        QCOMPARE(f.keys.currentKeySet(), 2);
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen.at(0).at(0).toInt(), 2);
        QCOMPARE(f.grid().row(2), original(2, 2));
        QVERIFY(f.button(QStringLiteral("CFGSETSEL3"))->isChecked());
        QVERIFY(!f.button(QStringLiteral("CFGSETSEL1"))->isChecked());
        QCOMPARE(f.button(QStringLiteral("F2S"))->text(), QStringLiteral("L2.2"));
    }

    void gridLosingFocusCommits()
    {
        Fixture f;
        f.selectCell(4, KeyGridModel::DataColumn);
        f.grid().setData(f.grid().index(3, KeyGridModel::DataColumn), QStringLiteral("SENT"));
        f.button(QStringLiteral("Button19"))->setFocus();
        QCOMPARE(f.keys.data(4), QStringLiteral("SENT"));
        QVERIFY(f.keys.changed(4));
    }

    void rowCopyAndPasteWithTheKeyboard()
    {
        Fixture f;
        f.selectCell(4, KeyGridModel::LabelColumn);
        QTest::keyClick(f.view(), Qt::Key_C, Qt::ControlModifier);
        f.selectCell(9, KeyGridModel::DataColumn);
        QTest::keyClick(f.view(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(f.grid().row(9), original(0, 4));
        QCOMPARE(f.keys.label(9), QStringLiteral("L0.9"));   // committed later, as any edit

        // Without a selection neither does anything.
        f.view()->clearSelection();
        f.grid().copyRow(1);
        QTest::keyClick(f.view(), Qt::Key_C, Qt::ControlModifier);
        QTest::keyClick(f.view(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(f.grid().clipboard(), original(0, 1));
        QCOMPARE(f.grid().row(9), original(0, 4));
    }

    // The key button of an edited row follows its label on Enter, or at the next cell
    // selection after typing, and takes the label as it stands.
    void captionFollowsAnEditedLabel()
    {
        Fixture f;
        f.selectCell(6, KeyGridModel::LabelColumn);
        QTest::keyClick(f.view(), Qt::Key_F2);
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, QStringLiteral("ZAP"));
        QCOMPARE(f.grid().pendingCaptionRow(), 6);
        QCOMPARE(f.button(QStringLiteral("F6S"))->text(), QStringLiteral("L0.6"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(f.button(QStringLiteral("F6S"))->text(), QStringLiteral("ZAP"));
        QCOMPARE(f.grid().pendingCaptionRow(), 0);

        // Typed, then another cell: an emptied label leaves an empty caption.
        f.selectCell(7, KeyGridModel::LabelColumn);
        QTest::keyClick(f.view(), Qt::Key_F2);
        editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClick(editor, Qt::Key_Delete);
        QCOMPARE(f.button(QStringLiteral("F7S"))->text(), QStringLiteral("L0.7"));
        QTest::mouseClick(f.view()->viewport(), Qt::LeftButton, {}, f.cell(8, KeyGridModel::DataColumn).center());
        QCOMPARE(f.grid().row(7).label, QString());
        QCOMPARE(f.button(QStringLiteral("F7S"))->text(), QString());
        // The next ShowKeySet gives it the key's name again.
        f.page->showKeySet();
        QCOMPARE(f.button(QStringLiteral("F7S"))->text(), QStringLiteral("F7"));
    }

    void clearSubset_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }
    void clearSubset()
    {
        QFETCH(bool, ok);
        Fixture f;
        QTest::mouseClick(f.button(QStringLiteral("CFGSETSEL4")), Qt::LeftButton);
        f.boxes().answers = {ok ? OperatorPrompt::Answer::Yes : OperatorPrompt::Answer::Cancel};
        QTest::mouseClick(f.button(QStringLiteral("Button24")), Qt::LeftButton);
        QCOMPARE(f.boxes().questions.size(), 1);
        QCOMPARE(f.boxes().questions.at(0).title, QString());
        QCOMPARE(f.boxes().questions.at(0).text, QStringLiteral("ARE YOU SURE YOU WANT TO CLEAR SUBSET?"));
        for (int k = 1; k <= 64; ++k) {
            const int n = FunctionKeyTable::keyNumber(3, k);
            QCOMPARE(keyOf(f.keys, 3, k), ok ? KeyText() : original(3, k));
            QCOMPARE(f.grid().row(k), ok ? KeyText() : original(3, k));
            QCOMPARE(f.keys.changed(n), ok);
        }
        QCOMPARE(keyOf(f.keys, 2, 64), original(2, 64));
        QCOMPARE(keyOf(f.keys, 4, 1), original(4, 1));
        QVERIFY(!f.keys.changed(FunctionKeyTable::keyNumber(4, 1)));
    }

    void captionPanel()
    {
        Fixture f;
        QSignalSpy renamed(f.page.get(), &FunctionKeysPage::setCaptionsChanged);
        auto *panel = f.control<QWidget>(QStringLiteral("CaptionSetPanel"));
        auto *current = f.control<QLabel>(QStringLiteral("CurrentCaption"));
        auto *edit = f.control<QLineEdit>(QStringLiteral("NewCaption"));

        QTest::mouseClick(f.button(QStringLiteral("Button19")), Qt::LeftButton);
        QVERIFY(panel->isVisible());
        QCOMPARE(current->text(), QStringLiteral("SET 1"));
        QCOMPARE(edit->text(), QStringLiteral("SET 1"));
        edit->setText(QStringLiteral("IGNORED"));
        QTest::mouseClick(f.button(QStringLiteral("Button21")), Qt::LeftButton);
        QVERIFY(!panel->isVisible());
        QCOMPARE(f.keys.setName(0), QStringLiteral("SET 1"));
        QCOMPARE(renamed.size(), 0);

        // A double click on a set button chooses the set and opens the panel for it.
        QTest::mouseClick(f.button(QStringLiteral("CFGSETSEL5")), Qt::LeftButton);
        QTest::mouseDClick(f.button(QStringLiteral("CFGSETSEL5")), Qt::LeftButton);
        QCOMPARE(f.keys.currentKeySet(), 4);
        QVERIFY(panel->isVisible());
        QCOMPARE(current->text(), QStringLiteral("SET 5"));
        edit->setText(QStringLiteral("BENCH"));
        QTest::mouseClick(f.button(QStringLiteral("Button20")), Qt::LeftButton);
        QVERIFY(!panel->isVisible());
        QCOMPARE(f.keys.setName(4), QStringLiteral("BENCH"));
        QCOMPARE(f.button(QStringLiteral("CFGSETSEL5"))->text(), QStringLiteral("BENCH"));
        QCOMPARE(renamed.size(), 1);
        QCOMPARE(f.keys.setName(0), QStringLiteral("SET 1"));
    }

    void gotoTableLineScrollsTheKeyToTheTop()
    {
        Fixture f;
        QScrollBar *bar = f.view()->verticalScrollBar();
        QTest::mouseClick(f.button(QStringLiteral("F20S")), Qt::LeftButton);
        QCOMPARE(bar->value(), 19);
        QCOMPARE(f.view()->rowAt(2), 19);
        QVERIFY(f.view()->hasFocus());
        QTest::mouseClick(f.button(QStringLiteral("F64S")), Qt::LeftButton);
        QCOMPARE(bar->value(), bar->maximum());
        QVERIFY(bar->maximum() < 63);
    }

    void keyWithDataButNoLabel()
    {
        Fixture f;
        f.keys.setKey(2, QString(), QStringLiteral("R5E"));
        KeyPanel panel(f.keys);
        f.page->showKeySet();
        QCOMPARE(panel.keyButton(2)->text(), QString());
        QCOMPARE(f.button(QStringLiteral("F2S"))->text(), QStringLiteral("F2"));
        QCOMPARE(panel.keyButton(1)->text(), QStringLiteral("L0.1"));
    }

    void keyPanelCaptionsAndSignals()
    {
        Fixture f;
        f.keys.setKey(5, QStringLiteral("EMPTY"), QString());
        f.keys.setSetName(2, QStringLiteral("A&B"));
        KeyPanel panel(f.keys);
        QCOMPARE(panel.objectName(), QStringLiteral("Panel20"));
        QCOMPARE(find<QPushButton>(&panel, QStringLiteral("SETSEL3"))->text(), QStringLiteral("A&&B"));
        QCOMPARE(find<QPushButton>(&panel, QStringLiteral("SETSEL3"))->property("Tag").toInt(), 2);
        QCOMPARE(find<QPushButton>(&panel, QStringLiteral("F64"))->property("Tag").toInt(), 64);
        QVERIFY(panel.setButton(0)->isChecked());
        panel.resize(800, KeyPanel::PreferredHeight);
        panel.show();

        QSignalSpy pressed(&panel, &KeyPanel::keyPressed);
        QTest::mouseClick(panel.keyButton(3), Qt::LeftButton);
        QTest::mouseClick(panel.keyButton(5), Qt::LeftButton);   // empty data still reported
        QCOMPARE(pressed.size(), 2);
        QCOMPARE(pressed.at(0).at(0).toString(), QStringLiteral("D0.3"));
        QCOMPARE(pressed.at(1).at(0).toString(), QString());

        QSignalSpy chosen(&panel, &KeyPanel::keySetChosen);
        QTest::mouseClick(panel.setButton(8), Qt::LeftButton);
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen.at(0).at(0).toInt(), 8);
        QCOMPARE(f.keys.currentKeySet(), 8);
        QVERIFY(panel.setButton(8)->isChecked());
        QVERIFY(!panel.setButton(0)->isChecked());
        QCOMPARE(panel.keyButton(1)->text(), QStringLiteral("L8.1"));
        QTest::mouseClick(panel.keyButton(64), Qt::LeftButton);
        QCOMPARE(pressed.at(2).at(0).toString(), QStringLiteral("D8.64"));
    }

    void keyPanelLayout_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("800 x 300") << QSize(800, 300);
        QTest::newRow("641 x 420") << QSize(641, 420);
        QTest::newRow("1000 x 234") << QSize(1000, 234);
    }
    void keyPanelLayout()
    {
        QFETCH(QSize, size);
        FunctionKeyTable keys;
        KeyPanel panel(keys);
        panel.resize(400, 240);
        panel.show();
        panel.resize(size);
        QVERIFY(QTest::qWaitFor([&] { return panel.size() == size; }));
        const int width = size.width() / 8 - 1;
        const int step = KeyPanel::ButtonHeight + 2;
        for (int set = 0; set < 16; ++set) {
            const QRect expected((set % 8) * width + 4, (set / 8) * step + 3, width, KeyPanel::ButtonHeight);
            QCOMPARE(panel.setButton(set)->geometry(), expected);
        }
        for (int k = 1; k <= 64; ++k) {
            const int row = (k - 1) / 8;
            const QRect expected(((k - 1) % 8) * width + 4, size.height() - (8 - row) * step - 1, width,
                                 KeyPanel::ButtonHeight);
            QCOMPARE(panel.keyButton(k)->geometry(), expected);
        }
    }

    // A set chosen on the terminal changes the page's grid: the grid's own edit is kept
    // in the set it belongs to, and entering the page shows the terminal's set.
    void setChosenOnTheTerminalChangesTheGrid()
    {
        Fixture f;
        KeyPanel panel(f.keys);
        f.grid().setData(f.grid().index(0, KeyGridModel::LabelColumn), QStringLiteral("KEPT"));
        QTest::mouseClick(panel.setButton(4), Qt::LeftButton);
        f.page->showKeySet();
        QVERIFY(f.button(QStringLiteral("CFGSETSEL5"))->isChecked());
        QCOMPARE(f.grid().row(1), original(4, 1));
        QCOMPARE(f.page->gridData(1), QStringLiteral("D4.1"));
        QCOMPARE(f.keys.label(1), QStringLiteral("KEPT"));
        QCOMPARE(keyOf(f.keys, 4, 1), original(4, 1));
    }

    // Both panels follow the tables whenever they are shown: the page after the terminal
    // changed the set, the terminal's panel after the page renamed a set or loaded keys.
    void panelsFollowTheTablesWhenShown()
    {
        Fixture f;
        KeyPanel panel(f.keys);
        f.host.hide();
        f.keys.setCurrentKeySet(6);
        f.host.show();
        QVERIFY(f.button(QStringLiteral("CFGSETSEL7"))->isChecked());
        QCOMPARE(f.grid().row(1), original(6, 1));
        QCOMPARE(f.button(QStringLiteral("F1S"))->text(), QStringLiteral("L6.1"));

        f.keys.setSetName(6, QStringLiteral("RENAMED"));
        f.keys.setKey(FunctionKeyTable::keyNumber(6, 2), QStringLiteral("NEW"), QString());
        panel.show();
        QVERIFY(panel.setButton(6)->isChecked());
        QCOMPARE(panel.setButton(6)->text(), QStringLiteral("RENAMED"));
        QCOMPARE(panel.keyButton(2)->text(), QStringLiteral("NEW"));
    }

    // SAVE ALL KEYS writes what the grid shows; LOAD ALL KEYS brings the same keys back, and
    // saving them again gives the same bytes.
    void allKeysSavedAndLoadedBack()
    {
        Fixture f;
        const QString latin = QStringLiteral("Temp\u00e9rature \u00b0C");
        const QString wide = QStringLiteral("\u20ac \u65e5\u672c \U0001F600");
        const QString longText = QString(700, QLatin1Char('7'));
        f.keys.setKey(FunctionKeyTable::keyNumber(9, 9), latin, wide);
        f.keys.setKey(FunctionKeyTable::keyNumber(15, 64), QString(), longText);
        f.keys.setSetName(15, QStringLiteral("LAST"));
        f.grid().setData(f.grid().index(0, KeyGridModel::DataColumn), QStringLiteral("UNCOMMITTED"));

        const QString path = f.path(QStringLiteral("keys.txt"));
        f.boxes().saveFiles = {path};
        QSignalSpy shown(f.page.get(), &FunctionKeysPage::keyFileChanged);
        QTest::mouseClick(f.button(QStringLiteral("Button14")), Qt::LeftButton);
        QCOMPARE(f.boxes().choosers.size(), 1);
        const OperatorPrompt::FileChoice chooser = f.boxes().choosers.at(0);
        QCOMPARE(chooser.title, QStringLiteral("Keldan Save"));
        QCOMPARE(chooser.folder, f.dir.path());   // "c:\" is the home folder here
        QCOMPARE(chooser.fileName, QStringLiteral("*.txt"));
        QCOMPARE(chooser.filter, QStringLiteral("Text files (*.txt *.TXT)"));
        QVERIFY(f.boxes().messages.isEmpty());
        QVERIFY(f.boxes().questions.isEmpty());
        QCOMPARE(shown.size(), 0);   // a save does not change "Current Key File:"

        const QByteArray saved = readAll(path);
        QVERIFY(saved.startsWith("KELDAN_KEYS\r\nL0.1\r\nUNCOMMITTED\r\n"));
        QCOMPARE(f.settingsValue("KEYSDRIVE"), f.dir.path());
        QCOMPARE(f.settingsValue("KEYSDIR"), QStringLiteral("/"));
        QCOMPARE(f.settingsValue("KEYSFILE"), QStringLiteral("keys.txt"));

        FunctionKeyTable blank;
        f.keys = blank;
        f.page->showKeySet();
        f.boxes().openFiles = {path};
        QTest::mouseClick(f.button(QStringLiteral("Button15")), Qt::LeftButton);
        QCOMPARE(f.boxes().choosers.at(1).title, QStringLiteral("Keldan Open"));
        QCOMPARE(keyOf(f.keys, 9, 9), (KeyText{latin, wide}));
        QCOMPARE(keyOf(f.keys, 15, 64), (KeyText{QString(), longText}));
        QCOMPARE(keyOf(f.keys, 0, 1), (KeyText{"L0.1", "UNCOMMITTED"}));
        QCOMPARE(keyOf(f.keys, 7, 7), original(7, 7));
        QCOMPARE(f.keys.setName(15), QStringLiteral("LAST"));
        QCOMPARE(f.button(QStringLiteral("CFGSETSEL16"))->text(), QStringLiteral("LAST"));
        for (int n = 1; n <= FunctionKeyTable::Keys; ++n)
            QVERIFY(f.keys.changed(n));
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.at(0).at(0).toString(), path);
        QCOMPARE(f.page->keyFilePath(), path);
        QCOMPARE(f.control<QLabel>(QStringLiteral("CurrentKeyFile"))->text(), shownKeyFile(path));
        QCOMPARE(f.control<QLabel>(QStringLiteral("CurrentKeyFile"))->toolTip(), path);

        const QString again = f.path(QStringLiteral("again.txt"));
        f.boxes().saveFiles = {again};
        f.page->SaveKeys();
        QCOMPARE(readAll(again), saved);
    }

    void loadingAllKeysWhileSet5IsCurrent()
    {
        Fixture f;
        const QString path = f.path(QStringLiteral("all.txt"));
        f.boxes().saveFiles = {path};
        f.page->SaveKeys();
        FunctionKeyTable blank;
        f.keys = blank;
        f.keys.setCurrentKeySet(4);
        f.page->showKeySet();
        QCOMPARE(f.grid().row(1), KeyText());
        f.boxes().openFiles = {path};
        f.page->LoadKeys();
        QCOMPARE(f.grid().shownSet(), 4);
        QCOMPARE(f.grid().row(1), original(4, 1));
        QCOMPARE(f.page->gridData(64), QStringLiteral("D4.64"));
        QCOMPARE(keyOf(f.keys, 15, 3), original(15, 3));
    }

    // A subset saved from set 2 and loaded while set 7 is current goes into set 7.
    void subsetSavedFromOneSetLoadsIntoTheCurrentOne()
    {
        Fixture f;
        QTest::mouseClick(f.button(QStringLiteral("CFGSETSEL2")), Qt::LeftButton);
        f.keys.setSetName(1, QStringLiteral("SECOND"));
        const QString path = f.path(QStringLiteral("subset.txt"));
        f.boxes().saveFiles = {path};
        QTest::mouseClick(f.button(QStringLiteral("Button22")), Qt::LeftButton);
        QCOMPARE(readAll(path).count("\r\n"), 130);
        QVERIFY(readAll(path).endsWith("\r\nSECOND\r\n"));

        QTest::mouseClick(f.button(QStringLiteral("CFGSETSEL7")), Qt::LeftButton);
        f.keys.clearChanged();
        f.boxes().openFiles = {path};
        QTest::mouseClick(f.button(QStringLiteral("Button23")), Qt::LeftButton);
        for (int k = 1; k <= 64; ++k) {
            QCOMPARE(keyOf(f.keys, 6, k), original(1, k));
            QCOMPARE(f.grid().row(k), original(1, k));
            QVERIFY(f.keys.changed(FunctionKeyTable::keyNumber(6, k)));
        }
        QCOMPARE(f.keys.setName(6), QStringLiteral("SECOND"));
        QCOMPARE(f.button(QStringLiteral("CFGSETSEL7"))->text(), QStringLiteral("SECOND"));
        QCOMPARE(keyOf(f.keys, 1, 1), original(1, 1));
        QVERIFY(!f.keys.changed(FunctionKeyTable::keyNumber(1, 1)));
    }

    void filesWithoutTheMagicOrUnreadableChangeNothing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("exists");
        QTest::newRow("no magic") << QByteArray("HELLO\r\nA\r\n") << true;
        QTest::newRow("missing file") << QByteArray() << false;
    }
    void filesWithoutTheMagicOrUnreadableChangeNothing()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, exists);
        Fixture f;
        const QString path = f.path(QStringLiteral("other.txt"));
        if (exists)
            writeFile(path, content);
        const QString shownBefore = f.page->keyFileText();
        QSignalSpy shown(f.page.get(), &FunctionKeysPage::keyFileChanged);
        for (const char *button : {"Button15", "Button23"}) {
            f.boxes().openFiles = {path};
            QTest::mouseClick(f.button(QString::fromLatin1(button)), Qt::LeftButton);
        }
        QVERIFY(f.boxes().messages.isEmpty());
        QCOMPARE(shown.size(), 0);
        QCOMPARE(f.page->keyFileText(), shownBefore);
        QCOMPARE(keyOf(f.keys, 0, 1), original(0, 1));
        QVERIFY(!f.keys.changed(1));
        QCOMPARE(f.settingsValue("KEYSFILE"), QStringLiteral("<absent>"));
    }

    void savingOverAnExistingFile_data()
    {
        QTest::addColumn<OperatorPrompt::Answer>("answer");
        QTest::newRow("No") << OperatorPrompt::Answer::No;
        QTest::newRow("Yes") << OperatorPrompt::Answer::Yes;
    }
    void savingOverAnExistingFile()
    {
        QFETCH(OperatorPrompt::Answer, answer);
        Fixture f;
        const QString path = f.path(QStringLiteral("keys.txt"));
        const QString backup = f.path(QStringLiteral("keys.BAK"));
        writeFile(path, "KELDAN_KEYS\r\nOLD\r\n");
        writeFile(backup, "OLDER BACKUP");
        f.boxes().saveFiles = {path};
        f.boxes().answers = {answer};
        f.page->SaveKeys();
        QCOMPARE(f.boxes().questions.size(), 1);
        QCOMPARE(f.boxes().questions.at(0).title, QStringLiteral("File Exists"));
        QCOMPARE(f.boxes().questions.at(0).text,
                 QStringLiteral("Are you sure you want to overwrite the file? \n(") + path + QStringLiteral(")"));
        if (answer == OperatorPrompt::Answer::No) {
            QCOMPARE(readAll(path), QByteArray("KELDAN_KEYS\r\nOLD\r\n"));
            QCOMPARE(readAll(backup), QByteArray("OLDER BACKUP"));
            QCOMPARE(f.settingsValue("KEYSFILE"), QStringLiteral("<absent>"));
            return;
        }
        QCOMPARE(readAll(backup), QByteArray("KELDAN_KEYS\r\nOLD\r\n"));
        QVERIFY(readAll(path).startsWith("KELDAN_KEYS\r\nL0.1\r\nD0.1\r\n"));
        QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files).size(), 3);   // no temporary left
        QVERIFY(f.boxes().messages.isEmpty());
    }

    // A key whose text holds a line break is named, and nothing is asked or written.
    void aTextWithALineBreakIsRefused()
    {
        Fixture f;
        f.keys.setKey(FunctionKeyTable::keyNumber(1, 3), QStringLiteral("TWO"), QStringLiteral("LINE\nBREAK"));
        const QString path = f.path(QStringLiteral("keys.txt"));
        writeFile(path, "KELDAN_KEYS\r\n");
        f.boxes().saveFiles = {path};
        f.page->SaveKeys();
        QCOMPARE(f.boxes().messages.size(), 1);
        QCOMPARE(f.boxes().messages.at(0).title, QStringLiteral("Error Saving"));
        QVERIFY2(f.boxes().messages.at(0).text.contains(QStringLiteral("key F3 of set 2 (key 67)")),
                 qPrintable(f.boxes().messages.at(0).text));
        QVERIFY(f.boxes().questions.isEmpty());
        QCOMPARE(readAll(path), QByteArray("KELDAN_KEYS\r\n"));
        QVERIFY(!QFileInfo::exists(f.path(QStringLiteral("keys.BAK"))));

        // The same key in the grid, saved as a subset of its set.
        QTest::mouseClick(f.button(QStringLiteral("CFGSETSEL2")), Qt::LeftButton);
        f.boxes().saveFiles = {f.path(QStringLiteral("subset.txt"))};
        f.page->Button22Click();
        QCOMPARE(f.boxes().messages.size(), 2);
        QVERIFY(f.boxes().messages.at(1).text.contains(QStringLiteral("key F3 of set 2")));
        QVERIFY(!QFileInfo::exists(f.path(QStringLiteral("subset.txt"))));
    }

    void failedWrites_data()
    {
        QTest::addColumn<bool>("settingsReadOnly");
        QTest::newRow("key file cannot be written") << false;
        QTest::newRow("settings file read-only") << true;
    }
    void failedWrites()
    {
        QFETCH(bool, settingsReadOnly);
        Fixture f;
        QString path = f.path(QStringLiteral("keys.txt"));
        if (settingsReadOnly) {
            writeFile(f.console->settingsPath(), "[Tester]\r\n");
            QFile::setPermissions(f.console->settingsPath(), QFile::ReadOwner);
        } else {
            path = f.path(QStringLiteral("missing/keys.txt"));
        }
        f.boxes().saveFiles = {path};
        f.page->SaveKeys();
        QCOMPARE(f.boxes().messages.size(), 1);
        QCOMPARE(f.boxes().messages.at(0).title, QStringLiteral("Error Saving"));
        QCOMPARE(f.boxes().messages.at(0).text, QStringLiteral("Error Saving, The drive may be write protected"));
        QVERIFY(!QFileInfo::exists(path));
        QCOMPARE(keyOf(f.keys, 0, 1), original(0, 1));

        if (settingsReadOnly) {
            // A load whose settings write fails loads nothing.
            const QString good = f.path(QStringLiteral("good.txt"));
            writeFile(good, "KELDAN_KEYS\r\nNEW\r\nNEW\r\n");
            f.boxes().openFiles = {good};
            f.page->LoadKeys();
            QCOMPARE(f.boxes().messages.size(), 2);
            QCOMPARE(keyOf(f.keys, 0, 1), original(0, 1));
            QVERIFY(f.page->keyFilePath() != good);
        }
    }

    // Start-up: the remembered location is shown by the display rule, the full path as hint;
    // the next chooser starts there.
    void startUpShowsTheRememberedKeyFile()
    {
        Fixture f;
        const QString folder = QStringLiteral("/srv/keldan/function-key-sets/bench/");
        const QString name = QStringLiteral("relay-tests.txt");
        writeFile(f.console->settingsPath(),
                  "[Tester]\r\nKEYSDRIVE=\r\nKEYSDIR=" + folder.toLatin1() + "\r\nKEYSFILE=" + name.toLatin1() + "\r\n");
        QSignalSpy shown(f.page.get(), &FunctionKeysPage::keyFileChanged);
        const SettingsFile file(f.console->settingsPath());
        f.page->resetForStartup();
        f.page->readSettings(file);
        f.page->readAfterLoaded(file);
        const QString full = folder + name;
        QCOMPARE(full.size(), 51);
        QCOMPARE(f.page->keyFilePath(), full);
        QCOMPARE(f.page->keyFileText(), QStringLiteral("...") + full.right(50));
        QCOMPARE(f.control<QLabel>(QStringLiteral("CurrentKeyFile"))->text(), QStringLiteral("...") + full.right(50));
        QCOMPARE(f.control<QLabel>(QStringLiteral("CurrentKeyFile"))->toolTip(), full);
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.at(0).at(1).toString(), QStringLiteral("...") + full.right(50));

        // The folder does not exist here: the chooser starts in the home folder instead,
        // and proposes the remembered name.
        f.page->Button22Click();
        QCOMPARE(f.boxes().choosers.constLast().folder, f.dir.path());
        QCOMPARE(f.boxes().choosers.constLast().fileName, name);
    }

    // After a save the settings hold the chosen name, while this run keeps proposing the
    // name read at start-up, in the new folder.
    void nextChooserProposesTheNewFolderWithTheStartUpName()
    {
        Fixture f;
        QDir(f.dir.path()).mkdir(QStringLiteral("sets"));
        f.boxes().saveFiles = {f.path(QStringLiteral("sets/mine.txt"))};
        f.page->SaveKeys();
        QCOMPARE(f.settingsValue("KEYSDIR"), QStringLiteral("/sets/"));
        QCOMPARE(f.settingsValue("KEYSFILE"), QStringLiteral("mine.txt"));
        f.page->LoadKeys();
        QCOMPARE(f.boxes().choosers.constLast().folder, f.path(QStringLiteral("sets")));
        QCOMPARE(f.boxes().choosers.constLast().fileName, QStringLiteral("*.txt"));
    }
};

QTEST_MAIN(TestFunctionKeysPage)
#include "tst_functionkeyspage.moc"
