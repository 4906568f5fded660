#pragma once

#include "boardsim/responder.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>

namespace boardsim {

// The boards of the bus. Every board hears every byte and frames the commands itself, the
// way a board's firmware does: the first letter fixes the length ("L", "R", "M" three
// characters; "U", "V", "I" one; "K" four), and a byte that starts no command is dropped.
// "L" with two hex digits selects the board of that address and deselects all others; only
// the selected board answers the other commands. Every answer is four characters.
//
// Every public call is thread-safe: a test may set inputs and values while the line runs.

// The length of the command that starts with this byte; 0 when none does.
int commandLength(char first);

class Board : public Responder
{
public:
    static constexpr std::chrono::microseconds DefaultLatency{1000};

    int address() const { return m_address; }
    QByteArray typeCode() const { return m_type; }

    // The fourth character of the "L" reply; '0' (9600) until set.
    void setBaudCode(char code);
    // The "L" reply names this address instead of the board's own: a board that was given
    // the wrong address in its firmware, still selected by its real one.
    void setEchoedAddress(int address);
    // A silent board hears and selects as before but answers nothing.
    void setSilent(bool silent);

    // Selected by the last "L" on the bus.
    bool isSelected() const;
    // The last complete commands this board has heard (at most HeardKept), addressed to it
    // or not, oldest first. Bounded, so a demo bus can run for days.
    static constexpr qsizetype HeardKept = 256;
    QList<QByteArray> heard() const;

    QByteArray onByte(char byte, Clock::time_point when) final;

protected:
    Board(int address, QByteArray type, QByteArray version, char kind, std::chrono::microseconds latency);

    // The reply to a command other than "L", "U" and "V" while this board is selected
    // (called with mutex() held); empty for a command the board does not know.
    virtual QByteArray answer(const QByteArray &command, Clock::time_point when) = 0;
    // The reply to "L" that selected this board (called with mutex() held).
    virtual QByteArray addressReply() const;

    std::mutex &mutex() const { return m_mutex; }

private:
    QByteArray complete(const QByteArray &command, Clock::time_point when);

    const int m_address;
    const QByteArray m_type;
    const QByteArray m_version;
    const char m_kind;   // the third character of the "L" reply: nothing reads it

    mutable std::mutex m_mutex;
    char m_baudCode = '0';
    int m_echoedAddress;
    bool m_silent = false;
    bool m_selected = false;
    QByteArray m_pending;   // the command being received
    QList<QByteArray> m_heard;
};

// A digital board: three input and three output ports in the registers 5A..5F. "R" selects
// a register and answers its value and the register number ("3C5A"); "M" writes the selected
// register and answers the value it now holds. Input registers ignore writes.
class DigitalBoard : public Board
{
public:
    enum class Port { Left, Middle, Right };

    static constexpr int InputM = 0x5A, OutputM = 0x5B, InputL = 0x5C, InputR = 0x5D, OutputL = 0x5E,
                         OutputR = 0x5F;

    explicit DigitalBoard(int address, std::chrono::microseconds latency = DefaultLatency);

    void setInput(Port port, quint8 value);
    quint8 output(Port port) const;
    quint8 registerValue(int reg) const;

protected:
    QByteArray answer(const QByteArray &command, Clock::time_point when) override;

private:
    std::array<quint8, 256> m_registers{};
    int m_selectedRegister = InputM;
};

// An analog board. The eleven-channel type is read at 30, 32, .. 44; a "Q83Q" has five
// channels at 10, 12, 14, 16, 0E; a "Q907" has five channels at the first five registers of
// the eleven-channel map (the console polls it as an eleven-channel board). "R" answers the
// channel's value as four hex digits, and "0000" for a register that holds no channel.
// A channel a test has not set drifts slowly around its own level, so a demo looks alive.
class AnalogBoard : public Board
{
public:
    enum class Layout { ElevenChannels, Q83Q, Q907 };

    explicit AnalogBoard(int address, Layout layout = Layout::ElevenChannels,
                         std::chrono::microseconds latency = DefaultLatency);

    Layout layout() const { return m_layout; }
    int channelCount() const;
    // Channels count from 1. A set channel answers this value until setDrifting().
    void setChannel(int channel, quint16 value);
    void setDrifting(int channel);
    quint16 channelValue(int channel, Clock::time_point when = Clock::now()) const;

protected:
    QByteArray answer(const QByteArray &command, Clock::time_point when) override;

private:
    int channelAtRegister(int reg) const;   // 1.., or 0 for none
    quint16 valueLocked(int channel, Clock::time_point when) const;

    const Layout m_layout;
    const Clock::time_point m_epoch;
    std::array<std::optional<quint16>, 11> m_fixed;
};

// A relay board: ten relays in a state word (bit 15 K1 .. bit 6 K10), read with "I" as four
// hex digits. "K" with the relay digit (K10 is 0) and two characters: "FF" switches the relay
// on, "00" off, any other value switches it on for that many timer units, one unit being
// (prescaler + 1) × 10 ms. "KB"/"KC" set the prescaler's high and low byte. Blanks in a
// value count as 0. Switching commands answer the state word, prescaler commands the
// prescaler, both as four hex digits.
class RelayBoard : public Board
{
public:
    static constexpr quint16 DefaultPrescaler = 99;   // one timer unit is a second

    explicit RelayBoard(int address, std::chrono::microseconds latency = DefaultLatency);

    quint16 stateWord(Clock::time_point when = Clock::now()) const;
    void setStateWord(quint16 word);   // also ends every running timer
    bool isOn(int relay, Clock::time_point when = Clock::now()) const;   // relay 1..10
    quint16 prescaler() const;

    // The state word bit of relay K1..K10.
    static quint16 relayBit(int relay);

protected:
    QByteArray answer(const QByteArray &command, Clock::time_point when) override;

private:
    void settleLocked(Clock::time_point when) const;
    QByteArray switchRelay(int relay, const QByteArray &value, Clock::time_point when);

    mutable quint16 m_state = 0;
    mutable std::array<std::optional<Clock::time_point>, 10> m_offAt;
    quint16 m_prescaler = DefaultPrescaler;
};

// Selected by its address and never answering: a board with a dead transmitter.
class SilentBoard : public Board
{
public:
    explicit SilentBoard(int address, std::chrono::microseconds latency = DefaultLatency);

protected:
    QByteArray answer(const QByteArray &command, Clock::time_point when) override;
};

// Answers its "L" with the first character only, and nothing else at all.
class FirstCharacterBoard : public Board
{
public:
    explicit FirstCharacterBoard(int address, std::chrono::microseconds latency = DefaultLatency);

protected:
    QByteArray answer(const QByteArray &command, Clock::time_point when) override;
    QByteArray addressReply() const override;
};

// One board from its command-line description "ADDR:KIND" or "ADDR:KIND:ECHO": two hex
// digits, then digital, analog, q83q, q907, relay, silent or first-char, then optionally the
// address its "L" reply names. Null with error set for anything else.
std::shared_ptr<Board> makeBoard(const QString &description, std::chrono::microseconds latency,
                                 QString *error = nullptr);

// The demo bus: a digital board at 01, an eleven-channel analog board at 02, a "Q83Q" at
// 03, a "Q907" at 04 and a relay board at 0A.
QStringList demoBusDescriptions();

} // namespace boardsim
