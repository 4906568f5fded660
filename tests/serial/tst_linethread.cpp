#include "serial/fakeserialdriver.h"
#include "serial/linethread.h"
#include "serial/tcom.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <stdexcept>

using namespace std::chrono_literals;

namespace {

// Generous: a cancelled job ends within one read (about 105 ms); the jobs below would
// take minutes if the cancel did not reach them.
constexpr int IdleTimeoutMs = 30000;
// Long enough that a job reading it out would outlast IdleTimeoutMs many times over.
constexpr int SilentReads = 2000;

struct Fixture
{
    std::shared_ptr<FakeLine> line;
    std::unique_ptr<LineThread> thread;

    Fixture()
    {
        auto driver = std::make_unique<FakeSerialDriver>();
        line = driver->addPort(1);
        thread = std::make_unique<LineThread>(std::move(driver));
    }
};

// Runs on the line thread, where QTest's checks must not be used; a failed open shows
// in the test as a line that nobody reads or writes.
void openCom1(TCom &com)
{
    com.setCOMport(1);
    com.setBaud(4);
    com.setFlowCtl(3);
    com.comOpen();
}

// Reads a silent line SilentReads times without looking at cancelled(), as a reply reader
// does; only the reads themselves can end it early. What it read stays on the line thread
// until the job is done; what it reports goes to the user-interface thread.
struct SilentReader
{
    std::shared_ptr<QList<int>> reads = std::make_shared<QList<int>>();
    std::shared_ptr<QStringList> reports = std::make_shared<QStringList>();

    LineThread::Job job() const
    {
        return [reads = reads, reports = reports](LineContext &ctx) {
            openCom1(ctx.com);
            ctx.report([reports] { reports->append(QStringLiteral("opened")); });
            for (int i = 0; i < SilentReads; ++i)
                reads->append(ctx.com.comRxCharWait());
            ctx.report([reports] { reports->append(QStringLiteral("finished")); });
        };
    }
};

} // namespace

class LineThreadTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reportsAndDoneComeBackInOrder();
    void cancelStopsAJobWaitingOnASilentLine();
    void cancelDropsQueuedJobsButNotTheirDone();
    void pauseEndsAtTheCancel();
    void aThrowingJobDoesNotStopTheLine();
    void destructorStopsTheJobAndClosesThePort();
};

void LineThreadTest::reportsAndDoneComeBackInOrder()
{
    Fixture f;
    QStringList log;
    QThread *const ui = QThread::currentThread();
    QList<QThread *> jobThreads;
    for (const QString &name : {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}) {
        f.thread->post(
            [&, name](LineContext &ctx) {
                jobThreads.append(QThread::currentThread());
                ctx.com.setCOMport(1);
                for (int i = 1; i <= 3; ++i) {
                    ctx.report([&, name, i] {
                        QCOMPARE(QThread::currentThread(), ui);
                        log << name + QString::number(i);
                    });
                }
            },
            [&, name] {
                QCOMPARE(QThread::currentThread(), ui);
                log << QStringLiteral("done ") + name;
            });
    }
    QVERIFY(!f.thread->idle());
    QVERIFY(f.thread->waitIdle(IdleTimeoutMs));
    QCOMPARE(log, (QStringList{"a1", "a2", "a3", "done a", "b1", "b2", "b3", "done b", "c1", "c2", "c3", "done c"}));
    QVERIFY(std::all_of(jobThreads.begin(), jobThreads.end(), [&](QThread *t) { return t != ui && t == jobThreads.first(); }));
}

void LineThreadTest::cancelStopsAJobWaitingOnASilentLine()
{
    Fixture f;
    SilentReader reader;
    bool done = false;
    f.thread->post(reader.job(), [&] { done = true; });
    QVERIFY(f.line->waitForReader(10s));
    const qsizetype readsBeforeCancel = f.line->readTimeouts().size();

    f.thread->cancelAll();
    QVERIFY(f.thread->waitIdle(IdleTimeoutMs));
    QVERIFY(done);
    // Neither report reached the user-interface thread: both were still queued or came
    // after the cancel. No read after the cancel reached the line, and none found a byte.
    QCOMPARE(*reader.reports, QStringList());
    QCOMPARE(f.line->readTimeouts().size(), readsBeforeCancel);
    QVERIFY(std::all_of(reader.reads->begin(), reader.reads->end(), [](int r) { return r == TCom::NoChar; }));
}

void LineThreadTest::cancelDropsQueuedJobsButNotTheirDone()
{
    Fixture f;
    QStringList done;
    auto writer = [](const char *text) {
        return [text](LineContext &ctx) {
            if (!ctx.com.comStatus())
                openCom1(ctx.com);
            ctx.com.comSendString(text);
        };
    };
    f.thread->post(SilentReader().job(), [&] { done << "reader"; });
    f.thread->post(writer("B"), [&] { done << "B"; });
    f.thread->post(writer("C"), [&] { done << "C"; });
    QVERIFY(f.line->waitForReader(10s));

    f.thread->cancelAll();
    f.thread->post(writer("D"), [&] { done << "D"; });
    QVERIFY(f.thread->waitIdle(IdleTimeoutMs));
    QCOMPARE(done, (QStringList{"reader", "B", "C", "D"}));
    QCOMPARE(f.line->written(), QByteArray("D"));
}

void LineThreadTest::pauseEndsAtTheCancel()
{
    Fixture f;
    std::atomic<bool> started{false};
    std::atomic<int> outcome{-1};
    f.thread->post([&](LineContext &ctx) {
        started = true;
        outcome = ctx.pause(std::chrono::hours(1)) ? 1 : 0;
    });
    QTRY_VERIFY(started.load());
    f.thread->cancelAll();
    QVERIFY(f.thread->waitIdle(IdleTimeoutMs));
    QCOMPARE(outcome.load(), 0);

    f.thread->post([&](LineContext &ctx) { outcome = ctx.pause(1ms) ? 1 : 0; });
    QVERIFY(f.thread->waitIdle(IdleTimeoutMs));
    QCOMPARE(outcome.load(), 1);
}

void LineThreadTest::aThrowingJobDoesNotStopTheLine()
{
    Fixture f;
    QStringList log;
    f.thread->post([](LineContext &) { throw std::runtime_error("board went mad"); }, [&] { log << "done 1"; });
    f.thread->post([&](LineContext &ctx) { ctx.report([&] { log << "report 2"; }); }, [&] { log << "done 2"; });
    QVERIFY(f.thread->waitIdle(IdleTimeoutMs));
    QCOMPARE(log, (QStringList{"done 1", "report 2", "done 2"}));
}

void LineThreadTest::destructorStopsTheJobAndClosesThePort()
{
    Fixture f;
    bool done = false;
    f.thread->post(SilentReader().job(), [&] { done = true; });
    QVERIFY(f.line->waitForReader(10s));
    QVERIFY(f.line->isOpen());

    f.thread.reset();
    // Had the job outlived the shutdown bound, it would still hold the port.
    QVERIFY(!f.line->isOpen());
    QCoreApplication::sendPostedEvents();
    QVERIFY(!done);
}

QTEST_GUILESS_MAIN(LineThreadTest)
#include "tst_linethread.moc"
