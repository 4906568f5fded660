#include "boardsim/responder.h"

#include <algorithm>

namespace boardsim {

Responder::Responder(std::chrono::microseconds latency)
    : m_latency(latency)
{
}

Responder::~Responder() = default;

std::chrono::microseconds Responder::latency() const
{
    return m_latency;
}

QList<Reply> Responder::respond(char byte, Clock::time_point when)
{
    QByteArray bytes = onByte(byte, when);
    if (bytes.isEmpty())
        return {};
    return {Reply{std::move(bytes), latency()}};
}

QByteArray EchoResponder::onByte(char byte, Clock::time_point)
{
    return QByteArray(1, byte);
}

QByteArray SilentResponder::onByte(char, Clock::time_point)
{
    return {};
}

ScriptedResponder::ScriptedResponder(QList<ScriptStep> steps, bool repeat, std::chrono::microseconds latency)
    : Responder(latency)
    , m_steps(std::move(steps))
    , m_repeat(repeat)
{
}

QByteArray ScriptedResponder::onByte(char byte, Clock::time_point)
{
    if (m_next >= m_steps.size())
        return {};
    const ScriptStep &step = m_steps.at(m_next);
    m_pending += byte;
    // Only the tail can still complete the request, so the buffer never outgrows it.
    if (m_pending.size() > step.request.size())
        m_pending.remove(0, m_pending.size() - step.request.size());
    if (m_pending != step.request)
        return {};
    m_pending.clear();
    ++m_next;
    if (m_repeat && m_next == m_steps.size())
        m_next = 0;
    return step.reply;
}

ResponderChain::ResponderChain() = default;

void ResponderChain::add(std::shared_ptr<Responder> responder)
{
    if (!responder)
        return;
    std::lock_guard lock(m_mutex);
    m_members.push_back({std::nullopt, std::move(responder)});
}

void ResponderChain::add(int address, std::shared_ptr<Responder> responder)
{
    if (!responder) {
        remove(address);
        return;
    }
    std::lock_guard lock(m_mutex);
    auto it = std::find_if(m_members.begin(), m_members.end(),
                           [address](const Member &m) { return m.address == address; });
    if (it != m_members.end())
        it->responder = std::move(responder);
    else
        m_members.push_back({address, std::move(responder)});
}

bool ResponderChain::remove(int address)
{
    std::lock_guard lock(m_mutex);
    return std::erase_if(m_members, [address](const Member &m) { return m.address == address; }) > 0;
}

std::shared_ptr<Responder> ResponderChain::find(int address) const
{
    std::lock_guard lock(m_mutex);
    for (const Member &m : m_members) {
        if (m.address == address)
            return m.responder;
    }
    return {};
}

QByteArray ResponderChain::onByte(char byte, Clock::time_point when)
{
    QByteArray bytes;
    for (const Reply &reply : respond(byte, when))
        bytes += reply.bytes;
    return bytes;
}

std::chrono::microseconds ResponderChain::latency() const
{
    std::lock_guard lock(m_mutex);
    std::chrono::microseconds slowest{0};
    for (const Member &m : m_members)
        slowest = std::max(slowest, m.responder->latency());
    return slowest;
}

QList<Reply> ResponderChain::respond(char byte, Clock::time_point when)
{
    // Held while the members run, so that remove() really ends a member's part in the bus.
    std::lock_guard lock(m_mutex);
    QList<Reply> replies;
    for (const Member &m : m_members)
        replies += m.responder->respond(byte, when);
    return replies;
}

} // namespace boardsim
