#pragma once

#include "boardsim/record.h"
#include "boardsim/responder.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace boardsim {

// One simulated serial line on a pseudo-terminal. The program under test opens the
// device (or the link to it) as its serial port; the line's own thread reads what the
// program sends, offers each byte to the responder and sends back its answers, paced
// at the baud rate because a pseudo-terminal ignores it. Every byte in either direction
// is recorded with its time.
//
// open(), stop(), dropDevice(), restoreDevice(), isOpen(), isDropped(), errorString(),
// devicePath() and linkPath() belong to the thread that owns the line; the others may be called from any thread except the line
// thread itself (a responder must not call back into its line).
class SimLine
{
public:
    SimLine();
    ~SimLine();   // stop()

    SimLine(const SimLine &) = delete;
    SimLine &operator=(const SimLine &) = delete;

    // Opens the pseudo-terminal in raw mode and starts the line thread. With a link path,
    // also points a symbolic link there at the device, replacing an earlier link but
    // never a file. False, with errorString(), when any of it fails; a line opens once.
    bool open(const QString &linkPath = QString());
    bool isOpen() const;
    QString errorString() const;
    QString devicePath() const;   // "/dev/pts/N"; empty while the device is dropped
    QString linkPath() const;

    // The device vanishes as a pulled USB adapter does: the pseudo-terminal closes (a
    // program holding it sees its reads and writes fail), the link goes, bytes still
    // queued are dropped. The responder, the baud rate and the record stay; nothing is
    // received until restoreDevice(). Nothing happens on a line that is not open.
    void dropDevice();
    // The device comes back at the same link, as the adapter plugged in again: a new
    // pseudo-terminal (devicePath() changes), raw from the start, the link pointed at it,
    // the line running again. False, with errorString(), when it fails or nothing was dropped.
    bool restoreDevice();
    bool isDropped() const { return m_dropped; }

    // Bits per second, 10 bit times per byte (8N1). Applies from the next byte; 0 sends
    // as fast as the pseudo-terminal takes bytes. 9600 until set.
    void setBaud(int baud);
    int baud() const;
    // The rate the program last set on the device (its termios, which a pseudo-terminal
    // keeps but does not pace by): 300 to 115200; -1 for another rate, 0 when not open.
    // Belongs to the owning thread, like devicePath().
    int deviceBaud() const;

    // Who answers from now on; null leaves the line silent. Once this returns, the
    // previous responder is offered no further byte.
    void setResponder(std::shared_ptr<Responder> responder);

    // Queues bytes to the program, paced behind the bytes already due; answers still
    // waiting out their latency go after them.
    void send(const QByteArray &bytes);

    QList<RecordedByte> recorded() const;
    QByteArray received() const;   // what the program sent since the start or clearRecord()
    void clearRecord();            // empties both; times still count from open()

    // Blocks until received() holds at least count bytes; false on timeout.
    bool waitForReceived(qsizetype count, std::chrono::milliseconds timeout) const;

    // Ends the line thread at once, dropping bytes still queued, closes the
    // pseudo-terminal (the program sees the line go) and removes the link. The record
    // stays readable. Safe to call more than once.
    void stop();

private:
    struct Outgoing
    {
        char byte;
        Clock::time_point earliest;   // the moment its start bit may begin, at the soonest
    };

    static bool startsBefore(Clock::time_point t, const Outgoing &out);
    void run();
    void readFromProgram();
    void writeDue(Clock::time_point now);
    std::optional<Clock::time_point> nextDueLocked() const;
    Clock::duration byteTimeLocked() const;
    void wakeLocked();
    void closeAll();
    bool fail(const QString &what, int error);
    // The pseudo-terminal in raw mode, the wake-up pipe and the link; closes all on failure.
    bool makeDevice(const QString &linkPath);
    void startThread();
    void endThread();

    // Set by open(), read-only while the thread runs; closed after it has ended.
    int m_master = -1;
    int m_slave = -1;   // held open so the line stays raw and the master never sees a hang-up
    int m_wakeRead = -1;
    int m_wakeWrite = -1;   // written and closed under m_mutex only
    QString m_devicePath;
    QString m_linkPath;
    QString m_error;
    Clock::time_point m_start;
    std::thread m_thread;
    std::atomic<bool> m_stopping{false};
    bool m_stopped = false;   // stop() ended the line for good
    bool m_dropped = false;
    QString m_droppedLink;    // where restoreDevice() puts the link again

    // Guards everything below; the line thread also holds it across each write to the
    // program, so a client that has read a byte finds it in the record.
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_receivedChanged;
    int m_baud = 9600;
    std::deque<Outgoing> m_outgoing;   // in order of earliest start
    Clock::time_point m_outFree;   // the line towards the program is idle from here on
    bool m_writeBlocked = false;   // the program stopped reading and the buffer is full
    QList<RecordedByte> m_record;
    QByteArray m_received;

    // Taken around every call into the responder, so a replaced responder is never used again.
    std::mutex m_responderMutex;
    std::shared_ptr<Responder> m_responder;

    // Line-thread only: where the modelled line from the program becomes idle.
    Clock::time_point m_inFree;
};

} // namespace boardsim
