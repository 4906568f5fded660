#pragma once

// How the serial types read in a failed QCOMPARE.

#include "serial/serialdevice.h"

#include <QString>
#include <QtGlobal>

inline char *toString(const LineConfig &c)
{
    static const char *const parity[] = {"N", "E", "O", "S", "M"};
    static const char *const flow[] = {"xon/xoff", "dtr/dsr", "cts/rts", "none"};
    return qstrdup(qPrintable(QStringLiteral("%1 %2-%3-%4 flow %5")
                                  .arg(c.baudRate)
                                  .arg(QLatin1String(parity[int(c.parity)]))
                                  .arg(c.dataBits)
                                  .arg(c.stopBits)
                                  .arg(QLatin1String(flow[int(c.flow)]))));
}

inline char *toString(FlowMode f)
{
    static const char *const names[] = {"XonXoff", "DtrDsr", "CtsRts", "None"};
    return qstrdup(names[int(f)]);
}

inline char *toString(OpenError e)
{
    static const char *const names[] = {"None", "NoSuchDevice", "Busy", "PermissionDenied", "SettingsRefused", "Other"};
    return qstrdup(names[int(e)]);
}
