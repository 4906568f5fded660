#include "serial/mainport.h"

#include "serial/tcom.h"

MainPort::MainPort(std::unique_ptr<SerialDriver> driver, QObject *parent)
    : QObject(parent), m_line(std::move(driver))
{
    connect(&m_line, &LineThread::lineLost, this, &MainPort::lineLost);
}

void MainPort::setPortIsOpen(bool open)
{
    m_portIsOpen = open;
    if (open) {
        m_loss.reset();
        m_lossNotes.clear();
    }
}

// The port is closed already; every workspace shows a closed port as "Port Closed" until
// its own rule (a reopen that fails, a stop phase) writes its text.
void MainPort::lineLost(const LineLoss &loss)
{
    m_portIsOpen = false;
    m_loss = loss;
    m_lossNotes.clear();
    Q_EMIT connectionChanged(QStringLiteral("Port Closed"), lossToolTip());
}

QString MainPort::lossToolTip() const
{
    if (!m_loss)
        return QString();
    const QString port = QStringLiteral("COM%1").arg(m_loss->comNumber);
    const QString device = m_loss->device.isEmpty() ? port : QStringLiteral("%1 (%2)").arg(m_loss->device, port);
    QStringList lines;
    lines << tr("The serial device %1 went away at %2. Plug it back in; the console opens it again the next time it uses the port.")
                 .arg(device, m_loss->at.time().toString(QStringLiteral("HH:mm:ss")));
    lines << m_lossNotes;
    return lines.join(QLatin1Char('\n'));
}

void MainPort::addLossNote(const QString &note)
{
    if (m_loss && !m_lossNotes.contains(note))
        m_lossNotes << note;
}

QString MainPort::toolTipWith(const QString &openFailure) const
{
    const QString loss = lossToolTip();
    if (loss.isEmpty() || openFailure.isEmpty())
        return loss.isEmpty() ? openFailure : loss;
    return loss + QLatin1Char('\n') + openFailure;
}

void MainPort::open(const LineOpenRequest &request, std::function<void(bool)> done)
{
    m_portIsOpen = false;
    m_line.post([this, request](LineContext &ctx) { openFromJob(ctx, request); },
                [this, done = std::move(done)] {
                    if (done)
                        done(m_portIsOpen);
                });
}

bool MainPort::openFromJob(LineContext &ctx, const LineOpenRequest &request)
{
    if (!baudCodeForText(request.baudText)) {
        ctx.com.comClose();
        const QString why = rateRefusalHint(request.baudText);
        ctx.report([this, why] {
            m_portIsOpen = false;
            Q_EMIT connectionChanged(QStringLiteral("Port Closed"), toolTipWith(why));
        });
        return false;
    }
    const LineOpenResult result = openMainPort(ctx.com, request);
    // Reported, not applied at once: a cancelled job's reports are dropped, so an open
    // the operator walked away from never marks the port open; the close queued behind
    // it releases the device.
    ctx.report([this, request, result] {
        m_settings.port = result.settings.port;
        m_settings.baudCode = result.settings.baudCode;
        m_settings.flowCode = result.settings.flowCode;
        setPortIsOpen(result.opened);
        Q_EMIT connectionChanged(portOpenText(request, result),
                                 result.opened ? QString()
                                               : toolTipWith(openFailureHint(request.portText, result.error,
                                                                             result.errorDetail)));
    });
    return result.opened;
}

void MainPort::close()
{
    m_portIsOpen = false;
    m_line.post([](LineContext &ctx) { ctx.com.comClose(); });
    // A loss stays in the tool tip: the operator still needs to know why the line is down.
    Q_EMIT connectionChanged(QStringLiteral("Port Closed"), lossToolTip());
}

void MainPort::stopAndClose()
{
    m_line.cancelAll();
    close();
}
