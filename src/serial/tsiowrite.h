#pragma once

#include "serial/tsiocommcontrol.h"

// The writer of the threaded port. StageBytes (owner's thread) replaces the staged block
// and wakes the thread; the thread copies the block out, sets the transmit event (which
// starts the reader's reply watch) and writes it, telling the owner before (3027) and
// after (3028). A write that fails shows "writefile error : " and the code, and the
// writer waits until that box has been closed.
class TSIOWrite : public TSIOCommControl
{
    Q_OBJECT
public:
    // Starts the thread at once (two steps above normal priority).
    TSIOWrite(int descriptor, std::shared_ptr<TSIOOwnerLink> owner, std::shared_ptr<WakeEvent> transmit);
    ~TSIOWrite() override;

    // At most BufferSize bytes; false, staging nothing, for more.
    bool StageBytes(const char *bytes, qsizetype length);
    void StopThread() override;

protected:
    void run() override;

private:
    // The staged block, taken out under the lock: a block goes out once.
    QByteArray takeStaged();
    void transmit(const QByteArray &block);
    // False when the write failed or the thread was stopped meanwhile.
    bool writeAll(const char *data, qsizetype size);

    const std::shared_ptr<WakeEvent> m_transmit;
    std::mutex m_lock;   // guards m_buffer (the staging buffer) and m_length
    qsizetype m_length = 0;
    QByteArray m_transmitBuffer{BufferSize, '\0'};   // worker thread only
};
