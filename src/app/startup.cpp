// Start-up: RetrieveSettings fills every control from the settings file in a fixed order
// (later steps rely on earlier ones), builds the workspace strip and enters the start
// workspace.

#include "app/mainwindow.h"

#include "app/configurationmenu.h"
#include "settings/settingsfile.h"
#include "settings/settingskeys.h"
#include "app/statusbar.h"
#include "monitors/analogmonitor.h"
#include "monitors/digitalmonitor.h"
#include "monitors/monitorstate.h"
#include "monitors/scandefaults.h"
#include "sequencer/sequencerworkspace.h"
#include "serial/mainport.h"
#include "serial/portmap.h"
#include "terminal/terminalworkspace.h"
#include "updater/updaterworkspace.h"

#include <QTabBar>
#include <QTimer>

void TForm1::RetrieveSettings()
{
    // 1-2: fresh tables and run state.
    TerminalWorkspace &term = *m_terminal;
    term.keys().clearChanged();
    SettingsLoaded = false;
    m_digital->timer()->stop();
    m_monitorState->ScanRequested = false;
    m_analog->channelModes() = AnalogChannelModes();
    m_sequencer->resetRunState();
    m_mainPort->lineSettings().flowCode = 3;

    // 3: one snapshot of the file serves every read of start-up.
    const SettingsFile file(m_settingsPath);

    // 4
    HideAboutOnStartup = read(file, key::NagScreen);
    m_aboutTimer->start();
    // 5-6
    UpdaterSettings &updater = m_updater->settings();
    updater.readRates(file);
    updater.readStartIn(file);
    // 7
    m_sequencer->readFont(file);
    term.settings().readColours(file);
    // 8
    term.settings().readViews(file);
    // 9
    m_sequencer->readSpecials(file);
    // 10
    m_configuration->readHideBoxes(file);
    // 11
    m_configuration->readPowerControl(file);
    // 12
    term.settings().readLocations(file);
    // 13
    term.settings().readLocalEcho(file);
    m_configuration->readFlowControl(file);
    // 14-16
    readLineSettings(file);
    // 17
    m_scanDefaults->readSettings(file);
    // 18
    setFixedSize(905, 600 + 36);
    // 19
    m_analog->readSettings(file);
    // 20
    term.keys().setCurrentKeySet(read(file, key::KeySetSel));
    term.keys().readKeys(file);
    // 21
    m_sequencer->readCharacters(file);
    // 22
    for (Workspace *workspace : std::as_const(m_workspaces))
        workspace->stopTimers();
    // 23
    chooseStartWorkspace(file);
    // 24
    m_sequencer->fitStepWindow();
    // 25: the one-time load on the first entry runs after this, so it sees these choices
    // even when the Sequencer is the start workspace.
    m_sequencer->readLoadChoices(file);
    // 26
    SettingsLoaded = true;
    // 27
    term.keys().readSetNames(file);
    term.keys().setCurrentKeySet(read(file, key::KeySetSel));
    // 28
    discoverPorts();
    EnumeratePorts(8);
    // 29
    updater.readProgrammingPort(file);
    // 30
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
    m_status->SB1->setText(port);
    // A hand-edited port text without a number keeps port 1.
    line.port = portNumberFromText(port).value_or(1);
    m_updater->setPortText(port);

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
