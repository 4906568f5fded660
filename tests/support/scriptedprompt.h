#pragma once

#include "app/operatorprompt.h"

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

    QList<Shown> messages;
    QList<Shown> questions;
    QList<Answer> answers;
};
