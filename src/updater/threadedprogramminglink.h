#pragma once

#include "serial/tsiocommport.h"
#include "serial/tsiodevice.h"
#include "updater/programminglink.h"

#include <QString>

#include <memory>

// The updater's programming port on the threaded serial port: the port's reader and writer
// do the waiting on their own threads, and what the reader collected reaches the updater
// as one received() per data notification, taken whole from the reader.
//
// Lives on the thread that owns the updater (the user-interface thread), like its port.
class ThreadedProgrammingLink : public ProgrammingLink
{
    Q_OBJECT
public:
    // devices finds COM<n> (the console's threadedDevices()); reporter shows the writer's
    // "writefile error : " box and returns once it is closed.
    ThreadedProgrammingLink(TSIODeviceOpener devices, TSIOCommPort::ErrorReporter reporter,
                            QObject *parent = nullptr);
    ~ThreadedProgrammingLink() override;

    bool openPort(int comNumber, int rate) override;
    void closePort() override;
    bool isOpen() const override;
    void sendBytes(const QByteArray &bytes) override;
    QString deviceLocation() const override;

    const TSIOCommPort &port() const { return *m_port; }

private:
    void notified(int message);

    std::unique_ptr<TSIOCommPort> m_port;
};
