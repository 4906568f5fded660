// How precisely the sequencer starts its steps, and how long the user-interface event loop
// stalls while steps wait on a silent board.
//
// The runner plays sequences of 500 one-byte steps of 10 ms, 50 ms and 250 ms at several
// slider positions against a simulated line (the real serial driver on a pseudo-terminal).
// Each step's start is the moment its byte reached the line (the simulated line's record).
// Its intended start is the previous step's start plus the interval, since a step's delay
// is the time from its start to the next step's start; the error is the difference, either
// way. Drift is measured apart: the distance from the first step's start plus the
// intervals of all steps before, which grows only when a tick comes later than a whole
// interval (ticks are then not made up). The tick column is the same error for the ticks
// of SeqTimer on the user-interface thread, without the way to the line; the job column is
// how long each step's job took from its tick until its end came back to the user-interface
// thread (the byte was written by then, whenever the simulated line recorded it), and the
// handler column the longest time the tick handler itself took. A 1 ms precise
// timer on the user-interface thread measures the gaps in the event loop throughout; a
// last phase runs steps that each wait out a reply from a board that never answers.
//
//   bench_steptiming [steps]      (default 500)

#include "workspace/console.h"
#include "workspace/operatorprompt.h"
#include "settings/settingsfile.h"
#include "boardsim/responder.h"
#include "boardsim/simline.h"
#include "sequencer/sequencerunner.h"
#include "serial/mainport.h"
#include "serial/portmap.h"
#include "serial/qtserialdriver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace std::chrono_literals;

namespace {

class SilentPrompt : public OperatorPrompt
{
public:
    void showMessage(const QString &, const QString &) override {}
    Answer ask(const QString &, const QString &, bool) override { return Answer::No; }
};

// The console the runner needs: the main port on the real driver, the status texts as strings.
class BenchConsole : public Console
{
public:
    explicit BenchConsole(std::shared_ptr<PortMap> map) : m_port(std::make_unique<QtSerialDriver>(std::move(map))) {}

    OperatorPrompt &prompt() override { return m_prompt; }
    QString settingsPath() const override { return QString(); }
    bool settingsLoaded() const override { return true; }
    bool saveSettings(const std::function<void(SettingsFile &)> &) override { return true; }
    MainPort &mainPort() override { return m_port; }
    void applyLineSettings(bool open, std::function<void(bool)> done = {}) override
    {
        if (open) {
            m_port.open(lineOpenRequest(), std::move(done));
            return;
        }
        m_port.close();
        if (done)
            done(false);
    }
    LineOpenRequest lineOpenRequest() const override
    {
        LineOpenRequest request;
        request.portText = QStringLiteral("COM1");
        request.baudText = QStringLiteral("115200");
        request.specText = QStringLiteral("N-8-1");
        request.settings = m_port.lineSettings();
        return request;
    }
    void setPortField(const QString &) override {}
    void setBaudField(const QString &) override {}
    void setActivityText(const QString &text) override { m_activity = text; }
    QString activityText() const override { return m_activity; }
    void setConnectedText(const QString &) override {}

private:
    SilentPrompt m_prompt;
    QString m_activity;
    MainPort m_port;
};

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

// The gaps between ticks of a 1 ms timer on the user-interface thread.
class StallMeter
{
public:
    StallMeter()
    {
        m_tick.setTimerType(Qt::PreciseTimer);
        m_tick.setInterval(1ms);
        QObject::connect(&m_tick, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            if (m_last >= 0)
                m_longest = std::max(m_longest, double(now - m_last) / 1e6);
            m_last = now;
        });
    }
    void start()
    {
        m_longest = 0;
        m_last = -1;
        m_clock.start();
        m_tick.start();
    }
    double stop()
    {
        m_tick.stop();
        return m_longest;
    }

private:
    QTimer m_tick;
    QElapsedTimer m_clock;
    qint64 m_last = -1;
    double m_longest = 0;
};

// Runs the event loop until done() holds or the time is up.
bool runUntil(const std::function<bool()> &done, std::chrono::milliseconds limit)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(20ms);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(limit, &loop, &QEventLoop::quit);
    poll.start();
    loop.exec();
    return done();
}

Sequence loop(int steps, const QString &delay, const QString &command)
{
    Sequence s;
    for (int i = 0; i < steps; ++i)
        s.append(delay, command, QString::number(i + 2));
    return s;
}

struct Case
{
    int delay;
    int slider;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int steps = argc > 1 ? std::max(10, std::atoi(argv[1])) : 500;

    QTemporaryDir dir;
    boardsim::SimLine line;
    const QString link = dir.filePath(QStringLiteral("COM1"));
    if (!line.open(link)) {
        std::fprintf(stderr, "bench_steptiming: %s\n", qPrintable(line.errorString()));
        return 1;
    }
    line.setBaud(115200);
    auto map = std::make_shared<PortMap>();
    map->setEntries({{1, link}});
    BenchConsole console(map);
    // The runner's timer, watched before and after the runner's own handler.
    QTimer seqTimer;
    QElapsedTimer tickClock;
    tickClock.start();
    std::vector<double> ticks;
    double handlerStart = 0;
    double longestHandler = 0;
    QObject::connect(&seqTimer, &QTimer::timeout, [&] {
        handlerStart = double(tickClock.nsecsElapsed()) / 1e6;
        ticks.push_back(handlerStart);
    });
    SequenceRunner runner(console, &seqTimer);
    QObject::connect(&seqTimer, &QTimer::timeout, [&] {
        longestHandler = std::max(longestHandler, double(tickClock.nsecsElapsed()) / 1e6 - handlerStart);
    });
    StallMeter stalls;

