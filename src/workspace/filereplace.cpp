#include "workspace/filereplace.h"

#include "workspace/operatorprompt.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace FileReplace {

QString backupPath(const QString &path)
{
    const QFileInfo info(path);
    QString name = info.completeBaseName() + QStringLiteral(".BAK");
    if (name == info.fileName())
        name = info.fileName() + QStringLiteral(".BAK");
    return info.dir().filePath(name);
}

QString overwriteQuestion(const QString &path)
{
    return QStringLiteral("Are you sure you want to overwrite the file? \n(") + path + QStringLiteral(")");
}

bool confirmOverwrite(OperatorPrompt &prompt, const QString &path)
{
    return !QFileInfo::exists(path)
        || prompt.ask(QString::fromLatin1(OverwriteTitle), overwriteQuestion(path), false)
               == OperatorPrompt::Answer::Yes;
}

Result keepBackup(const QString &path)
{
    Result result;
    if (!QFileInfo::exists(path)) {
        result.ok = true;
        return result;
    }
    const QString backup = backupPath(path);
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("%1 could not be read to keep a backup of it: %2").arg(path, source.errorString());
        return result;
    }
    QSaveFile copy(backup);
    if (!copy.open(QIODevice::WriteOnly) || copy.write(source.readAll()) < 0 || !copy.commit()) {
        result.error = QStringLiteral("The backup %1 could not be written: %2").arg(backup, copy.errorString());
        return result;
    }
    result.ok = true;
    return result;
}

Result writeWithBackup(const QString &path, const QByteArray &content)
{
    Result result = keepBackup(path);
    if (!result.ok)
        return result;
    result.ok = false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) < 0 || !file.commit()) {
        result.error = QStringLiteral("%1 could not be written: %2").arg(path, file.errorString());
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace FileReplace
