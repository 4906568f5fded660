#include "monitors/digitaljobs.h"

#include "monitors/boardexchange.h"
#include "monitors/boardjobs.h"
#include "bus/boardcommands.h"
#include "bus/replyreaders.h"
#include "serial/tcom.h"

#include <memory>
#include <utility>

using namespace Digital;

namespace DigitalJobs {

namespace {

using SharedSink = std::shared_ptr<const Sink>;

// The output registers in the order RUN writes them, by port.
constexpr std::array<std::pair<int, int>, PortCount> RunOutputs{{{Left, OutputL}, {Middle, OutputM}, {Right, OutputR}}};
// Identifying and TEST take the middle port first.
constexpr std::array<std::pair<int, int>, PortCount> MiddleFirstOutputs{{{Middle, OutputM}, {Left, OutputL}, {Right, OutputR}}};

QByteArray readInput(MonitorJob &job, const SharedSink &s, int reg, int port)
{
    const QByteArray value = BoardExchange::readRegister(job, reg);
    job.report([s, port, value] { s->inputRead(port, value); });
    return value;
}

// RUN steps 3.4 to 3.6: writes every two-character output and reads the inputs. The
// outputs are the field texts as the tick left them.
void writeOutputsReadInputs(MonitorJob &job, const SharedSink &s, const std::array<QString, PortCount> &outputs)
{
    for (const auto &[port, reg] : RunOutputs) {
        const QString &text = outputs[size_t(port)];
        if (text.size() != 2)
            continue;
        // Written as typed, also when it is not hexadecimal.
        BoardExchange::writeRegister(job, reg, BoardCommands::modifyRegister(text));
        job.report([s, port = port] { s->outputWritten(port); });
    }
    readInput(job, s, InputM, Middle);
    readInput(job, s, InputL, Left);
    readInput(job, s, InputR, Right);
}

void reportIdentity(MonitorJob &job, const SharedSink &s)
{
    const QByteArray type = BoardExchange::ask(job, BoardCommands::readType());
    job.report([s, type] { s->typeRead(type); });
    const QByteArray version = BoardExchange::ask(job, BoardCommands::readVersion());
    job.report([s, version] { s->versionRead(version); });
}

} // namespace

MonitorJobBody runTick(TickInputs inputs, bool identify, Sink sink)
{
    return [inputs = std::move(inputs), identify, s = std::make_shared<const Sink>(std::move(sink))](MonitorJob &job) {
        TickInputs in = inputs;
        const bool usable = BoardJobs::reopenQuietly(job, in.portIsOpen, in.settings, s->reopened);
        if (identify) {
            // Type, version and the outputs as the board has them, so RUN starts by writing
            // back what the board already shows.
            BoardExchange::ask(job, BoardCommands::addressBoard(in.address));
            reportIdentity(job, s);
            for (const auto &[port, reg] : MiddleFirstOutputs) {
                const QByteArray value = BoardExchange::readRegister(job, reg);
                in.outputs[size_t(port)] = displayText(value);
                job.report([s, port = port, value] { s->outputRead(port, value); });
            }
            job.report([s] { s->identified(); });
        }
        // "RUNNING" marks the port open: not after the line went away in this tick.
        if (!usable || !job.com.comStatus())
            return;
        job.report([s] { s->running(); });
        const QByteArray lineReply = BoardExchange::ask(job, BoardCommands::addressBoard(in.address));
        job.report([s, lineReply] { s->lineReplied(lineReply); });
        if (isEmptyReply(lineReply))
            return;
        writeOutputsReadInputs(job, s, in.outputs);
    };
}

MonitorJobBody testTick(TickInputs inputs, TestPattern pattern, Sink sink)
{
    return [inputs = std::move(inputs), pattern = std::move(pattern),
            s = std::make_shared<const Sink>(std::move(sink))](MonitorJob &job) {
        TickInputs in = inputs;
        const bool usable = BoardJobs::reopenQuietly(job, in.portIsOpen, in.settings, s->reopened);
        if (pattern.readsIdentity) {
            const QByteArray lineReply = BoardExchange::ask(job, BoardCommands::addressBoard(in.address));
            job.report([s, lineReply] { s->lineReplied(lineReply); });
            reportIdentity(job, s);
        }
        for (const auto &[port, reg] : MiddleFirstOutputs) {
            const QByteArray echo = BoardExchange::writeRegister(job, reg, pattern.command);
            in.outputs[size_t(port)] = displayText(echo);
            job.report([s, port = port, echo] { s->outputRead(port, echo); });
        }
        job.report([s, next = pattern.nextStep] { s->testStepDone(next); });
        readInput(job, s, InputL, Left);
        readInput(job, s, InputM, Middle);
        const QByteArray right = readInput(job, s, InputR, Right);
        // A line that went away during the pattern is not in use: the next tick reopens it.
        if (!usable || !job.com.comStatus())
            return;
        job.report([s] { s->running(); });
        // The fields now hold the pattern as the board echoed it; RUN's writing puts it
        // back and reads the inputs again.
        if (!isEmptyReply(right))
            writeOutputsReadInputs(job, s, in.outputs);
    };
}

} // namespace DigitalJobs
