#include "updater/updaterworkspace.h"

UpdaterWorkspace::UpdaterWorkspace(Console &console, QObject *parent)
    : PanelWorkspace(QStringLiteral("Flash Updater"), QStringLiteral("FlashUpdater"), console, parent)
{
}

void UpdaterWorkspace::enter()
{
    panel()->show();
}
