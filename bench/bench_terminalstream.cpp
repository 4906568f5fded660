// The terminal under a stream: the console offscreen on a simulated line with the real
// serial driver, connected in the Terminal Emulator, plain display with "RX CR = CRLF"
// and the log running; local echo is off, so the pane shows only what was received. Lines of random length (1 to 160 characters, then CR LF) are put
// on the line in 1 ms slices at a given byte rate.
//
//   bench_terminalstream [seconds] [bytes/s]   one stream (default 60 s at 92160 bytes/s,
//                                              a 921600-baud line), keys typed during it
//   bench_terminalstream --ramp [seconds]      the highest rate the pane keeps up with
//   bench_terminalstream --silent [seconds]    keys typed on a silent line
//   bench_terminalstream --hex ...             any of these with the hex display
//
// Prints: bytes sent, shown and logged (and whether the log holds exactly what was
// shown), the event loop's longest gap, the CPU time of the user-interface and line
// threads, peak RSS, and the time from a key press to its byte on the line.

#include "benchconsole.h"

#include "terminal/terminalpane.h"
#include "terminal/terminalworkspace.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QKeyEvent>
#include <QPushButton>

#include <atomic>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include <sys/resource.h>
#include <unistd.h>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// CPU seconds of the threads of this process named name ("line"), or of the main thread.
double threadCpuSeconds(const char *name)
{
    const long ticks = sysconf(_SC_CLK_TCK);
    double total = 0;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString &tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        std::ifstream commFile(("/proc/self/task/" + tid + "/comm").toStdString());
        std::string comm;
        std::getline(commFile, comm);
        const bool main = tid.toLongLong() == getpid();
        if (name ? comm != name : !main)
            continue;
        std::ifstream statFile(("/proc/self/task/" + tid + "/stat").toStdString());
        std::string stat((std::istreambuf_iterator<char>(statFile)), std::istreambuf_iterator<char>());
        std::istringstream fields(stat.substr(stat.rfind(')') + 2));
        std::string field;
        for (int i = 3; i <= 13; ++i)
            fields >> field;
        long utime = 0, stime = 0;
        fields >> utime >> stime;
        total += double(utime + stime) / double(ticks);
    }
    return total;
}

double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long peakRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The stream's source: lines of random length, and what the log must hold for them.
class Stream
{
public:
    QByteArray next(qsizetype size)
    {
        QByteArray out;
        while (out.size() < size) {
            if (m_left == 0) {
                out += "\r\n";
                m_left = std::uniform_int_distribution<int>(1, 160)(m_random);
                continue;
            }
            const char c = char('!' + std::uniform_int_distribution<int>(0, 93)(m_random));
            out += c == 'k' ? 'j' : c;   // "k" is the typed key's, in the log
            --m_left;
        }
        return out;
    }

private:
    std::mt19937 m_random{42};
    int m_left = 20;
};

bool hexDisplay = false;

// Plain display with CRLF: CR and LF each show as a line break, written as CR LF; hex
// display: "%2.2X " a byte.
QByteArray expectedLog(const QByteArray &sent)
{
    if (hexDisplay)
        return sent.toHex(' ').toUpper() + (sent.isEmpty() ? "" : " ");
    QByteArray log;
    log.reserve(sent.size() * 2);
    for (char c : sent) {
        if (c == '\r' || c == '\n')
            log += "\r\n";
        else
            log += c;
    }
    return log;
}

struct Percentiles
{
    std::vector<double> ms;
    double at(double p) const
    {
        if (ms.empty())
            return 0;
        std::vector<double> s = ms;
        std::sort(s.begin(), s.end());
        return s[std::min(s.size() - 1, size_t(p * double(s.size())))];
    }
};

class Bench
{
public:
    bool start()
    {
        m_line.setBaud(0);   // the bench paces the stream itself
        m_t0 = Clock::now();
        if (!m_console.start(m_line, "Terminal Emulator", "CRLF=1\r\nLocalEchoCheck=0\r\n"))
            return false;
        m_pane = m_console.find<TerminalPane>("RichEdit1");
        m_log = m_dir.filePath(QStringLiteral("stream.log"));
        auto *terminal = m_console.window->findChild<TerminalWorkspace *>();
        m_console.window->prompt();   // the scripted prompt answers the log chooser below
        scriptedPrompt()->saveFiles << m_log;
        m_console.find<QPushButton>("LogStartStop")->click();
        if (hexDisplay)
            m_console.find<QCheckBox>("HexIO")->click();
        m_console.find<QPushButton>("Connect")->click();
        bench::measureGaps([&] { return m_console.window->mainPort().portIsOpen(); }, 5000ms);
        bench::measureGaps(200ms);
        watchKeys();
        return terminal->logActive() && m_console.window->mainPort().portIsOpen();
    }

