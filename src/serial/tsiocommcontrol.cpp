#include "serial/tsiocommcontrol.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

WakeEvent::WakeEvent()
{
    int fds[2] = {-1, -1};
    if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
        m_read = fds[0];
        m_write = fds[1];
    }
}

WakeEvent::~WakeEvent()
{
    if (m_read >= 0)
        ::close(m_read);
    if (m_write >= 0)
        ::close(m_write);
}

void WakeEvent::set()
{
    const char one = 1;
    // A full pipe is still readable: the event stays set.
    while (::write(m_write, &one, 1) < 0 && errno == EINTR) {
    }
}

void WakeEvent::reset()
{
    char drain[64];
    for (;;) {
        const ssize_t n = ::read(m_read, drain, sizeof drain);
        if (n > 0)
            continue;
        if (n < 0 && errno == EINTR)
            continue;
        break;
    }
}

TSIOOwnerLink::TSIOOwnerLink(std::shared_ptr<std::mutex> handOff, Notify notify, ShowBox showBox, Lost lost)
    : m_handOff(std::move(handOff)), m_notify(std::move(notify)), m_showBox(std::move(showBox)), m_lost(std::move(lost))
{
}

void TSIOOwnerLink::notify(int message, qint64 wParam, qint64 lParam)
{
    std::lock_guard lock(*m_handOff);
    if (m_notify)
        m_notify(message, wParam, lParam);
}

bool TSIOOwnerLink::showBox(const QString &text, std::function<void()> closed)
{
    std::lock_guard lock(*m_handOff);
    if (!m_showBox)
        return false;
    m_showBox(text, std::move(closed));
    return true;
}

void TSIOOwnerLink::lineLost()
{
    std::lock_guard lock(*m_handOff);
    if (m_lost)
        m_lost();
}

void TSIOOwnerLink::cutOff()
{
    std::lock_guard lock(*m_handOff);
    m_notify = nullptr;
    m_showBox = nullptr;
    m_lost = nullptr;
}

TSIOCommControl::TSIOCommControl(int descriptor, std::shared_ptr<TSIOOwnerLink> owner)
    : m_device(descriptor), m_owner(std::move(owner))
{
}

TSIOCommControl::~TSIOCommControl() = default;

void TSIOCommControl::StopThread()
{
    m_terminated.store(true, std::memory_order_release);
    {
        std::lock_guard lock(m_box->mutex);
        m_box->stopped = true;
    }
    m_box->changed.notify_all();
    m_wake.set();
    m_signal.set();
}

void TSIOCommControl::ReportError(const QString &text)
{
    m_messageText = text;
    {
        std::lock_guard lock(m_box->mutex);
        m_box->closed = false;
    }
    const bool shown = m_owner->showBox(m_messageText, [box = m_box] {
        {
            std::lock_guard lock(box->mutex);
            box->closed = true;
        }
        box->changed.notify_all();
    });
    if (shown) {
        std::unique_lock lock(m_box->mutex);
        m_box->changed.wait(lock, [this] { return m_box->closed || m_box->stopped; });
    }
    m_messageText.clear();
}
