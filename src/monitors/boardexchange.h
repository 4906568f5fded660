#pragma once

#include "monitors/monitorjob.h"
#include "bus/replyreaders.h"

#include <QByteArray>

// The exchanges the monitors make with one board inside a job: a command and the reading
// of its reply, built from the command strings and reply readers of the bus. An exchange
// of a stopped job is skipped (nothing sent, an empty reply); one that has begun reads its
// reply to the end.
namespace BoardExchange {

// A command answered by four single reads, all kept (NUL where nothing came).
QByteArray ask(MonitorJob &job, const QByteArray &command);

// "R" and the register, then the two kept characters of the reply.
QByteArray readRegister(MonitorJob &job, int reg);

// A register write is a pair: "R" selects the register (its reply is not used), then
// modify ("M" and the value) writes it. Returns the two kept characters of the second
// reply, the register's value after the write.
QByteArray writeRegister(MonitorJob &job, int reg, const QByteArray &modify);

// A command answered by four single reads of which only the characters that arrived are
// kept.
QByteArray askArrived(MonitorJob &job, const QByteArray &command);

// A command answered through ReadReply with the given count.
ReplyText askReply(MonitorJob &job, const QByteArray &command, int count);

// Drops what has arrived and not been read: the end of a reply to work a workspace change
// cancelled, which the port keeps across a reopen. Waits for nothing.
void discardStaleInput(MonitorJob &job);

} // namespace BoardExchange