    std::printf("bench_steptiming: %d one-byte steps per case; times in ms\n", steps);
    std::printf("%-6s %-6s %-8s | %-8s %-8s %-8s | %-8s %-8s | %-8s %-8s | %-8s | %-8s | %s\n", "delay", "slider",
                "interval", "median", "p99", "worst", "drift50", "drift99", "tick50", "tick99", "job99", "handler",
                "longest UI gap");

    const Case cases[] = {{10, 0}, {10, 25}, {10, 50}, {10, 75}, {50, 25}, {50, 50}, {250, 5}, {250, 25}};
    bool ok = true;
    for (const Case &c : cases) {
        runner.setSliderPosition(c.slider);
        runner.replaceSequence(loop(steps, QString::number(c.delay), QStringLiteral("S")));
        runner.rewind();
        // Opened before the run, so the first step's start is not held up by the open.
        console.applyLineSettings(true);
        console.mainPort().line().waitIdle(2000);
        line.clearRecord();
        const auto interval = stepInterval(c.delay, runner.timeScale());

        ticks.clear();
        longestHandler = 0;
        std::vector<double> jobs;
        double jobStart = 0;
        const QMetaObject::Connection jobWatch = QObject::connect(&runner, &SequenceRunner::busyChanged, [&](bool busy) {
            const double now = double(tickClock.nsecsElapsed()) / 1e6;
            if (busy)
                jobStart = now;
            else
                jobs.push_back(now - jobStart);
        });
        stalls.start();
        runner.run();
        // Counted by the runner's own jobs: reading the simulated line from this thread while
        // it runs would tie the event loop to the line's thread.
        const bool finished = runUntil([&] { return jobs.size() >= size_t(steps); },
                                       interval * steps * 2 + std::chrono::milliseconds(5000));
        runner.pause();
        QObject::disconnect(jobWatch);
        const double longestGap = stalls.stop();
        runUntil([&] { return !runner.busy(); }, 5000ms);
        console.mainPort().line().waitIdle(2000);
        line.waitForReceived(steps, 2s);
        if (!finished) {
            std::fprintf(stderr, "bench_steptiming: %d ms at %d did not finish\n", c.delay, c.slider);
            ok = false;
            continue;
        }

        std::vector<double> absolute;
        std::vector<double> relative;
        const QList<boardsim::RecordedByte> record = line.recorded();
        std::vector<double> starts;
        for (const boardsim::RecordedByte &b : record) {
            if (b.direction == boardsim::Direction::ToBoard)
                starts.push_back(std::chrono::duration<double, std::milli>(b.at).count());
        }
        const double ms = double(interval.count());
        for (size_t k = 1; k < starts.size() && k < size_t(steps); ++k) {
            absolute.push_back(std::abs(starts[k] - (starts[0] + double(k) * ms)));
            relative.push_back(std::abs(starts[k] - (starts[k - 1] + ms)));
        }
        std::vector<double> tickJitter;
        for (size_t k = 2; k < ticks.size(); ++k)
            tickJitter.push_back(std::abs(ticks[k] - ticks[k - 1] - ms));
        std::printf("%-6d %-6d %-8lld | %-8.3f %-8.3f %-8.3f | %-8.3f %-8.3f | %-8.3f %-8.3f | %-8.3f | %-8.3f | %.2f\n", c.delay,
                    c.slider, static_cast<long long>(interval.count()), percentile(relative, 0.5),
                    percentile(relative, 0.99), percentile(relative, 1.0), percentile(absolute, 0.5),
                    percentile(absolute, 0.99), percentile(tickJitter, 0.5), percentile(tickJitter, 0.99),
                    percentile(jobs, 0.99), longestHandler, longestGap);
        std::fflush(stdout);
    }

    // Steps that each wait out a reply from a board that never answers: every one holds the
    // line for some 3.2 s, and the window must not notice.
    line.setResponder(std::make_shared<boardsim::SilentResponder>());
    runner.setSliderPosition(50);
    runner.replaceSequence(loop(4, QStringLiteral("10"), QStringLiteral("L01[4]")));
    runner.rewind();
    console.mainPort().line().waitIdle(2000);
    line.clearRecord();
    QElapsedTimer silentClock;
    silentClock.start();
    int silentSteps = 0;
    QObject::connect(&runner, &SequenceRunner::busyChanged, [&](bool busy) {
        if (!busy)
            ++silentSteps;
    });
    stalls.start();
    runner.run();
    const bool silentDone = runUntil([&] { return silentSteps >= 3; }, 30s);
    const double silentGap = stalls.stop();
    runner.pause();
    runUntil([&] { return !runner.busy(); }, 5000ms);
    std::printf("silent board: %s steps waiting on replies over %.1f s, longest UI gap %.2f ms\n",
                silentDone ? "3" : "fewer than 3", double(silentClock.elapsed()) / 1000.0, silentGap);
    return ok && silentDone ? 0 : 1;
}
