#include "serial/qtserialdriver.h"

#include "serial/portmap.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <limits>

#ifndef Q_OS_WIN
#include <cerrno>
#include <poll.h>
#include <unistd.h>
#endif

namespace {

QSerialPort::Parity toQt(Parity p)
{
    switch (p) {
    case Parity::None: return QSerialPort::NoParity;
    case Parity::Even: return QSerialPort::EvenParity;
    case Parity::Odd: return QSerialPort::OddParity;
    case Parity::Space: return QSerialPort::SpaceParity;
    case Parity::Mark: return QSerialPort::MarkParity;
    }
    return QSerialPort::NoParity;
}

Parity fromQt(QSerialPort::Parity p)
{
    switch (p) {
    case QSerialPort::EvenParity: return Parity::Even;
    case QSerialPort::OddParity: return Parity::Odd;
    case QSerialPort::SpaceParity: return Parity::Space;
    case QSerialPort::MarkParity: return Parity::Mark;
    default: return Parity::None;
    }
}

// Qt knows no DTR/DSR handshake: that mode runs without flow control in Qt's terms, with
// DTR raised by TCom, and output is not held back by DSR.
QSerialPort::FlowControl toQt(FlowMode f)
{
    switch (f) {
    case FlowMode::XonXoff: return QSerialPort::SoftwareControl;
    case FlowMode::CtsRts: return QSerialPort::HardwareControl;
    case FlowMode::DtrDsr:
    case FlowMode::None: return QSerialPort::NoFlowControl;
    }
    return QSerialPort::NoFlowControl;
}

int wholeMilliseconds(std::chrono::nanoseconds d)
{
    return int(std::chrono::ceil<std::chrono::milliseconds>(std::max(d, std::chrono::nanoseconds::zero())).count());
}

class QtSerialDevice : public SerialDevice
{
public:
    explicit QtSerialDevice(const QString &path)
        : m_path(path)
    {
#ifdef Q_OS_WIN
        m_port.setPortName(path);
#else
        // The lock file is named after the path, so a link and its device would lock
        // apart and both open: lock the device itself, whatever name reaches it.
        const QString device = QFileInfo(path).canonicalFilePath();
        m_port.setPortName(device.isEmpty() ? path : device);
#endif
        // Blocking reads go through waitForReadyRead, which reports a vanished line as an
        // error; the flag also catches it when it surfaces in any other call. A device that
        // has gone fails its reads and writes with an I/O error (ReadError, WriteError) or
        // reports itself unavailable (ResourceError): each means the line is lost, and the
        // port is closed at the next call (gone()), so nothing polls a dead descriptor.
        QObject::connect(&m_port, &QSerialPort::errorOccurred, &m_port, [this](QSerialPort::SerialPortError e) {
            if (e == QSerialPort::ReadError || e == QSerialPort::WriteError || e == QSerialPort::ResourceError)
                m_lost = true;
        });
    }

    bool open(OpenError &error, QString &detail)
    {
        if (m_port.open(QIODevice::ReadWrite))
            return true;
        // Qt's port name drops the folder ("pts/0"); the node is what access() must see.
        const QString &path = m_path;
#ifdef Q_OS_WIN
        const bool exists = true;
        const bool accessible = true;
#else
        const bool exists = QFileInfo::exists(path);
        const bool accessible = exists && ::access(QFile::encodeName(path).constData(), R_OK | W_OK) == 0;
#endif
        error = QtSerialDriver::classifyOpenError(m_port.error(), exists, accessible);
        detail = QStringLiteral("%1: %2").arg(path, m_port.errorString());
        return false;
    }

    bool configure(const LineConfig &c) override
    {
        if (gone())
            return false;
        // Apply every field even after a refusal, so what the port keeps is as close to
        // the request as it allows; a pseudo-terminal refuses 7 bits and parity this way.
        bool ok = m_port.setBaudRate(c.baudRate);
        ok = m_port.setDataBits(c.dataBits == 7 ? QSerialPort::Data7 : QSerialPort::Data8) && ok;
        ok = m_port.setParity(toQt(c.parity)) && ok;
        ok = m_port.setStopBits(c.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop) && ok;
        const bool flowOk = m_port.setFlowControl(toQt(c.flow));
        if (flowOk)
            m_dtrDsr = c.flow == FlowMode::DtrDsr;
        ok = flowOk && ok;
        m_port.clearError();
        return ok;
    }

