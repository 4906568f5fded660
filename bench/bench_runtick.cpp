// How long a Digital Monitor RUN tick takes against a present board on the simulated line
// at 9600 baud, next to what its bytes need on the wire at that rate plus the simulated
// board's own reply latency. A tick with the board present makes ten exchanges; its 100 ms
// interval must hold it.
//
//   bench_runtick [ticks]      (default 50)

#include "benchconsole.h"
#include "boardsim/boards.h"
#include "monitors/digitalmonitor.h"

#include <QListWidget>
#include <QPushButton>

#include <cstdlib>

using namespace std::chrono_literals;

namespace {

constexpr int Baud = 9600;
constexpr double ByteMs = 10.0 * 1000.0 / Baud;   // 8N1: ten bit times a byte
constexpr std::chrono::microseconds BoardLatency = boardsim::Board::DefaultLatency;

struct Tick
{
    double startMs = 0;    // the first byte of its "L"
    double endMs = 0;      // the last byte of the last answer
    int bytes = 0;         // both ways
    int commands = 0;
};

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The ticks as the line saw them: each begins with the "L" of the board's address.
std::vector<Tick> ticksOnTheLine(const QList<boardsim::RecordedByte> &record)
{
    std::vector<Tick> ticks;
    const char *commandLetters = "LRMUV";
    for (const boardsim::RecordedByte &b : record) {
        const double at = double(b.at.count()) / 1e6;
        const bool sent = b.direction == boardsim::Direction::ToBoard;
        if (sent && b.byte == 'L')
            ticks.push_back({at, at, 0, 0});
        if (ticks.empty())
            continue;
        Tick &tick = ticks.back();
        ++tick.bytes;
        if (sent && std::strchr(commandLetters, b.byte))
            ++tick.commands;
        if (!sent)
            tick.endMs = at;
    }
    return ticks;
}

} // namespace

int main(int argc, char **argv)
{
    bench::useOffscreenByDefault();
    QApplication app(argc, argv);
    const int wanted = argc > 1 ? std::max(3, std::atoi(argv[1])) : 50;

    boardsim::SimLine line;
    line.setBaud(Baud);
    auto bus = std::make_shared<boardsim::ResponderChain>();
    auto board = std::make_shared<boardsim::DigitalBoard>(0x01, BoardLatency);
    bus->add(0x01, board);
    line.setResponder(bus);
    bench::Console console;
    if (!console.start(line, "Digital Monitor", "FirstAddr=01\r\nLastAddr=01\r\n"))
        return 1;

    // Scan, then RUN the board found; the ticks are timed on the user-interface thread
    // from the timer's tick to the end of the tick's line work.
    console.find<QPushButton>("Button1")->click();
    auto *timer = console.find<QTimer>("VantorTimer");
    bench::measureGaps([&] { return console.find<QListWidget>("Boards")->count() == 1 && !timer->isActive(); }, 10s);
    DigitalMonitor &digital = *console.window->findChild<DigitalMonitor *>();
    QElapsedTimer clock;
    clock.start();
    std::vector<double> uiTicks;
    qint64 tickStart = -1;
    // Connected after the monitor's own handler: a tick that started line work has a job now.
    QObject::connect(timer, &QTimer::timeout, [&] {
        if (digital.jobRunning() && tickStart < 0)
            tickStart = clock.nsecsElapsed();
    });
    QObject::connect(&digital, &BoardWorkspace::idle, [&] {
        if (tickStart >= 0)
            uiTicks.push_back(double(clock.nsecsElapsed() - tickStart) / 1e6);
        tickStart = -1;
    });
    line.clearRecord();
    console.find<QPushButton>("Button2")->click();
    bench::measureGaps([&] { return int(uiTicks.size()) > wanted; }, std::chrono::seconds(wanted));
    console.find<QPushButton>("Button2")->click();
    bench::measureGaps([&] { return console.window->mainPort().line().idle(); }, 5s);

    // The first tick also reads the board's identity: leave it out.
    std::vector<Tick> ticks = ticksOnTheLine(line.recorded());
    if (ticks.size() < 3 || uiTicks.size() < 3) {
        std::fprintf(stderr, "bench_runtick: too few ticks (%zu on the line)\n", ticks.size());
        return 1;
    }
    ticks.erase(ticks.begin());
    ticks.pop_back();   // the one STOP may have cut short
    uiTicks.erase(uiTicks.begin());

    std::vector<double> lineMs, periods;
    for (size_t i = 0; i < ticks.size(); ++i) {
        lineMs.push_back(ticks[i].endMs - ticks[i].startMs);
        if (i > 0)
            periods.push_back(ticks[i].startMs - ticks[i - 1].startMs);
    }
    const Tick &sample = ticks.front();
    const double wireMs = sample.bytes * ByteMs;
    const double latencyMs = sample.commands * double(BoardLatency.count()) / 1000.0;
    const double goalMs = (wireMs + latencyMs) * 1.15;
    std::printf("bench_runtick: %zu RUN ticks against a digital board at %d baud (board latency %.1f ms)\n",
                ticks.size(), Baud, double(BoardLatency.count()) / 1000.0);
    std::printf("one tick: %d commands, %d bytes both ways: %.1f ms on the wire + %.1f ms board latency = %.1f ms\n",
                sample.commands, sample.bytes, wireMs, latencyMs, wireMs + latencyMs);
    std::printf("on the line (first byte sent to last byte answered): median %.1f ms, longest %.1f ms\n",
                median(lineMs), *std::max_element(lineMs.begin(), lineMs.end()));
    std::printf("on the UI thread (timer tick to the end of its line work): median %.1f ms, longest %.1f ms\n",
                median(uiTicks), *std::max_element(uiTicks.begin(), uiTicks.end()));
    int late = 0;
    for (double p : periods)
        late += p > 110;
    std::printf("ticks more than 10 ms late: %d of %zu\n", late, periods.size());
    std::printf("tick period: median %.1f ms, longest %.1f ms (interval 100 ms)\n", median(periods),
                *std::max_element(periods.begin(), periods.end()));
    std::printf("goal: within 15%% of wire + latency, %.1f ms: median %s\n", goalMs,
                median(uiTicks) <= goalMs ? "met" : "missed");
    return 0;
}
