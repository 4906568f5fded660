#include "mainport.h"

#include "tcom.h"

MainPort::MainPort(std::unique_ptr<SerialDriver> driver, QObject *parent)
    : QObject(parent), m_line(std::move(driver))
{
}

void MainPort::open(const LineOpenRequest &request, std::function<void(bool)> done)
{
    m_portIsOpen = false;
    m_line.post(
        [this, request](LineContext &ctx) {
            const LineOpenResult result = openMainPort(ctx.com, request);
            // Reported, not applied in done: a cancelled open (the operator left the
            // workspace) must not mark the port open; the close queued behind it
            // releases the device.
            ctx.report([this, request, result] {
                m_settings.port = result.settings.port;
                m_settings.baudCode = result.settings.baudCode;
                m_settings.flowCode = result.settings.flowCode;
                m_portIsOpen = result.opened;
                if (result.opened)
                    Q_EMIT connectionChanged(portOpenText(request, result), QString());
                else
                    Q_EMIT connectionChanged(QStringLiteral("Port Closed"),
                                             openFailureHint(request.portText, result.error, result.errorDetail));
            });
        },
        [this, done = std::move(done)] {
            if (done)
                done(m_portIsOpen);
        });
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
