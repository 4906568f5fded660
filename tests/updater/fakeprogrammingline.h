#pragma once

// A scripted line behind the updater's programming port. The test moves the clock in ticks
// of FlashPrgTimer; every open, close and send is logged with the tick it happened in, and
// the responder answers what was sent after a chosen number of ticks, as a loader or a
// board would.

#include "updater/programminglink.h"

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class FakeProgrammingLine
{
public:
    struct Reply
    {
        QByteArray bytes;
        int delayTicks = 1;   // delivered before the tick this many ticks after the send
    };
    struct Event
    {
        int tick = 0;
        QByteArray what;   // "open 3 9600", "close", or the bytes sent
        bool isSend = false;
    };

    int now = 0;
    bool failOpen = false;
    QList<Event> log;
    std::function<std::optional<Reply>(const QByteArray &sent)> responder;

    std::unique_ptr<ProgrammingLink> makeLink();

    // The bytes sent, in order, and the ticks they went out at.
    QList<QByteArray> sends() const
    {
        QList<QByteArray> out;
        for (const Event &event : log)
            if (event.isSend)
                out.append(event.what);
        return out;
    }
    QList<int> sendTicks() const
    {
        QList<int> out;
        for (const Event &event : log)
            if (event.isSend)
                out.append(event.tick);
        return out;
    }
    // The tick of the first send of bytes, -1 when never sent.
    int tickOf(const QByteArray &bytes) const
    {
        for (const Event &event : log)
            if (event.isSend && event.what == bytes)
                return event.tick;
        return -1;
    }
    QList<QByteArray> portEvents() const
    {
        QList<QByteArray> out;
        for (const Event &event : log)
            if (!event.isSend)
                out.append(event.what);
        return out;
    }

    // Hands the replies that are due to the open port.
    void deliverDue();
    // The device goes away under the open port: replies still due are lost, and the port
    // says so as the threaded port does (it stays open until the updater closes it).
    void dropLine();

private:
    class Link;
    friend class Link;
    struct Pending
    {
        int due;
        QByteArray bytes;
    };
    QPointer<ProgrammingLink> m_open;
    QList<Pending> m_pending;
};

class FakeProgrammingLine::Link : public ProgrammingLink
{
public:
    explicit Link(FakeProgrammingLine &line) : m_line(line) {}
    ~Link() override { closePort(); }

    bool openPort(int comNumber, int rate) override
    {
        m_line.log.append({m_line.now, "open " + QByteArray::number(comNumber) + ' ' + QByteArray::number(rate), false});
        m_open = !m_line.failOpen;
        if (m_open)
            m_line.m_open = this;
        return m_open;
    }
    void closePort() override
    {
        if (!m_open)
            return;
        m_open = false;
        m_line.log.append({m_line.now, "close", false});
        m_line.m_pending.clear();
        m_line.m_open = nullptr;
    }
    bool isOpen() const override { return m_open; }
    void sendBytes(const QByteArray &bytes) override
    {
        if (!m_open)
            return;
        m_line.log.append({m_line.now, bytes, true});
        if (!m_line.responder)
            return;
        if (const std::optional<Reply> reply = m_line.responder(bytes))
            m_line.m_pending.append({m_line.now + std::max(1, reply->delayTicks), reply->bytes});
    }
    void emitReceived(const QByteArray &bytes) { Q_EMIT received(bytes); }
    void emitLost() { Q_EMIT lineLost(); }
    QString deviceLocation() const override { return QStringLiteral("/dev/ttyFAKE"); }

private:
    FakeProgrammingLine &m_line;
    bool m_open = false;
};

inline std::unique_ptr<ProgrammingLink> FakeProgrammingLine::makeLink()
{
    return std::make_unique<Link>(*this);
}

inline void FakeProgrammingLine::deliverDue()
{
    QList<QByteArray> due;
    for (qsizetype i = 0; i < m_pending.size();) {
        if (m_pending.at(i).due <= now) {
            due.append(m_pending.at(i).bytes);
            m_pending.removeAt(i);
        } else {
            ++i;
        }
    }
    for (const QByteArray &bytes : due) {
        if (auto *link = static_cast<Link *>(m_open.data()))
            link->emitReceived(bytes);
    }
}

inline void FakeProgrammingLine::dropLine()
{
    m_pending.clear();
    if (auto *link = static_cast<Link *>(m_open.data()))
        link->emitLost();
}
