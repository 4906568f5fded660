#pragma once

#include <QDialog>

class QPushButton;
class QTextBrowser;

// "Special Function Help": the page about the sequencer's special functions. Shown without
// blocking the window and kept on top; OK only hides it, so it opens again as it was left.
class TForm2 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);

    // Shows the page centred on the screen (or raises it when it is already shown).
    void showCentred();

    QTextBrowser *page() const { return m_page; }
    QPushButton *Button1 = nullptr;

    // The page's HTML, as the window renders it.
    static QString html();

private:
    QTextBrowser *m_page;
};
