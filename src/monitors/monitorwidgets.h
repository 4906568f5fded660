#pragma once

#include <QColor>
#include <QLabel>
#include <QListWidget>

#include <functional>
#include <optional>

class QLineEdit;

// Small controls and looks the three board workspaces share.
namespace MonitorLook {

inline const QColor ListBackground{255, 255, 128};   // board lists: light yellow
inline const QColor Navy{0, 0, 128};                  // the address of a board found
inline const QColor Silver{192, 192, 192};            // channel fields a board does not have
inline const QColor Aqua{0, 255, 255};                // input bit labels
inline const QColor LampLit{255, 96, 64};             // an output bit that is set

// The "Terminal" face the lists and bit displays are drawn in; a fixed-pitch face where the
// system has none of that name.
QFont terminalFont(int pointSize = 10);

void setFieldColours(QLineEdit *field, const QColor &text, const QColor &background);
// Black on yellow: an address field waiting for a scan.
void showWaiting(QLineEdit *field);
// White on navy: the address of the board a scan found.
void showFound(QLineEdit *field);

// Typed letters become upper case as they are typed (an edit of upper-case characters).
void makeUpperCase(QLineEdit *field);

// Calls onKey for every key pressed in the field (before the field handles it).
void watchKeys(QLineEdit *field, std::function<void()> onKey);

} // namespace MonitorLook

// A list of boards found by a scan. Tells apart the operator's choice (a click on an
// entry, or moving the selection with the keys) from changes made by program, which are
// silent as a list box's are.
class BoardList : public QListWidget
{
    Q_OBJECT
public:
    explicit BoardList(const QString &name, QWidget *parent);

    // The selected entry, or an empty optional when none is selected.
    std::optional<QString> selectedEntry() const;
    // Selects a row (-1: none) without telling anyone.
    void selectQuietly(int row);

Q_SIGNALS:
    void operatorClicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

// One output bit of the Digital Monitor: shows "0", "1", "X" or a blank and toggles when
// clicked.
class BitLamp : public QLabel
{
    Q_OBJECT
public:
    BitLamp(const QString &name, int tag, QWidget *parent);
    int tag() const { return m_tag; }

Q_SIGNALS:
    void clicked(int tag);

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    // A lamp showing "1" is lit.
    void paintEvent(QPaintEvent *event) override;

private:
    int m_tag;
};
