#include "digitalmonitor.h"

#include "app/console.h"

using namespace std::chrono_literals;

DigitalMonitor::DigitalMonitor(Console &console, QObject *parent)
    : PanelWorkspace(QStringLiteral("Digital Monitor"), QStringLiteral("PVantor"), console, parent)
{
    addTimer(QStringLiteral("VantorTimer"), 100ms);
}

void DigitalMonitor::enter()
{
    panel()->show();
    timer()->start();
}

void DigitalMonitor::resetOnWorkspaceChange(bool analogRunning)
{
    TestMode = false;
    StopRequested = true;
    if (!analogRunning && !RunMode)
        console().setActivityText(QStringLiteral("READY"));
    IdentifyPending = false;
}
