// Start-up and closing with a full settings file: all 1024 function keys with a
// 2047-character label and macro (about 4 MB). Prints how long RetrieveSettings and the
// closing write take; each should stay under 100 ms.

#include "app/mainwindow.h"
#include "settings/settingsfile.h"
#include "settings/settingskeys.h"
#include "serial/fakeserialdriver.h"
#include "serial/mainport.h"
#include "terminal/terminalworkspace.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

class SilentPrompt : public OperatorPrompt
{
public:
    void showMessage(const QString &title, const QString &text) override
    {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
    }
    Answer ask(const QString &, const QString &, bool) override { return Answer::Cancel; }
};

QString longText(int n, char fill)
{
    QString text = QStringLiteral("F%1:").arg(n);
    text += QString(2047 - text.size(), QLatin1Char(fill));
    return text;
}

void writeFullSettings(const QString &path)
{
    QByteArray content = "[Tester]\r\n";
    for (int n = 1; n <= 1024; ++n) {
        content += fKeyTextName(n).toLatin1() + '=' + longText(n, 'L').toLatin1() + "\r\n";
        content += fKeyMacroName(n).toLatin1() + '=' + longText(n, 'M').toLatin1() + "\r\n";
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write(content);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("iovantor.INI"));
    constexpr int Runs = 5;
    std::vector<double> startup, closing;

    for (int run = 0; run < Runs; ++run) {
        writeFullSettings(ini);
        ConsoleSetup setup;
        setup.settingsPath = ini;
        setup.driver = std::make_unique<FakeSerialDriver>();
        setup.prompt = std::make_unique<SilentPrompt>();
        setup.discoverDevices = [] { return QStringList(); };
        TForm1 window(std::move(setup));
        window.show();
        window.Timer1Timer();

        QElapsedTimer clock;
        clock.start();
        window.Timer1Timer();   // the second tick runs RetrieveSettings
        startup.push_back(double(clock.nsecsElapsed()) / 1e6);
        if (window.findChild<TerminalWorkspace *>()->keys().data(1024) != longText(1024, 'M'))
            qFatal("start-up did not read the last macro whole");

        for (int n = 1; n <= 1024; ++n)
            window.findChild<TerminalWorkspace *>()->keys().setData(n, longText(n, 'X'));
        clock.restart();
        window.FormClose();
        closing.push_back(double(clock.nsecsElapsed()) / 1e6);
        if (read(SettingsFile(ini), key::A) != 0x8888
            || SettingsFile(ini).readString(fKeyMacroName(1024), {}) != longText(1024, 'X'))
            qFatal("the closing write did not reach the file");
        window.mainPort().line().waitIdle(5000);
    }

    std::printf("runs (RetrieveSettings / closing write, ms):");
    for (std::size_t i = 0; i < startup.size(); ++i)
        std::printf(" %.1f/%.1f", startup[i], closing[i]);
    std::printf("\n");
    std::printf("settings file: 2048 function-key values of 2047 characters (%lld bytes)\n",
                static_cast<long long>(QFile(ini).size()));
    std::printf("RetrieveSettings: median %.1f ms, worst %.1f ms over %d runs (goal < 100 ms)\n", median(startup),
                *std::max_element(startup.begin(), startup.end()), Runs);
    std::printf("closing write (all 1024 keys changed): median %.1f ms, worst %.1f ms over %d runs (goal < 100 ms)\n",
                median(closing), *std::max_element(closing.begin(), closing.end()), Runs);
    return 0;
}
