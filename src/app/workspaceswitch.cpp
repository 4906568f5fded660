// The workspace strip: its rebuild from the hide boxes, the start workspace, and the
// workspace change that stops whatever the previous workspace was doing.

#include "app/mainwindow.h"

#include "app/configurationmenu.h"
#include "app/statusbar.h"
#include "app/workspacetabs.h"
#include "serial/mainport.h"
#include "settings/settingsfile.h"
#include "settings/settingskeys.h"

#include <QTabBar>

// Changing the strip's tabs by program never runs the workspace change.
void TForm1::setTabCaptions(const QStringList &captions, int selected)
{
    const QSignalBlocker quiet(m_tabs);
    while (m_tabs->count() > 0)
        m_tabs->removeTab(0);
    for (const QString &caption : captions)
        m_tabs->addTab(caption);
    m_tabs->setCurrentIndex(selected);
}

void TForm1::rebuildTabs()
{
    const QStringList tabs = WorkspaceTabs::tabList(m_configuration->hiddenWorkspaces());
    // The last tab, "Configuration Menu", where the hide boxes are, stays in front.
    setTabCaptions(tabs, int(tabs.size()) - 1);
}

void TForm1::chooseStartWorkspace(const SettingsFile &file)
{
    const WorkspaceTabs::StartChoice choice =
        WorkspaceTabs::chooseStart(m_configuration->hiddenWorkspaces(), read(file, key::StartProg));
    setTabCaptions(choice.tabs, choice.tabIndex);
    if (choice.startProgItem >= 0)
        m_configuration->selectStartProgItem(choice.startProgItem);
    TabControl1Change();
}

Workspace *TForm1::workspaceForCaption(const QString &caption) const
{
    for (Workspace *workspace : m_workspaces) {
        if (workspace->caption() == caption)
            return workspace;
    }
    return nullptr;
}

void TForm1::TabControl1Change()
{
    // The traffic log stops on every change, also during a download.
    for (Workspace *workspace : std::as_const(m_workspaces))
        workspace->workspaceChangeRequested();
    for (Workspace *workspace : std::as_const(m_workspaces)) {
        if (workspace->keepsFront())
            return;
    }

    for (Workspace *workspace : std::as_const(m_workspaces))
        workspace->workspaceChanging();

    // Whatever runs on the line stops at its next read; the port closes behind it.
    m_mainPort->stopAndClose();

    showWorkspace(workspaceForCaption(m_tabs->tabText(m_tabs->currentIndex())));
    layoutWindow();
}

void TForm1::showWorkspace(Workspace *target)
{
    for (Workspace *workspace : std::as_const(m_workspaces)) {
        if (workspace != target)
            workspace->panel()->hide();
    }
    m_status->ProgressPanel->setVisible(target && target->showsProgressPanel());
    m_current = target;
    if (target)
        target->enter();
}
