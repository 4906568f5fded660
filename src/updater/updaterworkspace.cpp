#include "updater/updaterworkspace.h"

#include "settings/closinggroup.h"
#include "settings/settingskeys.h"

UpdaterWorkspace::UpdaterWorkspace(Console &console, QObject *parent)
    : PanelWorkspace(QStringLiteral("Flash Updater"), QStringLiteral("FlashUpdater"), console, parent)
{
}

void UpdaterWorkspace::enter()
{
    panel()->show();
}

void UpdaterWorkspace::readSettings(const SettingsFile &file)
{
    m_settings.readRates(file);
    m_settings.readStartIn(file);
}

void UpdaterWorkspace::readAfterLoaded(const SettingsFile &file)
{
    m_settings.readProgrammingPort(file);
}

void UpdaterWorkspace::addClosingValues(ClosingGroup &group) const
{
    if (m_settings.programmingRate)
        group.set(key::BAUDX, *m_settings.programmingRate);
    if (m_settings.discoveryRate)
        group.set(key::BAUDAX, *m_settings.discoveryRate);
    group.set(key::STARTIN, m_settings.startIn);
}
