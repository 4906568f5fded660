#include "serial/serialdevice.h"

#ifdef Q_OS_LINUX
#include <sys/eventfd.h>
#include <unistd.h>
#endif

InputWake::InputWake()
{
#ifdef Q_OS_LINUX
    m_fd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
#endif
}

InputWake::~InputWake()
{
#ifdef Q_OS_LINUX
    if (m_fd >= 0)
        ::close(m_fd);
#endif
}

void InputWake::wake()
{
    m_woken.store(true);
#ifdef Q_OS_LINUX
    if (m_fd >= 0) {
        const quint64 one = 1;
        [[maybe_unused]] const auto written = ::write(m_fd, &one, sizeof one);
    }
#endif
}

bool InputWake::consume()
{
    const bool woken = m_woken.exchange(false);
#ifdef Q_OS_LINUX
    if (m_fd >= 0) {
        quint64 count = 0;
        [[maybe_unused]] const auto read = ::read(m_fd, &count, sizeof count);
    }
#endif
    return woken;
}
