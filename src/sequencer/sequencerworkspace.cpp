#include "sequencerworkspace.h"

using namespace std::chrono_literals;

SequencerWorkspace::SequencerWorkspace(Console &console, QObject *parent)
    : PanelWorkspace(QStringLiteral("Sequencer"), QStringLiteral("SequencerP"), console, parent)
{
    addTimer(QStringLiteral("SeqTimer"), 100ms);
}

void SequencerWorkspace::enter()
{
    panel()->show();
    RunStarted = false;
    timer()->setInterval(1ms);
    if (!StartupLoadDone)
        timer()->start();
}
