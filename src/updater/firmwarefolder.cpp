#include "updater/firmwarefolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

namespace FirmwareFolder {

QStringList hexFileNames(const QString &folder)
{
    QDir dir(folder);
    dir.setNameFilters({QStringLiteral("*.hex")});
    return dir.entryList(QDir::Files | QDir::Readable | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase);
}

QList<Row> stampedRows(const QString &folder, const QStringList &names)
{
    QList<Row> rows;
    for (const QString &name : names) {
        const QString path = QDir(folder).filePath(name);
        QFile file(path);
        Row row{name, {}};
        // Stamped only when it can be opened, as the loader will need it to be.
        if (file.open(QIODevice::ReadOnly))
            row.stamp = QFileInfo(path).lastModified();
        rows.append(row);
    }
    return rows;
}

namespace {

// Stamps are compared to the second, as the file system's time stamps are shown.
bool older(const Row &row, const Row &than)
{
    if (!than.stamp.isValid())
        return false;
    if (!row.stamp.isValid())
        return true;
    return row.stamp.toSecsSinceEpoch() < than.stamp.toSecsSinceEpoch();
}

} // namespace

QList<Row> newestFirst(const QList<Row> &rows)
{
    QList<Row> sorted;
    for (const Row &row : rows) {
        qsizetype at = 0;
        while (at < sorted.size() && !older(sorted.at(at), row))
            ++at;
        sorted.insert(at, row);
    }
    return sorted;
}

QString stampText(const QDateTime &stamp)
{
    if (!stamp.isValid())
        return {};
    return QLocale::c().toString(stamp, QStringLiteral("MM/dd/yyyy hh:mm AP"));
}

} // namespace FirmwareFolder
