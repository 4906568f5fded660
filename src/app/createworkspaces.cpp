// The composition root: the one file that knows every workspace's class. It creates the
// workspaces in tab order, lends them the Configuration Menu's pages they fill, and hands
// the main window nothing but the Workspace and SettingsOwner interfaces.

#include "app/configurationmenu.h"
#include "app/mainwindow.h"
#include "monitors/analogmonitor.h"
#include "monitors/digitalmonitor.h"
#include "monitors/monitorstate.h"
#include "monitors/relaycontrol.h"
#include "monitors/scandefaults.h"
#include "sequencer/sequencerworkspace.h"
#include "terminal/terminalworkspace.h"
#include "updater/updaterworkspace.h"

void TForm1::createWorkspaces()
{
    auto *monitorState = new MonitorState(this);   // shared by the three board workspaces
    auto *digital = new DigitalMonitor(*this, *monitorState, this);
    auto *analog = new AnalogMonitor(*this, *monitorState, this);
    auto *relay = new RelayControl(*this, *monitorState, this);
    auto *terminal = new TerminalWorkspace(*this, this);
    auto *sequencer = new SequencerWorkspace(*this, this);
    auto *updater = new UpdaterWorkspace(*this, this);
    m_configuration = new ConfigurationMenu(*this, this);
    m_workspaces = {digital, analog, relay, terminal, sequencer, updater, m_configuration};

    // The pages of the Configuration Menu that belong to other workspaces.
    auto *scanDefaults = new ScanDefaults(*this, monitorState->scanRange, m_configuration->page(1), this);
    sequencer->installSettingsPanel(m_configuration->page(2));
    connect(sequencer, &SequencerWorkspace::helpRequested, this, &TForm1::HelpClick);
    terminal->installConfigurationPages(m_configuration->page(3), m_configuration->page(4));
    connect(terminal, &TerminalWorkspace::entered, m_configuration, &ConfigurationMenu::showFirstNote);

    for (Workspace *workspace : std::as_const(m_workspaces))
        m_settingsOwners.append(workspace);
    m_settingsOwners.append(scanDefaults);
}