    // Streams for duration at rate bytes/s, pressing a key every 20 ms when asked.
    void stream(std::chrono::milliseconds duration, double rate, bool typeKeys, const char *what)
    {
        const qint64 shownBefore = m_pane->insertedCharacters();
        const double cpuUi0 = threadCpuSeconds(nullptr), cpuLine0 = threadCpuSeconds("line");
        const double cpuAll0 = processCpuSeconds();
        std::atomic<bool> done{false};
        std::atomic<qint64> sent{0};
        std::thread source([&] {
            const auto begin = Clock::now();
            for (auto t = begin; t - begin < duration; t += 1ms) {
                std::this_thread::sleep_until(t);
                const auto due = qint64(rate * std::chrono::duration<double>(t - begin + 1ms).count());
                const QByteArray chunk = m_stream.next(due - sent);
                sent += chunk.size();
                m_line.send(chunk);
                m_expectedLog.addData(expectedLog(chunk));
            }
            done = true;
        });
        QTimer keys;
        keys.setInterval(20);
        QObject::connect(&keys, &QTimer::timeout, [&] { pressKey(); });
        if (typeKeys)
            keys.start();
        const auto streamStart = Clock::now();
        const bench::Gaps gaps = bench::measureGaps([&] { return done.load(); }, duration + 5s);
        keys.stop();
        source.join();
        // What is still on its way shows within this time.
        const auto caughtUp = Clock::now();
        bench::measureGaps([&] { return m_pane->insertedCharacters() - shownBefore >= sent * (hexDisplay ? 3 : 1); }, 30s);
        const double lag = std::chrono::duration<double, std::milli>(Clock::now() - caughtUp).count();
        const double wall = std::chrono::duration<double>(Clock::now() - streamStart).count();
        const double cpuUi = threadCpuSeconds(nullptr) - cpuUi0, cpuLine = threadCpuSeconds("line") - cpuLine0;
        const double cpuOthers = processCpuSeconds() - cpuAll0 - cpuUi - cpuLine;
        const qint64 shown = (m_pane->insertedCharacters() - shownBefore) / (hexDisplay ? 3 : 1);
        std::printf("%s: %.0f bytes/s for %.1f s: sent %lld, shown %lld (%s), caught up %.1f ms after the source "
                    "stopped\n",
                    what, rate, std::chrono::duration<double>(duration).count(), qlonglong(sent.load()),
                    qlonglong(shown), shown == sent ? "all" : "MISSING", lag);
        bench::printGaps("  event loop", gaps);
        std::printf("  gaps over 20 ms: %td\n", std::count_if(gaps.ms.begin(), gaps.ms.end(), [](double g) { return g > 20; }));
        std::printf("  CPU: user-interface thread %.1f %%, line thread %.1f %% of a core (the simulated line and the "
                    "source: %.1f %%); peak RSS %ld kB\n",
                    100 * cpuUi / wall, 100 * cpuLine / wall, 100 * cpuOthers / wall, peakRssKb());
    }

