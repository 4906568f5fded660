#pragma once

#include "workspace/settingsowner.h"

#include <QObject>
#include <QRect>
#include <QString>
#include <QStringList>

class QWidget;
class Console;

// One workspace of the tab strip: its panel, its timer, its settings, and what the
// workspace change asks of it. The main window owns one object of each kind and never
// reaches into their controls.
class Workspace : public QObject, public SettingsOwner
{
    Q_OBJECT
public:
    Workspace(const QString &caption, Console &console, QObject *parent = nullptr)
        : QObject(parent), m_caption(caption), m_console(console) {}

    QString caption() const { return m_caption; }
    virtual QWidget *panel() const = 0;
    // Where the panel lies in the tab area; the panels lie on top of each other.
    virtual QRect panelGeometry() const { return {5, 25, 896, 566}; }

    // The workspace change, in its order:
    // - keepsFront(): a workspace whose work must not be cut short (a firmware download)
    //   keeps the front; the change then does nothing more.
    // - workspaceChanging(): every workspace, whichever is left or entered, stops what it
    //   runs. The main port then stops and closes behind them.
    // - enter(): the chosen workspace shows its panel and starts what runs while it is in
    //   front.
    // - workspaceChangeRequested(): every workspace, on every change, before anything else
    //   and even while one keeps the front (the terminal's log stops here).
    virtual void workspaceChangeRequested() {}
    virtual bool keepsFront() const { return false; }
    virtual void workspaceChanging() { stopTimers(); }
    virtual void enter() = 0;

    // Every workspace timer stops on a workspace change, and once during start-up.
    virtual void stopTimers() {}

    // Whether the window may be resized freely while this workspace is in front.
    virtual bool resizable() const { return false; }
    // Whether the status bar's progress panel shows while this workspace is in front.
    virtual bool showsProgressPanel() const { return false; }

    // What the shell tells every workspace: the port field (SB1) names another port, and
    // the ports the last enumeration could open ("COM1", "COM3", ...).
    virtual void portFieldChanged(const QString &) {}
    virtual void portsEnumerated(const QStringList &) {}

protected:
    Console &console() const { return m_console; }

private:
    QString m_caption;
    Console &m_console;
};
