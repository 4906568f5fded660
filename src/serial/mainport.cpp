#include "serial/mainport.h"

#include "serial/tcom.h"

MainPort::MainPort(std::unique_ptr<SerialDriver> driver, QObject *parent)
    : QObject(parent), m_line(std::move(driver))
{
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
            Q_EMIT connectionChanged(QStringLiteral("Port Closed"), why);
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
        m_portIsOpen = result.opened;
        Q_EMIT connectionChanged(portOpenText(request, result),
                                 result.opened ? QString()
                                               : openFailureHint(request.portText, result.error, result.errorDetail));
    });
    return result.opened;
}

void MainPort::close()
{
    m_portIsOpen = false;
    m_line.post([](LineContext &ctx) { ctx.com.comClose(); });
    Q_EMIT connectionChanged(QStringLiteral("Port Closed"), QString());
}

void MainPort::stopAndClose()
{
    m_line.cancelAll();
    close();
}
