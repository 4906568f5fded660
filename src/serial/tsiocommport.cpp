#include "serial/tsiocommport.h"

#include "serial/tsioread.h"
#include "serial/tsiowrite.h"

#include <QDeadlineTimer>
#include <QtDebug>

namespace {

std::mutex &postedCall()
{
    static std::mutex mutex;
    return mutex;
}

} // namespace

TSIOCommPort::TSIOCommPort(TSIODeviceOpener opener, QObject *parent)
    : QObject(parent), m_opener(std::move(opener))
{
}

TSIOCommPort::~TSIOCommPort()
{
    ClosePort();
}

bool TSIOCommPort::OpenPort(int port, qint32 rate)
{
    if (isOpen())
        ClosePort();
    m_portNumber = port;
    m_lost = false;
    m_device = m_opener ? m_opener(port) : nullptr;
    if (!m_device)
        return false;
    m_device->purge();
    ConfigurePort(rate);
    return true;
}

void TSIOCommPort::ClosePort()
{
    if (m_device) {
        stopWorkers();
        m_device.reset();
    }
    m_configured = false;
    m_portNumber = 0;
    m_rate = 0;
}

bool TSIOCommPort::ConfigurePort(qint32 rate)
{
    stopWorkers();
    m_configured = false;
    if (!m_device)
        return false;
    // Every rate of the updater's lists, and any other, is kept as asked.
    m_rate = rate;
    const TSIOLineSetup setup{rate == 0 ? DefaultRate : rate};
    if (!m_device->configure(setup))
        return false;
    startWorkers();
    m_configured = m_reader != nullptr;
    return m_configured;
}

void TSIOCommPort::startWorkers()
{
    auto transmit = std::make_shared<WakeEvent>();
    if (!transmit->isValid())
        return;
    m_transmit = std::move(transmit);
    m_link = makeOwnerLink();
    // From here until stopWorkers() the device is the workers'.
    m_device->handOver();
    m_reader = std::make_unique<TSIORead>(m_device->descriptor(), m_link, m_transmit);
    m_writer = std::make_unique<TSIOWrite>(m_device->descriptor(), m_link, m_transmit);
}

void TSIOCommPort::stopWorkers()
{
    if (!m_reader && !m_writer)
        return;
    ++m_session;
    m_link->cutOff();
    m_reader->StopThread();
    m_writer->StopThread();
    const bool readerEnded = m_reader->wait(QDeadlineTimer(CloseBound));
    const bool writerEnded = m_writer->wait(QDeadlineTimer(CloseBound));
    if (readerEnded && writerEnded) {
        // Taken after the joins: an order a thread checker sees, which QThread::wait() is not.
        { std::lock_guard handedOver(*m_handOff); }
        m_reader.reset();
        m_writer.reset();
        m_device->takeBack();
    } else {
        qCritical("threaded port COM%d: a worker did not stop within %lld ms; leaving it and its device",
                  m_portNumber, static_cast<long long>(CloseBound.count()));
        // Destroying a running QThread aborts; closing the descriptor under it could hand
        // the number to another file. Both are left as they are.
        (void)m_reader.release();
        (void)m_writer.release();
        (void)m_device.release();
    }
    m_link.reset();
    m_transmit.reset();
}

std::shared_ptr<TSIOOwnerLink> TSIOCommPort::makeOwnerLink()
{
    const quint64 session = m_session;
    // Runs fn on this port's thread if the workers that asked are still this port's.
    // Called by a worker while it holds the link's lock, which the call takes again when
    // it arrives.
    auto onOwner = [this, session, handOff = m_handOff](std::function<void()> fn) {
        // The call's own captures were written on the worker's thread, and Qt's queue hands
        // them over under a lock a thread checker does not see: postedCall is held around the
        // post and taken first on arrival, before any capture is read.
        std::lock_guard posting(postedCall());
        QMetaObject::invokeMethod(
            this,
            [this, session, handOff, fn = std::move(fn)] {
                { std::lock_guard arrived(postedCall()); }
                { std::lock_guard received(*handOff); }
                if (session == m_session)
                    fn();
            },
            Qt::QueuedConnection);
    };
    auto notify = [this, onOwner](int message, qint64 wParam, qint64 lParam) {
        onOwner([this, message, wParam, lParam] { Q_EMIT notification(message, wParam, lParam); });
    };
    auto showBox = [this, onOwner, session](const QString &text, std::function<void()> closed) {
        onOwner([this, session, text, closed = std::move(closed)] {
            if (m_reporter)
                m_reporter(text);
            else
                qWarning("threaded port COM%d: %s", m_portNumber, qPrintable(text));
            // The box ran an event loop of its own; the port may have closed meanwhile,
            // and then the writer no longer waits.
            if (session == m_session)
                closed();
        });
    };
    auto lost = [this, onOwner] {
        onOwner([this] {
            if (m_lost)
                return;
            m_lost = true;
            Q_EMIT lineLost();
        });
    };
    return std::make_shared<TSIOOwnerLink>(m_handOff, std::move(notify), std::move(showBox), std::move(lost));
}

bool TSIOCommPort::SendBytes(const QByteArray &bytes)
{
    return SendBytes(bytes.constData(), bytes.size());
}

bool TSIOCommPort::SendBytes(const char *bytes, qsizetype length)
{
    if (!m_writer || m_lost || length > BlockLimit)
        return false;
    return m_writer->StageBytes(bytes, length);
}

qsizetype TSIOCommPort::ReceivedLength() const
{
    return m_reader ? m_reader->ReceivedLength() : 0;
}

QByteArray TSIOCommPort::TakeReceived(qsizetype &count)
{
    if (!m_reader) {
        count = 0;
        return {};
    }
    return m_reader->TakeReceived(count);
}

QByteArray TSIOCommPort::TakeReceived()
{
    qsizetype count = 0;
    return TakeReceived(count);
}

void TSIOCommPort::setErrorReporter(ErrorReporter reporter)
{
    m_reporter = std::move(reporter);
}

qint32 TSIOCommPort::lineRate() const
{
    // While the workers own the device, the rate is the one it was configured with.
    if (!m_device)
        return 0;
    if (m_configured)
        return m_rate == 0 ? DefaultRate : m_rate;
    return m_device->baudRate();
}

QString TSIOCommPort::location() const
{
    return m_device ? m_device->location() : QString();
}
