#include "workspace/drives.h"

#include <QDir>
#include <QStorageInfo>

namespace Drives {

QStringList roots()
{
    QStringList found{QDir::rootPath(), QDir::homePath()};
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady() || !volume.device().startsWith("/dev/"))
            continue;
        if (!found.contains(volume.rootPath()))
            found.append(volume.rootPath());
    }
    return found;
}

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

} // namespace Drives