    LineConfig config() const override
    {
        LineConfig c;
        c.baudRate = m_port.baudRate();
        c.dataBits = m_port.dataBits() == QSerialPort::Data7 ? 7 : 8;
        c.parity = fromQt(m_port.parity());
        c.stopBits = m_port.stopBits() == QSerialPort::TwoStop ? 2 : 1;
        switch (m_port.flowControl()) {
        case QSerialPort::SoftwareControl: c.flow = FlowMode::XonXoff; break;
        case QSerialPort::HardwareControl: c.flow = FlowMode::CtsRts; break;
        default: c.flow = m_dtrDsr ? FlowMode::DtrDsr : FlowMode::None; break;
        }
        return c;
    }

    qint64 write(const char *data, qint64 size, std::chrono::milliseconds timeout) override
    {
        if (gone() || aborted())
            return 0;
        if (m_port.write(data, size) < 0) {
            m_port.clearError();
            gone();
            return 0;
        }
        const QDeadlineTimer deadline(timeout);
        while (m_port.bytesToWrite() > 0 && !deadline.hasExpired() && !aborted()) {
            const auto slice = std::min<std::chrono::nanoseconds>(deadline.remainingTimeAsDuration(), AbortSlice);
            if (!m_port.waitForBytesWritten(wholeMilliseconds(slice)) && !timedOut())
                break;
        }
        const qint64 pending = m_port.bytesToWrite();
        if (pending > 0 && !gone()) {
            // What did not go out in time is dropped, not left to trickle out later
            // behind the caller's back.
            m_port.clear(QSerialPort::Output);
        }
        m_port.clearError();
        return size - pending;
    }

    int readByte(std::chrono::milliseconds timeout) override
    {
        if (gone() || aborted())
            return -1;
        if (m_port.bytesAvailable() == 0) {
            const QDeadlineTimer deadline(timeout);
            // A zero time-out still polls once, so a byte the kernel holds is seen.
            do {
                const auto slice = std::min<std::chrono::nanoseconds>(deadline.remainingTimeAsDuration(), AbortSlice);
                if (m_port.waitForReadyRead(wholeMilliseconds(slice)))
                    break;
                if (!timedOut())
                    return -1;
            } while (!deadline.hasExpired() && !aborted());
            m_port.clearError();
        }
        char c = 0;
        if (!m_port.getChar(&c))
            return -1;
        return static_cast<unsigned char>(c);
    }

    int bytesAvailable() override
    {
        if (gone())
            return 0;
        if (m_port.bytesAvailable() == 0) {
            m_port.waitForReadyRead(0);   // takes what the kernel holds into Qt's buffer
            if (timedOut())
                m_port.clearError();
        }
        return int(std::min<qint64>(m_port.bytesAvailable(), std::numeric_limits<int>::max()));
    }

    bool waitForInput(std::chrono::milliseconds timeout, const InputWake *wake) override
    {
        if (gone() || aborted())
            return false;
        if (m_port.bytesAvailable() > 0)
            return true;
#ifndef Q_OS_WIN
        if (wake && wake->fd() >= 0)
            return waitWithWake(timeout, *wake);
#endif
        const QDeadlineTimer deadline(timeout);
        // Without a descriptor for the wake, it is looked at every millisecond.
        const auto longest = wake ? std::chrono::nanoseconds(std::chrono::milliseconds(1)) : std::chrono::nanoseconds(AbortSlice);
        do {
            if (wake && wake->woken())
                return false;
            const auto slice = std::min<std::chrono::nanoseconds>(deadline.remainingTimeAsDuration(), longest);
            if (m_port.waitForReadyRead(wholeMilliseconds(slice)))
                return true;
            if (!timedOut())
                return false;
        } while (!deadline.hasExpired() && !aborted());
        m_port.clearError();
        return false;
    }

