#include "serial/portenumerator.h"

#include "serial/serialdevice.h"
#include "serial/tsiocommport.h"

namespace {

// Only the first nine probe results show their failures; beyond them a menu of 126 ports
// would be mostly "NA".
constexpr qsizetype ShownFailures = 9;

} // namespace

QStringList probePorts(SerialDriver &driver, int count)
{
    LineConfig probe;   // 9600 8N1, no flow control
    QStringList result;
    for (int n = 1; n < count; ++n) {
        OpenError error = OpenError::None;
        QString detail;
        std::unique_ptr<SerialDevice> device = driver.open(n, error, detail);
        const bool usable = device && device->configure(probe);
        if (device) {
            device->setDtr(false);
            device->setRts(false);
        }
        device.reset();   // closed before the next one opens
        result << (usable ? QStringLiteral("COM%1") : QStringLiteral("xCOM%1")).arg(n);
    }
    return result;
}

QStringList probeThreadedPorts(const TSIODeviceOpener &opener, int count)
{
    constexpr qint32 ProbeRate = 9600;
    TSIOCommPort port(opener);
    QStringList result;
    for (int n = 1; n < count; ++n) {
        const bool opened = port.OpenPort(n, ProbeRate);
        port.ClosePort();   // before the next one opens
        result << (opened ? QStringLiteral("COM%1") : QStringLiteral("xCOM%1")).arg(n);
    }
    return result;
}

LineThread::Job portProbeJob(TSIODeviceOpener opener, int count, std::shared_ptr<PortProbeResult> result)
{
    return [opener = std::move(opener), count, result = std::move(result)](LineContext &) {
        result->probed = probeThreadedPorts(opener, count);
        result->ran = true;
    };
}

PortMenuModel buildPortMenu(const QStringList &probed)
{
    PortMenuModel model;
    for (qsizetype i = 0; i < probed.size(); ++i) {
        const QString &entry = probed.at(i);
        if (entry.startsWith(u'x')) {
            if (i < ShownFailures)
                model.items.append({entry.mid(1) + QStringLiteral(" NA"), false});
        } else {
            model.items.append({entry, true});
            model.ports << entry;
        }
    }
    model.items.append({QStringLiteral("Rescan"), true});
    return model;
}

PortMenuModel initialPortMenu()
{
    PortMenuModel model;
    for (int n = 1; n <= 8; ++n) {
        const QString name = QStringLiteral("COM%1").arg(n);
        model.items.append({name, true});
    }
    return model;
}
