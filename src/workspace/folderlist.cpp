#include "workspace/folderlist.h"

#include "workspace/drives.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QStyle>

namespace {

constexpr int PathRole = Qt::UserRole;

} // namespace

namespace FolderList {

void fillDrives(QComboBox *drives)
{
    drives->clear();
    const QIcon icon = drives->style()->standardIcon(QStyle::SP_DriveHDIcon);
    for (const QString &root : Drives::roots())
        drives->addItem(icon, QDir::toNativeSeparators(root), root);
}

void showFolder(QComboBox *drives, QListWidget *folders, const QString &folder)
{
    const int drive = drives->findData(Drives::driveOf(folder, Drives::roots()));
    if (drive >= 0)
        drives->setCurrentIndex(drive);

    folders->clear();
    const QIcon open = folders->style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = folders->style()->standardIcon(QStyle::SP_DirClosedIcon);
    QStringList chain;
    for (QDir dir(folder);;) {
        chain.prepend(dir.absolutePath());
        if (!dir.cdUp())
            break;
    }
    int depth = 0;
    QListWidgetItem *current = nullptr;
    for (const QString &path : std::as_const(chain)) {
        const QString name = depth == 0 ? QDir::toNativeSeparators(path) : QFileInfo(path).fileName();
        current = new QListWidgetItem(open, QString(depth * 2, QLatin1Char(' ')) + name, folders);
        current->setData(PathRole, path);
        ++depth;
    }
    const QStringList subfolders =
        QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString &name : subfolders) {
        auto *item = new QListWidgetItem(closed, QString(depth * 2, QLatin1Char(' ')) + name, folders);
        item->setData(PathRole, QDir(folder).filePath(name));
    }
    folders->setCurrentItem(current);
}

QString pathOf(const QListWidgetItem *item)
{
    return item ? item->data(PathRole).toString() : QString();
}

} // namespace FolderList
