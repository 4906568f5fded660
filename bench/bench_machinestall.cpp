// The machine's own stalls, with nothing of the console running: one thread sleeps 1 ms at a
// time and reports every wake-up more than 20 ms late, with the steal time the kernel
// counted meanwhile. Run beside another benchmark, it tells a stall of the console from one
// that every process on the machine had.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The eighth field of the first line of /proc/stat: time stolen by the hypervisor, in ticks.
long long stealTicks()
{
    std::ifstream stat("/proc/stat");
    std::string cpu;
    long long field[8] = {};
    stat >> cpu;
    for (long long &value : field)
        stat >> value;
    return stat ? field[7] : -1;
}

} // namespace

int main(int argc, char **argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 60.0;
    const Clock::time_point start = Clock::now();
    const long long stealAtStart = stealTicks();
    double last = 0, worst = 0;
    long gaps = 0;
    while (millisecondsSince(start) < seconds * 1000) {
        const long long stealBefore = stealTicks();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const double now = millisecondsSince(start);
        const double gap = now - last;
        last = now;
        if (gap > worst)
            worst = gap;
        if (gap > 20) {
            ++gaps;
            std::printf("%.0f ms: gap %.1f ms, steal +%lld ticks\n", now, gap, stealTicks() - stealBefore);
            std::fflush(stdout);
        }
    }
    std::printf("machine, %.0f s: longest gap %.2f ms, %ld gaps over 20 ms, steal %lld ticks in all\n", seconds, worst,
                gaps, stealTicks() - stealAtStart);
    return 0;
}
