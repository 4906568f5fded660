#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

// The updater's programming port: what the threaded port gives it. One object is one port
// object of the updater; it is made for an open and thrown away on close.
class ProgrammingLink : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // True when the device opened (whatever its configuration gave).
    virtual bool openPort(int comNumber, int rate) = 0;
    virtual void closePort() = 0;
    virtual bool isOpen() const = 0;
    // At most MaxSendBytes bytes; returns at once, the writer sends them.
    virtual void sendBytes(const QByteArray &bytes) = 0;
    // Where the device was opened ("/dev/ttyUSB0"), for telling the operator which one went
    // away; empty when unknown.
    virtual QString deviceLocation() const { return {}; }

    static constexpr int MaxSendBytes = 2048;

Q_SIGNALS:
    // What arrived since the last report, taken whole from the reader.
    void received(const QByteArray &bytes);
    // The device went away under the open port (an adapter pulled): nothing more arrives
    // and nothing more goes out. Emitted once; the port stays open until closed.
    void lineLost();
};

using ProgrammingLinkFactory = std::function<std::unique_ptr<ProgrammingLink>()>;
