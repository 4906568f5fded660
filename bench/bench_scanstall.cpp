// How long the user-interface event loop stalls while a full bus scan, 00 to FF, runs as
// a job on the line thread against an empty (silent) simulated bus: every address waits
// out one read time-out, about 27 s in all. A 1 ms timer measures the gaps between its
// ticks, first with the line idle (the machine's own noise), then through the scan, while
// an address field shows each probed address and is repainted at once, as the workspaces do.
//
//   bench_scanstall [last address, hex]      (default FF)

#include "boardsim/simline.h"
#include "bus/busscan.h"
#include "serial/linethread.h"
#include "serial/portmap.h"
#include "serial/qtserialdriver.h"
#include "serial/tcom.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace std::chrono_literals;

namespace {

struct Gaps
{
    std::vector<double> ms;

    double longest() const { return ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end()); }
    double percentile(double p) const
    {
        if (ms.empty())
            return 0;
        std::vector<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        return sorted[std::min(sorted.size() - 1, size_t(p * double(sorted.size())))];
    }
};

// Runs the event loop with a 1 ms timer until quit() and returns the gaps between its ticks.
Gaps measureUntilQuit()
{
    Gaps gaps;
    QElapsedTimer clock;
    qint64 last = -1;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1ms);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (last >= 0)
            gaps.ms.push_back(double(now - last) / 1e6);
        last = now;
    });
    clock.start();
    tick.start();
    QCoreApplication::exec();
    return gaps;
}

void print(const char *what, const Gaps &g)
{
    std::printf("%s: longest gap %.2f ms, 99.9th percentile %.2f ms, 99th %.2f ms, %zu ticks\n", what, g.longest(),
                g.percentile(0.999), g.percentile(0.99), g.ms.size());
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int lastAddress = argc > 1 ? std::clamp(scanAddressValue(QString::fromLocal8Bit(argv[1])), 0, 0xFF) : 0xFF;

    boardsim::SimLine sim;   // no responder: nobody on the bus
    if (!sim.open()) {
        std::fprintf(stderr, "bench_scanstall: %s\n", qPrintable(sim.errorString()));
        return 1;
    }
    auto map = std::make_shared<PortMap>();
    map->setEntries({{1, sim.devicePath()}});
    LineThread line(std::make_unique<QtSerialDriver>(map));

    QLineEdit addressField(QStringLiteral("00"));
    addressField.show();

    std::printf("bench_scanstall: UI event loop with a 1 ms timer; scan 00 to %02X of a silent bus\n", lastAddress);
    QTimer::singleShot(2s, &app, &QCoreApplication::quit);
    print("line idle", measureUntilQuit());

    std::atomic<int> openResult{1};
    std::atomic<long long> scanNanos{0};
    int shown = 0;
    line.post(
        [&](LineContext &ctx) {
            ctx.com.setCOMport(1);
            ctx.com.setBaud(4);
            ctx.com.setFlowCtl(3);
            ctx.com.setStopBits(0);
            ctx.com.setDataBits(1);
            ctx.com.setParity(0);
            openResult = ctx.com.comOpen();
            if (openResult != 0)
                return;
            ScanCallbacks callbacks;
            callbacks.probing = [&](int address) {
                ctx.report([&, address] {
                    addressField.setText(QString::asprintf("%2.2X", address));
                    addressField.repaint();
                    ++shown;
                });
            };
            callbacks.cancelled = [&] { return ctx.cancelled(); };
            QElapsedTimer scanClock;
            scanClock.start();
            scanAddresses(ctx.com, 0, [&] { return lastAddress; }, callbacks);
            scanNanos = scanClock.nsecsElapsed();
            ctx.com.comClose();
        },
        [] { QCoreApplication::quit(); });
    const Gaps stalled = measureUntilQuit();

    if (openResult != 0) {
        std::fprintf(stderr, "bench_scanstall: comOpen on %s returned %d\n", qPrintable(sim.devicePath()),
                     openResult.load());
        return 1;
    }
    print("scanning a silent bus", stalled);
    const int probes = lastAddress + 1;
    std::printf("scan of %d addresses: %.2f s, %.2f ms per address; the address field showed %d addresses, the "
                "last %s\n",
                probes, double(scanNanos) / 1e9, double(scanNanos) / 1e6 / probes, shown,
                qPrintable(addressField.text()));
    return shown == probes ? 0 : 1;
}