    void pressKey()
    {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_K, Qt::NoModifier, QStringLiteral("k"));
        {
            std::lock_guard lock(m_arrivedMutex);
            m_presses.push_back(Clock::now() - m_t0);
        }
        QCoreApplication::sendEvent(m_pane, &press);
    }

    void typeOnSilentLine(int count)
    {
        const double cpuLine0 = threadCpuSeconds("line");
        const auto begin = Clock::now();
        for (int i = 0; i < count; ++i) {
            pressKey();
            bench::measureGaps(20ms);
        }
        const double wall = std::chrono::duration<double>(Clock::now() - begin).count();
        std::printf("silent line, %d keys in %.1f s: line thread %.1f %% of a core\n", count, wall,
                    100 * (threadCpuSeconds("line") - cpuLine0) / wall);
    }

    // Notes the moment each typed byte reaches the far end of the line. The simulated
    // line records every byte of the stream too; its record is emptied whenever no typed
    // byte is on its way (a press waits for the lock), so it does not count as the
    // console's memory.
    void watchKeys()
    {
        m_watcher = std::thread([this] {
            while (!m_stopWatching) {
                const bool got = m_line.waitForReceived(1, 20ms);
                const auto now = Clock::now() - m_t0;
                std::lock_guard lock(m_arrivedMutex);
                if (got) {
                    for (qsizetype i = m_line.received().size() - m_inRecord; i > 0; --i)
                        m_arrived.push_back(now);
                    m_inRecord = m_line.received().size();
                }
                if (m_arrived.size() == m_presses.size()) {
                    m_line.clearRecord();
                    m_inRecord = 0;
                }
            }
        });
    }

    ~Bench()
    {
        m_stopWatching = true;
        if (m_watcher.joinable())
            m_watcher.join();
    }

    // From each key press to its byte at the far end of the line.
    void printKeyLatency(const char *what)
    {
        bench::measureGaps(100ms);
        Percentiles p;
        std::vector<std::chrono::nanoseconds> arrived;
        std::vector<std::chrono::nanoseconds> presses;
        {
            std::lock_guard lock(m_arrivedMutex);
            arrived = m_arrived;
            presses = m_presses;
        }
        for (size_t i = m_keysReported; i < presses.size() && i < arrived.size(); ++i)
            p.ms.push_back(std::chrono::duration<double, std::milli>(arrived[i] - presses[i]).count());
        std::printf("%s: %zu keys, press to line: median %.2f ms, 99th percentile %.2f ms, longest %.2f ms\n", what,
                    p.ms.size(), p.at(0.5), p.at(0.99), p.at(1.0));
        m_keysReported = presses.size();
    }

    void checkLog()
    {
        m_console.find<QPushButton>("LogStartStop")->click();   // STOP LOG closes the file
        QFile file(m_log);
        file.open(QIODevice::ReadOnly);
        const QByteArray log = file.readAll();
        // Typed keys are logged too: take them out (the stream never holds a "k").
        QByteArray received = log;
        received.replace("k", "");
        const bool exact = QCryptographicHash::hash(received, QCryptographicHash::Sha256) == m_expectedLog.result();
        std::printf("log: %lld bytes, %s\n", qlonglong(log.size()),
                    exact ? "exactly the received stream as shown plus the typed keys"
                          : "DIFFERS from the received stream");
    }

private:
    ScriptedPrompt *scriptedPrompt() { return static_cast<ScriptedPrompt *>(&m_console.window->prompt()); }

    QTemporaryDir m_dir;
    boardsim::SimLine m_line;
    bench::Console m_console;
    TerminalPane *m_pane = nullptr;
    QString m_log;
    Stream m_stream;
    QCryptographicHash m_expectedLog{QCryptographicHash::Sha256};
    Clock::time_point m_t0;
    std::vector<std::chrono::nanoseconds> m_presses;
    size_t m_keysReported = 0;
    std::thread m_watcher;
    std::atomic<bool> m_stopWatching{false};
    std::mutex m_arrivedMutex;   // guards the two lists and the line's record
    std::vector<std::chrono::nanoseconds> m_arrived;
    qsizetype m_inRecord = 0;
};

} // namespace

int main(int argc, char **argv)
{
    bench::useOffscreenByDefault();
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    hexDisplay = args.value(0) == u"--hex";
    if (hexDisplay)
        args.removeFirst();
    Bench bench;
    if (!bench.start()) {
        std::fprintf(stderr, "the terminal did not connect\n");
        return 1;
    }
    if (args.value(0) == u"--ramp") {
        const auto seconds = std::chrono::milliseconds(int(1000 * (args.size() > 1 ? args[1].toDouble() : 5)));
        for (double rate : {92160.0, 500e3, 1e6, 1.5e6, 2e6, 3e6})
            bench.stream(seconds, rate, false, "ramp");
    } else if (args.value(0) == u"--silent") {
        bench.typeOnSilentLine(args.size() > 1 ? args[1].toInt() * 50 : 500);
        bench.printKeyLatency("silent line");
    } else {
        bench::printGaps("connected, line silent, 10 s (the machine's own stalls)", bench::measureGaps(10s));
        const double seconds = args.size() > 0 ? args[0].toDouble() : 60;
        const double rate = args.size() > 1 ? args[1].toDouble() : 92160;
        bench.stream(std::chrono::milliseconds(qint64(seconds * 1000)), rate, true, "stream");
        bench.printKeyLatency("while receiving");
        bench.typeOnSilentLine(250);
        bench.printKeyLatency("silent line");
    }
    bench.checkLog();
    return 0;
}
