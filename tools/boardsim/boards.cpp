#include "boardsim/boards.h"

#include <QStringList>

#include <cmath>
#include <numbers>
#include <utility>

namespace boardsim {

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Two hex digits as a byte; nullopt when either is not one.
std::optional<int> hexByte(char high, char low)
{
    const int h = hexDigit(high);
    const int l = hexDigit(low);
    if (h < 0 || l < 0)
        return std::nullopt;
    return h * 16 + l;
}

// A relay or prescaler value: blanks count as 0, as the board reads a padded " 5".
std::optional<int> paddedHexByte(char high, char low)
{
    return hexByte(high == ' ' ? '0' : high, low == ' ' ? '0' : low);
}

QByteArray hex2(int value)
{
    return QByteArray::number(value & 0xFF, 16).toUpper().rightJustified(2, '0');
}

QByteArray hex4(int value)
{
    return QByteArray::number(value & 0xFFFF, 16).toUpper().rightJustified(4, '0');
}

} // namespace

int commandLength(char first)
{
    switch (first) {
    case 'U':
    case 'V':
    case 'I':
        return 1;
    case 'L':
    case 'R':
    case 'M':
        return 3;
    case 'K':
        return 4;
    default:
        return 0;
    }
}

// ---------------------------------------------------------------------------------- Board

Board::Board(int address, QByteArray type, QByteArray version, char kind, std::chrono::microseconds latency)
    : Responder(latency)
    , m_address(address)
    , m_type(std::move(type))
    , m_version(std::move(version))
    , m_kind(kind)
    , m_echoedAddress(address)
{
}

void Board::setBaudCode(char code)
{
    std::lock_guard lock(m_mutex);
    m_baudCode = code;
}

void Board::setEchoedAddress(int address)
{
    std::lock_guard lock(m_mutex);
    m_echoedAddress = address;
}

void Board::setSilent(bool silent)
{
    std::lock_guard lock(m_mutex);
    m_silent = silent;
}

bool Board::isSelected() const
{
    std::lock_guard lock(m_mutex);
    return m_selected;
}

QList<QByteArray> Board::heard() const
{
    std::lock_guard lock(m_mutex);
    return m_heard;
}

QByteArray Board::addressReply() const
{
    return hex2(m_echoedAddress) + m_kind + m_baudCode;
}

QByteArray Board::onByte(char byte, Clock::time_point when)
{
    std::lock_guard lock(m_mutex);
    if (m_pending.isEmpty() && commandLength(byte) == 0)
        return {};   // out of step or noise: wait for the next command letter
    m_pending += byte;
    if (m_pending.size() < commandLength(m_pending.front()))
        return {};
    const QByteArray command = std::exchange(m_pending, {});
    if (m_heard.size() == HeardKept)
        m_heard.removeFirst();
    m_heard << command;
    return complete(command, when);
}

QByteArray Board::complete(const QByteArray &command, Clock::time_point when)
{
    if (command.front() == 'L') {
        m_selected = command.mid(1) == hex2(m_address);
        return m_selected && !m_silent ? addressReply() : QByteArray();
    }
    if (!m_selected || m_silent)
        return {};
    if (command == "U")
        return m_type;
    if (command == "V")
        return m_version;
    return answer(command, when);
}

// --------------------------------------------------------------------------- DigitalBoard

DigitalBoard::DigitalBoard(int address, std::chrono::microseconds latency)
    : Board(address, "Q516", "1.07", 'D', latency)
{
    // Something to see on the input lamps before a test sets them.
    m_registers[InputL] = 0x3C;
    m_registers[InputM] = 0xA5;
    m_registers[InputR] = 0x0F;
}

namespace {

int inputRegister(DigitalBoard::Port port)
{
    switch (port) {
    case DigitalBoard::Port::Left: return DigitalBoard::InputL;
    case DigitalBoard::Port::Middle: return DigitalBoard::InputM;
    case DigitalBoard::Port::Right: return DigitalBoard::InputR;
    }
    return DigitalBoard::InputM;
}

int outputRegister(DigitalBoard::Port port)
{
    switch (port) {
    case DigitalBoard::Port::Left: return DigitalBoard::OutputL;
    case DigitalBoard::Port::Middle: return DigitalBoard::OutputM;
    case DigitalBoard::Port::Right: return DigitalBoard::OutputR;
    }
    return DigitalBoard::OutputM;
}

bool isInputRegister(int reg)
{
    return reg == DigitalBoard::InputL || reg == DigitalBoard::InputM || reg == DigitalBoard::InputR;
}

} // namespace

void DigitalBoard::setInput(Port port, quint8 value)
{
    std::lock_guard lock(mutex());
    m_registers[size_t(inputRegister(port))] = value;
}

quint8 DigitalBoard::output(Port port) const
{
    return registerValue(outputRegister(port));
}

quint8 DigitalBoard::registerValue(int reg) const
{
    std::lock_guard lock(mutex());
    return m_registers[size_t(reg & 0xFF)];
}

