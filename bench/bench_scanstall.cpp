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

#include "eventloopgaps.h"

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
    bench::printGaps("line idle", bench::measureGaps(2s));

    std::atomic<int> openResult{1};
    std::atomic<long long> scanNanos{0};
    int shown = 0;
    bool scanDone = false;
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
        [&] { scanDone = true; });
    const bench::Gaps stalled = bench::measureGaps([&] { return scanDone; }, 30min);

    if (openResult != 0) {
        std::fprintf(stderr, "bench_scanstall: comOpen on %s returned %d\n", qPrintable(sim.devicePath()),
                     openResult.load());
        return 1;
    }
    bench::printGaps("scanning a silent bus", stalled);
    const int probes = lastAddress + 1;
    std::printf("scan of %d addresses: %.2f s, %.2f ms per address; the address field showed %d addresses, the "
                "last %s\n",
                probes, double(scanNanos) / 1e9, double(scanNanos) / 1e6 / probes, shown,
                qPrintable(addressField.text()));
    return shown == probes ? 0 : 1;
}
