#include "updater/threadedprogramminglink.h"

ThreadedProgrammingLink::ThreadedProgrammingLink(TSIODeviceOpener devices, TSIOCommPort::ErrorReporter reporter,
                                                 QObject *parent)
    : ProgrammingLink(parent), m_port(std::make_unique<TSIOCommPort>(std::move(devices)))
{
    m_port->setErrorReporter(std::move(reporter));
    connect(m_port.get(), &TSIOCommPort::notification, this,
            [this](int message, qint64, qint64) { notified(message); });
    // The reader has ended with the device: nothing more can come, and the updater decides
    // what the loss means for the command that runs.
    connect(m_port.get(), &TSIOCommPort::lineLost, this, &ProgrammingLink::lineLost);
}

ThreadedProgrammingLink::~ThreadedProgrammingLink() = default;

bool ThreadedProgrammingLink::openPort(int comNumber, int rate)
{
    return m_port->OpenPort(comNumber, rate);
}

void ThreadedProgrammingLink::closePort()
{
    m_port->ClosePort();
}

bool ThreadedProgrammingLink::isOpen() const
{
    return m_port->isOpen();
}

void ThreadedProgrammingLink::sendBytes(const QByteArray &bytes)
{
    m_port->SendBytes(bytes);
}

QString ThreadedProgrammingLink::deviceLocation() const
{
    return m_port->location();
}

void ThreadedProgrammingLink::notified(int message)
{
    // Only new data matters here; the reply watch's 3024 has cleared text the updater
    // never asked for, and the transmit notifications carry nothing for it.
    if (message != TSIOCommPort::DataReceived || m_port->ReceivedLength() == 0)
        return;
    Q_EMIT received(m_port->TakeReceived());
}
