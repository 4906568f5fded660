#pragma once

#include "serial/linesettings.h"
#include "serial/linethread.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>

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
    // Workspaces that open the port themselves inside a job say so here. An open port
    // means the device is back: a loss shown until then is forgotten.
    void setPortIsOpen(bool open);

    // When the line went away (the serial layer closed the port and cleared PortIsOpen),
    // until the next successful open.
    const std::optional<LineLoss> &lastLoss() const { return m_loss; }
    // What the connection field's tool tip says while a loss stands, in the operator's
    // words: which device went away, when, and what to do, followed by the notes added
    // since. Empty when no loss stands.
    QString lossToolTip() const;
    // A workspace says what the loss cost it ("the list may be incomplete"); shown in the
    // tool tip from the next connection text on, until the next successful open.
    void addLossNote(const QString &note);

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
    // text for the connection field; toolTip says why an open failed or that the line
    // went away (empty otherwise).
    void connectionChanged(const QString &text, const QString &toolTip);

private:
    void lineLost(const LineLoss &loss);
    // The tool tip for a connection text: the standing loss, then why an open failed.
    QString toolTipWith(const QString &openFailure) const;

    LineThread m_line;
    LineSettings m_settings;
    bool m_portIsOpen = false;
    std::optional<LineLoss> m_loss;
    QStringList m_lossNotes;
};
