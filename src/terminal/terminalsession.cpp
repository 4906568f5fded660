#include "terminal/terminalsession.h"

#include "serial/linethread.h"
#include "serial/tcom.h"
#include "terminal/terminaloutbox.h"
#include "terminal/terminaltext.h"

namespace TerminalSession {

namespace {

class Session
{
public:
    Session(LineContext &ctx, TerminalOutbox &outbox, const Reports &reports)
        : m_ctx(ctx), m_com(ctx.com), m_outbox(outbox), m_reports(reports)
    {
    }

    void run()
    {
        while (going()) {
            for (TerminalOutbox::Item &item : m_outbox.takeAll()) {
                if (!going())
                    break;
                if (item.isMacro)
                    runMacro(item.macro);
                else
                    sendKey(item.key);
            }
            if (!going())
                break;
            if (m_com.comWaitInput(InputSlice, &m_outbox.wake()) && drain())
                m_outbox.waitForWork(GatherTime);
        }
        if (m_com.lineLost() && m_reports.lineLost)
            m_ctx.report(m_reports.lineLost);
    }

private:
    void sendKey(char byte)
    {
        m_com.comTxChar(byte);   // a failed send is not the terminal's to report
        if (m_reports.keySent)
            m_ctx.report(m_reports.keySent);
    }

    bool going() const { return !m_ctx.cancelled() && !m_outbox.stopped() && m_com.comStatus(); }

    bool drain()
    {
        const QByteArray data = m_com.comReadAvailable();
        if (data.isEmpty())
            return false;
        m_ctx.report([received = m_reports.received, batches = TerminalText::splitIntoBatches(data)] {
            if (received)
                received(batches);
        });
        return true;
    }

    void runMacro(const QList<Macro::Step> &plan)
    {
        QByteArray sent;
        for (const Macro::Step &step : plan) {
            if (!going())
                break;
            if (step.kind == Macro::Step::Send) {
                m_com.comTxChar(step.byte);
                sent += step.byte;
                continue;
            }
            reportSent(sent);
            const QByteArray reply = collectReply(step.count);
            m_ctx.report([macroReply = m_reports.macroReply, reply] {
                if (macroReply)
                    macroReply(reply);
            });
        }
        reportSent(sent);
        if (m_reports.macroDone)
            m_ctx.report(m_reports.macroDone);
    }

    void reportSent(QByteArray &sent)
    {
        if (sent.isEmpty())
            return;
        m_ctx.report([macroSent = m_reports.macroSent, bytes = sent] {
            if (macroSent)
                macroSent(bytes);
        });
        sent.clear();
    }

    // Up to count bytes, each awaited by one read with the port's time-out; the first read
    // that finds nothing ends the wait.
    QByteArray collectReply(int count)
    {
        const int limit = count == Macro::UntilSilent ? UntilSilentLimit : count;
        QByteArray reply;
        while (reply.size() < limit) {
            const int value = m_com.comRxCharWait();
            if (value == TCom::NoChar)
                break;
            reply += static_cast<char>(value);
        }
        return reply;
    }

    LineContext &m_ctx;
    TCom &m_com;
    TerminalOutbox &m_outbox;
    const Reports &m_reports;
};

} // namespace

void run(LineContext &ctx, TerminalOutbox &outbox, const Reports &reports)
{
    Session(ctx, outbox, reports).run();
}

} // namespace TerminalSession
