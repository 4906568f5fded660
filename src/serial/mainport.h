#pragma once

#include "serial/linesettings.h"
#include "serial/linethread.h"

#include <QObject>

#include <functional>
#include <memory>

// The main port as the user-interface thread sees it: the line thread that owns TCom,
// the operator's line settings and PortIsOpen. Opening and closing are jobs on the line
// thread; the connection text follows as a signal.
class MainPort : public QObject
{
    Q_OBJECT
public:
    explicit MainPort(std::unique_ptr<SerialDriver> driver, QObject *parent = nullptr);

    LineThread &line() { return m_line; }
    LineSettings &lineSettings() { return m_settings; }
    const LineSettings &lineSettings() const { return m_settings; }

    bool portIsOpen() const { return m_portIsOpen; }
    // Workspaces that open the port themselves inside a job say so here.
    void setPortIsOpen(bool open) { m_portIsOpen = open; }

    // Opens (or reopens) the port with request on the line thread. done(PortIsOpen) runs
    // here afterwards. The connection text ("Port Open - ..." or "Port Closed") is emitted
    // when the result is known.
    void open(const LineOpenRequest &request, std::function<void(bool)> done = {});

    // The same open from inside a job that goes on using the port (a scan, a sequencer
    // step that changes the rate): opens at once on the line thread and reports the new
    // settings, PortIsOpen and the connection text back here, in order with the job's
    // other reports. A rate text that names no rate of TCom is refused: the port stays
    // closed and the tool tip says why.
    bool openFromJob(LineContext &ctx, const LineOpenRequest &request);
    // Clears PortIsOpen, shows "Port Closed" and closes the port behind whatever is queued.
    void close();
    // A workspace change: drops the queued jobs, stops the running one at its next read,
    // then closes the port.
    void stopAndClose();

Q_SIGNALS:
    // text for the connection field; toolTip says why an open failed (empty otherwise).
    void connectionChanged(const QString &text, const QString &toolTip);

private:
    LineThread m_line;
    LineSettings m_settings;
    bool m_portIsOpen = false;
};
