#pragma once

#include <QDialog>

class QCheckBox;
class QPushButton;

// "About Keldan": the logo, "Hide On Startup" and OK. Shown without blocking the window.
class TAboutDlgOK : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutDlgOK(QWidget *parent = nullptr);

    QCheckBox *HideOnStartup;
    QPushButton *OKBtn;
};
