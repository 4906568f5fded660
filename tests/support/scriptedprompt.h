#pragma once

#include "workspace/operatorprompt.h"

#include <QList>
#include <QString>
#include <QStringList>

// Answers the operator's boxes from a script and records what was shown.
class ScriptedPrompt : public OperatorPrompt
{
public:
    struct Shown
    {
        QString title;
        QString text;
    };

    void showMessage(const QString &title, const QString &text) override { messages.append({title, text}); }
    Answer ask(const QString &title, const QString &text, bool) override
    {
        questions.append({title, text});
        return answers.isEmpty() ? Answer::Cancel : answers.takeFirst();
    }

    // The choosers answer from their own scripts; an empty script cancels.
    QString chooseOpenFile(const FileChoice &choice) override
    {
        choosers.append(choice);
        return openFiles.isEmpty() ? QString() : openFiles.takeFirst();
    }
    QString chooseSaveFile(const FileChoice &choice) override
    {
        choosers.append(choice);
        return saveFiles.isEmpty() ? QString() : saveFiles.takeFirst();
    }
    std::optional<FontChoice> chooseFont(const QString &title, const FontChoice &current) override
    {
        choosers.append({title, current.font.family(), {}, {}});
        return fonts.isEmpty() ? std::nullopt : fonts.takeFirst();
    }

    std::optional<QColor> chooseColour(const QString &title, const QColor &current) override
    {
        choosers.append({title, current.name(), {}, {}});
        return colours.isEmpty() ? std::nullopt : colours.takeFirst();
    }

    QList<Shown> messages;
    QList<Shown> questions;
    QList<Answer> answers;
    QList<FileChoice> choosers;   // every chooser shown, in order (a font chooser: title and
                                  // family; a colour chooser: title and colour name)
    QStringList openFiles;
    QStringList saveFiles;
    QList<std::optional<FontChoice>> fonts;
    QList<std::optional<QColor>> colours;
};
