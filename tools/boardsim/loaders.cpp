#include "boardsim/loaders.h"

#include <QRegularExpression>

#include <utility>

namespace boardsim {

namespace {

constexpr char CR = '\r';
constexpr qsizetype CommandLength = 9;   // "*LOC(05H)"

QByteArray hex2(int value)
{
    return QByteArray::number(value & 0xFF, 16).toUpper().rightJustified(2, '0');
}

// The address of a loader command's "(05H)"; nullopt when it is not two upper-case hex digits.
std::optional<int> commandAddress(char high, char low)
{
    const auto digit = [](char c) {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    const int h = digit(high);
    const int l = digit(low);
    if (h < 0 || l < 0)
        return std::nullopt;
    return h * 16 + l;
}

} // namespace

LoaderBoard::LoaderBoard(int address, QByteArray type, Mode mode, Behaviour behaviour,
                         std::chrono::microseconds latency)
    : Responder(latency), m_address(address), m_type(std::move(type)), m_behaviour(std::move(behaviour)),
      m_mode(mode), m_selected(mode == Mode::Loader)
{
}

LoaderBoard::Mode LoaderBoard::mode() const
{
    std::lock_guard lock(m_mutex);
    return m_mode;
}

bool LoaderBoard::isSelected() const
{
    std::lock_guard lock(m_mutex);
    return m_selected;
}

void LoaderBoard::setSelected(bool selected)
{
    std::lock_guard lock(m_mutex);
    m_selected = selected;
}

bool LoaderBoard::flashPrepared() const
{
    std::lock_guard lock(m_mutex);
    return m_flashPrepared;
}

QList<QByteArray> LoaderBoard::lines() const
{
    std::lock_guard lock(m_mutex);
    return m_lines;
}

int LoaderBoard::acknowledged() const
{
    std::lock_guard lock(m_mutex);
    return m_acknowledged;
}

void LoaderBoard::setDropHandler(std::function<void()> handler)
{
    std::lock_guard lock(m_mutex);
    m_dropHandler = std::move(handler);
}

bool LoaderBoard::dropRequested() const
{
    std::lock_guard lock(m_mutex);
    return m_dropRequested;
}

void LoaderBoard::lineRestored()
{
    std::lock_guard lock(m_mutex);
    m_dropRequested = false;
    m_linesSinceStart = 0;
    m_pending.clear();
}

QByteArray LoaderBoard::onByte(char byte, Clock::time_point when)
{
    QByteArray bytes;
    for (const Reply &reply : respond(byte, when))
        bytes += reply.bytes;
    return bytes;
}

QList<Reply> LoaderBoard::respond(char byte, Clock::time_point when)
{
    std::function<void()> drop;
    QList<Reply> replies;
    {
        std::lock_guard lock(m_mutex);
        // A pause ends whatever was half received: it belonged to another exchange.
        if (m_lastByte && when - *m_lastByte > InterBytePause)
            m_pending.clear();
        m_lastByte = when;
        // A loader that has dropped its line hears nothing more, whoever drops it and when.
        if (m_dropRequested)
            return {};
        const bool dropBefore = m_dropRequested;
        replies = m_mode == Mode::Firmware ? firmwareByte(byte) : loaderByte(byte);
        if (m_dropRequested && !dropBefore)
            drop = m_dropHandler;
    }
    // Outside the lock: the handler may ask this loader what it has seen.
    if (drop)
        drop();
    return replies;
}

QList<Reply> LoaderBoard::firmwareByte(char byte)
{
    const auto lengthOf = [](char first) {
        switch (first) {
        case 'V': return 1;
        case 'L':
        case '^': return 3;
        default: return 0;
        }
    };
    if (m_pending.isEmpty() && lengthOf(byte) == 0)
        return {};
    m_pending += byte;
    if (m_pending.size() < lengthOf(m_pending.front()))
        return {};
    const QByteArray command = std::exchange(m_pending, QByteArray());
    if (command.front() == 'L') {
        m_selected = command.mid(1) == hex2(m_address);
        return m_selected ? QList<Reply>{now(hex2(m_address) + "F0")} : QList<Reply>{};
    }
    if (!m_selected)
        return {};
    if (command == "V")
        return {now("2.40")};
    if (command == "^FP")
        startLoader();
    return {};
}

void LoaderBoard::startLoader()
{
    m_mode = Mode::Loader;
    m_selected = true;
    m_flashPrepared = false;
    m_linesSinceStart = 0;
    m_pending.clear();
}

QList<Reply> LoaderBoard::loaderByte(char byte)
{
    if (byte == CR) {
        const QByteArray line = std::exchange(m_pending, QByteArray());
        if (!m_selected)
            return {};
        if (line.isEmpty())
            return {now(QByteArray(1, Ack))};   // the loader test: answered at once
        return firmwareLine(line);
    }
    m_pending += byte;
    if (byte != ')' || m_pending.size() < CommandLength)
        return {};
    const QByteArray command = m_pending.right(CommandLength);
    const auto address = commandAddress(command[5], command[6]);
    if (command[0] != '*' || command[4] != '(' || command[7] != 'H' || !address)
        return {};
    const QByteArray name = command.mid(1, 3);
    if (name != "LOC" && name != "VER" && name != "TYP" && name != "PFL")
        return {};
    m_pending.clear();
    return loaderCommand(name, *address);
}

QList<Reply> LoaderBoard::loaderCommand(const QByteArray &name, int address)
{
    const bool mine = address == m_address;
    if (name == "LOC") {
        m_selected = mine;   // one loader at a time takes the lines
        if (mine)
            m_linesSinceStart = 0;
        return mine ? QList<Reply>{now("LUNIT-" + hex2(m_address) + " READY")} : QList<Reply>{};
    }
    if (!mine)
        return {};
    if (name == "VER")
        return {now("LDR 1.3")};
    if (name == "TYP")
        return {now("TYPE-" + m_type + "-LDR")};
    m_flashPrepared = true;   // "PFL"
    return {};
}

QList<Reply> LoaderBoard::firmwareLine(const QByteArray &line)
{
    m_lines.append(line);
    const int number = ++m_linesSinceStart;
    if (m_behaviour.dropAfter && number >= *m_behaviour.dropAfter) {
        m_dropRequested = true;   // the line goes as this line ends: no 0x06 for it
        return {};
    }
    if (!acknowledgesLine(number))
        return {};
    ++m_acknowledged;
    return {{QByteArray(1, Ack), m_behaviour.ackLatency}};
}

bool LoaderBoard::acknowledgesLine(int number) const
{
    if (!m_behaviour.acknowledges || m_behaviour.unacknowledged.contains(number))
        return false;
    return m_behaviour.skipEvery <= 0 || number % m_behaviour.skipEvery != 0;
}

Reply LoaderBoard::now(const QByteArray &bytes) const
{
    return {bytes, latency()};
}

// -------------------------------------------------------------------------- descriptions

namespace {

std::shared_ptr<LoaderBoard> failWith(QString *error, const QString &message)
{
    if (error)
        *error = message;
    return {};
}

} // namespace

std::shared_ptr<LoaderBoard> makeLoader(const QString &description, QString *error)
{
    static const QRegularExpression form(QStringLiteral("^([0-9A-Fa-f]{2}):([a-z-]+)(?::(%?)(\\d+))?$"));
    const QRegularExpressionMatch match = form.match(description);
    if (!match.hasMatch())
        return failWith(error, QStringLiteral("loader \"%1\": expected ADDR:KIND or ADDR:KIND:N").arg(description));
    const int address = match.captured(1).toInt(nullptr, 16);
    const QString kind = match.captured(2);
    const bool every = !match.captured(3).isEmpty();
    const bool hasNumber = !match.captured(4).isEmpty();
    const int number = match.captured(4).toInt();
    const auto badNumber = [&] {
        return failWith(error, QStringLiteral("loader \"%1\": %2 takes no such number").arg(description, kind));
    };
    if (every && kind != u"partial-loader")
        return badNumber();

    LoaderBoard::Behaviour behaviour;
    auto mode = LoaderBoard::Mode::Loader;
    if (kind == u"firmware" || kind == u"loader" || kind == u"mute-loader") {
        if (hasNumber)
            return badNumber();
        if (kind == u"firmware")
            mode = LoaderBoard::Mode::Firmware;
        behaviour.acknowledges = kind != u"mute-loader";
    } else if (kind == u"slow-loader") {
        behaviour.ackLatency = std::chrono::milliseconds(hasNumber ? number : 150);
    } else if (kind == u"partial-loader") {
        const int n = hasNumber ? number : 3;
        if (n < 1)
            return badNumber();
        if (every)
            behaviour.skipEvery = n;
        else
            behaviour.unacknowledged = {n};
    } else if (kind == u"drop-loader") {
        const int n = hasNumber ? number : 5;
        if (n < 1)
            return badNumber();
        behaviour.dropAfter = n;
    } else {
        return failWith(error, QStringLiteral("loader \"%1\": unknown kind \"%2\"").arg(description, kind));
    }
    return std::make_shared<LoaderBoard>(address, DemoType, mode, behaviour);
}

QStringList demoLoaderDescriptions()
{
    return {QStringLiteral("10:firmware"),         QStringLiteral("11:loader"),
            QStringLiteral("12:slow-loader"),      QStringLiteral("13:mute-loader"),
            QStringLiteral("14:partial-loader:3"), QStringLiteral("15:drop-loader:5")};
}

} // namespace boardsim
