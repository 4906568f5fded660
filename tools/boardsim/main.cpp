// boardsim: a simulated bus on a pseudo-terminal, for the console's tests and demo.
// Prints the device path as the first line on stdout, runs until SIGINT, SIGTERM or
// SIGHUP, then removes its link and writes the record if asked. SIGUSR1 makes the device
// vanish as a pulled adapter does, SIGUSR2 brings it back at the link (a new device path,
// printed as the next line on stdout).

#include "boardsim/boards.h"
#include "boardsim/record.h"
#include "boardsim/responder.h"
#include "boardsim/scriptfile.h"
#include "boardsim/simline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

#include <csignal>
#include <cstdio>
#include <memory>

#include <pthread.h>

namespace {

int failWith(const QString &message)
{
    std::fprintf(stderr, "boardsim: %s\n", qPrintable(message));
    return 1;
}

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
    const QCommandLineOption demoBusOption(QStringLiteral("demo-bus"),
        QStringLiteral("The demo bus: digital board at 01, analog boards at 02 (eleven channels), 03 (Q83Q) and "
                       "04 (Q907), relay board at 0A."));
    const QCommandLineOption recordOption(QStringLiteral("record"),
        QStringLiteral("On exit, write every byte with its time and direction to a file."),
        QStringLiteral("file"));
    parser.addOptions({linkOption, baudOption, echoOption, silentOption, scriptOption, repeatOption,
                       latencyOption, boardOption, demoBusOption, recordOption});
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
    const bool boards = parser.isSet(boardOption) || parser.isSet(demoBusOption);
    if (int(parser.isSet(echoOption)) + int(parser.isSet(silentOption)) + int(parser.isSet(scriptOption))
            + int(boards) > 1)
        return failWith(QStringLiteral("--echo, --silent, --script and the boards exclude each other"));
    if (parser.isSet(repeatOption) && !parser.isSet(scriptOption))
        return failWith(QStringLiteral("--repeat needs --script"));

    std::shared_ptr<boardsim::Responder> responder;
    QStringList busLayout;
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

    for (;;) {
        int signal = 0;
        if (sigwait(&stopSignals, &signal) != 0)
            continue;
        if (signal == SIGUSR1) {
            if (line.isDropped())
                continue;
            line.dropDevice();
            std::fprintf(stderr, "boardsim: the device went away; SIGUSR2 brings it back\n");
        } else if (signal == SIGUSR2) {
            if (!line.isDropped())
                continue;
            if (!line.restoreDevice()) {
                std::fprintf(stderr, "boardsim: the device could not come back: %s\n", qPrintable(line.errorString()));
                continue;
            }
            std::printf("%s\n", qPrintable(line.devicePath()));
            std::fflush(stdout);
            std::fprintf(stderr, "boardsim: the device is back: %s\n", qPrintable(line.devicePath()));
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
