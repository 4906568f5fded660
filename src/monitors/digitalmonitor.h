#pragma once

#include "app/panelworkspace.h"

// The Digital Monitor workspace: watches and drives one digital board.
class DigitalMonitor : public PanelWorkspace
{
    Q_OBJECT
public:
    explicit DigitalMonitor(Console &console, QObject *parent = nullptr);

    void enter() override;
    // What every workspace change does to this monitor, whichever workspace is entered:
    // leaves test mode and asks the next tick for a stop phase.
    void resetOnWorkspaceChange(bool analogRunning);

    bool RunMode = false;
    bool TestMode = false;
    bool IdentifyPending = false;
    bool StopRequested = false;
    bool ScanRequested = false;

    // The scan range as saved ("00" to "0F" by default).
    QString firstScanAddress = QStringLiteral("00");
    QString lastScanAddress = QStringLiteral("0F");
};
