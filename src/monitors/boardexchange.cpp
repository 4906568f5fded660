#include "monitors/boardexchange.h"

#include "bus/boardcommands.h"
#include "serial/tcom.h"

namespace BoardExchange {

namespace {

bool send(MonitorJob &job, const QByteArray &command)
{
    if (job.stopped())
        return false;
    job.com.comSendString(command.constData());
    return true;
}

} // namespace

QByteArray ask(MonitorJob &job, const QByteArray &command)
{
    return send(job, command) ? ReadFourChars(job.com) : QByteArray();
}

QByteArray readRegister(MonitorJob &job, int reg)
{
    return send(job, BoardCommands::readRegister(reg)) ? ReadRegisterReply(job.com) : QByteArray();
}

QByteArray writeRegister(MonitorJob &job, int reg, const QByteArray &modify)
{
    readRegister(job, reg);
    return send(job, modify) ? ReadRegisterReply(job.com) : QByteArray();
}

QByteArray askArrived(MonitorJob &job, const QByteArray &command)
{
    QByteArray arrived;
    if (!send(job, command))
        return arrived;
    for (int i = 0; i < 4; ++i) {
        const char c = job.com.comRxChar();
        if (c != '\0')
            arrived += c;
    }
    return arrived;
}

ReplyText askReply(MonitorJob &job, const QByteArray &command, int count)
{
    return send(job, command) ? ReadReply(job.com, count) : ReplyText();
}

void discardStaleInput(MonitorJob &job)
{
    char dropped = 0;
    while (job.com.comRxChar2(&dropped)) {
    }
}

} // namespace BoardExchange
