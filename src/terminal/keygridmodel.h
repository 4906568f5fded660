#pragma once

#include "terminal/keysetfile.h"

#include <QAbstractTableModel>
#include <QList>

#include <vector>

class FunctionKeyTable;

// FKeyGrid's working copy of one key set: row r (1..64) is key r of the set the grid shows,
// in three columns ("F<r>", label, data). Edits stay in the rows until commit() copies them
// into the table (FKeyGridExit). The rows remember which set they belong to, so a commit
// always lands in that set, even after the terminal has made another set current.
// Also holds what the grid's commands keep between them: the undo of the last row move, the
// row clipboard and the row whose key-button caption still has to follow an edit.
class KeyGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int Rows = 64;
    enum Column { KeyColumn = 0, LabelColumn = 1, DataColumn = 2, Columns = 3 };

    explicit KeyGridModel(FunctionKeyTable &keys, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Grid rows 1..64 (model row r - 1).
    KeyText row(int r) const { return m_rows.at(r - 1); }
    void setRow(int r, const KeyText &text);
    QList<KeyText> rows() const { return m_rows; }
    // The set the rows hold, -1 while they hold none (before start-up has read the keys).
    int shownSet() const { return m_set; }

    // The rows belong to no set any more; the next commit does nothing.
    void forget();
    // The rows from the table's current set, dropping what they held.
    void load();
    // FKeyGridExit: every edited row that differs from its key is copied into the table and
    // marks the key changed. True when a key changed.
    bool commit();
    // CFGSETSEL1Click: the undo dropped, the rows committed, set made current and loaded.
    void switchSet(int set);

    // FKeyGridRowMoved: key to takes over the texts of key from, key from is emptied and no
    // other key moves; committed at once. One step of undo is kept.
    void moveRow(int from, int to);
    bool canUndo() const { return m_undo.from > 0; }
    // UndoMoveButtonClick: both rows get back what they held before the move; committed.
    void undoMove();
    void dropUndo();

    // Ctrl+C / Ctrl+V of a row.
    void copyRow(int r) { m_clipboard = row(r); }
    void pasteRow(int r) { setRow(r, m_clipboard); }
    KeyText clipboard() const { return m_clipboard; }

    // A character was typed into row r: its caption follows at the next cell selection.
    void noteTyped(int r) { m_pendingCaption = r; }
    int pendingCaptionRow() const { return m_pendingCaption; }
    // The pending row (0 when none), which is then no longer pending.
    int takePendingCaption();

    // CLEAR SUBSET: rows and keys of the shown set emptied, every key marked changed.
    void clearSet();
    // LOAD SUBSET: the file's keys into the rows and into the shown set, every key marked.
    void takeSubset(const QList<KeyText> &keys);

Q_SIGNALS:
    void undoAvailableChanged(bool available);

private:
    struct MoveUndo
    {
        int from = -1;
        int to = -1;
        KeyText fromText;
        KeyText toText;
    };

    int keyOfRow(int r) const;
    void rowsChanged(int first, int last);
    void storeAllRows();

    FunctionKeyTable &m_keys;
    QList<KeyText> m_rows;
    std::vector<bool> m_edited;
    int m_set = -1;
    MoveUndo m_undo;
    KeyText m_clipboard;
    int m_pendingCaption = 0;
};
