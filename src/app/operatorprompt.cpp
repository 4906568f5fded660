#include "operatorprompt.h"

#include <QMessageBox>

void WidgetOperatorPrompt::showMessage(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, m_parent);
    box.exec();
}

OperatorPrompt::Answer WidgetOperatorPrompt::ask(const QString &title, const QString &text, bool withCancel)
{
    auto buttons = QMessageBox::Yes | QMessageBox::No;
    if (withCancel)
        buttons |= QMessageBox::Cancel;
    QMessageBox box(QMessageBox::Question, title, text, buttons, m_parent);
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
    }
}
