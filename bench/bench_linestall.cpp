// How long the user-interface event loop stalls while the line thread waits on a silent
// line: a 1 ms timer measures the gaps between its ticks, first with the line idle (the
// machine's own noise), then while a job does one-byte reads on a pseudo-terminal that
// never answers, each waiting out the full read time-out.
//
//   bench_linestall [seconds]      (default 10)

#include "serial/linethread.h"
#include "serial/portmap.h"
#include "serial/qtserialdriver.h"
#include "serial/tcom.h"

#include "eventloopgaps.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

using namespace std::chrono_literals;
using Ms = std::chrono::duration<double, std::milli>;

namespace {

// A pseudo-terminal nobody answers on. The far side is held open in raw mode, so the
// line neither hangs up nor echoes what the console sends.
struct SilentPty
{
    int master = -1;
    int slave = -1;
    QString path;

    bool open()
    {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
            return false;
        path = QString::fromLocal8Bit(::ptsname(master));
        slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
        termios t{};
        if (slave < 0 || ::tcgetattr(slave, &t) != 0)
            return false;
        ::cfmakeraw(&t);
        return ::tcsetattr(slave, TCSANOW, &t) == 0;
    }

    ~SilentPty()
    {
        if (slave >= 0)
            ::close(slave);
        if (master >= 0)
            ::close(master);
    }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    const std::chrono::milliseconds duration = std::chrono::seconds(seconds);

    SilentPty pty;
    if (!pty.open()) {
        std::fprintf(stderr, "bench_linestall: cannot open a pseudo-terminal\n");
        return 1;
    }
    auto map = std::make_shared<PortMap>();
    map->setEntries({{1, pty.path}});
    LineThread line(std::make_unique<QtSerialDriver>(map));

    std::printf("bench_linestall: UI event loop with a 1 ms timer, %d s per phase\n", seconds);
    bench::printGaps("line idle", bench::measureGaps(std::min(duration, std::chrono::milliseconds(2s))));

    std::atomic<int> openResult{1};
    std::atomic<long> reads{0};
    std::atomic<long long> readNanos{0};
    std::atomic<long long> longestReadNanos{0};
    line.post([&](LineContext &ctx) {
        ctx.com.setCOMport(1);
        ctx.com.setBaud(4);
        ctx.com.setFlowCtl(3);
        ctx.com.setStopBits(0);
        ctx.com.setDataBits(1);
        ctx.com.setParity(0);
        openResult = ctx.com.comOpen();
        QElapsedTimer readClock;
        while (openResult == 0 && !ctx.cancelled()) {
            readClock.start();
            const int got = ctx.com.comRxCharWait();
            const qint64 took = readClock.nsecsElapsed();
            if (ctx.cancelled())
                break;   // a read cut short by the cancel is no sample of the time-out
            if (got != TCom::NoChar)
                std::fprintf(stderr, "bench_linestall: the silent line answered\n");
            ++reads;
            readNanos += took;
            longestReadNanos = std::max<long long>(longestReadNanos, took);
        }
        ctx.com.comClose();
    });
    const bench::Gaps stalled = bench::measureGaps(duration);
    QElapsedTimer stopClock;
    stopClock.start();
    line.cancelAll();
    const bool stopped = line.waitIdle(5000);
    const double stopMs = double(stopClock.nsecsElapsed()) / 1e6;

    if (openResult != 0) {
        std::fprintf(stderr, "bench_linestall: comOpen on %s returned %d\n", qPrintable(pty.path), openResult.load());
        return 1;
    }
    bench::printGaps("line reading a silent line", stalled);
    std::printf("one-byte reads: %ld, mean %.2f ms, longest %.2f ms\n", reads.load(),
                reads ? double(readNanos) / 1e6 / double(reads) : 0.0, double(longestReadNanos) / 1e6);
    std::printf("cancel to idle: %.2f ms%s\n", stopMs, stopped ? "" : " (did not stop)");
    return stopped ? 0 : 1;
}