    qint64 readAvailable(char *data, qint64 size) override
    {
        if (gone())
            return 0;
        const qint64 count = m_port.read(data, size);
        return count < 0 ? 0 : count;
    }

    bool setDtr(bool on) override { return settle(!gone() && m_port.setDataTerminalReady(on)); }
    bool setRts(bool on) override { return settle(!gone() && m_port.setRequestToSend(on)); }

    bool lost() const override { return m_lost; }
    QString location() const override { return m_path; }

private:
#ifndef Q_OS_WIN
    // Waits on the port's descriptor and the wake's together, so a wake ends the wait at
    // once; what the port holds is then taken into Qt's buffer, which also notices a lost line.
    bool waitWithWake(std::chrono::milliseconds timeout, const InputWake &wake)
    {
        const QDeadlineTimer deadline(timeout);
        do {
            pollfd fds[2] = {{int(m_port.handle()), POLLIN, 0}, {wake.fd(), POLLIN, 0}};
            const auto slice = std::min<std::chrono::nanoseconds>(deadline.remainingTimeAsDuration(), AbortSlice);
            const int ready = ::poll(fds, 2, wholeMilliseconds(slice));
            if (ready < 0 && errno != EINTR)
                return false;
            if (fds[1].revents != 0)
                return false;
            if (fds[0].revents != 0) {
                if (!m_port.waitForReadyRead(0) && !timedOut())
                    return false;
                m_port.clearError();
                return m_port.bytesAvailable() > 0;
            }
        } while (!deadline.hasExpired() && !aborted());
        return false;
    }
#endif

    // True when the line is gone; the port is then closed, so nothing keeps polling a
    // dead descriptor.
    bool gone()
    {
        if (m_lost && m_port.isOpen())
            m_port.close();
        return m_lost;
    }

    // After a failed wait: true for a plain time-out, false for anything that ends the wait
    // (a lost line, a closed port).
    bool timedOut()
    {
        const auto e = m_port.error();
        if (e == QSerialPort::NoError || e == QSerialPort::TimeoutError)
            return true;
        m_port.clearError();
        gone();
        return false;
    }

    // Control lines a device cannot drive (a pseudo-terminal) are no error of the line.
    bool settle(bool ok)
    {
        if (!ok)
            m_port.clearError();
        return ok;
    }

    const QString m_path;
    QSerialPort m_port;
    bool m_lost = false;
    bool m_dtrDsr = false;
};

} // namespace

QtSerialDriver::QtSerialDriver(std::shared_ptr<const PortMap> portMap)
    : m_portMap(std::move(portMap))
{
}

std::unique_ptr<SerialDevice> QtSerialDriver::open(int comNumber, OpenError &error, QString &detail)
{
    const QString path = m_portMap ? m_portMap->devicePath(comNumber) : QString();
    if (path.isEmpty()) {
        error = OpenError::NoSuchDevice;
        detail = QStringLiteral("COM%1 is not assigned to a device").arg(comNumber);
        return nullptr;
    }
    return openPath(path, error, detail);
}

std::unique_ptr<SerialDevice> QtSerialDriver::openPath(const QString &path, OpenError &error, QString &detail)
{
    auto device = std::make_unique<QtSerialDevice>(path);
    if (!device->open(error, detail))
        return nullptr;
    error = OpenError::None;
    detail.clear();
    return device;
}

OpenError QtSerialDriver::classifyOpenError(QSerialPort::SerialPortError error, bool deviceExists, bool deviceAccessible)
{
    switch (error) {
    case QSerialPort::NoError: return OpenError::None;
    case QSerialPort::DeviceNotFoundError: return OpenError::NoSuchDevice;
    case QSerialPort::PermissionError:
        if (!deviceExists)
            return OpenError::NoSuchDevice;
        return deviceAccessible ? OpenError::Busy : OpenError::PermissionDenied;
    default: return OpenError::Other;
    }
}
