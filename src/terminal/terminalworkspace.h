#pragma once

#include "workspace/panelworkspace.h"
#include "terminal/functionkeys.h"
#include "terminal/terminalsettings.h"

// The Terminal Emulator workspace: a character terminal on the main port with sixteen
// sets of sixty-four function keys. The window may be resized freely while it is shown.
class TerminalWorkspace : public PanelWorkspace
{
    Q_OBJECT
public:
    explicit TerminalWorkspace(Console &console, QObject *parent = nullptr);

    void enter() override;
    bool resizable() const override { return true; }

    TerminalSettings &settings() { return m_settings; }
    const TerminalSettings &settings() const { return m_settings; }
    FunctionKeyTable &keys() { return m_keys; }
    const FunctionKeyTable &keys() const { return m_keys; }

private:
    TerminalSettings m_settings;
    FunctionKeyTable m_keys;
};
