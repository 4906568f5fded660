#pragma once

#include <QString>
#include <QStringList>

// Where the last key-set file lay, in the three parts the settings keep (KEYSDRIVE, KEYSDIR,
// KEYSFILE). A drive here is a mount point, as the sequencer's folder chooser shows drives:
// the root (kept as the empty drive), the home folder or a mounted device. A drive letter
// such as the default "c:" names no place on this system and stands for the home folder,
// where an operator's files start. Folders are kept with a separator at both ends; a
// folder written with backslashes reads as the same folder with slashes.
struct KeyFileLocation
{
    QString drive;
    QString folder;
    QString name;   // name and extension, "*.txt" when none was chosen yet

    // The parts of path, its drive being the longest of drives that holds its folder.
    static KeyFileLocation fromPath(const QString &path, const QStringList &drives);

    // The folder and the file on this machine, home standing for a drive letter.
    QString folderPath(const QString &home) const;
    QString path(const QString &home) const;
};

// The drives fromPath chooses among: the root, the home folder and the mounted devices.
QStringList keyFileDrives();

// "Current Key File:": a path of more than 49 characters shows as "..." and its last 50.
QString shownKeyFile(const QString &path);
