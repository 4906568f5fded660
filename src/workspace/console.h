#pragma once

#include "serial/tsiodevice.h"

#include <QString>

#include <functional>

class OperatorPrompt;
class SettingsFile;
class MainPort;
struct LineOpenRequest;

// What the main window lends its workspaces: the operator's boxes, the settings file,
// the main port and the two activity fields of the status bar. Implemented by TForm1.
class Console
{
public:
    virtual ~Console() = default;

    virtual OperatorPrompt &prompt() = 0;
    virtual QString settingsPath() const = 0;
    // False from window creation until start-up has filled the controls.
    virtual bool settingsLoaded() const = 0;

    // One write-on-change: opens the settings file, lets edit() write its keys and replaces
    // the file. On failure shows "Error Saving, The drive may be write protected" and
    // returns false: the handler then stops.
    virtual bool saveSettings(const std::function<void(SettingsFile &)> &edit) = 0;

    virtual MainPort &mainPort() = 0;
    // ApplyLineSettings: open (or reopen) the main port with the status-bar settings, or close
    // it. The open runs on the line thread; done(PortIsOpen) follows on this thread.
    virtual void applyLineSettings(bool open, std::function<void(bool)> done = {}) = 0;
    // What an open of the main port would use now: the status-bar texts and the
    // communication choices, copied for a job (MainPort::openFromJob).
    virtual LineOpenRequest lineOpenRequest() const = 0;
    // The port and rate fields of the status bar, which choose the next open.
    virtual void setPortField(const QString &text) = 0;    // SB1
    virtual void setBaudField(const QString &text) = 0;    // SB2

    // Where the threaded port (TSIOCommPort) finds its devices: the same [Ports] map as the
    // main port, or a test's fakes. Empty where the console lends none: every open fails.
    virtual TSIODeviceOpener threadedDevices() const { return {}; }

    virtual void setActivityText(const QString &text) = 0;     // SB5
    virtual QString activityText() const = 0;
    virtual void setConnectedText(const QString &text) = 0;    // Connected
    // Says why a workspace's own port is down (its device went away) in Connected's tool
    // tip, after what the main port's loss says; the next setConnectedText clears it.
    virtual void setConnectedToolTip(const QString &) {}
};
