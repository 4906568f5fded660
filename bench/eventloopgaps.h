// The stall benchmarks' yardstick: a 1 ms timer on the user-interface thread records the
// gaps between its own ticks; a gap far above 1 ms is time the event loop was held up.

#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace bench {

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
    // Several measured phases counted as one.
    void merge(const Gaps &other) { ms.insert(ms.end(), other.ms.begin(), other.ms.end()); }
};

// Runs the event loop with a 1 ms timer until done() holds (tested on every tick) or the
// time is up, and returns the gaps between the timer's ticks.
inline Gaps measureGaps(const std::function<bool()> &done, std::chrono::milliseconds limit)
{
    Gaps gaps;
    QEventLoop loop;
    QElapsedTimer clock;
    qint64 last = -1;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (last >= 0)
            gaps.ms.push_back(double(now - last) / 1e6);
        last = now;
        if (done())
            loop.quit();
    });
    QTimer::singleShot(limit, &loop, &QEventLoop::quit);
    clock.start();
    tick.start();
    loop.exec();
    return gaps;
}

// The gaps of an event loop left to run for the whole time.
inline Gaps measureGaps(std::chrono::milliseconds duration)
{
    return measureGaps([] { return false; }, duration);
}

inline void printGaps(const char *what, const Gaps &g)
{
    std::printf("%s: longest gap %.2f ms, 99.9th percentile %.2f ms, 99th %.2f ms, %zu ticks\n", what, g.longest(),
                g.percentile(0.999), g.percentile(0.99), g.ms.size());
}

} // namespace bench
