#pragma once

#include "serial/linethread.h"
#include "serial/tsiodevice.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class SerialDriver;

// Which ports exist, found by opening each one. The probes block while they open devices
// and run as line jobs (portProbeJob is EnumeratePorts'); buildPortMenu is plain data for
// the port menu of the status bar.

// Opens COM1 to COM(count - 1) one after the other, exclusively, at 9600 8N1 with DTR and
// RTS off, and closes each again. Gives "COM<n>" for a port that opened and "xCOM<n>" for
// one that did not (absent, or held by another program or by this one's main port).
QStringList probePorts(SerialDriver &driver, int count);

// The same probe through the threaded port, as EnumeratePorts makes it: one temporary
// TSIOCommPort opens COM1 to COM(count - 1) in turn at 9600 8N1, DTR and RTS off, both
// queues purged, its two workers started and stopped, and closes each again. Blocks the
// calling thread meanwhile, so it runs off the user-interface thread (a line job): on
// the line thread it never meets an open of the main port half-way.
QStringList probeThreadedPorts(const TSIODeviceOpener &opener, int count);

// What the enumeration's line job leaves: ran is set once it has run (a job dropped from
// the queue by a workspace change never does).
struct PortProbeResult
{
    bool ran = false;
    QStringList probed;
};
// The line job of an enumeration: probeThreadedPorts into *result.
LineThread::Job portProbeJob(TSIODeviceOpener opener, int count, std::shared_ptr<PortProbeResult> result);

struct PortMenuItem
{
    QString caption;
    bool enabled = true;

    bool operator==(const PortMenuItem &) const = default;
};

struct PortMenuModel
{
    // Every port that opened; the failed ones among the first nine entries as disabled
    // "COM<n> NA"; last "Rescan".
    QList<PortMenuItem> items;
    // The ports that opened, in probe order.
    QStringList ports;
};

PortMenuModel buildPortMenu(const QStringList &probed);

// The port menu before the first probe: COM1 to COM8, all enabled; no port is known yet.
PortMenuModel initialPortMenu();
