#include "serial/tsiowrite.h"

#include <cerrno>
#include <cstring>

#include <poll.h>
#include <unistd.h>

TSIOWrite::TSIOWrite(int descriptor, std::shared_ptr<TSIOOwnerLink> owner, std::shared_ptr<WakeEvent> transmit)
    : TSIOCommControl(descriptor, std::move(owner)), m_transmit(std::move(transmit))
{
    start(QThread::HighestPriority);
}

TSIOWrite::~TSIOWrite() = default;

bool TSIOWrite::StageBytes(const char *bytes, qsizetype length)
{
    if (length < 0 || length > BufferSize)
        return false;
    {
        std::lock_guard lock(m_lock);
        std::memcpy(m_buffer.data(), bytes, size_t(length));
        m_length = length;
    }
    m_signal.set();
    return true;
}

void TSIOWrite::StopThread()
{
    {
        std::lock_guard lock(m_lock);
        m_length = 0;
    }
    TSIOCommControl::StopThread();
    m_signal.set();
}

void TSIOWrite::run()
{
    while (!terminated()) {
        pollfd fd{m_signal.fd(), POLLIN, 0};
        if (::poll(&fd, 1, -1) < 0 && errno != EINTR)
            break;
        m_signal.reset();
        m_wake.reset();
        if (terminated())
            break;
        const QByteArray block = takeStaged();
        if (!block.isEmpty())
            transmit(block);
    }
}

QByteArray TSIOWrite::takeStaged()
{
    std::lock_guard lock(m_lock);
    if (m_length == 0)
        return {};
    std::memcpy(m_transmitBuffer.data(), m_buffer.constData(), size_t(m_length));
    return m_transmitBuffer.left(std::exchange(m_length, 0));
}

void TSIOWrite::transmit(const QByteArray &block)
{
    m_owner->notify(3027, 0, 0);
    m_transmit->set();
    writeAll(block.constData(), block.size());
    m_owner->notify(3028, 0, 0);
}

bool TSIOWrite::writeAll(const char *data, qsizetype size)
{
    qsizetype done = 0;
    while (done < size) {
        const ssize_t n = ::write(m_device, data + done, size_t(size - done));
        if (n > 0) {
            done += qsizetype(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            const int error = errno;
            ReportError(QStringLiteral("writefile error : %1").arg(error));
            return false;
        }
        // The device's queue is full: wait until it takes more, or the thread is stopped.
        pollfd fds[2] = {{m_device, POLLOUT, 0}, {m_wake.fd(), POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR)
            return false;
        if (terminated())
            return false;
        m_wake.reset();
    }
    return true;
}
