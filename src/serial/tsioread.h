#pragma once

#include "serial/tsiocommcontrol.h"

#include <chrono>

// The reader of the threaded port. Its thread collects whatever arrives into the receive
// text and tells the owner (3025 with the count and the total); after every transmission
// it watches for the reply for ReplyWatch and, when none starts, clears the text (3024).
// It never waits on the device with a time-out except that watch, and it ends by itself,
// once, when the line goes away.
//
// ReceivedLength, TakeReceived, ClearReceived and StopThread are called from the owner's
// thread; the lock orders them with the worker.
class TSIORead : public TSIOCommControl
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds ReplyWatch{1000};

    // Starts the thread at once (time-critical priority).
    TSIORead(int descriptor, std::shared_ptr<TSIOOwnerLink> owner, std::shared_ptr<WakeEvent> transmit);
    ~TSIORead() override;

    qsizetype ReceivedLength() const;
    // All of the receive text, whatever count asks for (count becomes its length); the
    // text is empty afterwards.
    QByteArray TakeReceived(qsizetype &count);
    void ClearReceived();
    void StopThread() override;

protected:
    void run() override;

private:
    enum class Step { Go, Lost };

    Step waitForReply();
    // Reads every byte that waits, in one read, and reports it.
    Step readWaiting();
    void appendError(int error);

    const std::shared_ptr<WakeEvent> m_transmit;
    mutable std::mutex m_lock;   // guards m_text and m_total
    QByteArray m_text;
    quint32 m_total = 0;
};
