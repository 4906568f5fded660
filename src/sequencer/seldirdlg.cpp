#include "sequencer/seldirdlg.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QStorageInfo>
#include <QStyle>
#include <QVBoxLayout>

namespace {

constexpr int PathRole = Qt::UserRole;

// Mount points that hold files an operator keeps: the root, the home folder and real devices.
QStringList driveRoots()
{
    QStringList roots{QDir::rootPath(), QDir::homePath()};
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady() || !volume.device().startsWith("/dev/"))
            continue;
        const QString root = volume.rootPath();
        if (!roots.contains(root))
            roots.append(root);
    }
    return roots;
}

// The drive a folder lies on: the longest root that holds it.
QString driveOf(const QString &folder, const QStringList &roots)
{
    QString best = QDir::rootPath();
    for (const QString &root : roots) {
        const QString prefix = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
        if ((folder == root || folder.startsWith(prefix)) && root.size() > best.size())
            best = root;
    }
    return best;
}

} // namespace

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
    DriveComboBox1->clear();
    for (const QString &root : driveRoots())
        DriveComboBox1->addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), QDir::toNativeSeparators(root), root);
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
    const int drive = DriveComboBox1->findData(driveOf(m_directory, driveRoots()));
    if (drive >= 0)
        DriveComboBox1->setCurrentIndex(drive);

    DirectoryListBox1->clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    QStringList chain;
    for (QDir dir(m_directory);; ) {
        chain.prepend(dir.absolutePath());
        if (!dir.cdUp())
            break;
    }
    int depth = 0;
    QListWidgetItem *current = nullptr;
    for (const QString &path : std::as_const(chain)) {
        const QString name = depth == 0 ? QDir::toNativeSeparators(path) : QFileInfo(path).fileName();
        current = new QListWidgetItem(open, QString(depth * 2, QLatin1Char(' ')) + name, DirectoryListBox1);
        current->setData(PathRole, path);
        ++depth;
    }
    const QStringList subfolders =
        QDir(m_directory).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString &name : subfolders) {
        auto *item = new QListWidgetItem(closed, QString(depth * 2, QLatin1Char(' ')) + name, DirectoryListBox1);
        item->setData(PathRole, QDir(m_directory).filePath(name));
    }
    DirectoryListBox1->setCurrentItem(current);
}

QString TSelDirDlg::selectedFolder() const
{
    const QListWidgetItem *item = DirectoryListBox1->currentItem();
    return item ? item->data(PathRole).toString() : m_directory;
}

void TSelDirDlg::driveChanged()
{
    setDirectory(DriveComboBox1->currentData().toString());
}

void TSelDirDlg::openItem(QListWidgetItem *item)
{
    if (item)
        setDirectory(item->data(PathRole).toString());
}

void TSelDirDlg::accept()
{
    const QString folder = selectedFolder();
    hide();
    setResult(QDialog::Accepted);
    Q_EMIT folderChosen(folder);
}
