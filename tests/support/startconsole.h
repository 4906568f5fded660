#pragma once

#include "app/mainwindow.h"
#include "scriptedprompt.h"

#include <memory>

// The console as an operator starts it: a main window on the settings file ini, with
// scripted boxes and none of the machine's own serial devices, shown and taken past both
// ticks of Timer1, so start-up has read the settings. An empty driver means the real
// serial driver through the [Ports] section of ini; an empty threaded the real devices of
// the threaded port, through the same section.
inline std::unique_ptr<TForm1> startConsole(const QString &ini, std::unique_ptr<SerialDriver> driver = {},
                                            ScriptedPrompt **prompt = nullptr, bool start = true,
                                            TSIODeviceOpener threaded = {})
{
    auto scripted = std::make_unique<ScriptedPrompt>();
    if (prompt)
        *prompt = scripted.get();
    ConsoleSetup setup;
    setup.settingsPath = ini;
    setup.driver = std::move(driver);
    setup.threadedDevices = std::move(threaded);
    setup.prompt = std::move(scripted);
    setup.discoverDevices = [] { return QStringList(); };
    auto window = std::make_unique<TForm1>(std::move(setup));
    window->show();
    if (start) {
        window->Timer1Timer();
        window->Timer1Timer();
    }
    return window;
}
