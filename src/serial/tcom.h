#pragma once

#include "serial/serialdevice.h"

#include <QByteArray>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

// The synchronous main-port component. It lives on the line thread (see LineThread)
// and is only ever called there. The ordinals of its enumerations are the values the
// callers pass and the getters return; the odd mappings (unknown baud ordinal -> 9600,
// parity ordinals 1/2 even/odd) are deliberate and relied on by stored settings.
class TCom
{
public:
    static constexpr int NoChar = 0x8000;   // what comRxCharWait returns when nothing came

    // The line's time-outs: a one-byte read waits 5 ms per byte plus 100 ms; a write of n
    // bytes gives up after 1000 ms + 1000 ms per byte (only reachable while flow control
    // holds the output).
    static constexpr std::chrono::milliseconds ReadPerByte{5};
    static constexpr std::chrono::milliseconds ReadConstant{100};
    static constexpr std::chrono::milliseconds ReadTimeout = ReadPerByte + ReadConstant;
    static constexpr std::chrono::milliseconds WritePerByte{1000};
    static constexpr std::chrono::milliseconds WriteConstant{1000};

    // The rates the eBaud ordinals name, 0 to BaudOrdinals - 1; rateOfBaud gives 0 outside.
    static constexpr int BaudOrdinals = 15;
    static qint32 rateOfBaud(int eBaud);

    explicit TCom(SerialDriver &driver);
    ~TCom();

    void setCOMport(int port);
    int getCOMport() const;
    void setBaud(int eBaud);
    int getBaud() const;
    void setDataBits(int eDataBits);
    int getDataBits() const;
    void setStopBits(int eStopBits);
    int getStopBits() const;
    void setParity(int eParity);
    int getParity() const;
    void setFlowCtl(int eFlowCtl);
    int getFlowCtl() const;

    int comInit(long unused);
    int comOpen();
    void comClose();
    bool comStatus() const;

    int comTxChar(char c);
    int comSendString(const char *text);
    int comSendBuffer(const char *data, unsigned long size);

    char comRxChar();
    int comRxCharWait();
    bool comRxChar2(char *out);
    int getAvailableByteCount();
    // Waits, at most timeout, until received bytes are there; true when some are. Reads
    // nothing, so a wait on a silent line never holds back what the caller sends next.
    // A wake ends the wait at once.
    bool comWaitInput(std::chrono::milliseconds timeout, const InputWake *wake = nullptr);
    // Everything received and not yet read, without waiting.
    QByteArray comReadAvailable();
    int comGetErrorCode();

    void CtrlFlowLines(unsigned long code);
    int comChangeParity(int eParity);

    // The line settings the stored ordinals select (what the next comOpen applies).
    LineConfig lineConfig() const;
    // Why the last comInit failed: the driver's reason for -1, SettingsRefused for -2/-3
    // (the detail then names the settings the device would not take).
    OpenError lastOpenError() const { return m_openError; }
    QString lastOpenDetail() const { return m_openDetail; }
    // The line went away (unplugged, other end closed): the held device says so, or TCom
    // has closed it for that reason and nothing was opened or closed since.
    bool lineLost() const;
    // Called on the line thread, once per device, when a call finds its line gone. TCom has
    // closed the device by then (comStatus is false): a dead device is never kept, so its
    // lock is released and the same device can be opened again once it is back.
    void setLossHandler(std::function<void(const LineLoss &)> handler);

    // While *flag is true every read returns "nothing" at once and nothing is written
    // (sends report -5, a short write): a cancelled job runs to its end within one read
    // instead of waiting on the line.
    // The held device gets the same flag, so a read already waiting gives up too.
    void setCancelFlag(const std::atomic<bool> *flag);

private:
    bool cancelled() const { return m_cancel && m_cancel->load(std::memory_order_relaxed); }
    int send(const char *data, qint64 size);
    int readOne();   // the byte, or -1 when nothing came
    // After every call on the device: closes it if its line is gone and reports the loss.
    void closeIfLost();

    SerialDriver &m_driver;
    std::unique_ptr<SerialDevice> m_device;
    // the six ordinals as last given to the setters
    int m_flowOrdinal = 0, m_port = 0, m_baudOrdinal = 0, m_dataOrdinal = 0, m_stopOrdinal = 0, m_parityOrdinal = 0;
    // What the ordinals select. Before any setter this is 9600 8N1 without flow control:
    // the callers set all six before every open, so it only matters to a careless caller.
    LineConfig m_config;
    unsigned char m_lastByte = 0;
    OpenError m_openError = OpenError::None;
    QString m_openDetail;
    const std::atomic<bool> *m_cancel = nullptr;
    bool m_closedByLoss = false;
    std::function<void(const LineLoss &)> m_lossHandler;
};
