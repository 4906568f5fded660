#pragma once

#include "workspace/console.h"
#include "workspace/operatorprompt.h"
#include "workspace/workspace.h"
#include "serial/portenumerator.h"
#include "serial/portmap.h"
#include "serial/serialdevice.h"
#include "updater/programminglink.h"
#include "serial/tsiodevice.h"

#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class ConfigurationMenu;
class MainPort;
class PortMap;
class QLabel;
class QMenu;
class QPushButton;
class QTabBar;
class QTimer;
class SerialDriver;
class SettingsFile;
class StatusBar;
class TAboutDlgOK;

// What the main window is given; tests replace any of it.
struct ConsoleSetup
{
    QString settingsPath;                          // empty: next to the program, else the user's folder
    std::unique_ptr<SerialDriver> driver;          // empty: Qt Serial Port through the port map
    std::shared_ptr<PortMap> portMap;              // empty: a new map loaded from the settings file
    std::function<QStringList()> discoverDevices;  // empty: the machine's serial devices
    std::unique_ptr<OperatorPrompt> prompt;        // empty: real message boxes
    ProgrammingLinkFactory programmingLinks;       // the updater's port; empty: the threaded port on threadedDevices
    TSIODeviceOpener threadedDevices;              // empty: the threaded port's devices through the port map
};

// The main window: start-up panel, workspace strip and status bar. It owns one object per
// workspace, the main port and the timers of start-up; everything a workspace does lives
// on that workspace's object.
class TForm1 : public QWidget, public Console
{
    Q_OBJECT
public:
    explicit TForm1(ConsoleSetup setup = {});
    ~TForm1() override;

    // Console
    OperatorPrompt &prompt() override;
    QString settingsPath() const override { return m_settingsPath; }
    bool settingsLoaded() const override { return SettingsLoaded; }
    bool saveSettings(const std::function<void(SettingsFile &)> &edit) override;
    MainPort &mainPort() override;
    void applyLineSettings(bool open, std::function<void(bool)> done = {}) override;
    LineOpenRequest lineOpenRequest() const override;
    void setPortField(const QString &text) override;
    void setBaudField(const QString &text) override;
    void setActivityText(const QString &text) override;
    QString activityText() const override;
    void setConnectedText(const QString &text) override;
    void setConnectedToolTip(const QString &note) override;
    TSIODeviceOpener threadedDevices() const override { return m_threadedDevices; }

    // Start-up and shutdown
    void Timer1Timer();
    void AboutTimerTimer();
    void RetrieveSettings();
    void FormClose();
    void Button18Click();
    void HelpClick();

    // Workspaces
    void TabControl1Change();
    Workspace *currentWorkspace() const { return m_current; }
    ConfigurationMenu &configuration() { return *m_configuration; }

    // Line settings (status-bar menus)
    void SB1Click();
    void SB2Click();
    void SB3Click();
    void PortSel(const QString &caption);
    void BaudSel(const QString &caption);
    void ComSpecClick(const QString &caption);
    // Probes COM1..COM(count - 1) with the threaded port, off this thread, then rebuilds
    // the port menu, hands the ports that opened to every workspace and runs done.
    void EnumeratePorts(int count, std::function<void()> done = {});

Q_SIGNALS:
    // Start-up has shown the workspaces (the end of RetrieveSettings).
    void startupFinished();
    // An enumeration has rebuilt the port menu; ports are those that opened ("COM1", ...).
    void portsEnumerated(const QStringList &ports);

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void createWorkspaces();
    void buildStartUpPanel();
    void buildTabArea();
    void buildMenus();
    void layoutWindow();
    void holdFixedSize();
    void setTabCaptions(const QStringList &captions, int selected);
    void rebuildTabs();
    void chooseStartWorkspace(const SettingsFile &file);
    void showWorkspace(Workspace *target);
    void setPortMenuItems(const QList<PortMenuItem> &items);
    void showEnumeration(const QStringList &probed);
    void showMenuUnder(QMenu *menu, QWidget *field);
    void readLineSettings(const SettingsFile &file);
    // SB1 names another port: the workspaces that show it follow.
    void showPortChoice(const QString &text);
    void discoverPorts();
    // The updater's programming port: the threaded port on this console's devices, its
    // write-error box through the operator's prompt.
    ProgrammingLinkFactory threadedProgrammingLinks();
    Workspace *workspaceForCaption(const QString &caption) const;

    QString m_settingsPath;
    std::unique_ptr<OperatorPrompt> m_prompt;
    std::shared_ptr<PortMap> m_portMap;
    std::function<QStringList()> m_discoverDevices;
    ProgrammingLinkFactory m_programmingLinks;
    TSIODeviceOpener m_threadedDevices;
    MainPort *m_mainPort = nullptr;

    QWidget *m_startUpPanel = nullptr;
    QWidget *m_tabArea = nullptr;
    QTabBar *m_tabs = nullptr;
    StatusBar *m_status = nullptr;
    QMenu *m_portMenu = nullptr;
    QMenu *m_baudMenu = nullptr;
    QMenu *m_specMenu = nullptr;
    QTimer *m_startupTimer = nullptr;
    QTimer *m_aboutTimer = nullptr;
    TAboutDlgOK *m_about = nullptr;

    ConfigurationMenu *m_configuration = nullptr;
    QList<Workspace *> m_workspaces;           // in tab order, the configuration last
    QList<SettingsOwner *> m_settingsOwners;   // the workspaces, then the pages they lend
    Workspace *m_current = nullptr;
    bool m_closingWritten = false;
    bool SettingsLoaded = false;
    bool HideAboutOnStartup = false;
    int StartupTickCount = 0;
};
