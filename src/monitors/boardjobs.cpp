#include "monitors/boardjobs.h"

#include "monitors/boardentry.h"
#include "monitors/boardexchange.h"
#include "bus/boardcommands.h"
#include "bus/busscan.h"
#include "serial/mainport.h"
#include "serial/tcom.h"

namespace BoardJobs {

LineThread::Job onLine(std::shared_ptr<const std::atomic<bool>> stopped, MonitorJobBody body)
{
    return [stopped = std::move(stopped), body = std::move(body)](LineContext &ctx) {
        MonitorJob job(ctx, stopped);
        BoardExchange::discardStaleInput(job);
        body(job);
    };
}

bool reopenQuietly(MonitorJob &job, bool portIsOpen, const LineSettings &settings,
                   const std::function<void(bool opened)> &reported)
{
    if (portIsOpen)
        return true;
    bool opened = openPortFromSettings(job.com, settings) == 0;
    if (opened)
        BoardExchange::discardStaleInput(job);
    // A device that refused the settings is not kept: the next tick tries afresh. One that
    // went away at once has been closed and reported lost already: it did not open.
    if (!opened)
        job.com.comClose();
    opened = opened && job.com.comStatus();
    job.line.report([reported, opened] { reported(opened); });
    return opened;
}

MonitorJobBody scan(MainPort &port, ScanInputs inputs, ScanSink sink)
{
    return [port = &port, in = std::move(inputs), s = std::make_shared<const ScanSink>(std::move(sink))](MonitorJob &job) {
        if (in.closeFirst && in.wasOpen) {
            job.com.comClose();
            job.report([s] { s->closed(); });
        }
        if (!port->openFromJob(job.line, in.request)) {
            job.report([s] { s->openFailed(); });
            return;
        }
        BoardExchange::discardStaleInput(job);
        // Reports that mark the port open follow a loss only while the port is still held,
        // or they would undo it.
        if (!job.com.comStatus()) {
            job.report([s] { s->openFailed(); });
            return;
        }
        job.report([s] { s->opened(); });

        ScanCallbacks callbacks;
        callbacks.probing = [&job, s](int address) { job.report([s, address] { s->probing(address); }); };
        callbacks.found = [&job, s](const QString &entry) { job.report([s, entry] { s->found(entry); }); };
        // A line that went away ends the scan at once: every later address would only
        // wait out its read on a closed port and look like an empty one.
        callbacks.cancelled = [&job] { return job.stopped() || !job.com.comStatus(); };
        const QStringList entries = scanAddresses(job.com, in.first, in.last, callbacks);
        const bool lineGone = !job.com.comStatus();

        if (!entries.isEmpty()) {
            const QString address = BoardEntry::address(entries.first());
            job.report([s, address] { s->listed(address); });
            if (in.addressFirstBoard && !lineGone) {
                const QByteArray reply = BoardExchange::ask(job, BoardCommands::addressBoard(address));
                job.report([s, reply] { s->firstBoardAnswered(reply); });
            }
        }
        if (lineGone)
            job.report([s] { s->cutShort(); });
        job.report([s] { s->finished(); });
    };
}

} // namespace BoardJobs
