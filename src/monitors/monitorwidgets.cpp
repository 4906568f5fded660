#include "monitors/monitorwidgets.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QValidator>

namespace MonitorLook {

namespace {

// Turns letters to upper case before the edit takes them, so no lower-case text is ever
// seen by the edit's change handling.
class UpperCaseValidator : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString &input, int &) const override
    {
        input = input.toUpper();
        return Acceptable;
    }
};

// Runs a callback for every key pressed in the widget it watches; owned by that widget.
class KeyWatcher : public QObject
{
public:
    KeyWatcher(QObject *watched, std::function<void()> onKey) : QObject(watched), m_onKey(std::move(onKey))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress)
            m_onKey();
        return false;
    }

private:
    std::function<void()> m_onKey;
};

} // namespace

QFont terminalFont(int pointSize)
{
    QFont font(QStringLiteral("Terminal"), pointSize);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}

void setFieldColours(QLineEdit *field, const QColor &text, const QColor &background)
{
    QPalette palette = field->palette();
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Base, background);
    field->setPalette(palette);
}

void showWaiting(QLineEdit *field)
{
    setFieldColours(field, Qt::black, Qt::yellow);
}

void showFound(QLineEdit *field)
{
    setFieldColours(field, Qt::white, Navy);
}

void makeUpperCase(QLineEdit *field)
{
    field->setValidator(new UpperCaseValidator(field));
}

void watchKeys(QLineEdit *field, std::function<void()> onKey)
{
    new KeyWatcher(field, std::move(onKey));
}

} // namespace MonitorLook

BoardList::BoardList(const QString &name, QWidget *parent)
    : QListWidget(parent)
{
    setObjectName(name);
    setFont(MonitorLook::terminalFont());
    setSelectionMode(QAbstractItemView::SingleSelection);
    QPalette look = palette();
    look.setColor(QPalette::Base, MonitorLook::ListBackground);
    look.setColor(QPalette::Text, Qt::black);
    setPalette(look);
}

std::optional<QString> BoardList::selectedEntry() const
{
    const int row = currentRow();
    if (row < 0 || !item(row) || !item(row)->isSelected())
        return std::nullopt;
    return item(row)->text();
}

void BoardList::selectQuietly(int row)
{
    const QSignalBlocker quiet(this);
    setCurrentRow(row);
    if (row < 0)
        clearSelection();
}

void BoardList::mouseReleaseEvent(QMouseEvent *event)
{
    QListWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && itemAt(event->position().toPoint()))
        Q_EMIT operatorClicked();
}

void BoardList::keyPressEvent(QKeyEvent *event)
{
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    if (currentRow() != before)
        Q_EMIT operatorClicked();
}

BitLamp::BitLamp(const QString &name, int tag, QWidget *parent)
    : QLabel(QStringLiteral("0"), parent), m_tag(tag)
{
    setObjectName(name);
    setFont(MonitorLook::terminalFont(12));
    setAlignment(Qt::AlignCenter);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setCursor(Qt::PointingHandCursor);
}

void BitLamp::paintEvent(QPaintEvent *event)
{
    if (text() == QLatin1String("1")) {
        QPainter painter(this);
        painter.fillRect(contentsRect(), MonitorLook::LampLit);
    }
    QLabel::paintEvent(event);
}

void BitLamp::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked(m_tag);
}
