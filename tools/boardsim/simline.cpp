#include "boardsim/simline.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace boardsim {

namespace {

constexpr int BitsPerByte = 10;   // start bit, 8 data bits, stop bit

bool setFlags(int fd)
{
    const int fl = ::fcntl(fd, F_GETFL);
    return fl >= 0 && ::fcntl(fd, F_SETFL, fl | O_NONBLOCK) == 0
        && ::fcntl(fd, F_SETFD, FD_CLOEXEC) == 0;
}

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The link's target when path is a symbolic link, else an empty string.
QByteArray linkTarget(const QByteArray &path)
{
    std::array<char, 4096> target;
    const ssize_t n = ::readlink(path.constData(), target.data(), target.size());
    return n > 0 ? QByteArray(target.data(), n) : QByteArray();
}

} // namespace

bool SimLine::startsBefore(Clock::time_point t, const Outgoing &out)
{
    return t < out.earliest;
}

SimLine::SimLine() = default;

SimLine::~SimLine()
{
    stop();
}

bool SimLine::fail(const QString &what, int error)
{
    m_error = error ? QStringLiteral("%1: %2").arg(what, errnoText(error)) : what;
    closeAll();
    m_devicePath.clear();
    return false;
}

bool SimLine::open(const QString &linkPath)
{
    if (m_master >= 0 || m_thread.joinable() || m_stopped || m_dropped) {
        m_error = QStringLiteral("the line is already open or was stopped");
        return false;
    }
    if (!makeDevice(linkPath))
        return false;
    m_start = Clock::now();
    m_outFree = m_start;
    m_inFree = m_start;
    startThread();
    return true;
}

void SimLine::startThread()
{
    m_error.clear();
    m_thread = std::thread(&SimLine::run, this);
}

void SimLine::endThread()
{
    if (!m_thread.joinable())
        return;
    m_stopping.store(true);
    {
        std::lock_guard lock(m_mutex);
        wakeLocked();
    }
    m_thread.join();
    m_stopping.store(false);
}

void SimLine::dropDevice()
{
    if (!m_thread.joinable())
        return;
    endThread();
    m_droppedLink = m_linkPath;
    closeAll();
    m_devicePath.clear();
    {
        std::lock_guard lock(m_mutex);
        m_outgoing.clear();
        m_writeBlocked = false;
    }
    m_dropped = true;
}

bool SimLine::restoreDevice()
{
    if (!m_dropped) {
        m_error = QStringLiteral("the device was not dropped");
        return false;
    }
    if (!makeDevice(m_droppedLink))
        return false;
    m_dropped = false;
    m_droppedLink.clear();
    {
        std::lock_guard lock(m_mutex);
        m_outFree = Clock::now();
    }
    m_inFree = Clock::now();
    startThread();
    return true;
}

