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
    const bool opened = openPortFromSettings(job.com, settings) == 0;
    if (opened)
        BoardExchange::discardStaleInput(job);
    // A device that refused the settings is not kept: the next tick tries afresh.
    if (!opened)
        job.com.comClose();
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
        job.report([s] { s->opened(); });

        ScanCallbacks callbacks;
        callbacks.probing = [&job, s](int address) { job.report([s, address] { s->probing(address); }); };
        callbacks.found = [&job, s](const QString &entry) { job.report([s, entry] { s->found(entry); }); };
        callbacks.cancelled = [&job] { return job.stopped(); };
        const QStringList entries = scanAddresses(job.com, in.first, in.last, callbacks);

        if (!entries.isEmpty()) {
            const QString address = BoardEntry::address(entries.first());
            job.report([s, address] { s->listed(address); });
            if (in.addressFirstBoard) {
                const QByteArray reply = BoardExchange::ask(job, BoardCommands::addressBoard(address));
                job.report([s, reply] { s->firstBoardAnswered(reply); });
            }
        }
        job.report([s] { s->finished(); });
    };
}

} // namespace BoardJobs
