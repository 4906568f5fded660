#pragma once

#include "serial/tsiodevice.h"

#include <QByteArray>
#include <QList>
#include <QMap>

#include <chrono>
#include <memory>
#include <mutex>

class FakeSerialDriver;

// The far end of one fake threaded-port device, a socket pair: what the port configured,
// and the bytes in both directions. Every call is thread-safe.
class FakeTSIOLine
{
public:
    ~FakeTSIOLine();

    // configure() refuses, as a device refuses a rate it cannot run.
    void setRefuseConfigure(bool refuse);
    // Opens fail, as for a device another program holds.
    void setHeld(bool held);

    bool isOpen() const;
    int opens() const;
    QList<TSIOLineSetup> setups() const;   // every configure() asked, in order

    // To the program; false when the port is not open.
    bool feed(const QByteArray &bytes);
    // What the program wrote, waiting up to timeout for at least count bytes.
    QByteArray takeWritten(qsizetype count, std::chrono::milliseconds timeout);

private:
    friend class FakeTSIODevice;
    friend class FakeTSIOPorts;

    mutable std::mutex m_mutex;
    bool m_refuseConfigure = false;
    bool m_held = false;
    int m_farEnd = -1;   // the test's end while open
    int m_opens = 0;
    QList<TSIOLineSetup> m_setups;
};

// Fake devices for the threaded port: only the ports added exist. Given the main port's
// fake driver, a port that the main port holds open fails to open here, as the lock file
// makes a real one fail.
class FakeTSIOPorts
{
public:
    explicit FakeTSIOPorts(const FakeSerialDriver *mainPorts = nullptr);

    std::shared_ptr<FakeTSIOLine> addPort(int portNumber);
    std::shared_ptr<FakeTSIOLine> line(int portNumber) const;
    TSIODeviceOpener opener() const;

private:
    struct Shared
    {
        mutable std::mutex mutex;
        QMap<int, std::shared_ptr<FakeTSIOLine>> lines;
        const FakeSerialDriver *mainPorts = nullptr;
    };
    std::shared_ptr<Shared> m_shared;
};
