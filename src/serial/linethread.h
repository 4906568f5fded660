#pragma once

#include "serial/serialdevice.h"

#include <QObject>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

class TCom;
class LineThreadPrivate;

// What a job sees while it runs on the line thread.
class LineContext
{
public:
    TCom &com;
    SerialDriver &driver;

    // True once the job was cancelled: reads then return "nothing" at once, so loops
    // end by themselves; long loops (a scan) also test it between steps.
    bool cancelled() const { return m_cancelled.load(std::memory_order_relaxed); }

    // Runs fn on the user-interface thread, in the order of the calls. Dropped when the
    // job has been cancelled by the time it would run, so a cancelled job never touches
    // the controls of a workspace that is no longer shown.
    void report(std::function<void()> fn);

    // Waits on the line thread without holding the line; ends early, returning false, when
    // the job is cancelled. Jobs wait with this rather than sleeping the thread, so a
    // cancel or a shutdown never waits out a pause.
    bool pause(std::chrono::milliseconds duration) const;

    LineContext(TCom &c, SerialDriver &d, const std::atomic<bool> &cancelled, std::function<void(std::function<void()>)> poster)
        : com(c), driver(d), m_cancelled(cancelled), m_post(std::move(poster)) {}

private:
    const std::atomic<bool> &m_cancelled;
    std::function<void(std::function<void()>)> m_post;
};

// The line thread: owns the main port TCom and runs jobs on it one after the other, so
// nothing on the user-interface thread ever waits on the line. Created and used on the
// user-interface thread; every callback (reports, done) comes back there.
class LineThread : public QObject
{
    Q_OBJECT
public:
    using Job = std::function<void(LineContext &)>;

    explicit LineThread(std::unique_ptr<SerialDriver> driver, QObject *parent = nullptr);
    ~LineThread() override;   // cancels everything, closes the port, joins the thread

    // Queues a job. done, if given, runs on the user-interface thread after the job and
    // all its reports, also when the job was cancelled (it clears "busy" flags); done
    // callbacks run in the order the jobs were posted. Once the LineThread is destroyed,
    // nothing more comes back.
    void post(Job job, std::function<void()> done = {});

    // Drops the queued jobs (their done callbacks still run) and stops the running job at
    // its next single read. Jobs posted afterwards run normally.
    void cancelAll();

    // No job queued or running (as far as the user-interface thread has been told).
    bool idle() const;

    // Tests and benchmarks only: processes events until the line is idle or the time is up.
    bool waitIdle(int timeoutMs);

    // How long the destructor waits for a running job to notice the cancel. A job that
    // ignores it past this bound is left running on a thread that is never joined.
    static constexpr std::chrono::milliseconds ShutdownBound{5000};

Q_SIGNALS:
    void becameIdle();
    // The held device's line went away and TCom has closed it. Comes here in order with
    // the reports of the job that met it, and is never dropped: a cancelled job's loss is
    // a loss all the same.
    void lineLost(const LineLoss &loss);

private:
    std::unique_ptr<LineThreadPrivate> d;
};