bool SimLine::makeDevice(const QString &linkPath)
{

    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
        return fail(QStringLiteral("posix_openpt"), errno);
    if (!setFlags(m_master))
        return fail(QStringLiteral("fcntl"), errno);
    if (::grantpt(m_master) != 0)
        return fail(QStringLiteral("grantpt"), errno);
    if (::unlockpt(m_master) != 0)
        return fail(QStringLiteral("unlockpt"), errno);
    std::array<char, 256> name{};
    if (::ptsname_r(m_master, name.data(), name.size()) != 0)
        return fail(QStringLiteral("ptsname_r"), errno);
    m_devicePath = QFile::decodeName(name.data());

    // Until someone opens the slave, the terminal is cooked: it would echo our own bytes
    // back to us and turn CR into LF. Raw mode set on a descriptor held for the whole life
    // of the line covers the program's first open, and the held descriptor keeps the
    // master from seeing a hang-up whenever the program closes its port.
    m_slave = ::open(name.data(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0)
        return fail(QStringLiteral("open %1").arg(m_devicePath), errno);
    termios tio{};
    if (::tcgetattr(m_slave, &tio) != 0)
        return fail(QStringLiteral("tcgetattr"), errno);
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    if (::tcsetattr(m_slave, TCSANOW, &tio) != 0)
        return fail(QStringLiteral("tcsetattr"), errno);

    std::array<int, 2> pipeFds{};
    if (::pipe(pipeFds.data()) != 0)
        return fail(QStringLiteral("pipe"), errno);
    m_wakeRead = pipeFds[0];
    m_wakeWrite = pipeFds[1];
    if (!setFlags(m_wakeRead) || !setFlags(m_wakeWrite))
        return fail(QStringLiteral("fcntl"), errno);

    if (!linkPath.isEmpty()) {
        const QByteArray link = QFile::encodeName(linkPath);
        struct stat st{};
        if (::lstat(link.constData(), &st) == 0 && !S_ISLNK(st.st_mode))
            return fail(QStringLiteral("%1 exists and is not a symbolic link").arg(linkPath), 0);
        // Made aside and renamed over the old link, so the path never points nowhere.
        static std::atomic<int> serial{0};
        const QByteArray aside = link + ".boardsim-" + QByteArray::number(::getpid()) + '-'
            + QByteArray::number(serial.fetch_add(1));
        ::unlink(aside.constData());
        if (::symlink(name.data(), aside.constData()) != 0)
            return fail(QStringLiteral("symlink %1").arg(linkPath), errno);
        if (::rename(aside.constData(), link.constData()) != 0) {
            const int error = errno;
            ::unlink(aside.constData());
            return fail(QStringLiteral("rename to %1").arg(linkPath), error);
        }
        m_linkPath = linkPath;
    }
    return true;
}

bool SimLine::isOpen() const
{
    return m_thread.joinable();
}

QString SimLine::errorString() const
{
    return m_error;
}

QString SimLine::devicePath() const
{
    return m_devicePath;
}

QString SimLine::linkPath() const
{
    return m_linkPath;
}

int SimLine::deviceBaud() const
{
    termios tio{};
    if (m_slave < 0 || ::tcgetattr(m_slave, &tio) != 0)
        return 0;
    struct Rate
    {
        speed_t code;
        int bits;
    };
    static constexpr Rate Rates[] = {{B300, 300},     {B1200, 1200},   {B2400, 2400},   {B4800, 4800},
                                     {B9600, 9600},   {B19200, 19200}, {B38400, 38400}, {B57600, 57600},
                                     {B115200, 115200}};
    const speed_t code = ::cfgetospeed(&tio);
    for (const Rate &rate : Rates) {
        if (rate.code == code)
            return rate.bits;
    }
    return -1;
}

void SimLine::setBaud(int baud)
{
    std::lock_guard lock(m_mutex);
    m_baud = std::max(baud, 0);
    wakeLocked();   // the next byte's schedule may have moved
}

int SimLine::baud() const
{
    std::lock_guard lock(m_mutex);
    return m_baud;
}

void SimLine::setResponder(std::shared_ptr<Responder> responder)
{
    {
        std::lock_guard lock(m_responderMutex);
        m_responder.swap(responder);
    }
    // The previous responder, if this was its last owner, goes here, outside the lock.
}

void SimLine::send(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    std::lock_guard lock(m_mutex);
    const auto now = Clock::now();
    // Ahead of answers still waiting out their latency, as the queue is kept in start order.
    auto at = std::upper_bound(m_outgoing.begin(), m_outgoing.end(), now, startsBefore);
    for (char byte : bytes)
        at = std::next(m_outgoing.insert(at, Outgoing{byte, now}));
    wakeLocked();
}

QList<RecordedByte> SimLine::recorded() const
{
    std::lock_guard lock(m_mutex);
    return m_record;
}

QByteArray SimLine::received() const
{
    std::lock_guard lock(m_mutex);
    return m_received;
}

void SimLine::clearRecord()
{
    std::lock_guard lock(m_mutex);
    m_record.clear();
    m_received.clear();
}

bool SimLine::waitForReceived(qsizetype count, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    return m_receivedChanged.wait_for(lock, timeout, [&] { return m_received.size() >= count; });
}

void SimLine::stop()
{
    if (m_thread.joinable() || m_dropped) {
        endThread();
        m_stopped = true;
        m_dropped = false;
        m_droppedLink.clear();
    }
    closeAll();
}

void SimLine::closeAll()
{
    if (!m_linkPath.isEmpty()) {
        // Only our own link: a line opened later on the same path has taken it over.
        const QByteArray link = QFile::encodeName(m_linkPath);
        if (linkTarget(link) == QFile::encodeName(m_devicePath))
            ::unlink(link.constData());
        m_linkPath.clear();
    }
    // Under the lock for the wake-up pipe, which other threads write through send().
    std::lock_guard lock(m_mutex);
    for (int *fd : {&m_master, &m_slave, &m_wakeRead, &m_wakeWrite}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

void SimLine::wakeLocked()
{
    // A full pipe already holds a wake-up, so a failed write loses nothing; before open()
    // and after stop() there is no thread to wake.
    if (m_wakeWrite < 0)
        return;
    const char token = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_wakeWrite, &token, 1);
}

Clock::duration SimLine::byteTimeLocked() const
{
    if (m_baud <= 0)
        return Clock::duration::zero();
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::nanoseconds(std::chrono::nanoseconds::rep(BitsPerByte) * 1'000'000'000 / m_baud));
}

std::optional<Clock::time_point> SimLine::nextDueLocked() const
{
    if (m_outgoing.empty())
        return std::nullopt;
    // A byte reaches the program when its stop bit has gone out, one byte time after it
    // started; it starts when the line is free and its answer latency has passed.
    return std::max(m_outgoing.front().earliest, m_outFree) + byteTimeLocked();
}

void SimLine::run()
{
#ifdef __linux__
    // The default timer slack of 50 us is half a byte at 115200 baud.
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
    while (!m_stopping.load()) {
        std::optional<Clock::time_point> due;
        bool blocked = false;
        {
            std::lock_guard lock(m_mutex);
            blocked = m_writeBlocked;
            if (!blocked)
                due = nextDueLocked();
        }

        std::array<pollfd, 2> fds{{
            {m_master, short(POLLIN | (blocked ? POLLOUT : 0)), 0},
            {m_wakeRead, POLLIN, 0},
        }};
        timespec timeout{};
        if (due) {
            const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(
                std::max(Clock::duration::zero(), *due - Clock::now()));
            timeout.tv_sec = time_t(left.count() / 1'000'000'000);
            timeout.tv_nsec = long(left.count() % 1'000'000'000);
        }
        // Sleeps until a byte comes, the next byte is due, or someone wakes us: idle costs nothing.
        if (::ppoll(fds.data(), fds.size(), due ? &timeout : nullptr, nullptr) < 0) {
            if (errno == EINTR)
                continue;
            qWarning("boardsim: poll failed: %s", std::strerror(errno));
            return;
        }

        if (fds[1].revents & POLLIN) {
            std::array<char, 64> drain;
            while (::read(m_wakeRead, drain.data(), drain.size()) > 0) {
            }
        }
        if (fds[0].revents & POLLIN)
            readFromProgram();
        else if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) {
            // The held slave descriptor rules this out; should it happen, polling on
            // would spin, so the line ends instead.
            qWarning("boardsim: the pseudo-terminal failed");
            return;
        }
        if (fds[0].revents & POLLOUT) {
            std::lock_guard lock(m_mutex);
            m_writeBlocked = false;
        }
        writeDue(Clock::now());
    }
}

void SimLine::readFromProgram()
{
    std::array<char, 512> buffer;
    const ssize_t n = ::read(m_master, buffer.data(), buffer.size());
    if (n <= 0)
        return;
    const auto now = Clock::now();
    const QByteArrayView bytes(buffer.data(), n);

    Clock::duration byteTime;
    {
        std::lock_guard lock(m_mutex);
        byteTime = byteTimeLocked();
        for (char byte : bytes)
            m_record.append({now - m_start, Direction::ToBoard, byte});
        m_received += bytes;
    }
    m_receivedChanged.notify_all();

    std::vector<Outgoing> answers;
    {
        std::lock_guard lock(m_responderMutex);
        for (char byte : bytes) {
            // The program wrote them all at once, but on a real line they follow each other.
            m_inFree = std::max(now, m_inFree) + byteTime;
            if (!m_responder)
                continue;
            for (const Reply &reply : m_responder->respond(byte, m_inFree)) {
                for (char answer : reply.bytes)
                    answers.push_back({answer, m_inFree + reply.latency});
            }
        }
    }
    if (answers.empty())
        return;
    // Answers go out in the order they start, so a quick board is not held up behind a
    // slow one; the bytes of one answer share a start and stay together.
    std::lock_guard lock(m_mutex);
    for (const Outgoing &answer : answers) {
        const auto at = std::upper_bound(m_outgoing.begin(), m_outgoing.end(), answer.earliest, startsBefore);
        m_outgoing.insert(at, answer);
    }
}

void SimLine::writeDue(Clock::time_point now)
{
    std::lock_guard lock(m_mutex);
    if (m_writeBlocked || m_outgoing.empty())
        return;

    // Paced, only one byte is ever due at a time; unpaced, everything queued goes in one write.
    const auto byteTime = byteTimeLocked();
    QByteArray chunk;
    auto lineFree = m_outFree;
    for (const Outgoing &out : m_outgoing) {
        if (std::max(out.earliest, lineFree) + byteTime > now)
            break;
        chunk += out.byte;
        lineFree = now;
    }
    if (chunk.isEmpty())
        return;

    const ssize_t n = ::write(m_master, chunk.constData(), size_t(chunk.size()));
    if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            m_writeBlocked = true;
        } else {
            qWarning("boardsim: write failed, %lld queued bytes dropped: %s",
                     qlonglong(m_outgoing.size()), std::strerror(errno));
            m_outgoing.clear();
        }
        return;
    }
    // Timed from the write, not from the schedule, so a late wake-up never lets the next
    // byte follow closer than one byte time.
    for (ssize_t i = 0; i < n; ++i) {
        m_record.append({now - m_start, Direction::FromBoard, chunk.at(i)});
        m_outgoing.pop_front();
    }
    m_outFree = now;
    if (n < chunk.size())
        m_writeBlocked = true;
}

} // namespace boardsim
