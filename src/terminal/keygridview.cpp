#include "terminal/keygridview.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTimer>

using namespace std::chrono_literals;

namespace {

constexpr int KeyColumnWidth = 54;
constexpr int LabelColumnWidth = 144;
constexpr int DataColumnWidth = 625;

// Reports every character typed into a cell editor, as the grid's own key press does.
class KeyCellDelegate : public QStyledItemDelegate
{
public:
    explicit KeyCellDelegate(KeyGridView *view) : QStyledItemDelegate(view), m_view(view) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto *line = qobject_cast<QLineEdit *>(editor)) {
            const int row = index.row() + 1;
            QObject::connect(line, &QLineEdit::textEdited, m_view, [view = m_view, row] { Q_EMIT view->typedInRow(row); });
        }
        return editor;
    }

private:
    KeyGridView *m_view;
};

} // namespace

KeyGridView::KeyGridView(QWidget *parent)
    : QTableView(parent)
{
    setObjectName(QStringLiteral("FKeyGrid"));
    setItemDelegate(new KeyCellDelegate(this));
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                    | QAbstractItemView::AnyKeyPressed);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(RowHeight);
    horizontalHeader()->setFixedHeight(RowHeight);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);

    m_dragScroll = new QTimer(this);
    m_dragScroll->setInterval(100ms);
    connect(m_dragScroll, &QTimer::timeout, this,
            [this] { verticalScrollBar()->setValue(verticalScrollBar()->value() + m_dragScrollStep); });
}

void KeyGridView::setModel(QAbstractItemModel *model)
{
    QTableView::setModel(model);
    setColumnWidth(0, KeyColumnWidth);
    setColumnWidth(1, LabelColumnWidth);
    setColumnWidth(2, DataColumnWidth);
}

int KeyGridView::topSelectedRow() const
{
    if (!selectionModel())
        return 0;
    int top = 0;
    for (const QItemSelectionRange &range : selectionModel()->selection()) {
        const int row = range.top() + 1;
        if (top == 0 || row < top)
            top = row;
    }
    return top;
}

void KeyGridView::scrollRowToTop(int r)
{
    verticalScrollBar()->setValue(r - 1);
}

void KeyGridView::keyPressEvent(QKeyEvent *event)
{
    const bool control = event->modifiers() & Qt::ControlModifier;
    const int row = topSelectedRow();
    if (control && event->key() == Qt::Key_C) {
        if (row > 0)
            Q_EMIT rowCopyRequested(row);
        return;
    }
    if (control && event->key() == Qt::Key_V) {
        if (row > 0)
            Q_EMIT rowPasteRequested(row);
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (row > 0)
            Q_EMIT enterPressed(row);
        return;
    }
    if (!control && row > 0 && !event->text().isEmpty() && event->text().at(0).isPrint())
        Q_EMIT typedInRow(row);
    QTableView::keyPressEvent(event);
}

void KeyGridView::mousePressEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index.isValid() && index.column() == 0) {
        m_dragFrom = index.row() + 1;
        viewport()->setCursor(Qt::SizeVerCursor);
        setFocus(Qt::MouseFocusReason);
        return;
    }
    QTableView::mousePressEvent(event);
}

void KeyGridView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragFrom > 0) {
        followDragEdge(event->position().toPoint().y());
        return;
    }
    QTableView::mouseMoveEvent(event);
}

void KeyGridView::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_dragFrom == 0) {
        QTableView::mouseReleaseEvent(event);
        return;
    }
    const int from = m_dragFrom;
    endDrag();
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && index.row() + 1 != from)
        Q_EMIT rowMoved(from, index.row() + 1);
}

// A drag held at the top or the bottom edge scrolls a row at a time, so any row can be reached.
void KeyGridView::followDragEdge(int y)
{
    m_dragScrollStep = 0;
    if (y < RowHeight / 2)
        m_dragScrollStep = -1;
    else if (y > viewport()->height() - RowHeight / 2)
        m_dragScrollStep = 1;
    if (m_dragScrollStep == 0)
        m_dragScroll->stop();
    else if (!m_dragScroll->isActive())
        m_dragScroll->start();
}

void KeyGridView::endDrag()
{
    m_dragFrom = 0;
    m_dragScrollStep = 0;
    m_dragScroll->stop();
    viewport()->unsetCursor();
}

void KeyGridView::focusOutEvent(QFocusEvent *event)
{
    QTableView::focusOutEvent(event);
    Q_EMIT exited();
}

void KeyGridView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    // The base commits an open editor first, so the caption that follows sees the edit.
    QTableView::currentChanged(current, previous);
    Q_EMIT cellSelected();
}

void KeyGridView::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    const int row = currentIndex().row() + 1;
    QTableView::closeEditor(editor, hint);
    // The delegate ends an edit with this hint only for Enter, after committing it.
    if (hint == QAbstractItemDelegate::SubmitModelCache && row > 0)
        Q_EMIT enterPressed(row);
}
