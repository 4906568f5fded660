#include "sequencer/seldirdlg.h"

#include "workspace/folderlist.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QStorageInfo>
#include <QStyle>
#include <QVBoxLayout>

TSelDirDlg::TSelDirDlg(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("SelDirDlg"));
    setWindowTitle(QStringLiteral("Select Directory"));
    setModal(false);
    resize(360, 380);

    DriveComboBox1 = new QComboBox(this);
    DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
    DirectoryListBox1 = new QListWidget(this);
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    DirectoryListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(DriveComboBox1);
    layout->addWidget(DirectoryListBox1, 1);
    layout->addLayout(buttons);

    fillDrives();
    connect(DriveComboBox1, &QComboBox::activated, this, &TSelDirDlg::driveChanged);
    connect(DirectoryListBox1, &QListWidget::itemDoubleClicked, this, &TSelDirDlg::openItem);
    connect(OKBtn, &QPushButton::clicked, this, &TSelDirDlg::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    setDirectory(QDir::homePath());
}

void TSelDirDlg::fillDrives()
{
    FolderList::fillDrives(DriveComboBox1);
}

void TSelDirDlg::showAt(const QString &folder)
{
    setDirectory(!folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::homePath());
    show();
    raise();
    activateWindow();
}

void TSelDirDlg::setDirectory(const QString &folder)
{
    m_directory = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    FolderList::showFolder(DriveComboBox1, DirectoryListBox1, m_directory);
}

QString TSelDirDlg::selectedFolder() const
{
    const QListWidgetItem *item = DirectoryListBox1->currentItem();
    return item ? FolderList::pathOf(item) : m_directory;
}

void TSelDirDlg::driveChanged()
{
    setDirectory(DriveComboBox1->currentData().toString());
}

void TSelDirDlg::openItem(QListWidgetItem *item)
{
    if (item)
        setDirectory(FolderList::pathOf(item));
}

void TSelDirDlg::accept()
{
    const QString folder = selectedFolder();
    hide();
    setResult(QDialog::Accepted);
    Q_EMIT folderChosen(folder);
}
