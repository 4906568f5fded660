// The runner's state: the timer and its interval rule, Run, Pause, Rewind, Step and
// Clear, the one-time load, the step window, and what happens when the operator acts
// while a step is on the line. On the in-memory driver.

#include "fakeconsole.h"

#include "settings/settingskeys.h"
#include "sequencer/sequencefile.h"
#include "sequencer/sequencerunner.h"
#include "serial/fakeserialdriver.h"
#include "serial/linesettings.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace std::chrono_literals;

namespace {

struct Fixture
{
    QTemporaryDir dir;
    std::shared_ptr<FakeLine> line;
    std::unique_ptr<FakeConsole> console;
    std::unique_ptr<SequenceRunner> runner;

    Fixture()
    {
        auto driver = std::make_unique<FakeSerialDriver>();
        line = driver->addPort(1);
        console = std::make_unique<FakeConsole>(std::move(driver), dir.filePath(QStringLiteral("test.INI")));
        runner = std::make_unique<SequenceRunner>(*console);
    }

    ~Fixture()
    {
        runner.reset();
        console.reset();
    }

    void steps(const QList<std::pair<QString, QString>> &delayAndCommand, const QStringList &next = {})
    {
        Sequence s;
        for (int i = 0; i < delayAndCommand.size(); ++i)
            s.append(delayAndCommand[i].first, delayAndCommand[i].second,
                     next.isEmpty() ? QString::number(i + 2) : next.at(i));
        runner->replaceSequence(s);
    }

    bool idle() { return QTest::qWaitFor([&] { return !runner->busy(); }, 10000); }
    bool step()
    {
        runner->step();
        return idle();
    }
    QTimer &timer() { return *runner->timer(); }
};

} // namespace

