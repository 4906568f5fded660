#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

// The scan range of the "Scan Defaults" page as the scans read it: two texts of at most two
// hexadecimal digits, read as numbers each time they are used. A running scan asks for the
// last address again before every probe, from the line thread, so that value is also kept
// where a job can read it.
class ScanRange
{
public:
    QString firstText() const { return m_first; }
    QString lastText() const { return m_last; }
    void setFirstText(const QString &text);
    void setLastText(const QString &text);

    int first() const;
    int last() const;
    // Reads the last address as it stands at the moment of the call; safe on any thread and
    // after this object is gone.
    std::function<int()> liveLast() const;

private:
    QString m_first = QStringLiteral("00");
    QString m_last = QStringLiteral("0F");
    // Shared with the running scan rather than copied into it: an LSCANADR edit made while
    // a scan runs moves the end of that scan, which a value copied when the job was posted
    // could not do.
    std::shared_ptr<std::atomic<int>> m_lastValue = std::make_shared<std::atomic<int>>(0x0F);
};

// What the three board workspaces share, owned by the main window: the flags every monitor
// timer tick tests (stop first, then scan, then its run flags) and the scan range. Used on
// the user-interface thread only; jobs get copies.
class MonitorState : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    bool ScanRequested = false;     // the next tick of a board workspace's timer scans
    bool StopRequested = false;     // the next digital or analog tick closes the port and stops
    bool RunMode = false;           // digital RUN
    bool TestMode = false;          // digital TEST
    bool IdentifyPending = false;   // the next digital RUN tick reads type, version and outputs
    bool AnalogRunning = false;     // analog poll

    ScanRange scanRange;

Q_SIGNALS:
    // A key was pressed in one of the three address fields (LOCXX, SCANSTART, KLoc): the
    // digital list lets go of its selection, so the typed address is used as typed.
    void addressTyped();
};
