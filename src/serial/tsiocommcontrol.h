#pragma once

#include <QByteArray>
#include <QString>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

// The workers of the threaded port (TSIOCommPort): the common base TSIOCommControl, and
// what it is built from. The workers run blocking calls (poll, read, write) on the
// device's descriptor and reach the port's owner only through TSIOOwnerLink.

// An auto-reset event a worker can poll beside the device: set() makes fd() readable,
// reset() (by the waiter, once woken) clears it, and a second set() before the reset
// wakes once, as an auto-reset event does.
class WakeEvent
{
public:
    WakeEvent();
    ~WakeEvent();
    WakeEvent(const WakeEvent &) = delete;
    WakeEvent &operator=(const WakeEvent &) = delete;

    bool isValid() const { return m_read >= 0; }
    int fd() const { return m_read; }
    void set();
    void reset();

private:
    int m_read = -1;
    int m_write = -1;
};

// How a worker reaches the owner of its port: each call becomes a queued call onto the
// owner's thread. The port cuts the link off before it lets go of its workers, so a worker
// left running past the close bound finds nobody rather than a port that is gone.
class TSIOOwnerLink
{
public:
    using Notify = std::function<void(int message, qint64 wParam, qint64 lParam)>;
    // Shows text on the owner's thread and calls closed there once the box has gone.
    using ShowBox = std::function<void(const QString &text, std::function<void()> closed)>;
    using Lost = std::function<void()>;

    // handOff is taken around every post here, and by the owner's side when the call
    // arrives, before it reads what the worker handed over: Qt's own queue lock is invisible
    // to a thread checker, this one is not.
    TSIOOwnerLink(std::shared_ptr<std::mutex> handOff, Notify notify, ShowBox showBox, Lost lost);

    void notify(int message, qint64 wParam, qint64 lParam);
    // False when the link is cut: nobody will close the box.
    bool showBox(const QString &text, std::function<void()> closed);
    void lineLost();
    void cutOff();

private:
    const std::shared_ptr<std::mutex> m_handOff;
    Notify m_notify;
    ShowBox m_showBox;
    Lost m_lost;
};

class TSIOCommControl : public QThread
{
    Q_OBJECT
public:
    static constexpr qsizetype BufferSize = 2048;

    ~TSIOCommControl() override;

    // Marks the thread terminated and wakes it; it ends at its next step.
    virtual void StopThread();
    bool terminated() const { return m_terminated.load(std::memory_order_acquire); }

protected:
    TSIOCommControl(int descriptor, std::shared_ptr<TSIOOwnerLink> owner);

    // Shows text in a box on the owner's thread and waits until it has been closed, or
    // until the thread is stopped (a port closed while its box is up must not hang).
    void ReportError(const QString &text);

    const int m_device;
    const std::shared_ptr<TSIOOwnerLink> m_owner;
    WakeEvent m_wake;     // the stop, and for the writer each staged block
    WakeEvent m_signal;   // the writer's "a block is staged"
    QByteArray m_buffer{BufferSize, '\0'};
    QString m_messageText;   // the box being shown; worker thread only

private:
    struct BoxWait
    {
        std::mutex mutex;
        std::condition_variable changed;
        bool closed = false;
        bool stopped = false;
    };

    std::atomic<bool> m_terminated{false};
    const std::shared_ptr<BoxWait> m_box = std::make_shared<BoxWait>();
};
