#include "serial/tcom.h"

#include <array>
#include <cstring>

namespace {

constexpr std::array<qint32, TCom::BaudOrdinals> BaudRates = {
    300, 1200, 2400, 4800, 9600, 14400, 19200, 28800, 38400, 57600, 115200, 230400, 460800, 921600, 1843200};
constexpr int DefaultBaudOrdinal = 4;   // 9600

// EscapeCommFunction's codes, which CtrlFlowLines passes through unchanged.
constexpr unsigned long SetRts = 3;
constexpr unsigned long ClearRts = 4;
constexpr unsigned long SetDtr = 5;
constexpr unsigned long ClearDtr = 6;

QString parityName(Parity p)
{
    switch (p) {
    case Parity::None: return QStringLiteral("no parity");
    case Parity::Even: return QStringLiteral("even parity");
    case Parity::Odd: return QStringLiteral("odd parity");
    case Parity::Space: return QStringLiteral("space parity");
    case Parity::Mark: return QStringLiteral("mark parity");
    }
    return QString();
}

QString describe(const LineConfig &c)
{
    return QStringLiteral("%1 baud, %2 data bits, %3, %4 stop bit%5")
        .arg(c.baudRate)
        .arg(c.dataBits)
        .arg(parityName(c.parity))
        .arg(c.stopBits)
        .arg(c.stopBits == 1 ? QString() : QStringLiteral("s"));
}

} // namespace

TCom::TCom(SerialDriver &driver)
    : m_driver(driver)
{
}

TCom::~TCom() = default;

void TCom::setCOMport(int port)
{
    m_port = port;
}

int TCom::getCOMport() const
{
    return m_port;
}

qint32 TCom::rateOfBaud(int eBaud)
{
    return eBaud >= 0 && eBaud < BaudOrdinals ? BaudRates[size_t(eBaud)] : 0;
}

void TCom::setBaud(int eBaud)
{
    if (eBaud < 0 || eBaud >= BaudOrdinals)
        eBaud = DefaultBaudOrdinal;
    m_baudOrdinal = eBaud;
    m_config.baudRate = BaudRates[size_t(eBaud)];
}

int TCom::getBaud() const
{
    return m_baudOrdinal;
}

void TCom::setDataBits(int eDataBits)
{
    // An ordinal other than 0 or 1 is kept for the getter but leaves the byte size alone.
    m_dataOrdinal = eDataBits;
    if (eDataBits == 0)
        m_config.dataBits = 7;
    else if (eDataBits == 1)
        m_config.dataBits = 8;
}

int TCom::getDataBits() const
{
    return m_dataOrdinal;
}

void TCom::setStopBits(int eStopBits)
{
    m_stopOrdinal = eStopBits;
    m_config.stopBits = eStopBits == 1 ? 2 : 1;
}

int TCom::getStopBits() const
{
    return m_stopOrdinal;
}

void TCom::setParity(int eParity)
{
    // Unlike the other ordinals, an unknown parity is stored as 0, not as given.
    switch (eParity) {
    case 1: m_config.parity = Parity::Even; break;
    case 2: m_config.parity = Parity::Odd; break;
    case 3: m_config.parity = Parity::Space; break;
    case 4: m_config.parity = Parity::Mark; break;
    default:
        eParity = 0;
        m_config.parity = Parity::None;
        break;
    }
    m_parityOrdinal = eParity;
}

int TCom::getParity() const
{
    return m_parityOrdinal;
}

void TCom::setFlowCtl(int eFlowCtl)
{
    m_flowOrdinal = eFlowCtl;
    switch (eFlowCtl) {
    case 0: m_config.flow = FlowMode::XonXoff; break;
    case 1: m_config.flow = FlowMode::DtrDsr; break;
    case 2: m_config.flow = FlowMode::CtsRts; break;
    default: m_config.flow = FlowMode::None; break;
    }
}

int TCom::getFlowCtl() const
{
    return m_flowOrdinal;
}

LineConfig TCom::lineConfig() const
{
    return m_config;
}

void TCom::setCancelFlag(const std::atomic<bool> *flag)
{
    m_cancel = flag;
    if (m_device)
        m_device->setAbortFlag(flag);
}

int TCom::comInit(long)
{
    // Reopening applies new settings: the old device goes first, as the exclusive open
    // of the same device would otherwise fail against ourselves.
    m_device.reset();
    m_closedByLoss = false;
    m_openError = OpenError::None;
    m_openDetail.clear();

    OpenError error = OpenError::None;
    QString detail;
    m_device = m_driver.open(m_port, error, detail);
    if (!m_device) {
        m_openError = error == OpenError::None ? OpenError::Other : error;
        m_openDetail = detail;
        return -1;
    }
    m_device->setAbortFlag(m_cancel);

    // DTR/DSR handshaking wants DTR up before the new state reaches the port, so the far
    // end sees the console ready as soon as the line is configured.
    if (m_config.flow == FlowMode::DtrDsr)
        m_device->setDtr(true);

    // The device layer cannot read the line state apart from applying it, so the only
    // refusal left is that of the new state (-3). The device stays held: the caller decides.
    if (!m_device->configure(m_config)) {
        m_openError = OpenError::SettingsRefused;
        m_openDetail = describe(m_config);
        return -3;
    }

    // Handshake modes own their line; the others start low, whatever the port had. A
    // pseudo-terminal has no control lines, so a refusal here is not a failure.
    if (m_config.flow != FlowMode::DtrDsr)
        m_device->setDtr(false);
    m_device->setRts(m_config.flow == FlowMode::CtsRts);
    return 0;
}

