#include "terminal/keypanel.h"

#include "terminal/functionkeys.h"

#include <QButtonGroup>
#include <QPushButton>
#include <QShowEvent>

namespace {

constexpr int Columns = 8;
constexpr int KeyRows = 8;

} // namespace

QString buttonCaption(const QString &text)
{
    QString caption = text;
    return caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

KeyPanel::KeyPanel(FunctionKeyTable &keys, QWidget *parent)
    : QFrame(parent), m_keys(keys)
{
    setObjectName(QStringLiteral("Panel20"));
    setMinimumHeight(PreferredHeight);

    m_setGroup = new QButtonGroup(this);
    m_setGroup->setExclusive(true);
    for (int set = 0; set < FunctionKeyTable::Sets; ++set) {
        auto *button = new QPushButton(this);
        button->setObjectName(QStringLiteral("SETSEL%1").arg(set + 1));
        button->setProperty("Tag", set);
        button->setCheckable(true);
        // The terminal's typing pane keeps the focus while sets and keys are clicked.
        button->setFocusPolicy(Qt::NoFocus);
        QFont font = button->font();
        font.setBold(true);
        button->setFont(font);
        button->setStyleSheet(QStringLiteral("color: blue"));
        m_setGroup->addButton(button, set);
        m_setButtons[size_t(set)] = button;
        connect(button, &QPushButton::clicked, this, [this, set] { SETSELClick(set); });
    }
    for (int k = 1; k <= FunctionKeyTable::KeysPerSet; ++k) {
        auto *button = new QPushButton(this);
        button->setObjectName(QStringLiteral("F%1").arg(k));
        button->setProperty("Tag", k);
        button->setFocusPolicy(Qt::NoFocus);
        m_keyButtons[size_t(k - 1)] = button;
        connect(button, &QPushButton::clicked, this, [this, k] { TermButtonsClick(k); });
    }
    showKeySet();
    layOutButtons();
}

void KeyPanel::showKeySet()
{
    showSetCaptions();
    setButton(m_keys.currentKeySet())->setChecked(true);
    for (int k = 1; k <= FunctionKeyTable::KeysPerSet; ++k)
        keyButton(k)->setText(buttonCaption(m_keys.label(FunctionKeyTable::keyNumber(m_keys.currentKeySet(), k))));
}

void KeyPanel::showSetCaptions()
{
    for (int set = 0; set < FunctionKeyTable::Sets; ++set)
        setButton(set)->setText(buttonCaption(m_keys.setName(set)));
}

void KeyPanel::showEvent(QShowEvent *event)
{
    QFrame::showEvent(event);
    if (!event->spontaneous())
        showKeySet();
}

void KeyPanel::TermButtonsClick(int tag)
{
    Q_EMIT keyPressed(m_keys.data(FunctionKeyTable::keyNumber(m_keys.currentKeySet(), tag)));
}

void KeyPanel::SETSELClick(int tag)
{
    m_keys.setCurrentKeySet(tag);
    showKeySet();
    Q_EMIT keySetChosen(tag);
}

void KeyPanel::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    layOutButtons();
}

// Each button is an eighth of the client width less one; the key rows hang from the bottom
// edge, so a taller panel opens the gap below the set rows.
void KeyPanel::layOutButtons()
{
    const QRect client = contentsRect();
    const int width = client.width() / Columns - 1;
    const int step = ButtonHeight + 2;
    for (int i = 0; i < FunctionKeyTable::Sets; ++i) {
        const int row = i / Columns;
        const int column = i % Columns;
        m_setButtons[size_t(i)]->setGeometry(client.left() + column * width + 4, client.top() + row * step + 3, width,
                                             ButtonHeight);
    }
    for (int i = 0; i < FunctionKeyTable::KeysPerSet; ++i) {
        const int row = i / Columns;
        const int column = i % Columns;
        const int top = client.height() - (KeyRows - row) * step - 1;
        m_keyButtons[size_t(i)]->setGeometry(client.left() + column * width + 4, client.top() + top, width,
                                             ButtonHeight);
    }
}
