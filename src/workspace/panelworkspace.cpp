#include "workspace/panelworkspace.h"

PanelWorkspace::PanelWorkspace(const QString &caption, const QString &panelName, Console &console, QObject *parent)
    : Workspace(caption, console, parent), m_panel(new QFrame)
{
    m_panel->setObjectName(panelName);
    m_panel->setFrameShape(QFrame::StyledPanel);
    m_panel->setAutoFillBackground(true);
    m_panel->hide();
}

void PanelWorkspace::stopTimers()
{
    if (m_timer)
        m_timer->stop();
}

QTimer *PanelWorkspace::addTimer(const QString &name, std::chrono::milliseconds interval)
{
    m_timer = new QTimer(this);
    m_timer->setObjectName(name);
    m_timer->setInterval(interval);
    return m_timer;
}
