#pragma once

#include <QString>
#include <QStringList>

// What stands for a drive on this platform, wherever the operator picks a drive and a folder
// (the sequencer's folder chooser, the updater's firmware folder, the key-set files): the
// root, the home folder and the mount points of real devices.
namespace Drives {

QStringList roots();

// The drive a folder lies on: the longest root that holds it (the root of the file system
// when none does).
QString driveOf(const QString &folder, const QStringList &roots);

} // namespace Drives