QByteArray DigitalBoard::answer(const QByteArray &command, Clock::time_point)
{
    if (command.front() == 'R') {
        const auto reg = hexByte(command[1], command[2]);
        if (!reg)
            return {};
        m_selectedRegister = *reg;
    } else if (command.front() == 'M') {
        // A value that is not hex leaves the register as it was; the answer says so.
        const auto value = hexByte(command[1], command[2]);
        if (value && !isInputRegister(m_selectedRegister))
            m_registers[size_t(m_selectedRegister)] = quint8(*value);
    } else {
        return {};
    }
    return hex2(m_registers[size_t(m_selectedRegister)]) + hex2(m_selectedRegister);
}

// ---------------------------------------------------------------------------- AnalogBoard

namespace {

QByteArray analogType(AnalogBoard::Layout layout)
{
    switch (layout) {
    case AnalogBoard::Layout::ElevenChannels: return "Q411";
    case AnalogBoard::Layout::Q83Q: return "Q83Q";
    case AnalogBoard::Layout::Q907: return "Q907";
    }
    return "Q411";
}

constexpr std::array<int, 11> ElevenChannelRegisters = {0x30, 0x32, 0x34, 0x36, 0x38, 0x3A,
                                                        0x3C, 0x3E, 0x40, 0x42, 0x44};
constexpr std::array<int, 5> Q83QRegisters = {0x10, 0x12, 0x14, 0x16, 0x0E};

} // namespace

AnalogBoard::AnalogBoard(int address, Layout layout, std::chrono::microseconds latency)
    : Board(address, analogType(layout), "2.11", 'A', latency)
    , m_layout(layout)
    , m_epoch(Clock::now())
{
}

int AnalogBoard::channelCount() const
{
    return m_layout == Layout::ElevenChannels ? 11 : 5;
}

void AnalogBoard::setChannel(int channel, quint16 value)
{
    if (channel < 1 || channel > channelCount())
        return;
    std::lock_guard lock(mutex());
    m_fixed[size_t(channel - 1)] = value;
}

void AnalogBoard::setDrifting(int channel)
{
    if (channel < 1 || channel > channelCount())
        return;
    std::lock_guard lock(mutex());
    m_fixed[size_t(channel - 1)].reset();
}

quint16 AnalogBoard::channelValue(int channel, Clock::time_point when) const
{
    if (channel < 1 || channel > channelCount())
        return 0;
    std::lock_guard lock(mutex());
    return valueLocked(channel, when);
}

quint16 AnalogBoard::valueLocked(int channel, Clock::time_point when) const
{
    if (const auto &fixed = m_fixed[size_t(channel - 1)])
        return *fixed;
    // Each channel around its own level (channel 1 near 0x0E0, about 20 °C on a sensor),
    // slowly and out of step with the others; all stay inside a 10-bit reading.
    const double seconds = std::chrono::duration<double>(when - m_epoch).count();
    const double level = 0x0E0 + 0x40 * (channel - 1);
    const double period = 20.0 + 3.0 * channel;
    return quint16(std::lround(level + 0x20 * std::sin(2 * std::numbers::pi * seconds / period)));
}

int AnalogBoard::channelAtRegister(int reg) const
{
    if (m_layout == Layout::Q83Q) {
        for (size_t i = 0; i < Q83QRegisters.size(); ++i) {
            if (Q83QRegisters[i] == reg)
                return int(i) + 1;
        }
        return 0;
    }
    for (int i = 0; i < channelCount(); ++i) {
        if (ElevenChannelRegisters[size_t(i)] == reg)
            return i + 1;
    }
    return 0;
}

QByteArray AnalogBoard::answer(const QByteArray &command, Clock::time_point when)
{
    if (command.front() != 'R')
        return {};
    const auto reg = hexByte(command[1], command[2]);
    if (!reg)
        return {};
    const int channel = channelAtRegister(*reg);
    return hex4(channel ? valueLocked(channel, when) : 0);
}

// ----------------------------------------------------------------------------- RelayBoard

RelayBoard::RelayBoard(int address, std::chrono::microseconds latency)
    : Board(address, "Q610", "3.02", 'K', latency)
{
}

quint16 RelayBoard::relayBit(int relay)
{
    return relay >= 1 && relay <= 10 ? quint16(0x8000 >> (relay - 1)) : quint16(0);
}

quint16 RelayBoard::stateWord(Clock::time_point when) const
{
    std::lock_guard lock(mutex());
    settleLocked(when);
    return m_state;
}

void RelayBoard::setStateWord(quint16 word)
{
    std::lock_guard lock(mutex());
    m_state = word;
    m_offAt.fill(std::nullopt);
}

bool RelayBoard::isOn(int relay, Clock::time_point when) const
{
    return (stateWord(when) & relayBit(relay)) != 0;
}

quint16 RelayBoard::prescaler() const
{
    std::lock_guard lock(mutex());
    return m_prescaler;
}

