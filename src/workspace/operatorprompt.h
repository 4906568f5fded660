#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <optional>

class QWidget;

// Everything that asks the operator something or tells him something in a box goes
// through here, so tests can give scripted answers and nothing waits for a person.
class OperatorPrompt
{
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~OperatorPrompt() = default;

    // A box with a single OK button and no icon.
    virtual void showMessage(const QString &title, const QString &text) = 0;
    // A Yes/No question (with Cancel when asked for).
    virtual Answer ask(const QString &title, const QString &text, bool withCancel) = 0;
    // An OK/Cancel box with a warning; true for OK. Scripted prompts answer it as a question,
    // Yes standing for OK.
    virtual bool confirm(const QString &title, const QString &text) { return ask(title, text, false) == Answer::Yes; }
    // A Yes/No question whose default button is No, for a step that is hard to undo.
    virtual Answer askDefaultNo(const QString &title, const QString &text) { return ask(title, text, false); }

    // The choosers. A prompt that offers none answers as if the operator cancelled.
    // filter is in Qt's form ("Text files (*.txt *.TXT)"); an empty result means cancelled.
    struct FileChoice
    {
        QString title;
        QString folder;     // where the chooser starts
        QString fileName;   // the name field's first text, e.g. "*.txt"
        QString filter;
    };
    virtual QString chooseOpenFile(const FileChoice &) { return {}; }
    // The caller asks about an existing file itself: the chooser never does.
    virtual QString chooseSaveFile(const FileChoice &) { return {}; }

    struct FontChoice
    {
        QFont font;
        QColor colour;
    };
    virtual std::optional<FontChoice> chooseFont(const QString &, const FontChoice &) { return std::nullopt; }
    virtual std::optional<QColor> chooseColour(const QString &, const QColor &) { return std::nullopt; }
};
