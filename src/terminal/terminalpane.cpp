#include "terminal/terminalpane.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

TerminalPane::TerminalPane(const QString &name, QWidget *parent)
    : QPlainTextEdit(parent)
{
    setObjectName(name);
    setMaximumBlockCount(MaxLines);
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
}

void TerminalPane::add(const QString &text, const QColor &colour)
{
    if (text.isEmpty())
        return;
    m_pending.append({text, colour});
    m_endsWithLineBreak = text.endsWith(QLatin1Char('\n'));
}

void TerminalPane::addLine(const QString &text, const QColor &colour)
{
    QString line = text;
    if (!m_endsWithLineBreak)
        line.prepend(QLatin1Char('\n'));
    line += QLatin1Char('\n');
    m_pending.append({line, colour});
    m_endsWithLineBreak = true;
}

void TerminalPane::flush()
{
    if (m_pending.isEmpty())
        return;
    QScrollBar *bar = verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum() - 1;
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    // Neighbours of one colour go in as one insertion: the text and its colours are the
    // same, and a fast stream costs one insertion per colour change rather than per batch.
    QTextCharFormat format;
    QString run;
    QColor runColour;
    auto insertRun = [&] {
        if (run.isEmpty())
            return;
        format.setForeground(runColour);
        m_inserted += run.size();
        cursor.insertText(withLineBreaks(run), format);
        run.clear();
    };
    for (const Piece &piece : std::as_const(m_pending)) {
        if (piece.colour != runColour)
            insertRun();
        runColour = piece.colour;
        run += piece.text;
    }
    insertRun();
    cursor.endEditBlock();
    m_pending.clear();
    trimToCap();
    if (atEnd)
        bar->setValue(bar->maximum());
}

QString TerminalPane::withLineBreaks(const QString &text)
{
    QString out;
    out.reserve(text.size() + text.size() / MaxLineLength + 1);
    for (QChar c : text) {
        if (c == QLatin1Char('\n')) {
            m_lineLength = 0;
        } else {
            if (m_lineLength >= MaxLineLength) {
                out += QLatin1Char('\n');
                m_lineLength = 0;
            }
            ++m_lineLength;
        }
        out += c;
    }
    return out;
}

void TerminalPane::empty()
{
    m_pending.clear();
    m_lineLength = 0;
    clear();
    m_endsWithLineBreak = true;
}

// Lines beyond MaxLines go by themselves (maximumBlockCount); a stream without line
// breaks (hex or decimal display) would grow one line for ever, so the oldest quarter of
// the characters goes when there are too many.
void TerminalPane::trimToCap()
{
    QTextDocument *doc = document();
    if (doc->characterCount() <= MaxCharacters)
        return;
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::Start);
    cursor.setPosition(doc->characterCount() - MaxCharacters * 3 / 4, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

void TerminalPane::keyPressEvent(QKeyEvent *event)
{
    if (keyPressed && keyPressed(event))
        return;
    QPlainTextEdit::keyPressEvent(event);
}

void TerminalPane::keyReleaseEvent(QKeyEvent *event)
{
    if (keyReleased && keyReleased(event))
        return;
    QPlainTextEdit::keyReleaseEvent(event);
}
