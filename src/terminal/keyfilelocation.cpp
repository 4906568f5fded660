#include "terminal/keyfilelocation.h"

#include "workspace/drives.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStorageInfo>

namespace {

const QChar Slash = QLatin1Char('/');

bool isDriveLetter(const QString &drive)
{
    static const QRegularExpression letter(QStringLiteral("^[A-Za-z]:$"));
    return letter.match(drive).hasMatch();
}

QString withoutTrailingSlash(QString path)
{
    while (path.endsWith(Slash))
        path.chop(1);
    return path;
}

QString asFolder(QString folder)
{
    folder.replace(QLatin1Char('\\'), Slash);
    if (!folder.startsWith(Slash))
        folder.prepend(Slash);
    if (!folder.endsWith(Slash))
        folder.append(Slash);
    return folder;
}

QString localDrive(const QString &drive, const QString &home)
{
    return withoutTrailingSlash(isDriveLetter(drive) ? home : drive);
}

} // namespace

KeyFileLocation KeyFileLocation::fromPath(const QString &path, const QStringList &drives)
{
    const QFileInfo info(QDir::cleanPath(path));
    const QString folder = QDir::cleanPath(info.absolutePath());
    KeyFileLocation location;
    for (const QString &candidate : drives) {
        const QString drive = withoutTrailingSlash(QDir::cleanPath(candidate));
        const bool holds = folder == drive || folder.startsWith(drive + Slash);
        if (holds && drive.size() > location.drive.size())
            location.drive = drive;
    }
    location.folder = asFolder(folder.mid(location.drive.size()));
    location.name = info.fileName();
    return location;
}

QString KeyFileLocation::folderPath(const QString &home) const
{
    return QDir::cleanPath(localDrive(drive, home) + asFolder(folder));
}

QString KeyFileLocation::path(const QString &home) const
{
    return QDir::cleanPath(folderPath(home) + Slash + name);
}

QStringList keyFileDrives()
{
    return Drives::roots();
}

QString shownKeyFile(const QString &path)
{
    return path.size() > 49 ? QStringLiteral("...") + path.right(50) : path;
}
