#pragma once

#include "app/panelworkspace.h"
#include "sequencersettings.h"

// The Sequencer workspace: runs a step list against the main port.
class SequencerWorkspace : public PanelWorkspace
{
    Q_OBJECT
public:
    explicit SequencerWorkspace(Console &console, QObject *parent = nullptr);

    void enter() override;

    SequencerSettings &settings() { return m_settings; }
    const SequencerSettings &settings() const { return m_settings; }

    // Cleared at start-up when the last file is to be loaded on the first entry.
    bool StartupLoadDone = true;
    bool RunStarted = false;

private:
    SequencerSettings m_settings;
};
