#include "serial/tsiodevice.h"

#include "serial/portmap.h"

#include <QFileInfo>
#include <QSerialPort>
#include <QThread>

namespace {

// Opened and configured through Qt Serial Port, which takes the lock file that keeps the
// device exclusive, and then parked: while the workers run, the QSerialPort belongs to no
// thread, so its read notifier never fires and Qt never reads the descriptor behind the
// reader's back. The owner pulls it back before closing it.
class QtTSIODevice : public TSIODevice
{
public:
    explicit QtTSIODevice(const QString &path)
        : m_path(path)
    {
        // Lock the device itself, whatever name reaches it, as the main port does: a link
        // and its target must not lock apart.
        const QString device = QFileInfo(path).canonicalFilePath();
        m_port.setPortName(device.isEmpty() ? path : device);
    }

    ~QtTSIODevice() override
    {
        takeBack();
        m_port.close();
    }

    bool open()
    {
        if (!m_port.open(QIODevice::ReadWrite))
            return false;
        // An open raises both control lines; the converter must not be powered before the
        // port is configured.
        settleControlLines();
        return true;
    }

    bool configure(const TSIOLineSetup &setup) override
    {
        bool ok = m_port.setBaudRate(setup.baudRate);
        ok = m_port.setDataBits(QSerialPort::Data8) && ok;
        ok = m_port.setParity(QSerialPort::NoParity) && ok;
        ok = m_port.setStopBits(QSerialPort::OneStop) && ok;
        ok = m_port.setFlowControl(QSerialPort::NoFlowControl) && ok;
        settleControlLines();
        m_port.clearError();
        return ok;
    }

    void purge() override
    {
        m_port.clear(QSerialPort::AllDirections);
        m_port.clearError();
    }

    qint32 baudRate() const override { return m_port.baudRate(); }
    int descriptor() const override { return int(m_port.handle()); }

    void handOver() override
    {
        if (m_parked)
            return;
        m_port.moveToThread(nullptr);
        m_parked = true;
    }

    void takeBack() override
    {
        if (!m_parked)
            return;
        m_port.moveToThread(QThread::currentThread());
        m_parked = false;
    }

    QString location() const override { return m_path; }

private:
    // A pseudo-terminal has no control lines: its refusal is no error of the line.
    void settleControlLines()
    {
        m_port.setDataTerminalReady(false);
        m_port.setRequestToSend(false);
        m_port.clearError();
    }

    const QString m_path;
    QSerialPort m_port;
    bool m_parked = false;
};

} // namespace

TSIODeviceOpener qtTSIODevices(std::shared_ptr<const PortMap> portMap)
{
    return [portMap = std::move(portMap)](int portNumber) -> std::unique_ptr<TSIODevice> {
        const QString path = portMap ? portMap->devicePath(portNumber) : QString();
        if (path.isEmpty())
            return nullptr;
        auto device = std::make_unique<QtTSIODevice>(path);
        if (!device->open())
            return nullptr;
        return device;
    };
}
