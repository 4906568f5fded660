// The Sequencer workspace offscreen: selection across the five columns, the in-place
// editors, new, insert and delete with their link renumbering, scrolling, the enable rules
// of the tool bar, the file commands with scripted answers, the font chooser and the
// settings panel with its two dialogs. On the in-memory serial driver.

#include "fakeconsole.h"
#include "testfiles.h"
#include "widgetfind.h"

#include "settings/settingskeys.h"
#include "sequencer/seldirdlg.h"
#include "sequencer/sequencefile.h"
#include "sequencer/sequencerunner.h"
#include "sequencer/sequencersettingspanel.h"
#include "sequencer/sequencerworkspace.h"
#include "sequencer/specialfunctionhelp.h"
#include "serial/fakeserialdriver.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>

using namespace std::chrono_literals;

namespace {

QStringList columnTexts(const QListWidget *column)
{
    QStringList texts;
    for (int row = 0; row < column->count(); ++row)
        texts.append(column->item(row)->text());
    return texts;
}

// count steps "1".."count", delays 10, 20, 30 ..., commands C1, C2 ..., each linking to the
// step below (the last one past the end), or to links when given.
Sequence numberedSteps(int count, const QStringList &links = {})
{
    Sequence s;
    for (int i = 0; i < count; ++i)
        s.append(QString::number((i + 1) * 10), QStringLiteral("C%1").arg(i + 1),
                 links.isEmpty() ? QString::number(i + 2) : links.at(i));
    return s;
}

struct Fixture
{
    QTemporaryDir dir;
    std::shared_ptr<FakeLine> line;
    std::unique_ptr<FakeConsole> console;
    QWidget host;
    QWidget configPage;
    std::unique_ptr<SequencerWorkspace> ws;

    Fixture()
    {
        auto driver = std::make_unique<FakeSerialDriver>();
        line = driver->addPort(1);
        console = std::make_unique<FakeConsole>(std::move(driver), dir.filePath(QStringLiteral("test.INI")));
        ws = std::make_unique<SequencerWorkspace>(*console);
        ws->installSettingsPanel(&configPage);
        host.resize(900, 600);
        ws->panel()->setParent(&host);
        ws->panel()->setGeometry(0, 0, 896, 566);
        host.show();
        ws->enter();
        // The first entry's one-time load (nothing to load here) comes with the first tick.
        if (!QTest::qWaitFor([this] { return runner().startupLoadDone(); }, 5000))
            qFatal("the one-time load never ran");
    }

    ~Fixture()
    {
        ws->stopTimers();
        console->mainPort().stopAndClose();
        console->mainPort().line().waitIdle(5000);
        ws.reset();
    }

    SequenceRunner &runner() const { return ws->runner(); }
    // The workspace's controls, by the form names they keep as object names.
    template<typename T>
    T *control(const char *name) const { return find<T>(ws->panel(), QString::fromLatin1(name)); }
    StepColumn *col(const char *name) const { return control<StepColumn>(name); }
    QToolButton *button(const char *name) const { return control<QToolButton>(name); }
    QLineEdit *edit(const char *name) const { return control<QLineEdit>(name); }
    UpDownArrows *arrows() const { return control<UpDownArrows>("UpDown1"); }
    // The in-place editor the operator sees open, if any.
    QLineEdit *openEditor() const
    {
        for (const char *name : {"Edit1", "Edit2", "Edit3"}) {
            if (edit(name)->isVisible())
                return edit(name);
        }
        return nullptr;
    }
    bool editing() const { return openEditor() != nullptr; }
    // The step under the open editor, from where it lies over the columns; -1 with none open.
    int editedStep() const
    {
        const QLineEdit *editor = openEditor();
        if (!editor)
            return -1;
        const StepColumn *column = col("COL1");
        return runner().window().top + (editor->y() - 2 - column->y()) / column->rowHeight();
    }
    SequencerSettingsPanel &panel() const { return *ws->settingsPanel(); }
    ScriptedPrompt &prompt() const { return console->boxes; }
    QString path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }

    QString saveFile(const char *name, const Sequence &s) const
    {
        const QString file = path(name);
        if (!SequenceFile::save(file, s).ok)
            qFatal("cannot write %s", qPrintable(file));
        return file;
    }

    void load(const Sequence &s)
    {
        QVERIFY(ws->LoadSequenceFile(saveFile("loaded.txt", s)));
    }

    QPoint rowPoint(const StepColumn *column, int row) const
    {
        return QPoint(6, row * column->rowHeight() + column->rowHeight() / 2);
    }
    void clickRow(StepColumn *column, int row)
    {
        QTest::mouseClick(column->viewport(), Qt::LeftButton, {}, rowPoint(column, row));
    }
    void rightPress(StepColumn *column, int row)
    {
        QTest::mousePress(column->viewport(), Qt::RightButton, {}, rowPoint(column, row));
        QTest::mouseRelease(column->viewport(), Qt::RightButton, {}, rowPoint(column, row));
    }
    QList<int> selectedRows() const
    {
        QList<int> rows;
        for (StepColumn *column : {col("COL1"), col("COL2"), col("COL3"), col("COL4"), col("COL5")})
            rows.append(column->currentRow());
        return rows;
    }
    QString setting(const key::StringKey &k) const { return read(SettingsFile(console->settingsPath()), k); }
    bool hasSetting(const char *name) const { return SettingsFile(console->settingsPath()).contains(QLatin1String(name)); }
    bool idle() { return QTest::qWaitFor([&] { return !runner().busy(); }, 10000); }
};

