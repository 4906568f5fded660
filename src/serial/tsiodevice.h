#pragma once

#include <QString>

#include <functional>
#include <memory>

class PortMap;

// How the threaded port sets its line. Everything else is fixed: 8 data bits, no parity,
// 1 stop bit, no flow control, DTR and RTS off.
struct TSIOLineSetup
{
    qint32 baudRate = 9600;
};

// One open device of the threaded port (TSIOCommPort).
//
// Threads: the device is opened, configured, purged and destroyed on the thread that owns
// the port. Between handOver() and takeBack() the reader and the writer own it, and they
// use nothing but descriptor(): poll, read and write on one descriptor are safe from two
// threads, while a QSerialPort is not. A device must not touch the descriptor itself in
// that time.
class TSIODevice
{
public:
    virtual ~TSIODevice() = default;

    // 8N1 at the rate, no flow control, DTR and RTS off; false when the device refuses.
    // Control lines a device cannot drive (a pseudo-terminal) are no failure.
    virtual bool configure(const TSIOLineSetup &setup) = 0;
    // Discards what waits in both directions.
    virtual void purge() = 0;
    // The rate the line runs at now; 0 when unknown.
    virtual qint32 baudRate() const = 0;

    // Pollable and non-blocking.
    virtual int descriptor() const = 0;
    virtual void handOver() {}
    virtual void takeBack() {}

    // Where the device was opened ("/dev/ttyUSB0", a link as given).
    virtual QString location() const = 0;
};

// Opens COM<portNumber> exclusively; null when it does not exist or is held, by this
// program's main port or by another program.
using TSIODeviceOpener = std::function<std::unique_ptr<TSIODevice>(int portNumber)>;

// The real devices: COM<n> through the port map, as the main port finds them, on Qt
// Serial Port, whose lock file keeps the open exclusive against every other user.
TSIODeviceOpener qtTSIODevices(std::shared_ptr<const PortMap> portMap);
