#include "terminal/keygridmodel.h"

#include "terminal/functionkeys.h"

KeyGridModel::KeyGridModel(FunctionKeyTable &keys, QObject *parent)
    : QAbstractTableModel(parent), m_keys(keys), m_rows(Rows), m_edited(Rows, false)
{
}

int KeyGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Rows;
}

int KeyGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Columns;
}

QVariant KeyGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const KeyText &text = m_rows.at(index.row());
    switch (index.column()) {
    case KeyColumn: return QStringLiteral("F%1").arg(index.row() + 1);
    case LabelColumn: return text.label;
    case DataColumn: return text.data;
    default: return {};
    }
}

bool KeyGridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || index.column() == KeyColumn)
        return false;
    KeyText &text = m_rows[index.row()];
    (index.column() == LabelColumn ? text.label : text.data) = value.toString();
    m_edited[size_t(index.row())] = true;
    Q_EMIT dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

Qt::ItemFlags KeyGridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return index.column() == KeyColumn ? flags : flags | Qt::ItemIsEditable;
}

QVariant KeyGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    switch (section) {
    case KeyColumn: return QStringLiteral("     KEY #");
    case LabelColumn: return QStringLiteral(" KEY LABEL");
    case DataColumn: return QStringLiteral(" KEY DATA (TX when button is pressed)");
    default: return {};
    }
}

void KeyGridModel::setRow(int r, const KeyText &text)
{
    m_rows[r - 1] = text;
    m_edited[size_t(r - 1)] = true;
    rowsChanged(r, r);
}

void KeyGridModel::forget()
{
    m_set = -1;
}

void KeyGridModel::load()
{
    m_set = m_keys.currentKeySet();
    for (int r = 1; r <= Rows; ++r)
        m_rows[r - 1] = {m_keys.label(keyOfRow(r)), m_keys.data(keyOfRow(r))};
    std::fill(m_edited.begin(), m_edited.end(), false);
    rowsChanged(1, Rows);
}

bool KeyGridModel::commit()
{
    if (m_set < 0)
        return false;
    bool changed = false;
    for (int r = 1; r <= Rows; ++r) {
        if (!m_edited[size_t(r - 1)])
            continue;
        m_edited[size_t(r - 1)] = false;
        const int n = keyOfRow(r);
        const KeyText &text = m_rows.at(r - 1);
        if (text.label == m_keys.label(n) && text.data == m_keys.data(n))
            continue;
        m_keys.setKey(n, text.label, text.data);
        changed = true;
    }
    return changed;
}

void KeyGridModel::switchSet(int set)
{
    dropUndo();
    commit();
    m_keys.setCurrentKeySet(set);
    load();
}

void KeyGridModel::moveRow(int from, int to)
{
    if (from == to || from < 1 || to < 1 || from > Rows || to > Rows)
        return;
    m_undo = {from, to, row(from), row(to)};
    setRow(to, m_undo.fromText);
    setRow(from, KeyText());
    commit();
    Q_EMIT undoAvailableChanged(true);
}

void KeyGridModel::undoMove()
{
    if (!canUndo())
        return;
    const MoveUndo undo = m_undo;
    dropUndo();
    setRow(undo.from, undo.fromText);
    setRow(undo.to, undo.toText);
    commit();
}

void KeyGridModel::dropUndo()
{
    const bool had = canUndo();
    m_undo = MoveUndo();
    if (had)
        Q_EMIT undoAvailableChanged(false);
}

int KeyGridModel::takePendingCaption()
{
    const int r = m_pendingCaption;
    m_pendingCaption = 0;
    return r;
}

void KeyGridModel::clearSet()
{
    for (KeyText &text : m_rows)
        text = KeyText();
    rowsChanged(1, Rows);
    storeAllRows();
}

void KeyGridModel::takeSubset(const QList<KeyText> &keys)
{
    for (int r = 1; r <= Rows; ++r)
        m_rows[r - 1] = keys.value(r - 1);
    rowsChanged(1, Rows);
    storeAllRows();
}

int KeyGridModel::keyOfRow(int r) const
{
    return FunctionKeyTable::keyNumber(m_set, r);
}

void KeyGridModel::rowsChanged(int first, int last)
{
    Q_EMIT dataChanged(index(first - 1, 0), index(last - 1, Columns - 1), {Qt::DisplayRole, Qt::EditRole});
}

// Every key of the shown set takes its row and is marked changed, equal or not.
void KeyGridModel::storeAllRows()
{
    if (m_set < 0)
        return;
    for (int r = 1; r <= Rows; ++r)
        m_keys.setKey(keyOfRow(r), m_rows.at(r - 1).label, m_rows.at(r - 1).data);
    std::fill(m_edited.begin(), m_edited.end(), false);
}
