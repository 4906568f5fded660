#pragma once

#include <QString>

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
};

// The real boxes, parented to the main window.
class WidgetOperatorPrompt : public OperatorPrompt
{
public:
    explicit WidgetOperatorPrompt(QWidget *parent) : m_parent(parent) {}
    void showMessage(const QString &title, const QString &text) override;
    Answer ask(const QString &title, const QString &text, bool withCancel) override;

private:
    QWidget *m_parent;
};
