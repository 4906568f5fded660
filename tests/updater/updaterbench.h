#pragma once

// The updater's engine on a scripted line, with everything it reported recorded and a
// clock the test moves tick by tick: no real time passes.

#include "fakeprogrammingline.h"
#include "scriptedprompt.h"
#include "updater/flashupdater.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTimer>

#include <utility>

// Moves the updater's time: each tick first hands over what arrived during the 20 ms, then
// runs FlashPrgTimerTimer. A line sent on arriving bytes restarts FlashPrgTimer, as the
// panel's timer does, so the tick that would have ended that interval does not come. A
// real timer given here is kept stopped: the test is the only clock.
struct UpdaterClock
{
    UpdaterClock(FakeProgrammingLine &onLine, FlashUpdater &driven, QTimer *timer = nullptr)
        : line(onLine), updater(driven), realTimer(timer)
    {
        QObject::connect(&updater, &FlashUpdater::tickPhaseRestarted, [this] { tickRestarted = inFlush; });
        stopRealTimer();
    }

    void tick(int count = 1)
    {
        for (int i = 0; i < count; ++i) {
            ++line.now;
            flush();
            if (std::exchange(tickRestarted, false))
                continue;
            updater.FlashPrgTimerTimer();
            stopRealTimer();
        }
    }
    // What is due now reaches the updater, as the port's queued notification does.
    void flush()
    {
        inFlush = true;
        line.deliverDue();
        QCoreApplication::sendPostedEvents();
        inFlush = false;
        stopRealTimer();
    }
    // Ticks until the running command has ended; false when it did not within limit ticks.
    bool runToIdle(int limit = 100000)
    {
        while (updater.busy() && limit-- > 0)
            tick();
        return !updater.busy();
    }
    // Ticks until done() holds; false when it did not within limit ticks.
    template<typename Done>
    bool runUntil(Done done, int limit = 100000)
    {
        while (!done() && limit-- > 0)
            tick();
        return done();
    }

    FakeProgrammingLine &line;
    FlashUpdater &updater;
    QTimer *realTimer;
    bool inFlush = false;
    bool tickRestarted = false;

private:
    void stopRealTimer()
    {
        if (realTimer)
            realTimer->stop();
    }
};

struct UpdaterBench
{
    UpdaterBench()
    {
        updater.portText = QStringLiteral("COM3");
        updater.selectedBoardEntry = [this] { return selectedEntry; };
        updater.scanFirst = [this] { return first; };
        updater.scanLast = [this] { return last; };
        QObject::connect(&updater, &FlashUpdater::progStatusCleared, [this] { status.clear(); });
        QObject::connect(&updater, &FlashUpdater::progStatusAdded, [this](const QString &text) { status.append(text); });
        QObject::connect(&updater, &FlashUpdater::connectedText, [this](const QString &text) { connected.append(text); });
        QObject::connect(&updater, &FlashUpdater::captionChanged, [this](const QString &control, const QString &caption) {
            captions.append(control + QLatin1Char('=') + caption);
        });
        QObject::connect(&updater, &FlashUpdater::percentText, [this](const QString &text) { percents.append(text); });
        QObject::connect(&updater, &FlashUpdater::progressPosition, [this](int position) { barPosition = position; });
        QObject::connect(&updater, &FlashUpdater::progressRange, [this](int maximum) { barMaximum = maximum; });
        QObject::connect(&updater, &FlashUpdater::progressPanelShown, [this](bool shown) { panelShown.append(shown); });
        QObject::connect(&updater, &FlashUpdater::boardListCleared, [this] { entries.clear(); });
        QObject::connect(&updater, &FlashUpdater::boardEntryAdded, [this](const QString &entry) { entries.append(entry); });
    }

    void tick(int count = 1) { clock.tick(count); }
    void flush() { clock.flush(); }
    bool runToIdle(int limit = 100000) { return clock.runToIdle(limit); }

    // Captions of one control, in order.
    QStringList captionsOf(const QString &control) const
    {
        QStringList out;
        for (const QString &entry : captions)
            if (entry.startsWith(control + QLatin1Char('=')))
                out.append(entry.mid(control.size() + 1));
        return out;
    }

    ScriptedPrompt prompt;
    FakeProgrammingLine line;
    FlashUpdater updater{[this] { return line.makeLink(); }, prompt};
    UpdaterClock clock{line, updater};
    QString selectedEntry;
    int first = 0x00;
    int last = 0x0F;

    QStringList status;      // ProgStatus
    QStringList connected;   // every Connected text, in order
    QStringList captions;    // "Control=caption", in order
    QStringList percents;    // Label117
    QList<bool> panelShown;  // PBAR
    QStringList entries;     // ListBox1
    int barPosition = -1;
    int barMaximum = -1;
};
