#pragma once

#include "terminal/functionkeys.h"
#include "terminal/terminalsettings.h"
#include "workspace/panelworkspace.h"

// The Terminal Emulator workspace: a character terminal on the main port with sixteen
// sets of sixty-four function keys. The window may be resized freely while it is shown.
class TerminalWorkspace : public PanelWorkspace
{
    Q_OBJECT
public:
    explicit TerminalWorkspace(Console &console, QObject *parent = nullptr);

    void enter() override;
    bool resizable() const override { return true; }

    // Start-up: the changed marks cleared; colours, views, the remembered folders, local
    // echo, the key set and the 1024 keys; once the settings are loaded, the set names and
    // the key set again. Closing: the line end, local echo, the key set, the changed keys
    // and the set names.
    void resetForStartup() override;
    void readSettings(const SettingsFile &file) override;
    void readAfterLoaded(const SettingsFile &file) override;
    void addClosingValues(ClosingGroup &group) const override;

    TerminalSettings &settings() { return m_settings; }
    const TerminalSettings &settings() const { return m_settings; }
    FunctionKeyTable &keys() { return m_keys; }
    const FunctionKeyTable &keys() const { return m_keys; }

private:
    TerminalSettings m_settings;
    FunctionKeyTable m_keys;
};
