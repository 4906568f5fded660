#pragma once

#include <QDialog>

class QTextBrowser;

// The console's help document, kept in the program.
class HelpWindow : public QDialog
{
    Q_OBJECT
public:
    explicit HelpWindow(QWidget *parent = nullptr);

    // Opens (or raises) the help window of parent at its contents.
    static HelpWindow *showContents(QWidget *parent);

    QTextBrowser *browser() const { return m_browser; }

private:
    QTextBrowser *m_browser;
};
