#pragma once

#include "analogmodes.h"
#include "app/panelworkspace.h"

class SettingsFile;

// The Analog Monitor workspace: shows the channels of one analog board.
class AnalogMonitor : public PanelWorkspace
{
    Q_OBJECT
public:
    explicit AnalogMonitor(Console &console, QObject *parent = nullptr);

    void enter() override;

    // A, B, C and TEMP.
    void readSettings(const SettingsFile &file);

    AnalogChannelModes &channelModes() { return m_modes; }
    const AnalogChannelModes &channelModes() const { return m_modes; }
    bool celsius() const { return m_celsius; }

    bool AnalogRunning = false;

private:
    AnalogChannelModes m_modes;
    bool m_celsius = true;
};
