// The grid's working copy of a key set, headless: commits into the set it shows and the
// changed marks they leave, set switches, the row move with its one step of undo, the row
// clipboard, the pending caption row, CLEAR SUBSET and a subset taken from a file.

#include "terminal/functionkeys.h"
#include "terminal/keygridmodel.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// Every key of every set holds "L<set>.<key>" and "D<set>.<key>", none marked changed.
void fillKeys(FunctionKeyTable &keys)
{
    for (int set = 0; set < FunctionKeyTable::Sets; ++set) {
        for (int k = 1; k <= 64; ++k)
            keys.setKey(FunctionKeyTable::keyNumber(set, k), QStringLiteral("L%1.%2").arg(set).arg(k),
                        QStringLiteral("D%1.%2").arg(set).arg(k));
    }
    keys.clearChanged();
}

KeyText original(int set, int k)
{
    return {QStringLiteral("L%1.%2").arg(set).arg(k), QStringLiteral("D%1.%2").arg(set).arg(k)};
}

KeyText keyOf(const FunctionKeyTable &keys, int set, int k)
{
    const int n = FunctionKeyTable::keyNumber(set, k);
    return {keys.label(n), keys.data(n)};
}

QList<int> changedKeys(const FunctionKeyTable &keys)
{
    QList<int> changed;
    for (int n = 1; n <= FunctionKeyTable::Keys; ++n) {
        if (keys.changed(n))
            changed.append(n);
    }
    return changed;
}

} // namespace

class TestKeyGrid : public QObject
{
    Q_OBJECT

    FunctionKeyTable m_keys;

private Q_SLOTS:
    void init()
    {
        m_keys = FunctionKeyTable();
        fillKeys(m_keys);
    }

    void rowsShowTheCurrentSet()
    {
        m_keys.setCurrentKeySet(2);
        KeyGridModel grid(m_keys);
        QCOMPARE(grid.shownSet(), -1);
        grid.load();
        QCOMPARE(grid.shownSet(), 2);
        QCOMPARE(grid.rowCount(), 64);
        QCOMPARE(grid.columnCount(), 3);
        QCOMPARE(grid.index(0, 0).data().toString(), QStringLiteral("F1"));
        QCOMPARE(grid.index(63, 0).data().toString(), QStringLiteral("F64"));
        QCOMPARE(grid.index(4, 1).data().toString(), QStringLiteral("L2.5"));
        QCOMPARE(grid.index(4, 2).data().toString(), QStringLiteral("D2.5"));
        QCOMPARE(grid.headerData(2, Qt::Horizontal).toString(), QStringLiteral(" KEY DATA (TX when button is pressed)"));
        QVERIFY(!(grid.flags(grid.index(0, 0)) & Qt::ItemIsEditable));
        QVERIFY(grid.flags(grid.index(0, 1)) & Qt::ItemIsEditable);
        QVERIFY(!grid.setData(grid.index(0, 0), QStringLiteral("X")));
    }

    // Only keys whose row differs are copied and marked; nothing is marked by a grid
    // that shows no set yet.
    void commitMarksOnlyChangedKeys()
    {
        KeyGridModel grid(m_keys);
        QVERIFY(!grid.commit());
        grid.load();
        QVERIFY(!grid.commit());
        QVERIFY(changedKeys(m_keys).isEmpty());

        QVERIFY(grid.setData(grid.index(1, 1), QStringLiteral("NEW")));
        QVERIFY(grid.setData(grid.index(6, 2), QStringLiteral("R~013")));
        QCOMPARE(m_keys.label(2), QStringLiteral("L0.2"));   // the table waits for the commit
        QVERIFY(grid.commit());
        QCOMPARE(keyOf(m_keys, 0, 2), (KeyText{"NEW", "D0.2"}));
        QCOMPARE(keyOf(m_keys, 0, 7), (KeyText{"L0.7", "R~013"}));
        QCOMPARE(changedKeys(m_keys), (QList<int>{2, 7}));

        // An edit put back to what the key holds changes nothing.
        grid.setData(grid.index(2, 1), QStringLiteral("L0.3"));
        QVERIFY(!grid.commit());
    }

