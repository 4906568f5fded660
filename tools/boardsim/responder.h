#pragma once

#include <QByteArray>
#include <QList>

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace boardsim {

using Clock = std::chrono::steady_clock;

// Bytes to put on the line in answer to one received byte, and how long after that byte
// has ended on the line they start.
struct Reply
{
    QByteArray bytes;
    std::chrono::microseconds latency{0};
};

// Whatever sits on the simulated line: a board, a loader, a script. The line offers it
// every byte the program sends, in order, on the line thread; a responder that shares
// state with other threads guards that state itself.
class Responder
{
public:
    explicit Responder(std::chrono::microseconds latency = std::chrono::microseconds{0});
    virtual ~Responder();

    Responder(const Responder &) = delete;
    Responder &operator=(const Responder &) = delete;

    // One byte the program sent; when is the moment its stop bit ended on the simulated
    // line (the line's own pacing, not the moment the pseudo-terminal delivered it), so a
    // model that times out a half-received command sees line time. Returns the answer,
    // usually empty until a command is complete.
    virtual QByteArray onByte(char byte, Clock::time_point when) = 0;

    // The delay between the end of the byte that completed a command and the start of
    // the answer.
    virtual std::chrono::microseconds latency() const;

    // What the line calls. A single responder gives one reply with its own latency; a
    // container overrides this so that every member keeps its own latency.
    virtual QList<Reply> respond(char byte, Clock::time_point when);

private:
    const std::chrono::microseconds m_latency;
};

// Answers every byte with itself.
class EchoResponder : public Responder
{
public:
    using Responder::Responder;
    QByteArray onByte(char byte, Clock::time_point when) override;
};

// A line with nobody on it, or a board that never answers.
class SilentResponder : public Responder
{
public:
    using Responder::Responder;
    QByteArray onByte(char byte, Clock::time_point when) override;
};

struct ScriptStep
{
    QByteArray request;
    QByteArray reply;   // may be empty: the request is consumed and nothing is answered

    bool operator==(const ScriptStep &) const = default;
};

// Plays an ordered exchange: it waits until the bytes received since the last match end
// with the next step's request, answers that step's reply and moves on. Bytes that do not
// complete the expected request are ignored. After the last step it falls silent, or
// starts over when repeating.
class ScriptedResponder : public Responder
{
public:
    explicit ScriptedResponder(QList<ScriptStep> steps, bool repeat = false,
                               std::chrono::microseconds latency = std::chrono::microseconds{0});
    QByteArray onByte(char byte, Clock::time_point when) override;

private:
    const QList<ScriptStep> m_steps;
    const bool m_repeat;
    qsizetype m_next = 0;
    QByteArray m_pending;   // received since the last match, at most one request long
};

// The bus: every member sees every byte, as every board on a shared line does, and picks
// out what is addressed to it. Answers that start at the same moment go out in the order
// the members were added.
// Members may be added and removed while the line runs; once remove() has returned, the
// removed member is offered no further byte.
class ResponderChain : public Responder
{
public:
    ResponderChain();

    void add(std::shared_ptr<Responder> responder);
    // A member known by its bus address, so a test can find it or take it off the bus;
    // a member already at that address is replaced in its place. A null responder
    // empties the address.
    void add(int address, std::shared_ptr<Responder> responder);
    bool remove(int address);
    std::shared_ptr<Responder> find(int address) const;

    // Every member's answer, concatenated.
    QByteArray onByte(char byte, Clock::time_point when) override;
    // The slowest member's.
    std::chrono::microseconds latency() const override;
    QList<Reply> respond(char byte, Clock::time_point when) override;

private:
    struct Member
    {
        std::optional<int> address;
        std::shared_ptr<Responder> responder;
    };

    mutable std::mutex m_mutex;
    std::vector<Member> m_members;
};

} // namespace boardsim
