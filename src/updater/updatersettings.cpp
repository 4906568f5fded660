#include "updater/updatersettings.h"

#include "settings/settingsfile.h"
#include "settings/settingskeys.h"

#include <QDir>
#include <QFileInfo>

void UpdaterSettings::readRates(const SettingsFile &file)
{
    // A value outside a group's range leaves that group's buttons as they are.
    const int programming = read(file, key::BAUDX);
    if (programming >= 0 && programming <= 3)
        programmingRate = programming;
    const int discovery = read(file, key::BAUDAX);
    if (discovery >= 0 && discovery <= 7)
        discoveryRate = discovery;
    else
        discoveryRate.reset();
}

void UpdaterSettings::readStartIn(const SettingsFile &file)
{
    const QString folder = read(file, key::STARTIN);
    const QFileInfo info(folder);
    startIn = (info.isDir() && info.isReadable()) ? folder : QDir::toNativeSeparators(QDir::rootPath());
}

void UpdaterSettings::readProgrammingPort(const SettingsFile &file)
{
    programmingPort = read(file, key::PROGPORT);
}
