#pragma once

#include <QTableView>

class QTimer;

// FKeyGrid: the three-column grid of the key set being edited, on a KeyGridModel. Column 0
// ("F1".."F64") is the fixed column a row is dragged by: press on it, release on another
// row. The view only reports what the operator did; the page decides what it means.
// Rows are numbered 1..64 in every signal.
class KeyGridView : public QTableView
{
    Q_OBJECT
public:
    static constexpr int RowHeight = 20;

    explicit KeyGridView(QWidget *parent = nullptr);

    // Also gives the columns their widths, which a new model resets.
    void setModel(QAbstractItemModel *model) override;

    // The top row of the current selection, 0 when nothing is selected.
    int topSelectedRow() const;
    // Scrolls so that row r is the top row, as far as the grid can scroll.
    void scrollRowToTop(int r);

Q_SIGNALS:
    void rowMoved(int from, int to);
    void rowCopyRequested(int r);     // Ctrl+C
    void rowPasteRequested(int r);    // Ctrl+V
    void enterPressed(int r);         // Enter, or an edit ended with Enter
    void typedInRow(int r);           // a character typed, in the grid or its cell editor
    void cellSelected();
    void exited();                    // the grid lost the focus

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void followDragEdge(int y);
    void endDrag();

    int m_dragFrom = 0;   // row pressed in the fixed column, 0 when no drag
    int m_dragScrollStep = 0;   // rows per tick while a drag holds at an edge
    QTimer *m_dragScroll = nullptr;
};
