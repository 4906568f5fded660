#include "serial/tsioread.h"

#include <QDeadlineTimer>

#include <cerrno>

#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr short Gone = POLLHUP | POLLERR | POLLNVAL;

// A read error that means the device has gone rather than a passing fault.
bool meansGone(int error)
{
    return error == EIO || error == ENXIO || error == ENODEV || error == EBADF;
}

} // namespace

TSIORead::TSIORead(int descriptor, std::shared_ptr<TSIOOwnerLink> owner, std::shared_ptr<WakeEvent> transmit)
    : TSIOCommControl(descriptor, std::move(owner)), m_transmit(std::move(transmit))
{
    start(QThread::TimeCriticalPriority);
}

TSIORead::~TSIORead() = default;

qsizetype TSIORead::ReceivedLength() const
{
    std::lock_guard lock(m_lock);
    return m_text.size();
}

QByteArray TSIORead::TakeReceived(qsizetype &count)
{
    std::lock_guard lock(m_lock);
    QByteArray text = std::exchange(m_text, QByteArray());
    count = text.size();
    return text;
}

void TSIORead::ClearReceived()
{
    std::lock_guard lock(m_lock);
    m_text.clear();
}

void TSIORead::StopThread()
{
    TSIOCommControl::StopThread();
    m_wake.set();
}

void TSIORead::run()
{
    while (!terminated()) {
        // The transmit event first: a transmission that began as bytes arrived still gets
        // its reply watch.
        pollfd fds[3] = {{m_transmit->fd(), POLLIN, 0}, {m_wake.fd(), POLLIN, 0}, {m_device, POLLIN, 0}};
        const int r = ::poll(fds, 3, -1);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        // A hang-up stays reported: read what came before it, then end, rather than poll
        // a dead descriptor for ever.
        const bool gone = fds[2].revents & Gone;
        if (fds[0].revents & POLLIN) {
            m_transmit->reset();
            if (waitForReply() == Step::Lost)
                break;
        } else if (fds[1].revents & POLLIN) {
            m_wake.reset();
        }
        if (readWaiting() == Step::Lost || gone)
            break;
    }
    if (!terminated())
        m_owner->lineLost();
}

TSIORead::Step TSIORead::waitForReply()
{
    const QDeadlineTimer deadline(ReplyWatch);
    for (;;) {
        pollfd fds[2] = {{m_device, POLLIN, 0}, {m_wake.fd(), POLLIN, 0}};
        const int r = ::poll(fds, 2, int(deadline.remainingTime()));
        if (r < 0 && errno == EINTR && !deadline.hasExpired())
            continue;
        if (r < 0) {
            ClearReceived();
            m_owner->notify(3024, 1, 0);
            return Step::Go;
        }
        if (r == 0) {
            ClearReceived();
            m_owner->notify(3024, 0, 0);
            return Step::Go;
        }
        if (fds[0].revents & Gone) {
            readWaiting();
            return Step::Lost;
        }
        if (fds[0].revents & POLLIN)
            return readWaiting();
        return Step::Go;   // stopped
    }
}

TSIORead::Step TSIORead::readWaiting()
{
    int waiting = 0;
    if (::ioctl(m_device, FIONREAD, &waiting) < 0) {
        if (meansGone(errno))
            return Step::Lost;
        waiting = 0;
    }
    qint64 count = 0;
    if (waiting > 0) {
        QByteArray bytes(waiting, Qt::Uninitialized);
        ssize_t got = -1;
        do {
            got = ::read(m_device, bytes.data(), size_t(waiting));
        } while (got < 0 && errno == EINTR);
        if (got > 0) {
            bytes.truncate(qsizetype(got));
            std::lock_guard lock(m_lock);
            m_text += bytes;
            m_total += quint32(got);
            count = got;
        } else if (got < 0 && errno != EAGAIN) {
            const int error = errno;
            if (meansGone(error))
                return Step::Lost;
            appendError(error);
        }
    }
    if (count != 0) {
        quint32 total = 0;
        {
            std::lock_guard lock(m_lock);
            total = m_total;
        }
        m_owner->notify(3025, count, total);
    } else {
        m_owner->notify(3026, 0, 0);
    }
    return Step::Go;
}

void TSIORead::appendError(int error)
{
    // The reader's error goes where the data goes, into the updater's receive area; under
    // the lock like every other change of the text.
    // This platform keeps no error flags of the device apart from errno: they read 0.
    const auto hex8 = [](quint32 value) { return QByteArray::number(value, 16).toUpper().rightJustified(8, '0'); };
    const QByteArray text = "Error\r\n0x" + hex8(quint32(error)) + "/" + hex8(0);
    std::lock_guard lock(m_lock);
    m_text += text;
}
