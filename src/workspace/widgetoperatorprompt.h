#pragma once

#include "workspace/operatorprompt.h"

// The real boxes, parented to the main window.
class WidgetOperatorPrompt : public OperatorPrompt
{
public:
    explicit WidgetOperatorPrompt(QWidget *parent) : m_parent(parent) {}
    void showMessage(const QString &title, const QString &text) override;
    Answer ask(const QString &title, const QString &text, bool withCancel) override;
    bool confirm(const QString &title, const QString &text) override;
    Answer askDefaultNo(const QString &title, const QString &text) override;
    QString chooseOpenFile(const FileChoice &choice) override;
    QString chooseSaveFile(const FileChoice &choice) override;
    std::optional<FontChoice> chooseFont(const QString &title, const FontChoice &current) override;
    std::optional<QColor> chooseColour(const QString &title, const QColor &current) override;

private:
    QWidget *m_parent;
};
