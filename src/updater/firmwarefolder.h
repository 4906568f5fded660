#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// The firmware files of a folder as the file grid lists them: newest first, each with the
// time it was last written.
namespace FirmwareFolder {

struct Row
{
    QString name;
    QDateTime stamp;   // invalid when the file could not be opened to read it
};

// The names matching "*.hex" (in any case) in folder, in the folder listing's order (by name).
QStringList hexFileNames(const QString &folder);
// The names with their stamps; a file that cannot be opened for reading gets no stamp.
QList<Row> stampedRows(const QString &folder, const QStringList &names);
// Each row goes before the first older one, so files of equal age keep their order; files
// without a stamp go after every dated one.
QList<Row> newestFirst(const QList<Row> &rows);
// "09/23/2006 10:15 PM": month, day, year, the hour on the 12-hour clock, minutes, AM or PM.
QString stampText(const QDateTime &stamp);

} // namespace FirmwareFolder
