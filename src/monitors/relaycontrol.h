#pragma once

#include "app/panelworkspace.h"

// The Relay Control workspace: the only one that opens the main port on entry.
class RelayControl : public PanelWorkspace
{
    Q_OBJECT
public:
    explicit RelayControl(Console &console, QObject *parent = nullptr);

    void enter() override;
};