    // A key changed in the table behind the grid keeps its new texts: only edited rows
    // are committed.
    void commitLeavesKeysChangedBehindTheGrid()
    {
        KeyGridModel grid(m_keys);
        grid.load();
        m_keys.setKey(3, QStringLiteral("LOADED"), QString());
        grid.setData(grid.index(4, 1), QStringLiteral("EDITED"));
        grid.commit();
        QCOMPARE(keyOf(m_keys, 0, 3), (KeyText{"LOADED", QString()}));
        QCOMPARE(keyOf(m_keys, 0, 5), (KeyText{"EDITED", "D0.5"}));
        grid.load();
        QCOMPARE(grid.row(3), (KeyText{"LOADED", QString()}));
    }

    void switchingSetsCommitsToTheOldSet()
    {
        KeyGridModel grid(m_keys);
        grid.load();
        grid.setData(grid.index(0, 1), QStringLiteral("EDITED"));
        grid.switchSet(1);
        QCOMPARE(m_keys.currentKeySet(), 1);
        QCOMPARE(grid.shownSet(), 1);
        QCOMPARE(m_keys.label(1), QStringLiteral("EDITED"));
        QVERIFY(m_keys.changed(1));
        QCOMPARE(grid.row(1), original(1, 1));
        QCOMPARE(changedKeys(m_keys), QList<int>{1});
    }

    // The terminal may make another set current while the grid still shows its own: the
    // grid's edits still belong to the set it shows.
    void commitGoesToTheShownSetWhateverIsCurrent()
    {
        KeyGridModel grid(m_keys);
        grid.load();
        grid.setData(grid.index(9, 2), QStringLiteral("MINE"));
        m_keys.setCurrentKeySet(7);
        grid.commit();
        QCOMPARE(keyOf(m_keys, 0, 10), (KeyText{"L0.10", "MINE"}));
        QCOMPARE(keyOf(m_keys, 7, 10), original(7, 10));
        QCOMPARE(changedKeys(m_keys), QList<int>{10});
    }

    void rowMoveAndItsOneUndo()
    {
        m_keys.setCurrentKeySet(3);
        KeyGridModel grid(m_keys);
        grid.load();
        QSignalSpy undoSignal(&grid, &KeyGridModel::undoAvailableChanged);
        QVERIFY(!grid.canUndo());

        grid.moveRow(3, 10);
        QVERIFY(grid.canUndo());
        QCOMPARE(undoSignal.takeFirst().at(0).toBool(), true);
        // Committed at once: key 10 took key 3's texts, key 3 is empty, 4 to 9 stayed.
        QCOMPARE(keyOf(m_keys, 3, 10), original(3, 3));
        QCOMPARE(keyOf(m_keys, 3, 3), KeyText());
        for (int k = 4; k <= 9; ++k)
            QCOMPARE(keyOf(m_keys, 3, k), original(3, k));
        QCOMPARE(grid.row(10), original(3, 3));
        QCOMPARE(grid.row(3), KeyText());
        const int n3 = FunctionKeyTable::keyNumber(3, 3);
        const int n10 = FunctionKeyTable::keyNumber(3, 10);
        QCOMPARE(changedKeys(m_keys), (QList<int>{n3, n10}));

        grid.undoMove();
        QVERIFY(!grid.canUndo());
        QCOMPARE(undoSignal.takeFirst().at(0).toBool(), false);
        QCOMPARE(keyOf(m_keys, 3, 3), original(3, 3));
        QCOMPARE(keyOf(m_keys, 3, 10), original(3, 10));
        QCOMPARE(grid.row(3), original(3, 3));
        QCOMPARE(grid.row(10), original(3, 10));

        // A second undo finds nothing to undo, even after the rows were edited.
        grid.setData(grid.index(2, 1), QStringLiteral("AFTER"));
        grid.undoMove();
        QCOMPARE(grid.row(3).label, QStringLiteral("AFTER"));
        QVERIFY(undoSignal.isEmpty());
    }

