#pragma once

#include "serial/serialdevice.h"

#include <QSerialPort>

#include <memory>

class PortMap;

// The real device layer, on Qt Serial Port in its blocking form (waitForReadyRead,
// waitForBytesWritten): every device is created, used and destroyed on the line thread,
// which runs no event loop of its own while a job waits on the line.
//
// Exclusive open rests on Qt Serial Port's lock file: the kernel's exclusive flag does not
// hold against root. A pseudo-terminal takes every rate but keeps 8N1, and has no control
// lines: configure() then refuses 7 bits or parity, and setDtr/setRts report false.
class QtSerialDriver : public SerialDriver
{
public:
    explicit QtSerialDriver(std::shared_ptr<const PortMap> portMap);

    // COM<comNumber> through the port map; a number without an entry is NoSuchDevice.
    std::unique_ptr<SerialDevice> open(int comNumber, OpenError &error, QString &detail) override;
    // A device by its path (what the map points at).
    static std::unique_ptr<SerialDevice> openPath(const QString &path, OpenError &error, QString &detail);

    // Why an open failed, from Qt's error and what the device node allows. Qt reports a
    // held lock and a node we may not open alike, as a permission error; only the node
    // tells them apart.
    static OpenError classifyOpenError(QSerialPort::SerialPortError error, bool deviceExists, bool deviceAccessible);

private:
    std::shared_ptr<const PortMap> m_portMap;
};
