// boardsim: a simulated bus on a pseudo-terminal, for the console's tests and demo.
// Prints the device path as the first line on stdout, runs until SIGINT, SIGTERM or
// SIGHUP, then removes its link and writes the record if asked. SIGUSR1 makes the device
// vanish as a pulled adapter does, SIGUSR2 brings it back at the link (a new device path,
// printed as the next line on stdout).

#include "boardsim/boards.h"
#include "boardsim/loaders.h"
#include "boardsim/record.h"
#include "boardsim/responder.h"
#include "boardsim/scriptfile.h"
#include "boardsim/simline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>

#include <pthread.h>
#include <unistd.h>

namespace {

int failWith(const QString &message)
{
    std::fprintf(stderr, "boardsim: %s\n", qPrintable(message));
    return 1;
}

// Set by a loader that drops the line (on the line thread) before it raises SIGUSR1, so
// the main loop knows to bring the device back by itself.
std::atomic<bool> loaderDropped{false};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("boardsim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated serial line on a pseudo-terminal: paces bytes at the baud rate, answers "
        "them and records both directions."));
    parser.addHelpOption();
    const QCommandLineOption linkOption(QStringLiteral("link"),
        QStringLiteral("Symbolic link to the device, replacing an earlier link."), QStringLiteral("path"));
    const QCommandLineOption baudOption(QStringLiteral("baud"),
        QStringLiteral("Pacing in bits per second, 10 bits a byte; 0 for none (default 9600)."),
        QStringLiteral("n"), QStringLiteral("9600"));
    const QCommandLineOption echoOption(QStringLiteral("echo"), QStringLiteral("Answer every byte with itself."));
    const QCommandLineOption silentOption(QStringLiteral("silent"), QStringLiteral("Answer nothing (the default)."));
    const QCommandLineOption scriptOption(QStringLiteral("script"),
        QStringLiteral("Play the \"request => reply\" lines of a script file."), QStringLiteral("file"));
    const QCommandLineOption repeatOption(QStringLiteral("repeat"),
        QStringLiteral("Start the script over after its last line."));
    const QCommandLineOption latencyOption(QStringLiteral("latency"),
        QStringLiteral("Delay before an answer, in microseconds (default 0; boards 1000)."), QStringLiteral("us"),
        QStringLiteral("0"));
    const QCommandLineOption boardOption(QStringLiteral("board"),
        QStringLiteral("Put a board on the bus: ADDR:KIND or ADDR:KIND:ECHO, KIND one of digital, analog, q83q, "
                       "q907, relay, silent, first-char; ECHO the address its \"L\" reply names. Repeatable."),
        QStringLiteral("board"));
    const QCommandLineOption loaderOption(QStringLiteral("loader"),
        QStringLiteral("Put a flash loader on the bus: ADDR:KIND or ADDR:KIND:N, KIND one of firmware, loader, "
                       "slow-loader[:MS], mute-loader, partial-loader[:N or :%K], drop-loader[:N]. Repeatable."),
        QStringLiteral("loader"));
    const QCommandLineOption restoreOption(QStringLiteral("restore-after"),
        QStringLiteral("After a drop-loader has dropped the line, bring the device back after this many "
                       "milliseconds (default 3000; 0 waits for SIGUSR2)."),
        QStringLiteral("ms"), QStringLiteral("3000"));
    const QCommandLineOption demoBusOption(QStringLiteral("demo-bus"),
        QStringLiteral("The demo bus: digital board at 01, analog boards at 02 (eleven channels), 03 (Q83Q) and "
                       "04 (Q907), relay board at 0A; loaders at 10 (normal firmware), 11 (loader), 12 (slow), "
                       "13 (mute), 14 (all lines but the third), 15 (drops the line after 5 lines)."));
    const QCommandLineOption recordOption(QStringLiteral("record"),
        QStringLiteral("On exit, write every byte with its time and direction to a file."),
        QStringLiteral("file"));
    parser.addOptions({linkOption, baudOption, echoOption, silentOption, scriptOption, repeatOption,
                       latencyOption, boardOption, loaderOption, restoreOption, demoBusOption, recordOption});
    parser.process(app);

    if (!parser.positionalArguments().isEmpty())
        return failWith(QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().constFirst()));
    bool ok = false;
    const int baud = parser.value(baudOption).toInt(&ok);
    if (!ok || baud < 0)
        return failWith(QStringLiteral("bad --baud \"%1\"").arg(parser.value(baudOption)));
    const qint64 latencyUs = parser.value(latencyOption).toLongLong(&ok);
    if (!ok || latencyUs < 0)
        return failWith(QStringLiteral("bad --latency \"%1\"").arg(parser.value(latencyOption)));
    const std::chrono::microseconds latency{latencyUs};
    const int restoreMs = parser.value(restoreOption).toInt(&ok);
    if (!ok || restoreMs < 0)
        return failWith(QStringLiteral("bad --restore-after \"%1\"").arg(parser.value(restoreOption)));
    const bool boards = parser.isSet(boardOption) || parser.isSet(loaderOption) || parser.isSet(demoBusOption);
    if (int(parser.isSet(echoOption)) + int(parser.isSet(silentOption)) + int(parser.isSet(scriptOption))
            + int(boards) > 1)
        return failWith(QStringLiteral("--echo, --silent, --script and the boards exclude each other"));
    if (parser.isSet(repeatOption) && !parser.isSet(scriptOption))
        return failWith(QStringLiteral("--repeat needs --script"));

    std::shared_ptr<boardsim::Responder> responder;
    QStringList busLayout;
    QList<std::shared_ptr<boardsim::LoaderBoard>> loaders;
    if (boards) {
        // Boards answer after a millisecond unless told otherwise: no board answers at once.
        const auto boardLatency = parser.isSet(latencyOption) ? latency : boardsim::Board::DefaultLatency;
        QStringList descriptions = parser.values(boardOption);
        if (parser.isSet(demoBusOption))
            descriptions = boardsim::demoBusDescriptions() + descriptions;
        auto bus = std::make_shared<boardsim::ResponderChain>();
        for (const QString &description : descriptions) {
            QString error;
            auto board = boardsim::makeBoard(description, boardLatency, &error);
            if (!board)
                return failWith(error);
            busLayout << description;
            const int address = board->address();
            bus->add(address, std::move(board));
        }
        QStringList loaderDescriptions = parser.values(loaderOption);
        if (parser.isSet(demoBusOption))
            loaderDescriptions = boardsim::demoLoaderDescriptions() + loaderDescriptions;
        for (const QString &description : loaderDescriptions) {
            QString error;
            auto loader = boardsim::makeLoader(description, &error);
            if (!loader)
                return failWith(error);
            loader->setDropHandler([] {
                loaderDropped = true;
                ::kill(::getpid(), SIGUSR1);
            });
            busLayout << description;
            bus->add(loader->address(), loader);
            loaders << loader;
        }
        // Several running loaders would all acknowledge every line: ")*LOC" chooses one.
        if (loaders.size() > 1) {
            for (const auto &loader : std::as_const(loaders))
                loader->setSelected(false);
        }
        responder = std::move(bus);
    } else if (parser.isSet(echoOption)) {
        responder = std::make_shared<boardsim::EchoResponder>(latency);
    } else if (parser.isSet(scriptOption)) {
        QFile file(parser.value(scriptOption));
        if (!file.open(QIODevice::ReadOnly))
            return failWith(QStringLiteral("%1: %2").arg(file.fileName(), file.errorString()));
        QString error;
        auto steps = boardsim::parseScript(file.readAll(), &error);
        if (!steps)
            return failWith(QStringLiteral("%1: %2").arg(file.fileName(), error));
        responder = std::make_shared<boardsim::ScriptedResponder>(std::move(*steps), parser.isSet(repeatOption),
                                                                  latency);
    } else {
        responder = std::make_shared<boardsim::SilentResponder>(latency);
    }

    // Blocked before the line thread starts, so it inherits the mask and the signals
    // reach only sigwait below.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);   // a closed terminal, too, should leave no stale link
    sigaddset(&stopSignals, SIGUSR1);
    sigaddset(&stopSignals, SIGUSR2);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    boardsim::SimLine line;
    line.setBaud(baud);
    line.setResponder(responder);
    if (!line.open(parser.value(linkOption)))
        return failWith(line.errorString());

    std::printf("%s\n", qPrintable(line.devicePath()));
    std::fflush(stdout);
    std::fprintf(stderr, "boardsim: %s%s, %s; stop with Ctrl+C\n", qPrintable(line.devicePath()),
                 line.linkPath().isEmpty() ? "" : qPrintable(QStringLiteral(" linked at ") + line.linkPath()),
                 baud ? qPrintable(QStringLiteral("%1 baud").arg(baud)) : "unpaced");
    if (!busLayout.isEmpty())
        std::fprintf(stderr, "boardsim: boards %s\n", qPrintable(busLayout.join(QStringLiteral(", "))));

    const auto restore = [&line, &loaders] {
        if (!line.isDropped())
            return;
        if (!line.restoreDevice()) {
            std::fprintf(stderr, "boardsim: the device could not come back: %s\n", qPrintable(line.errorString()));
            return;
        }
        for (const auto &loader : std::as_const(loaders))
            loader->lineRestored();
        std::printf("%s\n", qPrintable(line.devicePath()));
        std::fflush(stdout);
        std::fprintf(stderr, "boardsim: the device is back: %s\n", qPrintable(line.devicePath()));
    };
    using SteadyClock = std::chrono::steady_clock;
    std::optional<SteadyClock::time_point> restoreAt;   // after a loader's drop
    for (;;) {
        int signal = 0;
        if (restoreAt) {
            const auto left = std::max(*restoreAt - SteadyClock::now(), SteadyClock::duration::zero());
            const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
            const timespec wait{static_cast<time_t>(seconds.count()),
                                static_cast<long>(std::chrono::nanoseconds(left - seconds).count())};
            signal = sigtimedwait(&stopSignals, nullptr, &wait);
            if (signal < 0) {
                if (errno == EAGAIN) {
                    restoreAt.reset();
                    restore();
                }
                continue;
            }
        } else if (sigwait(&stopSignals, &signal) != 0) {
            continue;
        }
        if (signal == SIGUSR1) {
            const bool byLoader = loaderDropped.exchange(false);
            if (line.isDropped())
                continue;
            line.dropDevice();
            if (byLoader && restoreMs > 0) {
                restoreAt = SteadyClock::now() + std::chrono::milliseconds(restoreMs);
                std::fprintf(stderr, "boardsim: a loader dropped the line; the device comes back in %d ms\n",
                             restoreMs);
            } else {
                std::fprintf(stderr, "boardsim: the device went away; SIGUSR2 brings it back\n");
            }
        } else if (signal == SIGUSR2) {
            restoreAt.reset();
            restore();
        } else {
            break;
        }
    }
    line.stop();

    if (parser.isSet(recordOption)) {
        QSaveFile record(parser.value(recordOption));
        if (!record.open(QIODevice::WriteOnly)
            || record.write(boardsim::formatRecord(line.recorded())) < 0 || !record.commit())
            return failWith(QStringLiteral("%1: %2").arg(record.fileName(), record.errorString()));
    }
    return 0;
}
