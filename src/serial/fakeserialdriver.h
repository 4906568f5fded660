#pragma once

#include "serial/serialdevice.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QStringList>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

// The far end of one fake port and the test's handle on it: what the program wrote, what
// it will read, how it set the line. Shared by the test and the open device, so it
// outlives both; every call is thread-safe (the device side runs on the line thread).
class FakeLine
{
public:
    // --- Set-up, before or between opens.
    // An open fails with this error (Busy, PermissionDenied, ...); None opens normally.
    void setOpenError(OpenError error);
    // configure() refuses every request, as a port refuses a format it cannot do.
    void setRefuseConfigure(bool refuse);
    // setDtr/setRts fail and change nothing, as on a pseudo-terminal.
    void setControlLinesFail(bool fail);
    // Output held by flow control: from now on only this many more bytes are taken, then
    // writes give up as at their time-out (at once; the fake does not wait it out).
    // Negative takes everything.
    void setWriteCapacity(qint64 bytes);

    // --- Traffic.
    // Bytes for the program to read; wakes a read that is waiting.
    void feed(const QByteArray &bytes);
    qsizetype unread() const;
    QByteArray written() const;
    QByteArray takeWritten();
    // Blocks until written() holds at least count bytes; false on timeout.
    bool waitForWritten(qsizetype count, std::chrono::milliseconds timeout) const;
    // Blocks until a read is waiting for bytes that are not there; false on timeout.
    bool waitForReader(std::chrono::milliseconds timeout) const;
    // The time-out of every read the program asked for, in order.
    QList<std::chrono::milliseconds> readTimeouts() const;
    // The time-out the last write was given.
    std::chrono::milliseconds lastWriteTimeout() const;

    // --- Line state.
    bool isOpen() const;
    LineConfig config() const;   // as last applied by configure()
    bool dtr() const;
    bool rts() const;
    // What happened to the port, in order: "open", "configure", "DTR on", "DTR off",
    // "RTS on", "RTS off", "close". Refused requests are not events.
    QStringList events() const;
    void clearEvents();

    // The line goes away: reads and writes fail at once and lost() is true until the
    // next open.
    void drop();

private:
    friend class FakeSerialDevice;
    friend class FakeSerialDriver;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    OpenError m_openError = OpenError::None;
    bool m_refuseConfigure = false;
    bool m_controlLinesFail = false;
    qint64 m_writeCapacity = -1;
    bool m_open = false;
    bool m_dropped = false;
    int m_waitingReaders = 0;
    LineConfig m_config;
    bool m_dtr = false;
    bool m_rts = false;
    QByteArray m_toRead;
    QByteArray m_written;
    QList<std::chrono::milliseconds> m_readTimeouts;
    std::chrono::milliseconds m_lastWriteTimeout{0};
    QStringList m_events;
};

// An in-memory SerialDriver for tests: only the COM numbers a test added exist, each open
// is exclusive (a second open of a held port fails as Busy), and opening raises DTR and
// RTS as a POSIX serial device does.
class FakeSerialDriver : public SerialDriver
{
public:
    // Declares that COM<comNumber> exists and returns its line (the same one each time).
    std::shared_ptr<FakeLine> addPort(int comNumber);
    // The line of an added port; null for a number never added.
    std::shared_ptr<FakeLine> line(int comNumber) const;

    std::unique_ptr<SerialDevice> open(int comNumber, OpenError &error, QString &detail) override;

private:
    mutable std::mutex m_mutex;
    QMap<int, std::shared_ptr<FakeLine>> m_lines;
};
