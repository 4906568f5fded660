// The three status-bar menus (port, rate, format), the port enumeration that fills the
// port menu, and ApplyLineSettings.

#include "app/mainwindow.h"

#include "app/configurationmenu.h"
#include "settings/settingsfile.h"
#include "settings/settingskeys.h"
#include "app/statusbar.h"
#include "serial/mainport.h"
#include "serial/portenumerator.h"

#include <QMenu>

LineOpenRequest TForm1::lineOpenRequest() const
{
    LineOpenRequest request;
    request.portText = m_status->SB1->text();
    request.baudText = m_status->SB2->text();
    request.specText = m_status->SB3->text();
    request.settings = m_mainPort->lineSettings();
    request.flowEnabled = m_configuration->flowEnabled();
    request.flow = m_configuration->flowChoice();
    request.powerEnabled = m_configuration->powerEnabled();
    request.dtr = m_configuration->dtrEnabled();
    request.rts = m_configuration->rtsEnabled();
    return request;
}

void TForm1::setPortField(const QString &text)
{
    m_status->SB1->setText(text);
}

void TForm1::setBaudField(const QString &text)
{
    m_status->SB2->setText(text);
}

void TForm1::applyLineSettings(bool open, std::function<void(bool)> done)
{
    if (!open) {
        m_mainPort->close();
        if (done)
            done(false);
        return;
    }
    m_mainPort->open(lineOpenRequest(), std::move(done));
}

void TForm1::showMenuUnder(QMenu *menu, QWidget *field)
{
    // At the bottom of the window, under the clicked field.
    const QPoint corner = mapToGlobal(QPoint(m_status->x() + field->x(), height()));
    menu->popup(corner);
}

void TForm1::SB1Click()
{
    showMenuUnder(m_portMenu, m_status->SB1);
}

void TForm1::SB2Click()
{
    showMenuUnder(m_baudMenu, m_status->SB2);
}

void TForm1::SB3Click()
{
    showMenuUnder(m_specMenu, m_status->SB3);
}

void TForm1::setPortMenuItems(const QList<PortMenuItem> &items)
{
    m_portMenu->clear();
    for (const PortMenuItem &item : items) {
        QAction *action = m_portMenu->addAction(item.caption, this, [this, caption = item.caption] { PortSel(caption); });
        action->setEnabled(item.enabled);
    }
}

void TForm1::EnumeratePorts(int count, std::function<void()> done)
{
    // A line job: off this thread, and in order with the main port's own opens and
    // closes, so a probe never meets the main port half-way through an open (a port the
    // main port holds is simply not available). The result comes back with done, which
    // runs even when a workspace change cancelled the job: a job dropped before it ran is
    // posted again, one that ran is shown.
    auto result = std::make_shared<PortProbeResult>();
    m_mainPort->line().post(
        portProbeJob(m_threadedDevices, count, result),
        [this, count, result, done = std::move(done)]() mutable {
            if (!result->ran) {
                EnumeratePorts(count, std::move(done));
                return;
            }
            showEnumeration(result->probed);
            if (done)
                done();
        });
}

void TForm1::showEnumeration(const QStringList &probed)
{
    const PortMenuModel menu = buildPortMenu(probed);
    setPortMenuItems(menu.items);
    for (Workspace *workspace : std::as_const(m_workspaces))
        workspace->portsEnumerated(menu.ports);
    Q_EMIT portsEnumerated(menu.ports);
}

void TForm1::showPortChoice(const QString &text)
{
    m_status->SB1->setText(text);
    for (Workspace *workspace : std::as_const(m_workspaces))
        workspace->portFieldChanged(text);
}

void TForm1::PortSel(const QString &caption)
{
    m_status->SB1->setText(caption);
    if (caption == QLatin1String("Rescan")) {
        m_mainPort->close();
        m_status->SB1->setText(QStringLiteral("Scanning"));
        m_status->SB1->repaint();
        discoverPorts();
        EnumeratePorts(127, [this] {
            showPortChoice(read(SettingsFile(m_settingsPath), key::PORT));
        });
        return;
    }
    if (const auto number = portNumberFromText(caption))
        m_mainPort->lineSettings().port = *number;
    showPortChoice(caption);
    applyLineSettings(false);
    saveSettings([&](SettingsFile &file) { write(file, key::PORT, caption); });
}

void TForm1::BaudSel(const QString &caption)
{
    m_status->SB2->setText(caption);
    if (const auto code = baudCodeForText(caption))
        m_mainPort->lineSettings().baudCode = *code;
    if (!saveSettings([&](SettingsFile &file) { write(file, key::BAUD, caption); }))
        return;
    applyLineSettings(false);
}

void TForm1::ComSpecClick(const QString &caption)
{
    m_status->SB3->setText(caption);
    ParseComSpec(caption, m_mainPort->lineSettings());
    saveSettings([&](SettingsFile &file) { write(file, key::COMSPEC, caption); });
    applyLineSettings(false);
}
