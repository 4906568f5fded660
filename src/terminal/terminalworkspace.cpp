#include "terminal/terminalworkspace.h"

#include "settings/closinggroup.h"
#include "settings/settingsfile.h"
#include "settings/settingskeys.h"

using namespace std::chrono_literals;

TerminalWorkspace::TerminalWorkspace(Console &console, QObject *parent)
    : PanelWorkspace(QStringLiteral("Terminal Emulator"), QStringLiteral("TermPanel"), console, parent)
{
    addTimer(QStringLiteral("TermTimer"), 25ms);
}

void TerminalWorkspace::enter()
{
    panel()->show();
    panel()->repaint();
    timer()->start();
}

void TerminalWorkspace::resetForStartup()
{
    m_keys.clearChanged();
}

void TerminalWorkspace::readSettings(const SettingsFile &file)
{
    m_settings.readColours(file);
    m_settings.readViews(file);
    m_settings.readLocations(file);
    m_settings.readLocalEcho(file);
    m_keys.setCurrentKeySet(read(file, key::KeySetSel));
    m_keys.readKeys(file);
}

void TerminalWorkspace::readAfterLoaded(const SettingsFile &file)
{
    m_keys.readSetNames(file);
    m_keys.setCurrentKeySet(read(file, key::KeySetSel));
}

void TerminalWorkspace::addClosingValues(ClosingGroup &group) const
{
    group.set(key::CRLF, m_settings.crlf ? 1 : 0);
    group.set(key::LocalEchoCheck, m_settings.localEcho);
    group.set(key::KeySetSel, m_keys.currentKeySet());
    // The group is written before the window lets its workspaces go.
    group.setFunctionKeys([keys = &m_keys](SettingsFile &file) {
        keys->writeChangedKeys(file);
        keys->writeSetNames(file);
    });
}
