#include "serial/fakeserialdriver.h"

#include <algorithm>
#include <cstring>

#include <algorithm>

using Clock = std::chrono::steady_clock;

class FakeSerialDevice : public SerialDevice
{
public:
    explicit FakeSerialDevice(std::shared_ptr<FakeLine> line)
        : m_line(std::move(line))
    {
    }

    ~FakeSerialDevice() override
    {
        std::lock_guard lock(m_line->m_mutex);
        m_line->m_open = false;
        m_line->m_events << QStringLiteral("close");
        m_line->m_changed.notify_all();
    }

    bool configure(const LineConfig &config) override
    {
        std::lock_guard lock(m_line->m_mutex);
        if (m_line->m_refuseConfigure || m_line->m_dropped)
            return false;
        m_line->m_config = config;
        m_line->m_events << QStringLiteral("configure");
        return true;
    }

    LineConfig config() const override
    {
        std::lock_guard lock(m_line->m_mutex);
        return m_line->m_config;
    }

    qint64 write(const char *data, qint64 size, std::chrono::milliseconds timeout) override
    {
        std::lock_guard lock(m_line->m_mutex);
        m_line->m_lastWriteTimeout = timeout;
        if (m_line->m_dropped || aborted())
            return 0;
        qint64 take = size;
        if (m_line->m_writeCapacity >= 0) {
            take = std::min(size, m_line->m_writeCapacity);
            m_line->m_writeCapacity -= take;
        }
        m_line->m_written.append(data, take);
        m_line->m_changed.notify_all();
        return take;
    }

    int readByte(std::chrono::milliseconds timeout) override
    {
        std::unique_lock lock(m_line->m_mutex);
        m_line->m_readTimeouts << timeout;
        const auto deadline = Clock::now() + timeout;
        ++m_line->m_waitingReaders;
        m_line->m_changed.notify_all();
        // Slices, because the abort flag is an atomic that nobody notifies us about.
        while (m_line->m_toRead.isEmpty() && !m_line->m_dropped && !aborted()) {
            const auto now = Clock::now();
            if (now >= deadline)
                break;
            m_line->m_changed.wait_until(lock, std::min(deadline, now + AbortSlice));
        }
        --m_line->m_waitingReaders;
        if (m_line->m_toRead.isEmpty() || m_line->m_dropped || aborted())
            return -1;
        const auto byte = static_cast<unsigned char>(m_line->m_toRead.front());
        m_line->m_toRead.remove(0, 1);
        return byte;
    }

    int bytesAvailable() override
    {
        std::lock_guard lock(m_line->m_mutex);
        return m_line->m_dropped ? 0 : int(m_line->m_toRead.size());
    }

    bool waitForInput(std::chrono::milliseconds timeout, const InputWake *wake) override
    {
        std::unique_lock lock(m_line->m_mutex);
        const auto deadline = Clock::now() + timeout;
        ++m_line->m_waitingReaders;
        m_line->m_changed.notify_all();
        // The wake is an atomic nobody notifies us about: short slices while one is given.
        const auto slice = wake ? std::chrono::milliseconds(1) : AbortSlice;
        while (m_line->m_toRead.isEmpty() && !m_line->m_dropped && !aborted() && !(wake && wake->woken())) {
            const auto now = Clock::now();
            if (now >= deadline)
                break;
            m_line->m_changed.wait_until(lock, std::min(deadline, now + slice));
        }
        --m_line->m_waitingReaders;
        return !m_line->m_toRead.isEmpty() && !m_line->m_dropped && !aborted();
    }

    qint64 readAvailable(char *data, qint64 size) override
    {
        std::lock_guard lock(m_line->m_mutex);
        if (m_line->m_dropped || size <= 0)
            return 0;
        const qint64 count = std::min<qint64>(size, m_line->m_toRead.size());
        std::memcpy(data, m_line->m_toRead.constData(), size_t(count));
        m_line->m_toRead.remove(0, count);
        return count;
    }

    bool setDtr(bool on) override { return setLine(m_line->m_dtr, on, "DTR"); }
    bool setRts(bool on) override { return setLine(m_line->m_rts, on, "RTS"); }

    bool lost() const override
    {
        std::lock_guard lock(m_line->m_mutex);
        return m_line->m_dropped;
    }

