#pragma once

#include <QByteArray>
#include <QString>

class OperatorPrompt;

// Replacing an operator's file without ever losing the version it replaces: the question
// asked first, the backup kept beside the file, and the new file written atomically.
// Used by every save that may overwrite a file the operator chose (sequences, key sets,
// terminal logs).
namespace FileReplace {

inline constexpr const char *OverwriteTitle = "File Exists";

// Where the version a save replaces is kept: beside the file, named as its base name
// (without folder and last extension) with ".BAK". A file already named so is backed up
// to its own name with ".BAK" added.
QString backupPath(const QString &path);

// The question asked before a save replaces an existing file (title OverwriteTitle).
QString overwriteQuestion(const QString &path);

// True when nothing stands in the way of writing path: it does not exist, or the operator
// answered Yes to the overwrite question. No (or anything else) leaves the file untouched.
bool confirmOverwrite(OperatorPrompt &prompt, const QString &path);

struct Result
{
    bool ok = false;
    QString error;   // for the operator, when !ok
};

// Copies an existing file to backupPath(path) through a temporary file, so an older
// backup is replaced only by a complete copy. Succeeds at once when path does not exist.
Result keepBackup(const QString &path);

// Writes content to path: an existing file is first kept as its backup, then the new
// content replaces it atomically (a failure leaves the old file whole). Asks nothing:
// confirm first. Fails, changing nothing, when the backup or the file cannot be written.
Result writeWithBackup(const QString &path, const QByteArray &content);

} // namespace FileReplace
