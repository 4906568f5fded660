// Start-up: RetrieveSettings fills every control from the settings file in a fixed order
// (later steps rely on earlier ones), builds the workspace strip and enters the start
// workspace. The workspaces read their own keys, in the phases SettingsOwner names.

#include "app/mainwindow.h"

#include "app/statusbar.h"
#include "serial/mainport.h"
#include "serial/portmap.h"
#include "settings/settingsfile.h"
#include "settings/settingskeys.h"

#include <QTimer>

void TForm1::RetrieveSettings()
{
    // Fresh tables and run state; handlers stay quiet until the end of the reading.
    SettingsLoaded = false;
    for (SettingsOwner *owner : std::as_const(m_settingsOwners))
        owner->resetForStartup();
    m_mainPort->lineSettings().flowCode = 3;

    // One snapshot of the file serves every read of start-up.
    const SettingsFile file(m_settingsPath);

    HideAboutOnStartup = read(file, key::NagScreen);
    m_aboutTimer->start();
    readLineSettings(file);
    for (SettingsOwner *owner : std::as_const(m_settingsOwners))
        owner->readSettings(file);
    holdFixedSize();

    for (Workspace *workspace : std::as_const(m_workspaces))
        workspace->stopTimers();
    chooseStartWorkspace(file);

    // The start workspace's first entry has run; what it left for a later tick reads now.
    for (SettingsOwner *owner : std::as_const(m_settingsOwners))
        owner->prepareFirstEntry(file);

    SettingsLoaded = true;
    for (SettingsOwner *owner : std::as_const(m_settingsOwners))
        owner->readAfterLoaded(file);

    discoverPorts();
    EnumeratePorts(8);

    m_tabArea->show();
    setPalette(QPalette());
    m_startUpPanel->hide();
    m_status->show();
    layoutWindow();
    Q_EMIT startupFinished();
}

void TForm1::readLineSettings(const SettingsFile &file)
{
    LineSettings &line = m_mainPort->lineSettings();
    const QString port = read(file, key::PORT);
    showPortChoice(port);
    // A hand-edited port text without a number keeps port 1.
    line.port = portNumberFromText(port).value_or(1);

    const QString rate = read(file, key::BAUD);
    m_status->SB2->setText(rate);
    if (const auto code = baudCodeForText(rate))
        line.baudCode = *code;

    const QString spec = read(file, key::COMSPEC);
    m_status->SB3->setText(spec);
    ParseComSpec(spec, line);
}

void TForm1::discoverPorts()
{
#ifndef Q_OS_WIN
    const QStringList devices = m_discoverDevices ? m_discoverDevices() : PortMap::systemDevices();
    if (devices.isEmpty())
        return;
    SettingsFile file(m_settingsPath);
    m_portMap->load(file);
    // New devices keep their numbers from run to run only once written; failing that,
    // they still work for this run.
    if (m_portMap->assignDiscovered(devices, file) && !file.commit())
        qWarning("Could not record the serial port numbers in %s: %s", qPrintable(m_settingsPath),
                 qPrintable(file.errorString()));
#endif
}
