// What the monitor benchmarks share: the console started offscreen on a simulated line,
// and a 1 ms timer that measures the gaps of the user-interface event loop.

#pragma once

#include "app/mainwindow.h"
#include "workspace/workspace.h"
#include "boardsim/simline.h"
#include "serial/mainport.h"

#include "eventloopgaps.h"
#include "startconsole.h"
#include "widgetfind.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace bench {

// The console on a simulated line: COM1 is the line's link, the three board workspaces
// are shown, the given one is in front and the settings hold the given lines.
class Console
{
public:
    bool start(boardsim::SimLine &line, const QByteArray &workspace, const QByteArray &settings)
    {
        const QString link = m_dir.filePath(QStringLiteral("COM1"));
        if (!line.open(link)) {
            std::fprintf(stderr, "cannot open the simulated line: %s\n", qPrintable(line.errorString()));
            return false;
        }
        const QString ini = m_dir.filePath(QStringLiteral("bench.INI"));
        QFile file(ini);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write("[Ports]\r\nCOM1=" + link.toLocal8Bit() + "\r\n[Tester]\r\nNagScreen=1\r\nHideDM=0\r\nHideAM=0\r\n"
                   "HideRC=0\r\nStartProg=" + workspace + "\r\n" + settings);
        file.close();

        window = startConsole(ini);
        // The monitor's first tick after entry is a stop phase; wait for it.
        QTimer *timer = window->currentWorkspace()->findChild<QTimer *>();
        measureGaps([&] { return (!timer || !timer->isActive()) && window->mainPort().line().idle(); },
                    std::chrono::milliseconds(5000));
        return true;
    }

    template<typename T>
    T *find(const char *name) const
    {
        return ::find<T>(window.get(), QString::fromLatin1(name));
    }

    std::unique_ptr<TForm1> window;

private:
    QTemporaryDir m_dir;
};

// Widgets offscreen unless a display was chosen.
inline void useOffscreenByDefault()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

} // namespace bench
