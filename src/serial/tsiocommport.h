#pragma once

#include "serial/tsiodevice.h"

#include <QByteArray>
#include <QObject>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>

class TSIORead;
class TSIOWrite;
class TSIOOwnerLink;
class WakeEvent;

// The threaded serial port of the flash updater and of the port enumeration.
//
// A reader and a writer, each on its own thread, do the blocking work; the thread that
// creates the port owns it: it makes every call below and receives every notification,
// as a queued call, between its other events. A port owned by a thread without an event
// loop (the enumeration's) simply never hears them.
//
//   TSIOCommPort port(qtTSIODevices(portMap));
//   connect(&port, &TSIOCommPort::notification, ...);   // 3025: port.TakeReceived()
//   port.setErrorReporter([&](const QString &text) { prompt.showMessage(title, text); });
//   if (port.OpenPort(3, 115200)) port.SendBytes(")*L05");
//   port.ClosePort();
//
// The notifications (message, wParam, lParam):
//   3024 NoReply          0: no byte came within ReplyWatch after a transmission began,
//                         1: that wait failed; either way the receive text was cleared
//   3025 DataReceived     bytes just read, total since the open: data was added
//   3026 EmptyRead        a read found nothing
//   3027 TransmitStarting a block is about to go out
//   3028 TransmitDone     it has gone (or its write failed)
class TSIOCommPort : public QObject
{
    Q_OBJECT
public:
    enum Notification : int {
        NoReply = 3024,
        DataReceived = 3025,
        EmptyRead = 3026,
        TransmitStarting = 3027,
        TransmitDone = 3028,
    };
    // The most one SendBytes takes.
    static constexpr qsizetype BlockLimit = 2048;
    // The rate a request for rate 0 runs at.
    static constexpr qint32 DefaultRate = 38400;
    static constexpr std::chrono::milliseconds ReplyWatch{1000};
    // How long ClosePort waits for each worker. Both wake at once from every wait of
    // theirs, so this bound only guards against a fault; a worker that outlives it is left
    // running with its device, never closed under it.
    static constexpr std::chrono::milliseconds CloseBound{5000};

    // Shows the writer's error text to the operator and returns once the box is closed;
    // runs on the owner's thread while the writer waits.
    using ErrorReporter = std::function<void(const QString &text)>;

    explicit TSIOCommPort(TSIODeviceOpener opener, QObject *parent = nullptr);
    ~TSIOCommPort() override;   // ClosePort

    // Closes an open port first. Opens COM<port> exclusively, purges both queues and
    // configures it (ConfigurePort). True when the device opened, whatever the
    // configuration gave (configured() tells); false when it does not exist or is held.
    // The port number is kept in either case.
    bool OpenPort(int port, qint32 rate);
    // Stops both workers, waits for them (CloseBound each) and closes the device.
    void ClosePort();
    // Sets the open device to the rate (0: DefaultRate), 8N1, no flow control, DTR and RTS
    // off, and starts the workers; stops them first when they run. The result is also
    // configured().
    bool ConfigurePort(qint32 rate);

    // Replaces the staged block and returns at once: a second call before the writer has
    // taken the first sends only the second. False, sending nothing, when the port has no
    // workers, its line is lost, or the block is longer than BlockLimit.
    bool SendBytes(const QByteArray &bytes);
    bool SendBytes(const char *bytes, qsizetype length);

    qsizetype ReceivedLength() const;
    // The whole receive text, whatever count asks for (count becomes its length), and
    // empties it. Empty when the port has no reader.
    QByteArray TakeReceived(qsizetype &count);
    QByteArray TakeReceived();

    void setErrorReporter(ErrorReporter reporter);

    bool isOpen() const { return m_device != nullptr; }
    // Reader and writer are running: the port is open and configured.
    bool configured() const { return m_configured; }
    int portNumber() const { return m_portNumber; }
    // The rate asked for by the last open (0 when closed); the line runs at lineRate().
    qint32 rate() const { return m_rate; }
    qint32 lineRate() const;
    // The line went away while open (lineLost() was emitted); cleared by the next open.
    bool lost() const { return m_lost; }
    QString location() const;

Q_SIGNALS:
    void notification(int message, qint64 wParam, qint64 lParam);
    // The device went away under the open port (an adapter pulled): the reader has ended,
    // nothing more is received and SendBytes refuses. Emitted once; the port stays open
    // until the owner closes it.
    void lineLost();

private:
    void startWorkers();
    void stopWorkers();
    std::shared_ptr<TSIOOwnerLink> makeOwnerLink();

    const TSIODeviceOpener m_opener;
    ErrorReporter m_reporter;
    std::unique_ptr<TSIODevice> m_device;
    std::shared_ptr<WakeEvent> m_transmit;
    std::shared_ptr<TSIOOwnerLink> m_link;
    const std::shared_ptr<std::mutex> m_handOff = std::make_shared<std::mutex>();
    std::unique_ptr<TSIORead> m_reader;
    std::unique_ptr<TSIOWrite> m_writer;
    // Bumped whenever the workers stop: what they posted before arrives stale and is dropped.
    quint64 m_session = 0;
    int m_portNumber = 0;
    qint32 m_rate = 0;
    bool m_configured = false;
    bool m_lost = false;
};