    QString location() const override { return QString(); }

private:
    bool setLine(bool &state, bool on, const char *name)
    {
        std::lock_guard lock(m_line->m_mutex);
        if (m_line->m_controlLinesFail || m_line->m_dropped)
            return false;
        state = on;
        m_line->m_events << QStringLiteral("%1 %2").arg(QLatin1String(name), on ? QStringLiteral("on") : QStringLiteral("off"));
        return true;
    }

    std::shared_ptr<FakeLine> m_line;
};

void FakeLine::setOpenError(OpenError error)
{
    std::lock_guard lock(m_mutex);
    m_openError = error;
}

void FakeLine::setRefuseConfigure(bool refuse)
{
    std::lock_guard lock(m_mutex);
    m_refuseConfigure = refuse;
}

void FakeLine::setControlLinesFail(bool fail)
{
    std::lock_guard lock(m_mutex);
    m_controlLinesFail = fail;
}

void FakeLine::setWriteCapacity(qint64 bytes)
{
    std::lock_guard lock(m_mutex);
    m_writeCapacity = bytes;
}

void FakeLine::feed(const QByteArray &bytes)
{
    std::lock_guard lock(m_mutex);
    m_toRead.append(bytes);
    m_changed.notify_all();
}

qsizetype FakeLine::unread() const
{
    std::lock_guard lock(m_mutex);
    return m_toRead.size();
}

QByteArray FakeLine::written() const
{
    std::lock_guard lock(m_mutex);
    return m_written;
}

QByteArray FakeLine::takeWritten()
{
    std::lock_guard lock(m_mutex);
    return std::exchange(m_written, QByteArray());
}

bool FakeLine::waitForWritten(qsizetype count, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return m_written.size() >= count; });
}

bool FakeLine::waitForReader(std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return m_waitingReaders > 0 && m_toRead.isEmpty(); });
}

QList<std::chrono::milliseconds> FakeLine::readTimeouts() const
{
    std::lock_guard lock(m_mutex);
    return m_readTimeouts;
}

std::chrono::milliseconds FakeLine::lastWriteTimeout() const
{
    std::lock_guard lock(m_mutex);
    return m_lastWriteTimeout;
}

bool FakeLine::isOpen() const
{
    std::lock_guard lock(m_mutex);
    return m_open;
}

LineConfig FakeLine::config() const
{
    std::lock_guard lock(m_mutex);
    return m_config;
}

bool FakeLine::dtr() const
{
    std::lock_guard lock(m_mutex);
    return m_dtr;
}

bool FakeLine::rts() const
{
    std::lock_guard lock(m_mutex);
    return m_rts;
}

QStringList FakeLine::events() const
{
    std::lock_guard lock(m_mutex);
    return m_events;
}

void FakeLine::clearEvents()
{
    std::lock_guard lock(m_mutex);
    m_events.clear();
}

void FakeLine::drop()
{
    std::lock_guard lock(m_mutex);
    m_dropped = true;
    m_changed.notify_all();
}

std::shared_ptr<FakeLine> FakeSerialDriver::addPort(int comNumber)
{
    std::lock_guard lock(m_mutex);
    auto &line = m_lines[comNumber];
    if (!line)
        line = std::make_shared<FakeLine>();
    return line;
}

std::shared_ptr<FakeLine> FakeSerialDriver::line(int comNumber) const
{
    std::lock_guard lock(m_mutex);
    return m_lines.value(comNumber);
}

std::unique_ptr<SerialDevice> FakeSerialDriver::open(int comNumber, OpenError &error, QString &detail)
{
    const auto fakeLine = line(comNumber);
    if (!fakeLine) {
        error = OpenError::NoSuchDevice;
        detail = QStringLiteral("COM%1 does not exist").arg(comNumber);
        return nullptr;
    }
    std::lock_guard lock(fakeLine->m_mutex);
    if (fakeLine->m_openError != OpenError::None || fakeLine->m_open) {
        error = fakeLine->m_open ? OpenError::Busy : fakeLine->m_openError;
        detail = QStringLiteral("COM%1 refused the open").arg(comNumber);
        return nullptr;
    }
    fakeLine->m_open = true;
    fakeLine->m_dropped = false;
    fakeLine->m_dtr = true;
    fakeLine->m_rts = true;
    fakeLine->m_events << QStringLiteral("open");
    fakeLine->m_changed.notify_all();
    error = OpenError::None;
    detail.clear();
    return std::make_unique<FakeSerialDevice>(fakeLine);
}
