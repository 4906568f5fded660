#include "monitors/analogjobs.h"

#include "monitors/analoglogic.h"
#include "monitors/boardexchange.h"
#include "monitors/boardjobs.h"
#include "bus/boardcommands.h"

#include <memory>

namespace AnalogJobs {

MonitorJobBody poll(PollInputs inputs, Sink sink)
{
    return [in = std::move(inputs), s = std::make_shared<const Sink>(std::move(sink))](MonitorJob &job) {
        if (!BoardJobs::reopenQuietly(job, in.portIsOpen, in.settings, s->reopened)) {
            job.report([s] { s->unusable(); });
            return;
        }
        const QByteArray lineReply = BoardExchange::ask(job, BoardCommands::addressBoard(in.address));
        job.report([s, lineReply] { s->lineReplied(lineReply); });
        QList<QByteArray> readings;
        for (int reg : Analog::pollRegisters(in.fiveChannels))
            readings.append(BoardExchange::ask(job, BoardCommands::readRegister(reg)));
        job.report([s, readings, five = in.fiveChannels] { s->readingsRead(readings, five); });
    };
}

} // namespace AnalogJobs