int TCom::comOpen()
{
    return comInit(2);
}

void TCom::comClose()
{
    m_device.reset();
    m_closedByLoss = false;
}

bool TCom::comStatus() const
{
    return m_device != nullptr;
}

bool TCom::lineLost() const
{
    return m_closedByLoss || (m_device && m_device->lost());
}

void TCom::setLossHandler(std::function<void(const LineLoss &)> handler)
{
    m_lossHandler = std::move(handler);
}

void TCom::closeIfLost()
{
    if (!m_device || !m_device->lost())
        return;
    LineLoss loss;
    loss.comNumber = m_port;
    loss.device = m_device->location();
    loss.at = QDateTime::currentDateTime();
    m_device.reset();
    m_closedByLoss = true;
    if (m_lossHandler)
        m_lossHandler(loss);
}

int TCom::send(const char *data, qint64 size)
{
    if (!m_device)
        return 0;
    if (size == 0)
        return 1;
    if (cancelled())
        return -5;
    const auto timeout = WriteConstant + WritePerByte * size;
    const qint64 written = m_device->write(data, size, timeout);
    closeIfLost();
    return written == size ? 1 : -5;
}

int TCom::comTxChar(char c)
{
    return send(&c, 1);
}

int TCom::comSendString(const char *text)
{
    return send(text, text ? qint64(std::strlen(text)) : 0);
}

int TCom::comSendBuffer(const char *data, unsigned long size)
{
    return send(data, qint64(size));
}

int TCom::readOne()
{
    if (!m_device || cancelled())
        return -1;
    const int byte = m_device->readByte(ReadTimeout);
    closeIfLost();
    if (byte >= 0)
        m_lastByte = static_cast<unsigned char>(byte);
    return byte;
}

char TCom::comRxChar()
{
    const int byte = readOne();
    return byte < 0 ? 0 : static_cast<char>(byte);
}

int TCom::comRxCharWait()
{
    const int byte = readOne();
    if (byte < 0)
        return NoChar;
    // Callers rely on bytes 0x80..0xFF coming back negative.
    return static_cast<signed char>(static_cast<unsigned char>(byte));
}

bool TCom::comRxChar2(char *out)
{
    if (!m_device || cancelled())
        return false;
    const bool waiting = m_device->bytesAvailable() > 0;
    closeIfLost();
    if (!waiting || !m_device)
        return false;
    const int byte = m_device->readByte(std::chrono::milliseconds::zero());
    closeIfLost();
    if (byte < 0)
        return false;
    m_lastByte = static_cast<unsigned char>(byte);
    if (out)
        *out = static_cast<char>(byte);
    return true;
}

int TCom::getAvailableByteCount()
{
    if (!m_device || cancelled())
        return 0;
    const int count = m_device->bytesAvailable();
    closeIfLost();
    return count;
}

bool TCom::comWaitInput(std::chrono::milliseconds timeout, const InputWake *wake)
{
    if (!m_device || cancelled())
        return false;
    const bool waiting = m_device->waitForInput(timeout, wake);
    closeIfLost();
    return waiting && m_device;
}

QByteArray TCom::comReadAvailable()
{
    QByteArray data;
    if (!m_device || cancelled())
        return data;
    const int count = m_device->bytesAvailable();
    closeIfLost();
    if (count <= 0 || !m_device)
        return data;
    data.resize(count);
    const qint64 taken = m_device->readAvailable(data.data(), count);
    closeIfLost();
    data.resize(qsizetype(taken));
    if (taken > 0)
        m_lastByte = static_cast<unsigned char>(data.back());
    return data;
}

int TCom::comGetErrorCode()
{
    // Qt Serial Port keeps no sticky error flags to clear; what is left to report is
    // whether the port can still be queried at all.
    closeIfLost();
    return m_device ? 1 : 0;
}

void TCom::CtrlFlowLines(unsigned long code)
{
    if (!m_device)
        return;
    switch (code) {
    case SetRts: m_device->setRts(true); break;
    case ClearRts: m_device->setRts(false); break;
    case SetDtr: m_device->setDtr(true); break;
    case ClearDtr: m_device->setDtr(false); break;
    default: break;
    }
    closeIfLost();
}

int TCom::comChangeParity(int eParity)
{
    setParity(eParity);
    if (!m_device)
        return 1;
    // Only the parity changes; everything else stays as the port has it now.
    LineConfig current = m_device->config();
    current.parity = m_config.parity;
    if (!m_device->configure(current)) {
        m_openError = OpenError::SettingsRefused;
        m_openDetail = describe(current);
        return -3;
    }
    return 1;
}
