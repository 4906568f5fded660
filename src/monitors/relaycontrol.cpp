#include "relaycontrol.h"

#include "app/console.h"

using namespace std::chrono_literals;

RelayControl::RelayControl(Console &console, QObject *parent)
    : PanelWorkspace(QStringLiteral("Relay Control"), QStringLiteral("DrumPanel"), console, parent)
{
    addTimer(QStringLiteral("KTimer1"), 100ms);
}

void RelayControl::enter()
{
    panel()->show();
    panel()->repaint();
    console().applyLineSettings(true);
}
