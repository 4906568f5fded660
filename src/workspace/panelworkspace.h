#pragma once

#include "workspace/workspace.h"

#include <QFrame>
#include <QTimer>

// A workspace whose panel is one frame lying in the tab area, with at most one timer of
// its own that runs only while the workspace is in front.
class PanelWorkspace : public Workspace
{
    Q_OBJECT
public:
    PanelWorkspace(const QString &caption, const QString &panelName, Console &console, QObject *parent = nullptr);

    QWidget *panel() const override { return m_panel; }
    QTimer *timer() const { return m_timer; }
    void stopTimers() override;

protected:
    // Creates the workspace's timer (name and interval as the form gives them), stopped.
    QTimer *addTimer(const QString &name, std::chrono::milliseconds interval);
    QFrame *frame() const { return m_panel; }

private:
    QFrame *m_panel;
    QTimer *m_timer = nullptr;
};