void RelayBoard::settleLocked(Clock::time_point when) const
{
    for (int relay = 1; relay <= 10; ++relay) {
        auto &offAt = m_offAt[size_t(relay - 1)];
        if (offAt && *offAt <= when) {
            m_state &= quint16(~relayBit(relay));
            offAt.reset();
        }
    }
}

QByteArray RelayBoard::switchRelay(int relay, const QByteArray &value, Clock::time_point when)
{
    const auto units = paddedHexByte(value[0], value[1]);
    if (!units)
        return hex4(m_state);
    auto &offAt = m_offAt[size_t(relay - 1)];
    offAt.reset();
    if (*units == 0x00) {
        m_state &= quint16(~relayBit(relay));
    } else {
        m_state |= relayBit(relay);
        if (*units != 0xFF)
            offAt = when + std::chrono::milliseconds(10) * (m_prescaler + 1) * *units;
    }
    return hex4(m_state);
}

QByteArray RelayBoard::answer(const QByteArray &command, Clock::time_point when)
{
    settleLocked(when);
    if (command == "I")
        return hex4(m_state);
    if (command.front() != 'K')
        return {};
    const char which = command[1];
    if (which >= '0' && which <= '9')
        return switchRelay(which == '0' ? 10 : which - '0', command.mid(2), when);
    if (which == 'B' || which == 'C') {
        const auto byte = paddedHexByte(command[2], command[3]);
        if (byte) {
            m_prescaler = which == 'B' ? quint16((m_prescaler & 0x00FF) | (*byte << 8))
                                       : quint16((m_prescaler & 0xFF00) | *byte);
        }
        return hex4(m_prescaler);
    }
    return {};
}

// ------------------------------------------------------------------- the odd boards

SilentBoard::SilentBoard(int address, std::chrono::microseconds latency)
    : Board(address, "Q000", "0.00", 'S', latency)
{
    setSilent(true);
}

QByteArray SilentBoard::answer(const QByteArray &, Clock::time_point)
{
    return {};
}

// No type and no version either: after its first character the board says nothing more.
FirstCharacterBoard::FirstCharacterBoard(int address, std::chrono::microseconds latency)
    : Board(address, QByteArray(), QByteArray(), 'F', latency)
{
}

QByteArray FirstCharacterBoard::answer(const QByteArray &, Clock::time_point)
{
    return {};
}

QByteArray FirstCharacterBoard::addressReply() const
{
    return Board::addressReply().left(1);
}

// -------------------------------------------------------------------------- descriptions

namespace {

std::optional<int> addressText(const QString &text)
{
    const QByteArray latin = text.toLatin1();
    if (latin.size() != 2)
        return std::nullopt;
    return hexByte(latin[0], latin[1]);
}

std::shared_ptr<Board> boardOfKind(const QString &kind, int address, std::chrono::microseconds latency)
{
    if (kind == u"digital")
        return std::make_shared<DigitalBoard>(address, latency);
    if (kind == u"analog")
        return std::make_shared<AnalogBoard>(address, AnalogBoard::Layout::ElevenChannels, latency);
    if (kind == u"q83q")
        return std::make_shared<AnalogBoard>(address, AnalogBoard::Layout::Q83Q, latency);
    if (kind == u"q907")
        return std::make_shared<AnalogBoard>(address, AnalogBoard::Layout::Q907, latency);
    if (kind == u"relay")
        return std::make_shared<RelayBoard>(address, latency);
    if (kind == u"silent")
        return std::make_shared<SilentBoard>(address, latency);
    if (kind == u"first-char")
        return std::make_shared<FirstCharacterBoard>(address, latency);
    return {};
}

std::shared_ptr<Board> failWith(QString *error, const QString &message)
{
    if (error)
        *error = message;
    return {};
}

} // namespace

std::shared_ptr<Board> makeBoard(const QString &description, std::chrono::microseconds latency, QString *error)
{
    const QStringList parts = description.split(QLatin1Char(':'));
    if (parts.size() < 2 || parts.size() > 3)
        return failWith(error, QStringLiteral("board \"%1\": expected ADDR:KIND or ADDR:KIND:ECHO").arg(description));
    const auto address = addressText(parts[0]);
    if (!address)
        return failWith(error, QStringLiteral("board \"%1\": the address must be two hex digits").arg(description));
    auto board = boardOfKind(parts[1].toLower(), *address, latency);
    if (!board)
        return failWith(error, QStringLiteral("board \"%1\": unknown kind \"%2\"").arg(description, parts[1]));
    if (parts.size() == 3) {
        const auto echoed = addressText(parts[2]);
        if (!echoed)
            return failWith(error,
                            QStringLiteral("board \"%1\": the echoed address must be two hex digits").arg(description));
        board->setEchoedAddress(*echoed);
    }
    return board;
}

QStringList demoBusDescriptions()
{
    return {QStringLiteral("01:digital"), QStringLiteral("02:analog"), QStringLiteral("03:q83q"),
            QStringLiteral("04:q907"), QStringLiteral("0A:relay")};
}

} // namespace boardsim
