#pragma once

#include <QListWidget>
#include <QWidget>

class QToolButton;

// One of the five visible columns of the step window: a list of WindowRows lines that never
// scrolls by itself. It reports the operator's presses, drags, clicks and keys and leaves the
// decisions to the workspace, which keeps the selected row the same in all five columns.
class StepColumn : public QListWidget
{
    Q_OBJECT
public:
    explicit StepColumn(const QString &name, QWidget *parent = nullptr);

    // The height of one line in the current font.
    int rowHeight() const;
    // The line under a vertical position in the column's rows (mouse events give it so),
    // or -1 below the last line shown.
    int rowAt(int y) const;
    // Fills the lines (no selection afterwards).
    void setRows(const QStringList &texts);
    // Selects a line without reporting a click; -1 (or a line that is not there) clears it.
    void selectRow(int row);
    // The colour of the text (the sequencer font's, or grey while a cell is edited).
    void setTextColour(const QColor &colour);

Q_SIGNALS:
    void pressed(StepColumn *column, Qt::MouseButton button, QPoint position);
    void dragged(StepColumn *column, int row);
    void released(StepColumn *column);
    // A line was chosen with the mouse or moved to with the keyboard (row may be -1 for a
    // click below the last line).
    void rowClicked(StepColumn *column, int row);
    // A key, before the column moves its own selection.
    void keyDown(StepColumn *column, int key);
    void focusEntered();
    void focusLeft();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    bool m_leftDown = false;
    int m_pressRow = -1;
};

// UpDown1: a pair of arrows beside the columns. Its position stands for the current step
// counted from the end (the upper end is the first step); the workspace keeps it.
class UpDownArrows : public QWidget
{
    Q_OBJECT
public:
    enum class Arrow { Up, Down };

    explicit UpDownArrows(QWidget *parent = nullptr);

    void setRange(int minimum, int maximum);
    void setPosition(int position);
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    int position() const { return m_position; }

    QToolButton *upButton() const { return m_up; }
    QToolButton *downButton() const { return m_down; }

Q_SIGNALS:
    void clicked(UpDownArrows::Arrow arrow);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QToolButton *m_up;
    QToolButton *m_down;
    int m_minimum = 0;
    int m_maximum = 0;
    int m_position = 0;
};
