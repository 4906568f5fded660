#include "sequencer/stepcolumn.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QToolButton>

#include <algorithm>

namespace {

// Text sits one pixel from the line above and below, as in a plain list box.
constexpr int LinePadding = 2;

} // namespace

StepColumn::StepColumn(const QString &name, QWidget *parent)
    : QListWidget(parent)
{
    setObjectName(name);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUniformItemSizes(true);
    setSpacing(0);
    setTextElideMode(Qt::ElideNone);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A 2-pixel sunken frame: a column is its rows plus 4 pixels high.
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
}

int StepColumn::rowHeight() const
{
    return fontMetrics().height() + LinePadding;
}

int StepColumn::rowAt(int y) const
{
    const int row = y / rowHeight();
    return y >= 0 && row < count() ? row : -1;
}

void StepColumn::setRows(const QStringList &texts)
{
    const QSignalBlocker quiet(this);
    clear();
    const QSize lineSize(0, rowHeight());
    for (const QString &text : texts) {
        auto *item = new QListWidgetItem(text, this);
        item->setSizeHint(lineSize);
    }
    scrollToTop();
}

void StepColumn::selectRow(int row)
{
    const QSignalBlocker quiet(this);
    if (row >= 0 && row < count()) {
        setCurrentRow(row);
    } else {
        clearSelection();
        setCurrentItem(nullptr);
    }
    scrollToTop();
}

void StepColumn::setTextColour(const QColor &colour)
{
    QPalette p = palette();
    p.setColor(QPalette::Text, colour);
    setPalette(p);
}

void StepColumn::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    if (event->button() == Qt::LeftButton) {
        m_leftDown = true;
        m_pressRow = rowAt(event->position().toPoint().y());
    }
    Q_EMIT pressed(this, event->button(), event->position().toPoint());
}

void StepColumn::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_leftDown)
        return;
    const int y = std::clamp(event->position().toPoint().y(), 0, viewport()->height() - 1);
    const int row = rowAt(y);
    if (row >= 0 && row != m_pressRow) {
        m_pressRow = row;
        Q_EMIT dragged(this, row);
    }
}

void StepColumn::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_leftDown)
        return;
    m_leftDown = false;
    Q_EMIT released(this);
    Q_EMIT rowClicked(this, m_pressRow);
}

void StepColumn::mouseDoubleClickEvent(QMouseEvent *event)
{
    // A double click is two clicks here; the list's own double-click editing stays off.
    mousePressEvent(event);
}

void StepColumn::keyPressEvent(QKeyEvent *event)
{
    Q_EMIT keyDown(this, event->key());
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    scrollToTop();
    const int after = currentRow();
    if (after != before && after >= 0)
        Q_EMIT rowClicked(this, after);
}

void StepColumn::focusInEvent(QFocusEvent *event)
{
    QListWidget::focusInEvent(event);
    Q_EMIT focusEntered();
}

void StepColumn::focusOutEvent(QFocusEvent *event)
{
    QListWidget::focusOutEvent(event);
    Q_EMIT focusLeft();
}

void StepColumn::wheelEvent(QWheelEvent *event)
{
    // The window moves through the sequence with the keys and the arrows, not the wheel.
    event->ignore();
}

UpDownArrows::UpDownArrows(QWidget *parent)
    : QWidget(parent), m_up(new QToolButton(this)), m_down(new QToolButton(this))
{
    setObjectName(QStringLiteral("UpDown1"));
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    m_up->setObjectName(QStringLiteral("UpDown1Up"));
    m_down->setObjectName(QStringLiteral("UpDown1Down"));
    for (QToolButton *button : {m_up, m_down}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
    }
    connect(m_up, &QToolButton::clicked, this, [this] { Q_EMIT clicked(Arrow::Up); });
    connect(m_down, &QToolButton::clicked, this, [this] { Q_EMIT clicked(Arrow::Down); });
}

void UpDownArrows::setRange(int minimum, int maximum)
{
    m_minimum = minimum;
    m_maximum = std::max(minimum, maximum);
    m_position = std::clamp(m_position, m_minimum, m_maximum);
}

void UpDownArrows::setPosition(int position)
{
    m_position = std::clamp(position, m_minimum, m_maximum);
}

void UpDownArrows::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int half = height() / 2;
    m_up->setGeometry(0, 0, width(), half);
    m_down->setGeometry(0, half, width(), height() - half);
}
