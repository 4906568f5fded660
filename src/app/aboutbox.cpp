#include "app/aboutbox.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

TAboutDlgOK::TAboutDlgOK(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("AboutDlgOK"));
    setWindowTitle(QStringLiteral("About Keldan"));
    setModal(false);
    setFixedSize(576, 137);

    auto *logoPanel = new QFrame(this);
    logoPanel->setGeometry(4, 4, 568, 112);
    logoPanel->setStyleSheet(QStringLiteral("background-color: #ffffcc;"));
    auto *logo = new QLabel(logoPanel);
    logo->setObjectName(QStringLiteral("Image1"));
    logo->setPixmap(QPixmap(QStringLiteral(":/images/logo.jpg")));
    logo->setGeometry(9, 2, 550, 108);

    HideOnStartup = new QCheckBox(QStringLiteral("Hide On Startup"), this);
    HideOnStartup->setObjectName(QStringLiteral("HideOnStartup"));
    HideOnStartup->setGeometry(8, 117, 200, 18);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setGeometry(494, 116, 75, 20);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::hide);
}