QList<int> sameRow(int row)
{
    return {row, row, row, row, row};
}

} // namespace

class TestSequencerWorkspace : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void theToolBarFollowsTheRunState()
    {
        Fixture f;
        // Entering enables Run and Step; with no row selected the inserts wait for a click.
        QVERIFY(f.button("RunBtn")->isEnabled());
        QVERIFY(f.button("SeqStep")->isEnabled());
        QVERIFY(!f.button("PauseBtn")->isEnabled());
        QVERIFY(!f.button("RewindBtn")->isEnabled());
        QVERIFY(!f.button("DeleteB")->isEnabled());
        QVERIFY(f.button("BitBtn6")->isEnabled());
        QVERIFY(!f.button("InsertB")->isEnabled());
        QVERIFY(!f.button("InsertAfterBtn")->isEnabled());

        f.load(numberedSteps(3));
        QVERIFY(f.button("RewindBtn")->isEnabled());
        f.clickRow(f.col("COL2"), 1);
        for (const char *name : {"InsertB", "InsertAfterBtn", "BitBtn6", "DeleteB"})
            QVERIFY2(f.button(name)->isEnabled(), name);

        QTest::mouseClick(f.button("RunBtn"), Qt::LeftButton);
        QVERIFY(f.runner().isRunning());
        for (const char *name : {"SeqStep", "RunBtn", "BitBtn5", "InsertB", "BitBtn6", "InsertAfterBtn", "DeleteB"})
            QVERIFY2(!f.button(name)->isEnabled(), name);
        QVERIFY(f.button("PauseBtn")->isEnabled());
        // A click on a row while running chooses the next step but leaves editing off.
        f.clickRow(f.col("COL1"), 2);
        QVERIFY(!f.button("DeleteB")->isEnabled());

        QTest::mouseClick(f.button("PauseBtn"), Qt::LeftButton);
        QVERIFY(!f.runner().isRunning());
        QVERIFY(!f.button("PauseBtn")->isEnabled());
        for (const char *name : {"RunBtn", "RewindBtn", "SeqStep", "BitBtn5"})
            QVERIFY2(f.button(name)->isEnabled(), name);
        QVERIFY(!f.button("DeleteB")->isEnabled());
        f.clickRow(f.col("COL1"), 0);
        QVERIFY(f.button("DeleteB")->isEnabled());
        QVERIFY(f.idle());
    }

    // Leaving the workspace stops the run; the file commands and the run buttons must not
    // stay locked behind a Pause that can no longer be pressed.
    void leavingDuringARunUnlocksTheToolBar()
    {
        Fixture f;
        f.load(numberedSteps(2));
        f.ws->SeqRunClick();
        QVERIFY(!f.button("BitBtn5")->isEnabled());
        f.ws->stopTimers();
        f.console->mainPort().stopAndClose();
        f.ws->enter();
        QVERIFY(!f.runner().isRunning());
        QVERIFY(f.button("BitBtn5")->isEnabled());
        QVERIFY(f.button("RewindBtn")->isEnabled());
        QVERIFY(!f.button("PauseBtn")->isEnabled());
        QVERIFY(f.idle());
    }

    void aClickSelectsTheRowInEveryColumn_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("row");
        for (int column = 1; column <= 5; ++column)
            QTest::addRow("COL%d", column) << column << column - 1;
    }

    void aClickSelectsTheRowInEveryColumn()
    {
        QFETCH(int, column);
        QFETCH(int, row);
        Fixture f;
        f.load(numberedSteps(6));
        StepColumn *clicked = f.ws->panel()->findChild<StepColumn *>(QStringLiteral("COL%1").arg(column));
        QVERIFY(clicked);
        f.clickRow(clicked, row);
        QCOMPARE(f.selectedRows(), sameRow(row));
        QCOMPARE(f.runner().currentStep(), row);
        QCOMPARE(f.runner().selectedStep(), row);
        // The arrows stand for the step counted from the end.
        QCOMPARE(f.arrows()->maximum(), 5);
        QCOMPARE(f.arrows()->position(), 6 - row - 1);

        // Dragging with the button down keeps every column on the row under the pointer.
        QTest::mousePress(clicked->viewport(), Qt::LeftButton, {}, f.rowPoint(clicked, row));
        QTest::mouseMove(clicked->viewport(), f.rowPoint(clicked, 5));
        QCOMPARE(f.selectedRows(), sameRow(5));
        QTest::mouseRelease(clicked->viewport(), Qt::LeftButton, {}, f.rowPoint(clicked, 5));
        // The release ends the drag: a move reported after it leaves the selection.
        f.ws->COL3MouseMove(1);
        QCOMPARE(f.selectedRows(), sameRow(5));
        QCOMPARE(f.runner().currentStep(), 5);
    }

    void editingRenumbersTheLinks_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("links");
        QTest::addColumn<int>("selectedRow");
        QTest::addColumn<QStringList>("expectedLinks");
        QTest::addColumn<QStringList>("expectedDelays");
        QTest::addColumn<int>("expectedSelectedRow");

        const QStringList chain{"2", "3", "4", "5", "6"};
        QTest::newRow("insert before step 3")
            << "InsertB" << chain << 2 << QStringList{"2", "3", "4", "5", "6", "7"}
            << QStringList{"10", "20", "50", "30", "40", "50"} << 2;
        QTest::newRow("insert after step 3")
            << "InsertAfterBtn" << chain << 2 << QStringList{"2", "3", "4", "5", "6", "7"}
            << QStringList{"10", "20", "30", "30", "40", "50"} << 3;
        QTest::newRow("delete step 3") << "DeleteB" << chain << 2 << QStringList{"2", "3", "4", "5"}
                                       << QStringList{"10", "20", "40", "50"} << 2;
        QTest::newRow("a link before the insertion keeps its number")
            << "InsertB" << QStringList{"5", "3", "4", "5", "6"} << 2 << QStringList{"5", "3", "4", "5", "6", "7"}
            << QStringList{"10", "20", "50", "30", "40", "50"} << 2;
        QTest::newRow("delete the last step") << "DeleteB" << chain << 4 << QStringList{"2", "3", "4", "5"}
                                              << QStringList{"10", "20", "30", "40"} << 3;
    }

    void editingRenumbersTheLinks()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, links);
        QFETCH(int, selectedRow);
        Fixture f;
        f.load(numberedSteps(5, links));
        f.clickRow(f.col("COL3"), selectedRow);
        QVERIFY(!f.runner().sequenceModified());

        QToolButton *button = f.ws->panel()->findChild<QToolButton *>(command);
        QVERIFY(button && button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);

        QTEST(columnTexts(f.col("COL4")), "expectedLinks");
        QTEST(columnTexts(f.col("COL2")), "expectedDelays");
        QStringList numbers;
        for (int n = 1; n <= f.col("COL1")->count(); ++n)
            numbers.append(QString::number(n));
        QCOMPARE(columnTexts(f.col("COL1")), numbers);
        QTEST(f.selectedRows().constFirst(), "expectedSelectedRow");
        QCOMPARE(f.selectedRows(), sameRow(f.selectedRows().constFirst()));
        QVERIFY(f.runner().sequenceModified());
        QCOMPARE(f.arrows()->maximum(), f.col("COL1")->count() - 1);
    }

    void newItemsUseTheDefaultEntryTime()
    {
        Fixture f;
        QTest::mouseClick(f.button("BitBtn6"), Qt::LeftButton);
        QCOMPARE(columnTexts(f.col("COL1")), QStringList{"1"});
        QCOMPARE(columnTexts(f.col("COL2")), QStringList{"100"});
        QCOMPARE(columnTexts(f.col("COL3")), QStringList{""});
        QCOMPARE(columnTexts(f.col("COL4")), QStringList{"2"});
        for (QToolButton *button : {f.button("RunBtn"), f.button("RewindBtn"), f.button("SeqStep")})
            QVERIFY(button->isEnabled());

        f.panel().NewEntry->setText(QStringLiteral("250"));
        QTest::mouseClick(f.button("BitBtn6"), Qt::LeftButton);
        QCOMPARE(columnTexts(f.col("COL2")), (QStringList{"100", "250"}));
        QCOMPARE(columnTexts(f.col("COL4")), (QStringList{"2", "3"}));
    }

    void deletingTheOnlyStepDisablesDeleteAndInsert()
    {
        Fixture f;
        f.load(numberedSteps(1));
        f.clickRow(f.col("COL1"), 0);
        QTest::mouseClick(f.button("DeleteB"), Qt::LeftButton);
        QVERIFY(f.runner().sequence().isEmpty());
        QCOMPARE(f.col("COL1")->count(), 0);
        QVERIFY(!f.button("DeleteB")->isEnabled());
        QVERIFY(!f.button("InsertB")->isEnabled());
        QVERIFY(!f.button("InsertAfterBtn")->isEnabled());
        QVERIFY(f.button("BitBtn6")->isEnabled());
    }

    // With nothing selected, Delete must not take the step above the window.
    void deleteWithoutASelectionDeletesNothing()
    {
        Fixture f;
        const int rows = f.runner().window().rows;
        f.load(numberedSteps(rows + 5));
        f.runner().setWindowTop(3);
        f.runner().selectStep(-1);
        f.col("COL4")->selectRow(-1);
        f.ws->DeleteaClick();
        QCOMPARE(f.runner().sequence().size(), rows + 5);
        QCOMPARE(f.runner().currentStep(), 0);
    }

    void inPlaceEditing_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("editor");
        QTest::addColumn<int>("field");
        QTest::newRow("delay") << "COL2" << "Edit2" << int(StepField::Delay);
        QTest::newRow("command") << "COL3" << "Edit1" << int(StepField::Command);
        QTest::newRow("next step") << "COL4" << "Edit3" << int(StepField::Next);
    }

    void inPlaceEditing()
    {
        QFETCH(QString, column);
        QFETCH(QString, editor);
        QFETCH(int, field);
        Fixture f;
        f.load(numberedSteps(4));
        StepColumn *pressed = f.ws->panel()->findChild<StepColumn *>(column);
        QLineEdit *edit = f.ws->panel()->findChild<QLineEdit *>(editor);
        const StepField which = StepField(field);

        f.rightPress(pressed, 2);
        QVERIFY(f.editing());
        QCOMPARE(f.editedStep(), 2);
        QVERIFY(edit->isVisible());
        QCOMPARE(edit->text(), stepField(f.runner().sequence(), 2, which));
        const int h = pressed->rowHeight();
        QCOMPARE(edit->geometry(), QRect(pressed->x() + 4, pressed->y() + 2 * h + 2, pressed->width() - 6, h));
        QCOMPARE(pressed->palette().color(QPalette::Text), QColor(128, 128, 128));
        // While the edit lasts, presses on the columns do not select.
        f.rightPress(f.col("COL4"), 0);
        QVERIFY(edit->isVisible());
        QCOMPARE(f.editedStep(), 2);

        edit->setText(QStringLiteral("77"));
        QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY(!f.editing());
        QVERIFY(!edit->isVisible());
        QCOMPARE(stepField(f.runner().sequence(), 2, which), QStringLiteral("77"));
        QCOMPARE(pressed->item(2)->text(), QStringLiteral("77"));
        QCOMPARE(pressed->palette().color(QPalette::Text), QColor(Qt::black));
        QVERIFY(f.runner().sequenceModified());

        // A click on another row commits the next edit and selects that row.
        f.rightPress(pressed, 1);
        edit->setText(QStringLiteral("88"));
        f.clickRow(f.col("COL1"), 3);
        QVERIFY(!edit->isVisible());
        QCOMPARE(stepField(f.runner().sequence(), 1, which), QStringLiteral("88"));
        QCOMPARE(f.selectedRows(), sameRow(3));
    }

    void rightPressesThatDoNotEdit()
    {
        Fixture f;
        f.load(numberedSteps(3));
        // The step number and the response columns only select.
        f.rightPress(f.col("COL1"), 1);
        QVERIFY(!f.editing());
        QCOMPARE(f.selectedRows(), sameRow(1));
        f.rightPress(f.col("COL5"), 2);
        QVERIFY(!f.editing());
        // Below the last step there is nothing to edit.
        f.rightPress(f.col("COL3"), 5);
        QVERIFY(!f.editing());
        // Nor while the sequence runs.
        f.ws->SeqRunClick();
        f.rightPress(f.col("COL3"), 0);
        QVERIFY(!f.editing());
        QVERIFY(!f.edit("Edit1")->isVisible());
        f.ws->PauseBtnClick();
        QVERIFY(f.idle());
    }

    void anOpenEditIsWhatRuns()
    {
        Fixture f;
        f.load(numberedSteps(1, {"1"}));
        f.rightPress(f.col("COL3"), 0);
        f.edit("Edit1")->setText(QStringLiteral("XYZ"));
        QTest::mouseClick(f.button("SeqStep"), Qt::LeftButton);
        QVERIFY(!f.editing());
        QVERIFY(f.idle());
        QCOMPARE(f.line->written(), QByteArray("XYZ"));
    }

    void anEditMarksTheSequenceSoNewAsksToSave()
    {
        Fixture f;
        f.load(numberedSteps(2));
        f.rightPress(f.col("COL3"), 0);
        f.edit("Edit1")->setText(QStringLiteral("L01[4]"));
        QTest::keyClick(f.edit("Edit1"), Qt::Key_Return);
        f.prompt().answers = {OperatorPrompt::Answer::No};
        QTest::mouseClick(f.button("BitBtn1"), Qt::LeftButton);
        QCOMPARE(f.prompt().questions.size(), 1);
        QCOMPARE(f.prompt().questions[0].title, QStringLiteral("Save changes"));
        QCOMPARE(f.prompt().questions[0].text, QStringLiteral("File modified,  save changes?"));
        QVERIFY(f.runner().sequence().isEmpty());
        QVERIFY(!f.runner().sequenceModified());
        for (const char *name : {"RunBtn", "RewindBtn", "SeqStep", "DeleteB", "InsertB", "InsertAfterBtn"})
            QVERIFY2(!f.button(name)->isEnabled(), name);
        QVERIFY(f.button("BitBtn6")->isEnabled());
    }

    void scrollingByRowAndPage()
    {
        Fixture f;
        const int rows = f.runner().window().rows;
        QVERIFY(rows >= 4);
        const int count = rows * 3;
        f.load(numberedSteps(count));
        StepColumn *col = f.col("COL3");
        col->setFocus();
        f.clickRow(col, rows - 1);

        // Down on the last row moves the window one step.
        QTest::keyClick(col, Qt::Key_Down);
        QCOMPARE(f.runner().window().top, 1);
        QCOMPARE(f.selectedRows(), sameRow(rows - 1));
        QCOMPARE(f.runner().currentStep(), rows);
        QCOMPARE(col->item(0)->text(), QStringLiteral("C2"));

        // Page Down: half a window, the last row selected.
        QTest::keyClick(col, Qt::Key_PageDown);
        QCOMPARE(f.runner().window().top, 1 + rows / 2);
        QCOMPARE(f.selectedRows(), sameRow(rows - 1));
        QCOMPARE(f.runner().currentStep(), f.runner().window().top + rows - 1);
        QCOMPARE(f.arrows()->position(), count - f.runner().currentStep() - 1);

        // Page Up: back half a window, the first row selected.
        QTest::keyClick(col, Qt::Key_PageUp);
        QCOMPARE(f.runner().window().top, 1);
        QCOMPARE(f.selectedRows(), sameRow(0));
        QCOMPARE(f.runner().currentStep(), 1);

        // Up on the first row: one step back, to the top.
        QTest::keyClick(col, Qt::Key_Up);
        QCOMPARE(f.runner().window().top, 0);
        QCOMPARE(f.selectedRows(), sameRow(0));
        QCOMPARE(f.runner().currentStep(), 0);
        QTest::keyClick(col, Qt::Key_Up);
        QCOMPARE(f.runner().window().top, 0);

        // An ordinary Down moves the selection within the window, as a click would.
        QTest::keyClick(col, Qt::Key_Down);
        QCOMPARE(f.selectedRows(), sameRow(1));
        QCOMPARE(f.runner().currentStep(), 1);

        // The focus shows the keyboard hint.
        QVERIFY(f.control<QLabel>("Label106")->isVisible());
        f.edit("Edit1")->show();
        f.edit("Edit1")->setFocus();
        QVERIFY(!f.control<QLabel>("Label106")->isVisible());
        f.edit("Edit1")->hide();
    }

    void theArrowsMoveTheSelection()
    {
        Fixture f;
        const int rows = f.runner().window().rows;
        f.load(numberedSteps(rows + 2));
        // Nothing selected: the first arrow only selects the first row.
        f.ws->UpDown1Click(UpDownArrows::Arrow::Down);
        QCOMPARE(f.selectedRows(), sameRow(0));
        QCOMPARE(f.runner().currentStep(), 0);

        QTest::mouseClick(f.arrows()->downButton(), Qt::LeftButton);
        QCOMPARE(f.selectedRows(), sameRow(1));
        QCOMPARE(f.runner().currentStep(), 1);
        QCOMPARE(f.arrows()->position(), rows + 2 - 2);
        QTest::mouseClick(f.arrows()->upButton(), Qt::LeftButton);
        QCOMPARE(f.runner().currentStep(), 0);

        // At the edges of the window they scroll it.
        f.clickRow(f.col("COL1"), rows - 1);
        f.ws->UpDown1Click(UpDownArrows::Arrow::Down);
        QCOMPARE(f.runner().window().top, 1);
        QCOMPARE(f.selectedRows(), sameRow(rows - 1));
        f.clickRow(f.col("COL1"), 0);
        f.ws->UpDown1Click(UpDownArrows::Arrow::Up);
        QCOMPARE(f.runner().window().top, 0);
        QCOMPARE(f.runner().currentStep(), 0);
        QCOMPARE(f.arrows()->height(), f.col("COL1")->height());
    }

    void saveChanges_data()
    {
        QTest::addColumn<int>("command");   // 0 New, 2 Open
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("saveAs");   // empty: the save chooser is cancelled
        QTest::addColumn<bool>("replaced");
        QTest::addColumn<bool>("saved");
        using A = OperatorPrompt::Answer;
        QTest::newRow("New, No") << 0 << int(A::No) << QString() << true << false;
        QTest::newRow("New, Cancel") << 0 << int(A::Cancel) << QString() << false << false;
        QTest::newRow("New, Yes, saved") << 0 << int(A::Yes) << "kept.txt" << true << true;
        QTest::newRow("New, Yes, chooser cancelled") << 0 << int(A::Yes) << QString() << false << false;
        QTest::newRow("Open, Yes, saved") << 2 << int(A::Yes) << "kept.txt" << true << true;
    }

    void saveChanges()
    {
        QFETCH(int, command);
        QFETCH(int, answer);
        QFETCH(QString, saveAs);
        QFETCH(bool, replaced);
        QFETCH(bool, saved);
        Fixture f;
        const QString other = f.saveFile("other.txt", numberedSteps(1));
        f.load(numberedSteps(3));
        f.clickRow(f.col("COL1"), 0);
        QTest::mouseClick(f.button("BitBtn6"), Qt::LeftButton);
        QVERIFY(f.runner().sequenceModified());

        f.prompt().answers = {OperatorPrompt::Answer(answer)};
        if (!saveAs.isEmpty())
            f.prompt().saveFiles = {f.dir.filePath(saveAs)};
        f.prompt().openFiles = {other};
        f.ws->FileOperations(command);

        QCOMPARE(f.prompt().questions.constFirst().title, QStringLiteral("Save changes"));
        const int expectedSize = !replaced ? 4 : command == 0 ? 0 : 1;
        QCOMPARE(f.runner().sequence().size(), expectedSize);
        QCOMPARE(f.runner().sequenceModified(), !replaced);
        if (saved) {
            const std::optional<Sequence> written = SequenceFile::load(f.dir.filePath(saveAs));
            QVERIFY(written);
            QCOMPARE(written->size(), 4);
        }
    }

    void savingAsksBeforeReplacingAFile_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QByteArray>("expectedFile");
        QTest::addColumn<bool>("backup");
        const Sequence fresh = numberedSteps(2);
        QTest::newRow("No leaves the file where it was") << int(OperatorPrompt::Answer::No) << QByteArray("old") << false;
        QTest::newRow("Yes keeps the old version beside it")
            << int(OperatorPrompt::Answer::Yes) << SequenceFile::format(fresh) << true;
    }

    void savingAsksBeforeReplacingAFile()
    {
        QFETCH(int, answer);
        QFETCH(bool, backup);
        Fixture f;
        f.load(numberedSteps(2));
        f.panel().SeqPath->setText(f.dir.path());
        QDir(f.dir.path()).mkdir(QStringLiteral("scripts"));
        const QString target = f.dir.filePath(QStringLiteral("scripts/seq.txt"));
        {
            QFile file(target);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("old");
        }
        f.prompt().saveFiles = {target};
        f.prompt().answers = {OperatorPrompt::Answer(answer)};
        QTest::mouseClick(f.button("BitBtn2"), Qt::LeftButton);

        QCOMPARE(f.prompt().choosers.size(), 1);
        QCOMPARE(f.prompt().choosers[0].title, QStringLiteral("Keldan Save"));
        QCOMPARE(f.prompt().choosers[0].folder, f.dir.path());
        QCOMPARE(f.prompt().choosers[0].fileName, QStringLiteral("*.txt"));
        QCOMPARE(f.prompt().questions.size(), 1);
        QCOMPARE(f.prompt().questions[0].title, QStringLiteral("File Exists"));
        QCOMPARE(f.prompt().questions[0].text,
                 QStringLiteral("Are you sure you want to overwrite the file? \n(") + target + QStringLiteral(")"));
        QTEST(readAll(target), "expectedFile");
        const QString bak = f.dir.filePath(QStringLiteral("scripts/seq.BAK"));
        QCOMPARE(QFile::exists(bak), backup);
        if (backup)
            QCOMPARE(readAll(bak), QByteArray("old"));
        // Nothing lands in the folder the program runs in.
        QVERIFY(!QFile::exists(QDir::current().filePath(QStringLiteral("seq.BAK"))));
        QCOMPARE(f.setting(key::LastFile), backup ? target : QString());
    }

    void aStepThatCannotBeSavedIsRefusedBeforeAnything()
    {
        Fixture f;
        f.load(numberedSteps(2));
        f.runner().editField(1, StepField::Command, QStringLiteral("say \"hi\""));
        const QString target = f.path("quoted.txt");
        f.prompt().saveFiles = {target};
        f.ws->FileOperations(1);
        QCOMPARE(f.prompt().messages.size(), 1);
        QVERIFY2(f.prompt().messages[0].text.contains(QLatin1String("Step 2")), qPrintable(f.prompt().messages[0].text));
        QVERIFY(!QFile::exists(target));
        QVERIFY(!f.hasSetting("LastFile"));
        QVERIFY(f.runner().sequenceModified());
    }

    void openingAFile()
    {
        Fixture f;
        const QString file = f.saveFile("three.txt", numberedSteps(3));
        f.panel().SeqPath->setText(f.dir.path());

        // Cancelled: nothing changes.
        f.ws->FileOperations(2);
        QCOMPARE(f.prompt().choosers.constLast().title, QStringLiteral("Keldan Open"));
        QCOMPARE(f.prompt().choosers.constLast().folder, f.dir.path());
        QVERIFY(f.runner().sequence().isEmpty());
        QVERIFY(!f.hasSetting("LastFile"));

        // A file that cannot be read: nothing either.
        f.prompt().openFiles = {f.path("missing.txt")};
        QTest::mouseClick(f.button("BitBtn3"), Qt::LeftButton);
        QVERIFY(f.runner().sequence().isEmpty());
        QVERIFY(!f.hasSetting("LastFile"));

        f.prompt().openFiles = {file};
        QTest::mouseClick(f.button("BitBtn3"), Qt::LeftButton);
        QCOMPARE(columnTexts(f.col("COL3")), (QStringList{"C1", "C2", "C3"}));
        QCOMPARE(f.setting(key::LastFile), file);
        QCOMPARE(f.console->activity, file);
        QVERIFY(f.button("RunBtn")->isEnabled());
        QVERIFY(f.button("RewindBtn")->isEnabled());
        QVERIFY(f.button("SeqStep")->isEnabled());
        QCOMPARE(f.arrows()->maximum(), 2);
    }

    void fileCommandsWaitForTheRunToStop()
    {
        Fixture f;
        f.load(numberedSteps(2));
        f.ws->SeqRunClick();
        f.ws->FileOperations(0);
        QCOMPARE(f.runner().sequence().size(), 2);
        QVERIFY(f.prompt().choosers.isEmpty());
        f.ws->PauseBtnClick();
        QVERIFY(f.idle());
    }

    void theFontChooser()
    {
        Fixture f;
        f.load(numberedSteps(40));
        const int rowsBefore = f.runner().window().rows;
        f.clickRow(f.col("COL1"), 3);

        // Cancelled: nothing written.
        f.ws->BitBtn5Click();
        QCOMPARE(f.prompt().choosers.constLast().title, QStringLiteral("Font"));
        QCOMPARE(f.prompt().choosers.constLast().folder, QStringLiteral("Courier New"));
        QVERIFY(!f.hasSetting("SeqFont"));

        QFont bigger(QStringLiteral("DejaVu Sans Mono"));
        bigger.setPointSize(20);
        f.prompt().fonts = {OperatorPrompt::FontChoice{bigger, QColor(0xFF, 0x80, 0x00)}};
        QTest::mouseClick(f.button("BitBtn5"), Qt::LeftButton);
        const SettingsFile file(f.console->settingsPath());
        QCOMPARE(read(file, key::SeqFont), QStringLiteral("DejaVu Sans Mono"));
        QCOMPARE(read(file, key::SeqSize), 20);
        QCOMPARE(read(file, key::SeqColor), 0x0080FF);
        for (const char *name : {"COL1", "COL3", "COL5", "Edit1", "Edit3"})
            QCOMPARE(f.control<QWidget>(name)->font().pointSize(), 20);
        QCOMPARE(f.col("COL3")->palette().color(QPalette::Text), QColor(0xFF, 0x80, 0x00));
        // A bigger font shows fewer rows, from the top, and still down to the bevel.
        const int rows = f.runner().window().rows;
        QVERIFY(rows < rowsBefore);
        QCOMPARE(f.runner().window().top, 0);
        const StepColumn *commands = f.col("COL3");
        const int bevel = f.control<QFrame>("Bevel10")->y();
        QCOMPARE(commands->count(), rows);
        QCOMPARE(commands->height(), rows * commands->rowHeight() + 4);
        QVERIFY(commands->y() + commands->height() <= bevel);
        QVERIFY(commands->y() + commands->height() + commands->rowHeight() > bevel);
    }

    void theSettingsPanelWritesOnChange_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("text");
        for (const char *edit : {"CommentChar", "EscapeChar", "PrintCtrlOn", "PrintCtrlOff", "SpecFunctStart",
                                 "SpecFunctEnd", "NewEntry"})
            QTest::newRow(edit) << edit << (QLatin1String(edit) == QLatin1String("NewEntry") ? "250" : "!");
    }

    void theSettingsPanelWritesOnChange()
    {
        QFETCH(QString, control);
        QFETCH(QString, text);
        Fixture f;
        QLineEdit *edit = f.panel().findChild<QLineEdit *>(control);
        QVERIFY(edit);

        // During start-up the handlers stay quiet.
        f.console->loaded = false;
        edit->setText(text);
        QVERIFY(!QFile::exists(f.console->settingsPath()));

        f.console->loaded = true;
        edit->setText(QString());
        edit->setText(text);
        const SettingsFile file(f.console->settingsPath());
        // Every change writes the same four keys; the rest waits for the close.
        QCOMPARE(file.keysIn(QStringLiteral("Tester")),
                 (QStringList{"CommentChar", "EscapeChar", "NETime", "BitNumbering"}));
        const SequencerSettings &s = f.ws->settings();
        QCOMPARE(read(file, key::CommentChar), s.commentChar);
        QCOMPARE(read(file, key::NETime), s.newEntryTime);
        // The runner works with what the panel shows.
        const StepLanguage &language = f.runner().language();
        QCOMPARE(language.commentChar, f.panel().CommentChar->text());
        QCOMPARE(language.escapeChar, f.panel().EscapeChar->text());
        QCOMPARE(language.printOn, f.panel().PrintCtrlOn->text());
        QCOMPARE(language.printOff, f.panel().PrintCtrlOff->text());
        QCOMPARE(language.specialStart, f.panel().SpecFunctStart->text());
        QCOMPARE(language.specialEnd, f.panel().SpecFunctEnd->text());
        QCOMPARE(f.runner().newEntryTime(), f.panel().NewEntry->text());
    }

    void theSettingsPanelControls()
    {
        Fixture f;
        SequencerSettingsPanel &p = f.panel();
        QCOMPARE(p.title(), QStringLiteral("Sequencer Specific Information"));
        // One-character fields take one character.
        p.CommentChar->clear();
        QTest::keyClicks(p.CommentChar, QStringLiteral("ab"));
        QCOMPARE(p.CommentChar->text(), QStringLiteral("a"));

        p.SpecFunctEnable->setChecked(true);
        QVERIFY(f.runner().language().specialEnabled);
        QVERIFY(f.ws->settings().specialEnabled);

        // RESET DEFAULTS: not the special-function characters.
        p.SpecFunctStart->setText(QStringLiteral("<"));
        p.EscapeChar->setText(QStringLiteral("^"));
        p.PrintCtrlOn->setText(QStringLiteral("+"));
        p.NewEntry->setText(QStringLiteral("5"));
        p.BitNumbering->setChecked(true);
        QTest::mouseClick(p.Button13, Qt::LeftButton);
        QCOMPARE(p.CommentChar->text(), QStringLiteral(";"));
        QCOMPARE(p.EscapeChar->text(), QStringLiteral("~"));
        QCOMPARE(p.PrintCtrlOn->text(), QStringLiteral("$"));
        QCOMPARE(p.PrintCtrlOff->text(), QStringLiteral("#"));
        QCOMPARE(p.NewEntry->text(), QStringLiteral("100"));
        QVERIFY(!p.BitNumbering->isChecked());
        QCOMPARE(p.SpecFunctStart->text(), QStringLiteral("<"));
        const SettingsFile file(f.console->settingsPath());
        QVERIFY(!read(file, key::BitNumbering));
        QCOMPARE(read(file, key::EscapeChar), QStringLiteral("~"));

        // The load box writes at once; the others wait for the close.
        p.LoadLastSeqFile->setChecked(true);
        QVERIFY(read(SettingsFile(f.console->settingsPath()), key::LoadLastSeqFile));
        p.AutoStart->setChecked(true);
        QVERIFY(!f.hasSetting("AutoStart"));
        QVERIFY(f.ws->settings().autoStart);
        p.SeqPath->setText(QStringLiteral("/srv/scripts"));
        QCOMPARE(f.ws->settings().filePath, QStringLiteral("/srv/scripts"));
    }

    void theSpecialFunctionHelpPage()
    {
        Fixture f;
        SequencerSettingsPanel &p = f.panel();
        QCOMPARE(p.Label124->text().contains(QLatin1String("HELP")), true);
        Q_EMIT p.Label124->linkActivated(QStringLiteral("help"));
        TForm2 *help = p.helpPage();
        QVERIFY(help->isVisible());
        QVERIFY(!help->isModal());
        QVERIFY(help->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(help->windowTitle(), QStringLiteral("Special Function Help"));
        const QString text = help->page()->toPlainText();
        for (const char *expected :
             {"Special Function", "Commands", "{BR=baud}", "Set the baudrate on a sequence step", "{TS=value}",
              "Set the time scale slider to a value from 1-100, 1=.02X time scale, 50=1X time scale, 100=10X time scale",
              "{CP=comX}", "Set the current communications port.", "{BR=9600} - sets baudrate to 9600 baud",
              "{CP=COM4} - set current comm-port to COM4", "{TS=50} - sets the time scale to 50=0.02*50 = 1X scale"})
            QVERIFY2(text.simplified().contains(QLatin1String(expected)), expected);
        QVERIFY(TForm2::html().contains(QLatin1String("<table border=\"1\"")));
        QVERIFY(TForm2::html().contains(QLatin1String("<hr>")));
        QTest::mouseClick(help->Button1, Qt::LeftButton);
        QVERIFY(!help->isVisible());
    }

    void theFolderChooser()
    {
        Fixture f;
        SequencerSettingsPanel &p = f.panel();
        QVERIFY(QDir(f.dir.path()).mkpath(QStringLiteral("scripts/line 2")));
        p.SeqPath->setText(f.dir.path());
        QTest::mouseClick(p.Button12, Qt::LeftButton);
        TSelDirDlg *chooser = p.folderChooser();
        QVERIFY(chooser->isVisible());
        QVERIFY(!chooser->isModal());
        QCOMPARE(chooser->windowTitle(), QStringLiteral("Select Directory"));
        QCOMPARE(chooser->directory(), QDir(f.dir.path()).absolutePath());

        // Cancel changes nothing.
        QTest::mouseClick(chooser->CancelBtn, Qt::LeftButton);
        QVERIFY(!chooser->isVisible());
        QCOMPARE(p.SeqPath->text(), f.dir.path());

        // Double-clicking a folder opens it; OK takes the folder highlighted.
        QTest::mouseClick(p.Button12, Qt::LeftButton);
        QListWidget *folders = chooser->DirectoryListBox1;
        const QList<QListWidgetItem *> scripts = folders->findItems(QStringLiteral("scripts"), Qt::MatchEndsWith);
        QCOMPARE(scripts.size(), 1);
        Q_EMIT folders->itemDoubleClicked(scripts.constFirst());
        QCOMPARE(chooser->directory(), f.dir.filePath(QStringLiteral("scripts")));
        const QList<QListWidgetItem *> line2 = folders->findItems(QStringLiteral("line 2"), Qt::MatchEndsWith);
        QCOMPARE(line2.size(), 1);
        folders->setCurrentItem(line2.constFirst());
        QTest::mouseClick(chooser->OKBtn, Qt::LeftButton);
        QVERIFY(!chooser->isVisible());
        QCOMPARE(p.SeqPath->text(), f.dir.filePath(QStringLiteral("scripts/line 2")));
        QCOMPARE(f.ws->settings().filePath, p.SeqPath->text());
    }

    void theSliderSetsTheTimeScale_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("label");
        QTest::newRow("1") << 1 << "0.02";
        QTest::newRow("49") << 49 << "0.98";
        QTest::newRow("50") << 50 << "1.00";
        QTest::newRow("75") << 75 << "5.50";
        QTest::newRow("100") << 100 << "10.00";
    }

    void theSliderSetsTheTimeScale()
    {
        QFETCH(int, position);
        Fixture f;
        QCOMPARE(f.control<QLabel>("ScaleFactor")->text(), QStringLiteral("1.00"));
        f.control<QSlider>("TrackBar1")->setValue(position);
        QTEST(f.control<QLabel>("ScaleFactor")->text(), "label");
        QCOMPARE(f.runner().sliderPosition(), position);
        // A step's "TS=" moves the slider the same way.
        f.runner().setSliderPosition(50);
        QCOMPARE(f.control<QSlider>("TrackBar1")->value(), 50);
        QCOMPARE(f.control<QLabel>("ScaleFactor")->text(), QStringLiteral("1.00"));
    }

    void aStepShowsItsResponseAndFollowsTheWindow()
    {
        Fixture f;
        const int rows = f.runner().window().rows;
        Sequence s = numberedSteps(rows + 3);
        s.EvCommand[0] = QStringLiteral("L01[4]");
        s.EvNextSeq[0] = QString::number(rows + 2);   // on to a step below the window
        f.load(s);
        f.line->feed("8080");
        QTest::mouseClick(f.button("SeqStep"), Qt::LeftButton);
        QVERIFY(f.idle());
        QCOMPARE(f.line->written(), QByteArray("L01"));
        QCOMPARE(f.runner().sequence().ResponseLB[0], QStringLiteral("8080 "));
        // The next step lies beyond the window: the window pages on and shows it.
        QCOMPARE(f.runner().currentStep(), rows + 1);
        QVERIFY(f.runner().window().top > 0);
        QCOMPARE(f.runner().window().top, rows);
        QCOMPARE(f.selectedRows(), sameRow(1));
        QCOMPARE(f.arrows()->position(), (rows + 3) - (rows + 1) - 1);

        // Rewind goes back to the top and clears every response.
        QTest::mouseClick(f.button("RewindBtn"), Qt::LeftButton);
        QCOMPARE(f.runner().window().top, 0);
        QCOMPARE(f.selectedRows(), sameRow(0));
        QCOMPARE(f.col("COL5")->item(0)->text(), QStringLiteral(" "));
    }

    void clearKeepsTheSelectedRow()
    {
        Fixture f;
        f.load(numberedSteps(3));
        for (int i = 0; i < 3; ++i)
            f.runner().editField(i, StepField::Response, QStringLiteral("r%1").arg(i));
        f.clickRow(f.col("COL2"), 1);
        QCOMPARE(columnTexts(f.col("COL5")), (QStringList{"r0", "r1", "r2"}));
        QTest::mouseClick(f.button("Button25"), Qt::LeftButton);
        QCOMPARE(columnTexts(f.col("COL5")), (QStringList{" ", " ", " "}));
        QCOMPARE(f.selectedRows(), sameRow(1));
    }
};

QTEST_MAIN(TestSequencerWorkspace)
#include "tst_sequencerworkspace.moc"
