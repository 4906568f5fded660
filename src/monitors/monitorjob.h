#pragma once

#include "serial/linethread.h"

#include <atomic>
#include <functional>
#include <memory>

class TCom;

// What a job of a board workspace sees on the line thread.
class MonitorJob
{
public:
    MonitorJob(LineContext &context, std::shared_ptr<const std::atomic<bool>> stopped)
        : line(context), com(context.com), m_stopped(std::move(stopped)) {}

    LineContext &line;
    TCom &com;

    // The operator stopped the work (STOP), or the line cancelled the job (a workspace
    // change). The exchanges (BoardExchange) test it before they send and are skipped from
    // then on, so a stopped job runs to its end at once without leaving a reply half read
    // on the line for the next tick to take as its own.
    bool stopped() const { return line.cancelled() || m_stopped->load(std::memory_order_relaxed); }

    // Runs fn on the user-interface thread in order; dropped once the work was stopped, so
    // a stopped tick never writes over what STOP has shown.
    void report(std::function<void()> fn)
    {
        line.report([stopped = m_stopped, fn = std::move(fn)] {
            if (!stopped->load(std::memory_order_relaxed))
                fn();
        });
    }

private:
    std::shared_ptr<const std::atomic<bool>> m_stopped;
};

// The work of one tick or click on the line: built on the user-interface thread from copied
// inputs (see the *jobs.h files), run on the line thread.
using MonitorJobBody = std::function<void(MonitorJob &)>;
