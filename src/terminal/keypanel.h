#pragma once

#include <QFrame>

#include <array>

class FunctionKeyTable;
class QButtonGroup;
class QPushButton;

// The terminal's key panel (Panel20): two rows of eight set buttons (SETSEL1..SETSEL16, one
// of them down) above eight rows of eight key buttons (F1..F64) that show and send the keys
// of the current set. Every resize lays the buttons out again across the panel's width,
// the set rows at the top and the key rows against the bottom.
class KeyPanel : public QFrame
{
    Q_OBJECT
public:
    static constexpr int ButtonHeight = 21;
    // The height that holds the ten rows of buttons.
    static constexpr int PreferredHeight = 10 * (ButtonHeight + 2) + 4;

    explicit KeyPanel(FunctionKeyTable &keys, QWidget *parent = nullptr);

    // Its owner gives it the width; the height is the ten rows.
    QSize sizeHint() const override { return {8 * 40, PreferredHeight}; }

    // ShowKeySet's part on the terminal: the set captions, the current set's button down and
    // the key captions (the label of each key; an empty label gives an empty caption).
    void showKeySet();
    // The set captions alone, as the caption panel's OK copies them.
    void showSetCaptions();

    QPushButton *setButton(int set) const { return m_setButtons.at(size_t(set)); }   // 0..15
    QPushButton *keyButton(int k) const { return m_keyButtons.at(size_t(k - 1)); }   // 1..64

Q_SIGNALS:
    // A key button was clicked: the data of that key of the current set, also when empty
    // (the terminal still opens its port).
    void keyPressed(const QString &data);
    // A set button was clicked: the set (0..15) is current and shown.
    void keySetChosen(int set);

protected:
    void resizeEvent(QResizeEvent *event) override;
    // Every entry into the terminal shows the panel: the captions and the set follow the
    // tables, which the Function Keys page may have changed.
    void showEvent(QShowEvent *event) override;

private:
    void TermButtonsClick(int tag);
    void SETSELClick(int tag);
    void layOutButtons();

    FunctionKeyTable &m_keys;
    QButtonGroup *m_setGroup = nullptr;
    std::array<QPushButton *, 16> m_setButtons{};
    std::array<QPushButton *, 64> m_keyButtons{};
};

// A text as a button shows it literally: "&" would otherwise mark a shortcut.
QString buttonCaption(const QString &text);
