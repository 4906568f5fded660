// How long the console's event loop stalls while the adapter is pulled and plugged back in
// under a running Digital Monitor: RUN against a digital board, then the device vanishes
// (the monitor meets the loss, shows "Port Open Failed" and tries to reopen every tick),
// then the device comes back at its link and RUN goes on by itself. A 1 ms timer measures
// the gaps between its ticks in each phase.
//
//   bench_lostline [cycles]      (default 5 pulls)

#include "benchconsole.h"

#include "boardsim/boards.h"
#include "boardsim/responder.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cstdlib>

using namespace std::chrono_literals;

namespace {

QString text(const bench::Console &console, const char *name)
{
    return console.find<QLabel>(name)->text();
}

bool pullAndPlug(int cycles)
{
    boardsim::SimLine line;
    auto bus = std::make_shared<boardsim::ResponderChain>();
    bus->add(1, boardsim::makeBoard(QStringLiteral("01:digital"), boardsim::Board::DefaultLatency));
    line.setResponder(bus);
    line.setBaud(0);
    bench::Console console;
    if (!console.start(line, "Digital Monitor", "FirstAddr=01\r\nLastAddr=01\r\n"))
        return false;
    console.find<QPushButton>("Button1")->click();   // SCAN
    bench::measureGaps([&] { return text(console, "SB5") == QLatin1String("READY") && console.window->mainPort().line().idle(); }, 10s);
    bench::measureGaps(1s);   // the stop phase after the scan
    console.find<QPushButton>("Button2")->click();   // RUN
    bench::printGaps("running, device present", bench::measureGaps(3s));

    bench::Gaps pulled, plugged;
    for (int i = 0; i < cycles; ++i) {
        line.dropDevice();
        const bench::Gaps away = bench::measureGaps(
            [&] { return text(console, "Connected") == QLatin1String("Port Open Failed"); }, 5s);
        const bench::Gaps waiting = bench::measureGaps(2s);   // RUN retries every tick meanwhile
        const QString whileAway = text(console, "Connected");
        pulled.merge(away);
        pulled.merge(waiting);
        line.clearRecord();
        if (!line.restoreDevice()) {
            std::fprintf(stderr, "cannot restore the device: %s\n", qPrintable(line.errorString()));
            return false;
        }
        QElapsedTimer clock;
        clock.start();
        const bench::Gaps back = bench::measureGaps([&] { return line.received().contains("R5AR5CR5D"); }, 5s);
        const double resumedMs = double(clock.nsecsElapsed()) / 1e6;
        plugged.merge(back);
        plugged.merge(bench::measureGaps(1s));
        std::printf("pull %d: \"%s\" while away; RUN's next whole tick on the line %.0f ms after the device came back\n",
                    i + 1, qPrintable(whileAway), resumedMs);
    }
    bench::printGaps("device pulled, RUN retrying", pulled);
    bench::printGaps("device plugged back, RUN going on", plugged);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    bench::useOffscreenByDefault();
    QApplication app(argc, argv);
    const int cycles = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::printf("bench_lostline: UI event loop with a 1 ms timer, %d pulls of the adapter\n", cycles);
    return pullAndPlug(cycles) ? 0 : 1;
}
