#include "serial/faketsiodevice.h"

#include "serial/fakeserialdriver.h"

#include <QDeadlineTimer>

#include <cerrno>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

class FakeTSIODevice : public TSIODevice
{
public:
    FakeTSIODevice(std::shared_ptr<FakeTSIOLine> line, int near, int portNumber)
        : m_line(std::move(line)), m_near(near), m_portNumber(portNumber)
    {
    }

    ~FakeTSIODevice() override
    {
        ::close(m_near);
        std::lock_guard lock(m_line->m_mutex);
        if (m_line->m_farEnd >= 0)
            ::close(m_line->m_farEnd);
        m_line->m_farEnd = -1;
    }

    bool configure(const TSIOLineSetup &setup) override
    {
        std::lock_guard lock(m_line->m_mutex);
        m_line->m_setups.append(setup);
        if (m_line->m_refuseConfigure)
            return false;
        m_rate = setup.baudRate;
        return true;
    }

    void purge() override
    {
        char drain[256];
        while (::read(m_near, drain, sizeof drain) > 0) {
        }
    }

    qint32 baudRate() const override { return m_rate; }
    int descriptor() const override { return m_near; }
    QString location() const override { return QStringLiteral("fake:COM%1").arg(m_portNumber); }

private:
    std::shared_ptr<FakeTSIOLine> m_line;
    const int m_near;
    const int m_portNumber;
    qint32 m_rate = 9600;
};

FakeTSIOLine::~FakeTSIOLine() = default;

void FakeTSIOLine::setRefuseConfigure(bool refuse)
{
    std::lock_guard lock(m_mutex);
    m_refuseConfigure = refuse;
}

void FakeTSIOLine::setHeld(bool held)
{
    std::lock_guard lock(m_mutex);
    m_held = held;
}

bool FakeTSIOLine::isOpen() const
{
    std::lock_guard lock(m_mutex);
    return m_farEnd >= 0;
}

int FakeTSIOLine::opens() const
{
    std::lock_guard lock(m_mutex);
    return m_opens;
}

QList<TSIOLineSetup> FakeTSIOLine::setups() const
{
    std::lock_guard lock(m_mutex);
    return m_setups;
}

bool FakeTSIOLine::feed(const QByteArray &bytes)
{
    std::lock_guard lock(m_mutex);
    if (m_farEnd < 0)
        return false;
    return ::write(m_farEnd, bytes.constData(), size_t(bytes.size())) == bytes.size();
}

QByteArray FakeTSIOLine::takeWritten(qsizetype count, std::chrono::milliseconds timeout)
{
    QByteArray taken;
    const QDeadlineTimer deadline(timeout);
    while (taken.size() < count && !deadline.hasExpired()) {
        int fd = -1;
        {
            std::lock_guard lock(m_mutex);
            fd = m_farEnd;
        }
        if (fd < 0)
            break;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, int(std::min<qint64>(deadline.remainingTime(), 20))) <= 0)
            continue;
        char buffer[512];
        std::lock_guard lock(m_mutex);
        if (m_farEnd < 0)
            break;
        const ssize_t n = ::read(m_farEnd, buffer, sizeof buffer);
        if (n > 0)
            taken.append(buffer, qsizetype(n));
    }
    return taken;
}

FakeTSIOPorts::FakeTSIOPorts(const FakeSerialDriver *mainPorts)
    : m_shared(std::make_shared<Shared>())
{
    m_shared->mainPorts = mainPorts;
}

std::shared_ptr<FakeTSIOLine> FakeTSIOPorts::addPort(int portNumber)
{
    std::lock_guard lock(m_shared->mutex);
    auto &line = m_shared->lines[portNumber];
    if (!line)
        line = std::make_shared<FakeTSIOLine>();
    return line;
}

std::shared_ptr<FakeTSIOLine> FakeTSIOPorts::line(int portNumber) const
{
    std::lock_guard lock(m_shared->mutex);
    return m_shared->lines.value(portNumber);
}

TSIODeviceOpener FakeTSIOPorts::opener() const
{
    return [shared = m_shared](int portNumber) -> std::unique_ptr<TSIODevice> {
        std::shared_ptr<FakeTSIOLine> line;
        {
            std::lock_guard lock(shared->mutex);
            line = shared->lines.value(portNumber);
            if (shared->mainPorts) {
                const auto mainLine = shared->mainPorts->line(portNumber);
                if (mainLine && mainLine->isOpen())
                    return nullptr;
            }
        }
        if (!line)
            return nullptr;
        std::lock_guard lock(line->m_mutex);
        if (line->m_held || line->m_farEnd >= 0)
            return nullptr;
        int fds[2] = {-1, -1};
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds) != 0)
            return nullptr;
        line->m_farEnd = fds[1];
        ++line->m_opens;
        return std::make_unique<FakeTSIODevice>(line, fds[0], portNumber);
    };
}
