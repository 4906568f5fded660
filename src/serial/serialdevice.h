#pragma once

#include <QDateTime>
#include <QString>

#include <atomic>
#include <chrono>
#include <memory>

// The device layer under TCom: one open serial device, and a driver that opens devices
// by their COM number. The real driver sits on Qt Serial Port; tests use FakeSerialDriver.
// Every call is made on the line thread only.

enum class Parity { None, Even, Odd, Space, Mark };
enum class FlowMode { XonXoff, DtrDsr, CtsRts, None };

struct LineConfig
{
    qint32 baudRate = 9600;
    int dataBits = 8;          // 7 or 8
    Parity parity = Parity::None;
    int stopBits = 1;          // 1 or 2
    FlowMode flow = FlowMode::None;

    bool operator==(const LineConfig &) const = default;
};

// Why an open failed, in terms the operator can act on.
// SettingsRefused: the device opened but would not take the line settings (TCom's -2/-3).
enum class OpenError { None, NoSuchDevice, Busy, PermissionDenied, SettingsRefused, Other };

// A held device whose line went away (an adapter pulled, the other end closed): TCom has
// closed it by the time this is reported.
struct LineLoss
{
    int comNumber = 0;
    QString device;   // where it was opened ("/dev/ttyUSB0"); empty when the driver has no path
    QDateTime at;
};

// Ends a device's wait for input from another thread at once: what the waiting side
// would send next is ready. Where the system has no descriptor for it (fd() is -1), a
// waiting device looks at woken() in short slices instead.
class InputWake
{
public:
    InputWake();
    ~InputWake();
    InputWake(const InputWake &) = delete;
    InputWake &operator=(const InputWake &) = delete;

    void wake();      // any thread
    // The waiting side, after its wait: true once per wake (or several wakes) since the last call.
    bool consume();
    bool woken() const { return m_woken.load(); }
    int fd() const { return m_fd; }

private:
    int m_fd = -1;
    std::atomic<bool> m_woken{false};
};

class SerialDevice
{
public:
    virtual ~SerialDevice() = default;

    // Applies the line settings; false when the device refuses them.
    virtual bool configure(const LineConfig &config) = 0;
    virtual LineConfig config() const = 0;

    // Writes all bytes or gives up after the timeout; returns the count written.
    virtual qint64 write(const char *data, qint64 size, std::chrono::milliseconds timeout) = 0;
    // One byte, or -1 when none arrived within the timeout (or the line is gone).
    virtual int readByte(std::chrono::milliseconds timeout) = 0;
    // Bytes already received and not yet read.
    virtual int bytesAvailable() = 0;
    // Waits until bytes are there to read, at most timeout; true when some are. Does not
    // read them. A lost line or an abort ends the wait at once.
    // A wake, if given, ends the wait early (returning false unless bytes are there).
    virtual bool waitForInput(std::chrono::milliseconds timeout, const InputWake *wake) = 0;
    // Takes up to size bytes that are already there, without waiting; the count taken.
    virtual qint64 readAvailable(char *data, qint64 size) = 0;

    // Control lines. False when the device cannot drive them (a pseudo-terminal cannot).
    virtual bool setDtr(bool on) = 0;
    virtual bool setRts(bool on) = 0;

    // True once the line is gone (device unplugged, other end closed): reads and writes
    // then fail at once instead of waiting. The device stays held until it is closed.
    virtual bool lost() const = 0;
    // Where the device was opened, as the port map gave it (a link stays a link); empty
    // when the driver has no such name.
    virtual QString location() const = 0;

    // While *flag is true, reads and writes give up, a waiting one within AbortSlice: a
    // cancelled job must not hold the line for a whole time-out (a write held by flow
    // control may otherwise wait for seconds).
    void setAbortFlag(const std::atomic<bool> *flag) { m_abort = flag; }

protected:
    static constexpr std::chrono::milliseconds AbortSlice{20};
    bool aborted() const { return m_abort && m_abort->load(std::memory_order_relaxed); }

private:
    const std::atomic<bool> *m_abort = nullptr;
};

class SerialDriver
{
public:
    virtual ~SerialDriver() = default;
    // Opens "COM<number>" exclusively. On failure returns null and sets error and,
    // where the system gave one, a detail text.
    virtual std::unique_ptr<SerialDevice> open(int comNumber, OpenError &error, QString &detail) = 0;
};
