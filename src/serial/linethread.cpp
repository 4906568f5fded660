#include "serial/linethread.h"

#include "serial/tcom.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <QtDebug>

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

namespace {

struct Entry
{
    LineThread::Job job;
    std::function<void()> done;
    quint64 generation = 0;
};

// What the user-interface side and the line thread share. Outlives both sides, so a
// thread left running after a shutdown that timed out still finds it.
struct LineShared
{
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Entry> queue;
    bool stopping = false;
    // Bumped by cancelAll: queued entries of an older generation are skipped, reports of
    // an older generation are dropped. Changed under mutex, read anywhere.
    std::atomic<quint64> generation{0};
    // The running job's cancel flag, handed to TCom. Set under mutex by cancelAll, cleared
    // under mutex when a job of the current generation starts, so a cancel is never lost
    // between taking a job and starting it.
    std::atomic<bool> cancelRunning{false};
    // The user-interface side, while it lives; guarded by mutex. Posting happens under the
    // mutex, so the object cannot go away between the check and the post.
    LineThread *ui = nullptr;
    std::function<void(std::function<void()>)> finishJob;
    std::function<void(const LineLoss &)> lineLost;
    // Set under mutex as the worker's last step. QThread::wait() returning is not an order a
    // thread checker can see (Qt's own locks), taking mutex after it is.
    bool workerDone = false;
};

// Qt's event queue hands a report to the user-interface thread under Qt's own lock, which a
// thread checker cannot see when Qt was not built for one. A report takes this mutex before
// it touches anything the line thread wrote, and the poster holds it while posting, so the
// hand-off is an order the checker sees as well. Uncontended, it costs next to nothing.
std::mutex &handOff()
{
    static std::mutex mutex;
    return mutex;
}

void postToUi(LineShared &shared, std::function<void()> fn)
{
    std::lock_guard lock(shared.mutex);
    if (!shared.ui)
        return;
    std::lock_guard handing(handOff());
    QMetaObject::invokeMethod(
        shared.ui,
        [fn = std::move(fn)] {
            { std::lock_guard received(handOff()); }
            fn();
        },
        Qt::QueuedConnection);
}

constexpr std::chrono::milliseconds PauseSlice{10};

} // namespace

class LineWorker : public QThread
{
public:
    LineWorker(std::shared_ptr<LineShared> shared, std::unique_ptr<SerialDriver> driver)
        : m_shared(std::move(shared))
        , m_driver(std::move(driver))
    {
        setObjectName(QStringLiteral("line"));
    }

protected:
    void run() override
    {
        serve();
        std::lock_guard lock(m_shared->mutex);
        m_shared->workerDone = true;
    }

private:
    void serve()
    {
        // Created here so the devices it opens (QSerialPort objects) belong to this thread.
        TCom com(*m_driver);
        com.setCancelFlag(&m_shared->cancelRunning);
        com.setLossHandler([shared = m_shared](const LineLoss &loss) {
            postToUi(*shared, [shared, loss] {
                if (shared->lineLost)
                    shared->lineLost(loss);
            });
        });
        for (;;) {
            Entry entry;
            bool current = false;
            {
                std::unique_lock lock(m_shared->mutex);
                m_shared->wake.wait(lock, [&] { return m_shared->stopping || !m_shared->queue.empty(); });
                if (m_shared->stopping)
                    break;
                entry = std::move(m_shared->queue.front());
                m_shared->queue.pop_front();
                current = entry.generation == m_shared->generation.load();
                if (current)
                    m_shared->cancelRunning.store(false);
            }
            if (current && entry.job)
                runJob(com, entry);
            postToUi(*m_shared, [shared = m_shared, done = std::move(entry.done)]() mutable {
                if (shared->finishJob)
                    shared->finishJob(std::move(done));
            });
        }
        com.comClose();
    }

    void runJob(TCom &com, Entry &entry)
    {
        const quint64 generation = entry.generation;
        auto poster = [shared = m_shared, generation](std::function<void()> fn) {
            postToUi(*shared, [shared, generation, fn = std::move(fn)] {
                if (shared->generation.load() == generation)
                    fn();
            });
        };
        LineContext context(com, *m_driver, m_shared->cancelRunning, std::move(poster));
        // A job that throws must not take the line thread, and with it every later job,
        // down with it.
        try {
            entry.job(context);
        } catch (const std::exception &e) {
            qCritical("line job failed: %s", e.what());
        } catch (...) {
            qCritical("line job failed");
        }
    }

    std::shared_ptr<LineShared> m_shared;
    std::unique_ptr<SerialDriver> m_driver;
};

class LineThreadPrivate
{
public:
    std::shared_ptr<LineShared> shared = std::make_shared<LineShared>();
    std::unique_ptr<LineWorker> worker;
    int pending = 0;   // posted jobs whose done has not run yet; user-interface thread only
};

void LineContext::report(std::function<void()> fn)
{
    if (m_post && fn)
        m_post(std::move(fn));
}

bool LineContext::pause(std::chrono::milliseconds duration) const
{
    const auto deadline = std::chrono::steady_clock::now() + duration;
    while (!cancelled()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return true;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(deadline - now, PauseSlice));
    }
    return false;
}

LineThread::LineThread(std::unique_ptr<SerialDriver> driver, QObject *parent)
    : QObject(parent)
    , d(std::make_unique<LineThreadPrivate>())
{
    d->shared->ui = this;
    d->shared->finishJob = [this](std::function<void()> done) {
        if (done)
            done();
        if (--d->pending == 0)
            Q_EMIT becameIdle();
    };
    d->shared->lineLost = [this](const LineLoss &loss) { Q_EMIT lineLost(loss); };
    d->worker = std::make_unique<LineWorker>(d->shared, std::move(driver));
    d->worker->start();
}

LineThread::~LineThread()
{
    std::deque<Entry> dropped;
    {
        std::lock_guard lock(d->shared->mutex);
        d->shared->ui = nullptr;
        d->shared->finishJob = nullptr;
        d->shared->lineLost = nullptr;
        d->shared->stopping = true;
        d->shared->generation.fetch_add(1);
        d->shared->cancelRunning.store(true);
        dropped.swap(d->shared->queue);
        d->shared->wake.notify_all();
    }
    dropped.clear();   // the jobs' captures die here, on the thread that made them

    // The worker closes the port itself on its way out: the device belongs to its thread.
    if (d->worker->wait(QDeadlineTimer(ShutdownBound))) {
        std::lock_guard lock(d->shared->mutex);
        Q_ASSERT(d->shared->workerDone);
    } else {
        qCritical("line thread: a job ignored the cancel for %lld ms; leaving it running",
                  static_cast<long long>(ShutdownBound.count()));
        // Destroying a running QThread aborts the program; the shared state keeps what
        // the job still uses alive.
        (void)d->worker.release();
    }
}

void LineThread::post(Job job, std::function<void()> done)
{
    ++d->pending;
    std::lock_guard lock(d->shared->mutex);
    d->shared->queue.push_back({std::move(job), std::move(done), d->shared->generation.load()});
    d->shared->wake.notify_all();
}

void LineThread::cancelAll()
{
    std::lock_guard lock(d->shared->mutex);
    d->shared->generation.fetch_add(1);
    d->shared->cancelRunning.store(true);
    d->shared->wake.notify_all();
}

bool LineThread::idle() const
{
    return d->pending == 0;
}

bool LineThread::waitIdle(int timeoutMs)
{
    if (idle())
        return true;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &LineThread::becameIdle, &loop, &QEventLoop::quit);
    timer.start(timeoutMs);
    loop.exec();
    return idle();
}
