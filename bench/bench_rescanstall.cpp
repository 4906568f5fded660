// How long the user-interface event loop stalls while "Rescan" probes COM1 to COM126 with
// the threaded port: three simulated lines are mapped in [Ports] (COM1, COM3, COM12), the
// other numbers have no device. A 1 ms timer measures the gaps between its ticks, first
// with the console idle (the machine's own noise), then through each rescan, from the
// click of "Rescan" until the port menu has been rebuilt.
//
//   bench_rescanstall [rescans] [devices]      (default 5 rescans, devices at COM1, COM3, COM12)

#include "app/mainwindow.h"
#include "boardsim/simline.h"

#include "eventloopgaps.h"
#include "startconsole.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <map>
#include <memory>

using namespace std::chrono_literals;

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rescans = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QList<int> numbers{1, 3, 12};
    if (argc > 2) {
        numbers.clear();
        for (int n = 1; n <= std::clamp(atoi(argv[2]), 1, 126); ++n)
            numbers << n;
    }
    QStringList expected;
    for (int n : numbers)
        expected << QStringLiteral("COM%1").arg(n);

    QTemporaryDir dir;
    std::map<int, std::unique_ptr<boardsim::SimLine>> lines;
    QByteArray settings = "[Ports]\r\n";
    for (int n : numbers) {
        auto line = std::make_unique<boardsim::SimLine>();
        const QString link = dir.filePath(QStringLiteral("ttyS%1").arg(n));
        if (!line->open(link)) {
            std::fprintf(stderr, "bench_rescanstall: %s\n", qPrintable(line->errorString()));
            return 1;
        }
        settings += "COM" + QByteArray::number(n) + "=" + link.toLocal8Bit() + "\r\n";
        lines[n] = std::move(line);
    }
    const QString ini = dir.filePath(QStringLiteral("bench.INI"));
    QFile file(ini);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write(settings + "[Tester]\r\nNagScreen=1\r\nPORT=COM3\r\n");
    file.close();

    auto window = startConsole(ini);
    int enumerations = 0;
    QStringList ports;
    QObject::connect(window.get(), &TForm1::portsEnumerated, [&](const QStringList &found) {
        ++enumerations;
        ports = found;
    });
    // The start-up enumeration (COM1 to COM7) first.
    bench::measureGaps([&] { return enumerations == 1; }, 30s);

    std::printf("bench_rescanstall: UI event loop with a 1 ms timer; Rescan of COM1 to COM126, %lld devices\n",
                static_cast<long long>(numbers.size()));
    bench::printGaps("console idle", bench::measureGaps(2s));

    bench::Gaps all;
    for (int i = 0; i < rescans; ++i) {
        const int before = enumerations;
        QElapsedTimer clock;
        clock.start();
        window->PortSel(QStringLiteral("Rescan"));
        const bench::Gaps gaps = bench::measureGaps([&] { return enumerations > before; }, 60s);
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        all.ms.insert(all.ms.end(), gaps.ms.begin(), gaps.ms.end());
        std::printf("rescan %d: %.3f s, longest gap %.2f ms, %lld ports available\n", i + 1, seconds, gaps.longest(),
                    static_cast<long long>(ports.size()));
        if (enumerations == before) {
            std::fprintf(stderr, "bench_rescanstall: the rescan did not finish\n");
            return 1;
        }
    }
    bench::printGaps("through the rescans", all);
    return ports == expected ? 0 : 1;
}
