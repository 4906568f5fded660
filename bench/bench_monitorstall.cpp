// How long the console's event loop stalls while the board workspaces wait on a silent
// line: a full 00 to FF scan of an empty bus in the Digital Monitor (each address one read
// time-out, about 27 s), then the Analog Monitor polling an address where nothing answers
// (about 5.5 s a poll). A 1 ms timer measures the gaps between its ticks; the address
// field and the other fields update through the same event loop as they go.
//
//   bench_monitorstall [poll seconds] [--no-scan]      (default 12 s of polling)

#include "benchconsole.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cstdlib>
#include <cstring>

using namespace std::chrono_literals;

namespace {

bool scanEmptyBus()
{
    boardsim::SimLine line;   // nobody on the bus
    bench::Console console;
    if (!console.start(line, "Digital Monitor", "FirstAddr=00\r\nLastAddr=FF\r\n"))
        return false;
    bench::printGaps("digital, line idle", bench::measureGaps(2s));

    // Every address the field shows, from the SCAN click's "00" on.
    QStringList shown;
    auto *address = console.find<QLineEdit>("LOCXX");
    address->clear();
    QObject::connect(address, &QLineEdit::textChanged, [&](const QString &text) { shown << text; });
    QElapsedTimer clock;
    clock.start();
    console.find<QPushButton>("Button1")->click();
    auto *activity = console.find<QLabel>("SB5");
    bool began = false;
    const bench::Gaps gaps = bench::measureGaps(
        [&] {
            began = began || activity->text() == QLatin1String("SCANNING");
            return began && activity->text() == QLatin1String("READY");
        },
        60s);
    const double seconds = double(clock.elapsed()) / 1000;
    bench::printGaps("digital, scanning 00..FF of an empty bus", gaps);
    const QList<QByteArray> probes = line.received().split('L');
    std::printf("scan: %.2f s for %lld probes (%.1f ms each); the address field showed %lld addresses, %s to %s\n",
                seconds, qlonglong(probes.size() - 1), 1000 * seconds / double(probes.size() - 1),
                qlonglong(shown.size()), qPrintable(shown.value(0)), qPrintable(shown.value(shown.size() - 1)));
    return began;
}

bool pollSilentBoard(std::chrono::milliseconds duration)
{
    boardsim::SimLine line;
    bench::Console console;
    if (!console.start(line, "Analog Monitor", QByteArray()))
        return false;
    console.find<QLineEdit>("SCANSTART")->setText(QStringLiteral("00"));
    auto *run = console.find<QPushButton>("ANARUN");
    run->click();
    const bench::Gaps gaps = bench::measureGaps(duration);
    QElapsedTimer clock;
    clock.start();
    run->click();
    bench::measureGaps([&] { return console.window->mainPort().line().idle(); }, 5s);
    const double stopMs = double(clock.nsecsElapsed()) / 1e6;
    bench::printGaps("analog, polling a silent address", gaps);

    // The polls as the line saw them: every "L" begins one.
    std::vector<double> starts;
    for (const boardsim::RecordedByte &b : line.recorded()) {
        if (b.direction == boardsim::Direction::ToBoard && b.byte == 'L')
            starts.push_back(double(b.at.count()) / 1e6);
    }
    for (size_t i = 1; i < starts.size(); ++i)
        std::printf("poll %zu took %.0f ms (13 four-character reads of a silent board)\n", i, starts[i] - starts[i - 1]);
    std::printf("STOP to the line's end of work: %.1f ms\n", stopMs);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    bench::useOffscreenByDefault();
    QApplication app(argc, argv);
    int seconds = 12;
    bool scan = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-scan") == 0)
            scan = false;
        else
            seconds = std::max(1, std::atoi(argv[i]));
    }
    std::printf("bench_monitorstall: UI event loop with a 1 ms timer\n");
    if (scan && !scanEmptyBus())
        return 1;
    return pollSilentBoard(std::chrono::seconds(seconds)) ? 0 : 1;
}