    void moveUpwardsAndRefusedMoves()
    {
        KeyGridModel grid(m_keys);
        grid.load();
        grid.moveRow(64, 1);
        QCOMPARE(keyOf(m_keys, 0, 1), original(0, 64));
        QCOMPARE(keyOf(m_keys, 0, 64), KeyText());
        grid.dropUndo();
        QVERIFY(!grid.canUndo());

        m_keys.clearChanged();
        grid.moveRow(5, 5);
        grid.moveRow(0, 5);
        grid.moveRow(5, 65);
        QVERIFY(!grid.canUndo());
        QVERIFY(changedKeys(m_keys).isEmpty());
    }

    void setSwitchDropsTheUndo()
    {
        KeyGridModel grid(m_keys);
        grid.load();
        grid.moveRow(1, 2);
        grid.switchSet(4);
        QVERIFY(!grid.canUndo());
        grid.undoMove();
        QCOMPARE(keyOf(m_keys, 0, 2), original(0, 1));
        QCOMPARE(keyOf(m_keys, 4, 1), original(4, 1));
    }

    void rowClipboard()
    {
        KeyGridModel grid(m_keys);
        grid.load();
        QCOMPARE(grid.clipboard(), KeyText());
        grid.copyRow(5);
        grid.pasteRow(20);
        grid.pasteRow(21);
        QCOMPARE(grid.row(20), original(0, 5));
        QCOMPARE(grid.row(21), original(0, 5));
        QCOMPARE(grid.row(5), original(0, 5));
        // The clipboard outlives a set switch; the paste waits for a commit.
        grid.switchSet(1);
        grid.pasteRow(1);
        QCOMPARE(keyOf(m_keys, 1, 1), original(1, 1));
        grid.commit();
        QCOMPARE(keyOf(m_keys, 1, 1), original(0, 5));
        QCOMPARE(keyOf(m_keys, 0, 20), original(0, 5));
    }

    void pendingCaptionRow()
    {
        KeyGridModel grid(m_keys);
        QCOMPARE(grid.takePendingCaption(), 0);
        grid.noteTyped(7);
        grid.noteTyped(9);
        QCOMPARE(grid.pendingCaptionRow(), 9);
        QCOMPARE(grid.takePendingCaption(), 9);
        QCOMPARE(grid.takePendingCaption(), 0);
    }

    void clearSetEmptiesAndMarksEveryKeyOfIt()
    {
        m_keys.setCurrentKeySet(5);
        m_keys.setKey(FunctionKeyTable::keyNumber(5, 30), QString(), QString());
        m_keys.clearChanged();
        KeyGridModel grid(m_keys);
        grid.load();
        grid.clearSet();
        QList<int> expected;
        for (int k = 1; k <= 64; ++k) {
            QCOMPARE(grid.row(k), KeyText());
            QCOMPARE(keyOf(m_keys, 5, k), KeyText());
            expected.append(FunctionKeyTable::keyNumber(5, k));
        }
        // Marked whether or not the key held anything (key 30 was empty already).
        QCOMPARE(changedKeys(m_keys), expected);
        QCOMPARE(keyOf(m_keys, 4, 64), original(4, 64));
        QCOMPARE(keyOf(m_keys, 6, 1), original(6, 1));
    }

    void subsetTakenIntoTheShownSet()
    {
        m_keys.setCurrentKeySet(6);
        KeyGridModel grid(m_keys);
        grid.load();
        QList<KeyText> file;
        for (int k = 1; k <= 64; ++k)
            file.append({QStringLiteral("F%1").arg(k), k == 2 ? QString() : QStringLiteral("X")});
        grid.takeSubset(file);
        QCOMPARE(grid.row(2), (KeyText{"F2", QString()}));
        QCOMPARE(keyOf(m_keys, 6, 64), (KeyText{"F64", "X"}));
        QCOMPARE(changedKeys(m_keys).size(), 64);
        QCOMPARE(changedKeys(m_keys).constFirst(), FunctionKeyTable::keyNumber(6, 1));
    }
};

QTEST_GUILESS_MAIN(TestKeyGrid)
#include "tst_keygrid.moc"
