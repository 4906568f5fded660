#pragma once

#include <QColor>
#include <QList>
#include <QPlainTextEdit>

#include <functional>

// One of the terminal's three panes. Text is added at the end, each piece in its own
// colour; what is added waits until the next flush, so a stream of small pieces costs one
// edit and one repaint per flush. The history is capped: the oldest lines go first, and
// a single line that never ends is cut from its start.
class TerminalPane : public QPlainTextEdit
{
    Q_OBJECT
public:
    static constexpr int MaxLines = 5000;
    static constexpr int MaxCharacters = 1'000'000;
    // The longest line the pane holds: a stream without line breaks (a hex or decimal
    // display, a device that ends its lines with CR only) goes on in a new line past it,
    // as the wrapped view shows it anyway; a line is laid out whole on every insertion,
    // so an endless one would make each insertion slower than the last.
    static constexpr int MaxLineLength = 2048;

    explicit TerminalPane(const QString &name, QWidget *parent = nullptr);

    void add(const QString &text, const QColor &colour);
    // The text starts a line of its own and the line ends after it.
    void addLine(const QString &text, const QColor &colour);
    // Inserts what waits, as one edit; keeps the view at the end if it was there.
    void flush();
    // Empties the pane, what waits included.
    void empty();
    bool hasPending() const { return !m_pending.isEmpty(); }
    // Every character inserted since the pane was made, trimmed ones included.
    qint64 insertedCharacters() const { return m_inserted; }

    // The pane's typed keys go here instead of into the text; true takes the key.
    std::function<bool(QKeyEvent *)> keyPressed;
    std::function<bool(QKeyEvent *)> keyReleased;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    struct Piece
    {
        QString text;
        QColor colour;
    };
    void trimToCap();
    // Breaks text where the current line would pass MaxLineLength.
    QString withLineBreaks(const QString &text);

    QList<Piece> m_pending;
    bool m_endsWithLineBreak = true;
    qint64 m_inserted = 0;
    int m_lineLength = 0;   // of the document's last line   // of the text, pieces waiting included
};
