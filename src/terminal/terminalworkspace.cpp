#include "terminal/terminalworkspace.h"

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