class TestSequenceRunner : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void theTimerIsPreciseAndNamed()
    {
        Fixture f;
        QCOMPARE(f.timer().objectName(), QStringLiteral("SeqTimer"));
        QCOMPARE(f.timer().timerType(), Qt::PreciseTimer);
        QVERIFY(!f.timer().isActive());
        QCOMPARE(f.runner->scaleLabel(), QStringLiteral("1.00"));

        // A timer the workspace made is taken over as it is.
        QTimer own;
        own.setObjectName(QStringLiteral("SeqTimer"));
        SequenceRunner second(*f.console, &own);
        QCOMPARE(second.timer(), &own);
        QCOMPARE(own.timerType(), Qt::PreciseTimer);
    }

    void eachTickSetsTheIntervalFromTheCurrentStep_data()
    {
        QTest::addColumn<QString>("delay");
        QTest::addColumn<int>("slider");
        QTest::addColumn<int>("interval");
        QTest::newRow("250 at 0.50") << "250" << 25 << 126;
        QTest::newRow("100 at slider 75") << "100" << 75 << 551;
        QTest::newRow("1000 at slider 0") << "1000" << 0 << 10;
        QTest::newRow("0") << "0" << 100 << 1;
    }

    void eachTickSetsTheIntervalFromTheCurrentStep()
    {
        QFETCH(QString, delay);
        QFETCH(int, slider);
        Fixture f;
        f.steps({{delay, QStringLiteral("A")}, {delay, QStringLiteral("B")}});
        f.runner->setSliderPosition(slider);
        f.runner->chooseStep(1);
        f.runner->run();
        QCOMPARE(f.timer().interval(), 1);
        QVERIFY(f.runner->isRunning());
        QVERIFY(QTest::qWaitFor([&] { return f.line->written().contains('B'); }, 5000));
        QTEST(f.timer().interval(), "interval");
        f.runner->pause();
        QVERIFY(f.idle());
    }

    void runPauseStepAndClear()
    {
        Fixture f;
        QSignalSpy running(f.runner.get(), &SequenceRunner::runningChanged);

        // Nothing to run in an empty sequence.
        f.runner->run();
        QVERIFY(!f.timer().isActive());
        QCOMPARE(running.count(), 0);

        f.steps({{QStringLiteral("20"), QStringLiteral("A")}, {QStringLiteral("20"), QStringLiteral("B[1]")}},
                {QStringLiteral("2"), QStringLiteral("1")});
        QVERIFY(f.step());
        QCOMPARE(f.line->written(), QByteArray("A"));
        QCOMPARE(f.runner->currentStep(), 1);
        QCOMPARE(f.runner->selectedStep(), 1);
        QVERIFY(f.runner->runStarted());

        f.line->feed("x");
        QVERIFY(f.step());
        QCOMPARE(f.runner->sequence().ResponseLB, QStringList({"", "x "}));
        QCOMPARE(f.runner->currentStep(), 0);

        f.line->feed(QByteArray(100, 'y'));
        f.runner->run();
        QCOMPARE(running.count(), 1);
        QVERIFY(QTest::qWaitFor([&] { return f.line->written().size() >= 8; }, 5000));
        f.runner->pause();
        QVERIFY(!f.timer().isActive());
        QVERIFY(!f.runner->isRunning());
        QCOMPARE(running.last().at(0).toBool(), false);
        QVERIFY(f.idle());
        QVERIFY(f.console->mainPort().line().waitIdle(2000));
        QCOMPARE(f.console->connected, QStringLiteral("Port Closed"));
        QVERIFY(!f.line->isOpen());

        f.runner->clearResponses();
        QCOMPARE(f.runner->sequence().ResponseLB, QStringList({" ", " "}));
    }

    void rewindDuringARunGoesOnFromStepOne()
    {
        Fixture f;
        f.steps({{QStringLiteral("10"), QStringLiteral("A#")}, {QStringLiteral("100000"), QStringLiteral("B[1]")}},
                {QStringLiteral("2"), QStringLiteral("1")});
        f.line->feed("z");
        f.runner->run();
        QVERIFY(QTest::qWaitFor([&] { return f.runner->currentStep() == 0 && f.line->written() == "AB"; }, 5000));
        QVERIFY(!f.runner->printEnabled());
        f.runner->editField(1, StepField::Response, QStringLiteral("kept?"));

        f.runner->rewind();
        QCOMPARE(f.runner->currentStep(), 0);
        QCOMPARE(f.runner->selectedStep(), 0);
        QCOMPARE(f.runner->window().top, 0);
        QVERIFY(f.runner->printEnabled());
        QCOMPARE(f.runner->sequence().ResponseLB, QStringList({" ", " "}));
        QCOMPARE(f.timer().interval(), 10);
        QVERIFY(f.timer().isActive());
        // The port is closed and opened again by the next step, which is step 1.
        QVERIFY(QTest::qWaitFor([&] { return f.line->written() == "ABA"; }, 5000));
        QVERIFY(f.line->events().contains(QStringLiteral("close")));
        f.runner->pause();
        QVERIFY(f.idle());
    }

    void rewindWhenStoppedStaysStopped()
    {
        Fixture f;
        f.steps({{QStringLiteral("10"), QStringLiteral("A")}, {QStringLiteral("10"), QStringLiteral("B")}});
        QVERIFY(f.step());
        f.runner->rewind();
        QVERIFY(!f.timer().isActive());
        QCOMPARE(f.runner->currentStep(), 0);
    }

    // Ticks that fall due while a step waits on the line are not queued up: one comes as
    // soon as the step is over.
    void ticksDuringAStepDoNotAccumulate()
    {
        Fixture f;
        f.steps({{QStringLiteral("100000"), QStringLiteral("A[1]")},
                 {QStringLiteral("100000"), QStringLiteral("B")},
                 {QStringLiteral("100000"), QStringLiteral("C")}});
        f.runner->run();
        QVERIFY(QTest::qWaitFor([&] { return f.line->written() == "A"; }, 5000));
        QVERIFY(f.runner->busy());
        for (int i = 0; i < 5; ++i)
            f.runner->SeqTimerTimer();
        f.line->feed("r");
        QVERIFY(QTest::qWaitFor([&] { return f.line->written() == "AB"; }, 5000));
        QVERIFY(f.idle());
        QTest::qWait(100);
        QCOMPARE(f.line->written(), QByteArray("AB"));
        QCOMPARE(f.runner->currentStep(), 2);
        QCOMPARE(f.timer().interval(), 100001);
        f.runner->pause();
    }

    // What the operator does while a step is on the line comes after the step.
    void theOperatorWinsOverARunningStep()
    {
        Fixture f;
        f.steps({{QStringLiteral("10"), QStringLiteral("A[1]")},
                 {QStringLiteral("10"), QStringLiteral("B")},
                 {QStringLiteral("10"), QStringLiteral("C")},
                 {QStringLiteral("10"), QStringLiteral("D")}});
        f.runner->step();
        QVERIFY(f.line->waitForWritten(1, 2s));
        f.runner->chooseStep(3);
        f.runner->clearResponses();
        f.line->feed("r");
        QVERIFY(f.idle());
        QCOMPARE(f.runner->currentStep(), 3);
        QCOMPARE(f.runner->selectedStep(), 3);
        QCOMPARE(f.runner->sequence().ResponseLB.at(0), QStringLiteral(" "));
    }

    // Pause stops a step that waits on a silent board at its next read.
    void pauseStopsAWaitingStep()
    {
        Fixture f;
        f.steps({{QStringLiteral("10"), QStringLiteral("A[4]B")}, {QStringLiteral("10"), QStringLiteral("C")}});
        f.runner->run();
        QVERIFY(QTest::qWaitFor([&] { return !f.line->written().isEmpty(); }, 2000));
        QVERIFY(f.line->waitForReader(2s));
        f.runner->pause();
        QVERIFY(QTest::qWaitFor([&] { return !f.runner->busy(); }, 1000));
        QVERIFY(f.console->mainPort().line().waitIdle(2000));
        QCOMPARE(f.line->written(), QByteArray("A"));
        // The stopped step did not finish, so it is the one that runs next.
        QCOMPARE(f.runner->currentStep(), 0);
    }

    void theWindowFollowsTheRun_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<QString>("next");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("top");
        QTest::newRow("past the end: step 1 and the window at the top") << 4 << "6" << 0 << 0;
        QTest::newRow("below the window: a page forward") << 0 << "5" << 4 << 3;
        QTest::newRow("inside the window") << 0 << "3" << 2 << 0;
        QTest::newRow("next 0 is step 1") << 1 << "0" << 0 << 0;
    }

    void theWindowFollowsTheRun()
    {
        QFETCH(int, from);
        QFETCH(QString, next);
        Fixture f;
        f.steps({{"10", "A"}, {"10", "B"}, {"10", "C"}, {"10", "D"}, {"10", "E"}});
        f.runner->setWindowRows(3);
        Sequence s = f.runner->sequence();
        s.EvNextSeq[from] = next;
        f.runner->replaceSequence(s);
        f.runner->chooseStep(from);
        QSignalSpy selection(f.runner.get(), &SequenceRunner::selectionChanged);
        QVERIFY(f.step());
        QTEST(f.runner->currentStep(), "current");
        QTEST(f.runner->window().top, "top");
        QCOMPARE(f.runner->selectedStep(), f.runner->currentStep());
        QVERIFY(!selection.isEmpty());
        QCOMPARE(selection.last().at(0).toInt(), f.runner->currentStep());
    }

    void theFirstStepOfARunWithNothingSelectedIsStepOne()
    {
        Fixture f;
        f.steps({{"10", "A"}, {"10", "B"}, {"10", "C"}});
        // CurrentStep left at 2 by a load, nothing selected.
        f.runner->chooseStep(2);
        f.runner->replaceSequence(f.runner->sequence());
        QCOMPARE(f.runner->currentStep(), 2);
        QCOMPARE(f.runner->selectedStep(), -1);
        QVERIFY(f.step());
        QCOMPARE(f.line->written(), QByteArray("A"));
    }

    void theOneTimeLoadAndAutoStart_data()
    {
        QTest::addColumn<bool>("loadLast");
        QTest::addColumn<bool>("autoStart");
        QTest::addColumn<int>("steps");
        QTest::addColumn<bool>("running");
        QTest::newRow("load and start") << true << true << 2 << true;
        QTest::newRow("load only") << true << false << 2 << false;
        QTest::newRow("start without a load: nothing to run") << false << true << 0 << false;
    }

    void theOneTimeLoadAndAutoStart()
    {
        QFETCH(bool, loadLast);
        QFETCH(bool, autoStart);
        Fixture f;
        const QString path = f.dir.filePath(QStringLiteral("last.txt"));
        Sequence s;
        s.append(QStringLiteral("10"), QStringLiteral("A"), QStringLiteral("2"));
        s.append(QStringLiteral("10"), QStringLiteral("B"), QStringLiteral("1"));
        QVERIFY(SequenceFile::save(path, s).ok);
        QVERIFY(f.console->saveSettings([&](SettingsFile &file) { write(file, key::LastFile, path); }));

        f.runner->armStartupLoad(loadLast, autoStart);
        QVERIFY(!f.runner->startupLoadDone());
        f.runner->enterWorkspace();
        QVERIFY(f.timer().isActive());
        QCOMPARE(f.timer().interval(), 1);
        QVERIFY(QTest::qWaitFor([&] { return f.runner->startupLoadDone(); }, 2000));
        QTEST(f.runner->sequence().size(), "steps");
        QTEST(f.runner->isRunning(), "running");
        if (loadLast)
            QCOMPARE(f.console->activity, path);
        if (f.runner->isRunning())
            QVERIFY(QTest::qWaitFor([&] { return f.line->written().startsWith("ABA"); }, 5000));

        // Leaving and coming back neither loads nor starts anything again.
        f.runner->leaveWorkspace();
        f.console->mainPort().stopAndClose();
        QVERIFY(f.idle());
        f.runner->enterWorkspace();
        QVERIFY(!f.timer().isActive());
        QVERIFY(!f.runner->isRunning());
    }

    void editingThroughTheRunner()
    {
        Fixture f;
        QSignalSpy modified(f.runner.get(), &SequenceRunner::modifiedChanged);
        f.runner->setNewEntryTime(QStringLiteral("250"));
        f.runner->appendNewStep();
        QCOMPARE(f.runner->sequence().EvTime, QStringList{"250"});
        QVERIFY(f.runner->sequenceModified());
        QCOMPARE(modified.count(), 1);

        f.runner->insertAfter(0);
        f.runner->insertBefore(0);
        QCOMPARE(f.runner->sequence().EvNextSeq, QStringList({"2", "3", "4"}));
        QCOMPARE(f.runner->currentStep(), 0);
        QVERIFY(!f.runner->runStarted());

        f.runner->editField(1, StepField::Command, QStringLiteral("L01"));
        QCOMPARE(f.runner->sequence().EvCommand.at(1), QStringLiteral("L01"));

        f.runner->deleteStep(2);
        QCOMPARE(f.runner->sequence().size(), 2);
        QCOMPARE(f.runner->currentStep(), 1);
        f.runner->deleteStep(0);
        f.runner->deleteStep(0);
        QVERIFY(f.runner->sequence().isEmpty());
        QCOMPARE(f.runner->selectedStep(), -1);

        f.runner->newSequence();
        QVERIFY(!f.runner->sequenceModified());
    }

    // "BR=" to any rate the driver has goes on at that rate; a text that names no rate
    // stops the run at its step and says why where the operator looks.
    void aRateChangeInARun_data()
    {
        QTest::addColumn<QString>("rate");
        QTest::addColumn<bool>("runs");
        QTest::newRow("14400, not in the menu") << "14400" << true;
        QTest::newRow("1843200") << "1843200" << true;
        QTest::newRow("12345") << "12345" << false;
        QTest::newRow("600, in the menu") << "600" << false;
    }

    void aRateChangeInARun()
    {
        QFETCH(QString, rate);
        QFETCH(bool, runs);
        Fixture f;
        StepLanguage language;
        language.specialEnabled = true;
        f.runner->setLanguage(language);
        f.steps({{QStringLiteral("5"), QStringLiteral("{BR=%1}A").arg(rate)}, {QStringLiteral("5"), QStringLiteral("L01")}});
        QSignalSpy running(f.runner.get(), &SequenceRunner::runningChanged);
        f.runner->run();

        if (runs) {
            QVERIFY(QTest::qWaitFor([&] { return f.line->written().contains("AL01"); }, 5000));
            QCOMPARE(f.line->config().baudRate, rate.toInt());
            QCOMPARE(f.console->connected, QStringLiteral("Port Open - COM1,%1,N-8-1,NO FLOW").arg(rate));
            QVERIFY(f.runner->isRunning());
            f.runner->pause();
            QVERIFY(f.idle());
            return;
        }
        QVERIFY(QTest::qWaitFor([&] { return !f.runner->isRunning(); }, 5000));
        QVERIFY(f.idle());
        QCOMPARE(running.count(), 2);
        QCOMPARE(running.at(1).at(0).toBool(), false);
        QCOMPARE(f.console->baudField, rate);
        QCOMPARE(f.console->connected, QStringLiteral("Port Closed"));
        QCOMPARE(f.console->connectedToolTip, rateRefusalHint(rate));
        QVERIFY2(f.console->activity.startsWith(rate + QStringLiteral(" baud is not a rate")), qPrintable(f.console->activity));
        QVERIFY(!f.line->isOpen());
        QCOMPARE(f.line->written(), QByteArray());   // not even the step's own "A"
        QCOMPARE(f.runner->currentStep(), 0);
        QTest::qWait(50);
        QCOMPARE(f.line->written(), QByteArray());
        QVERIFY(!f.timer().isActive());
    }

    void aFileThatCannotBeReadChangesNothing()
    {
        Fixture f;
        f.steps({{"10", "A"}});
        QVERIFY(!f.runner->loadFile(f.dir.filePath(QStringLiteral("missing.txt"))));
        QCOMPARE(f.runner->sequence().size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestSequenceRunner)
#include "tst_sequencerunner.moc"
