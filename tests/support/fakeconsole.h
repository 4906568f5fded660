#pragma once

// A console for a workspace without the main window: the real main port on a driver the
// test chooses, the status-bar texts as plain strings, scripted boxes, a settings file of
// the test's own and start-up's guard, which the test sets.

#include "workspace/console.h"
#include "settings/settingsfile.h"
#include "scriptedprompt.h"
#include "serial/mainport.h"

#include <QStringList>

#include <memory>

class FakeConsole : public Console
{
public:
    FakeConsole(std::unique_ptr<SerialDriver> driver, QString settingsPath = QString())
        : m_settingsPath(std::move(settingsPath)), m_port(std::move(driver))
    {
        QObject::connect(&m_port, &MainPort::connectionChanged,
                         [this](const QString &text, const QString &toolTip) {
                             connected = text;
                             connectedToolTip = toolTip;
                         });
    }

    OperatorPrompt &prompt() override { return boxes; }
    QString settingsPath() const override { return m_settingsPath; }
    bool settingsLoaded() const override { return loaded; }
    bool saveSettings(const std::function<void(SettingsFile &)> &edit) override
    {
        SettingsFile file(m_settingsPath);
        edit(file);
        if (file.commit())
            return true;
        boxes.showMessage(QStringLiteral("Error Saving"), QStringLiteral("Error Saving, The drive may be write protected"));
        return false;
    }
    MainPort &mainPort() override { return m_port; }
    void applyLineSettings(bool open, std::function<void(bool)> done = {}) override
    {
        if (!open) {
            m_port.close();
            if (done)
                done(false);
            return;
        }
        m_port.open(lineOpenRequest(), std::move(done));
    }
    LineOpenRequest lineOpenRequest() const override
    {
        LineOpenRequest request;
        request.portText = portField;
        request.baudText = baudField;
        request.specText = specField;
        request.settings = m_port.lineSettings();
        return request;
    }
    void setPortField(const QString &text) override
    {
        portField = text;
        fieldHistory.append(QStringLiteral("SB1=") + text);
    }
    void setBaudField(const QString &text) override
    {
        baudField = text;
        fieldHistory.append(QStringLiteral("SB2=") + text);
    }
    void setActivityText(const QString &text) override
    {
        activity = text;
        fieldHistory.append(QStringLiteral("SB5=") + text);
    }
    QString activityText() const override { return activity; }
    void setConnectedText(const QString &text) override { connected = text; }

    // Opens the port as ApplyLineSettings(open) does and waits for the result.
    bool openPort()
    {
        bool opened = false;
        applyLineSettings(true, [&](bool open) { opened = open; });
        m_port.line().waitIdle(5000);
        return opened;
    }

    ScriptedPrompt boxes;
    // Settings handlers stay quiet until start-up has filled the controls.
    bool loaded = true;
    QString portField = QStringLiteral("COM1");
    QString baudField = QStringLiteral("9600");
    QString specField = QStringLiteral("N-8-1");
    QString activity;
    QString connected;
    QString connectedToolTip;   // as the main port last gave it with the connection text
    // Every status-field change, in order: "SB1=COM3", "SB5=RXOK" ...
    QStringList fieldHistory;

private:
    QString m_settingsPath;
    MainPort m_port;
};
