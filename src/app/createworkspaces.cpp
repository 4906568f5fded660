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
#include "terminal/functionkeyspage.h"
#include "terminal/keypanel.h"
#include "terminal/terminalworkspace.h"
#include "updater/threadedprogramminglink.h"
#include "updater/updaterworkspace.h"

void TForm1::createWorkspaces()
{
    auto *monitorState = new MonitorState(this);   // shared by the three board workspaces
    auto *digital = new DigitalMonitor(*this, *monitorState, this);
    auto *analog = new AnalogMonitor(*this, *monitorState, this);
    auto *relay = new RelayControl(*this, *monitorState, this);
    auto *terminal = new TerminalWorkspace(*this, this);
    auto *sequencer = new SequencerWorkspace(*this, this);
    auto *updater = new UpdaterWorkspace(*this, m_programmingLinks, this);
    m_configuration = new ConfigurationMenu(*this, this);
    m_workspaces = {digital, analog, relay, terminal, sequencer, updater, m_configuration};

    // The pages of the Configuration Menu that belong to other workspaces.
    // A child of the terminal, whose key table it edits, so it never outlives the table.
    auto *functionKeys = new FunctionKeysPage(terminal->keys(), *this, m_configuration->page(0), terminal);
    auto *scanDefaults = new ScanDefaults(*this, monitorState->scanRange, m_configuration->page(1), this);
    sequencer->installSettingsPanel(m_configuration->page(2));
    // The updater's range choosers show and set the bus scan's range.
    updater->setScanRange({[monitorState] { return monitorState->scanRange.firstText(); },
                           [monitorState] { return monitorState->scanRange.lastText(); },
                           [scanDefaults](const QString &text) { scanDefaults->setFirstText(text); },
                           [scanDefaults](const QString &text) { scanDefaults->setLastText(text); }});
    connect(updater, &UpdaterWorkspace::rescanRequested, this, [this] { PortSel(QStringLiteral("Rescan")); });
    connect(sequencer, &SequencerWorkspace::helpRequested, this, &TForm1::HelpClick);
    terminal->installConfigurationPages(m_configuration->page(3), m_configuration->page(4));
    connect(terminal, &TerminalWorkspace::entered, m_configuration, &ConfigurationMenu::showFirstNote);

    // The terminal's key panel sends the current set's keys; the page and the panel show the
    // same set, and the keyboard's function keys send what the page's grid holds.
    auto *keyPanel = new KeyPanel(terminal->keys());
    terminal->setKeyPanel(keyPanel);
    connect(keyPanel, &KeyPanel::keyPressed, terminal, &TerminalWorkspace::SendMacro);
    connect(keyPanel, &KeyPanel::keySetChosen, functionKeys, &FunctionKeysPage::showKeySet);
    connect(functionKeys, &FunctionKeysPage::setCaptionsChanged, keyPanel, &KeyPanel::showSetCaptions);
    connect(functionKeys, &FunctionKeysPage::keyFileChanged, terminal, &TerminalWorkspace::showKeyFile);
    terminal->setKeyDataProvider([functionKeys](int key) { return functionKeys->gridData(key); });

    for (Workspace *workspace : std::as_const(m_workspaces))
        m_settingsOwners.append(workspace);
    m_settingsOwners.append(scanDefaults);
    m_settingsOwners.append(functionKeys);
}

ProgrammingLinkFactory TForm1::threadedProgrammingLinks()
{
    return [this] {
        // The box has no title of its own: the program's name stands there, as for every
        // box a driver shows.
        return std::make_unique<ThreadedProgrammingLink>(
            threadedDevices(), [this](const QString &text) { prompt().showMessage(QStringLiteral("I/O VANTOR"), text); });
    };
}
