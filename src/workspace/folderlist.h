#pragma once

#include <QString>

class QComboBox;
class QListWidget;
class QListWidgetItem;

// A drive selector and a folder list as the operator knows them: the drives in the selector,
// and in the list the chain of folders down to the chosen one, then its subfolders, each
// item carrying its path.
namespace FolderList {

void fillDrives(QComboBox *drives);

// Shows folder (an absolute, clean path): its drive chosen in drives, its chain and its
// subfolders in folders, the folder itself the current item.
void showFolder(QComboBox *drives, QListWidget *folders, const QString &folder);

// The folder an item of the list stands for.
QString pathOf(const QListWidgetItem *item);

} // namespace FolderList
