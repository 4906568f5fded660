#include "serial/linesettings.h"

#include "serial/tcom.h"

#include <algorithm>

namespace {

// CtrlFlowLines codes.
constexpr unsigned long RaiseRts = 3;
constexpr unsigned long LowerRts = 4;
constexpr unsigned long RaiseDtr = 5;
constexpr unsigned long LowerDtr = 6;

} // namespace

QStringList baudMenuItems()
{
    return {QStringLiteral("300"),   QStringLiteral("600"),    QStringLiteral("1200"),   QStringLiteral("2400"),
            QStringLiteral("4800"),  QStringLiteral("9600"),   QStringLiteral("19200"),  QStringLiteral("38400"),
            QStringLiteral("57600"), QStringLiteral("115200"), QStringLiteral("230400"), QStringLiteral("460800"),
            QStringLiteral("921600")};
}

QStringList comSpecMenuItems()
{
    return {QStringLiteral("N-8-1"), QStringLiteral("N-8-2"), QStringLiteral("E-8-1"), QStringLiteral("E-8-2"),
            QStringLiteral("O-8-1"), QStringLiteral("O-8-2"), QStringLiteral("N-7-1"), QStringLiteral("N-7-2"),
            QStringLiteral("E-7-1"), QStringLiteral("E-7-2"), QStringLiteral("O-7-1"), QStringLiteral("O-7-2")};
}

std::optional<int> baudCodeForText(const QString &text)
{
    // The text as the menu and the settings file write a rate: plain decimal digits.
    for (int code = 0; code < TCom::BaudOrdinals; ++code) {
        if (text == QString::number(TCom::rateOfBaud(code)))
            return code;
    }
    return std::nullopt;
}

QString rateRefusalHint(const QString &baudText)
{
    return QStringLiteral("%1 baud is not a rate this console can set. Choose another rate from the rate menu.")
        .arg(baudText);
}

std::optional<int> portNumberFromText(const QString &text)
{
    const QStringView digits = QStringView(text).mid(3);
    if (digits.isEmpty() || !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    bool ok = false;
    const int n = digits.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;   // too long for a number
    return n;
}

void ParseComSpec(const QString &text, LineSettings &settings)
{
    auto at = [&](qsizetype i) { return i < text.size() ? text.at(i) : QChar(); };
    switch (at(0).unicode()) {
    case u'N': settings.parityCode = 0; break;
    case u'E': settings.parityCode = 1; break;
    case u'O': settings.parityCode = 2; break;
    default: break;
    }
    switch (at(2).unicode()) {
    case u'8': settings.dataBitsCode = 1; break;
    case u'7': settings.dataBitsCode = 0; break;
    default: break;
    }
    switch (at(4).unicode()) {
    case u'1': settings.stopBitsCode = 0; break;
    case u'2': settings.stopBitsCode = 1; break;
    default: break;
    }
}

LineOpenResult openMainPort(TCom &com, const LineOpenRequest &request)
{
    LineOpenResult result;
    result.settings = request.settings;

    const std::optional<int> port = portNumberFromText(request.portText);
    if (!port) {
        com.comClose();
        result.error = OpenError::NoSuchDevice;
        result.errorDetail = QStringLiteral("\"%1\" does not name a port").arg(request.portText);
        return result;
    }
    // Opening at another rate than the one shown would mislead the operator.
    const std::optional<int> code = baudCodeForText(request.baudText);
    if (!code) {
        com.comClose();
        result.error = OpenError::SettingsRefused;
        result.errorDetail = rateRefusalHint(request.baudText);
        return result;
    }
    result.settings.port = *port;
    result.settings.baudCode = *code;
    com.setCOMport(result.settings.port);
    com.setBaud(result.settings.baudCode);

    result.settings.flowCode = 3;
    result.flowText = QStringLiteral(",NO FLOW");
    if (request.flowEnabled) {
        switch (request.flow) {
        case FlowChoice::None: break;
        case FlowChoice::DtrDsr:
            result.settings.flowCode = 1;
            result.flowText = QStringLiteral(",DTR");
            break;
        case FlowChoice::CtsRts:
            result.settings.flowCode = 2;
            result.flowText = QStringLiteral(",CTS");
            break;
        case FlowChoice::XonXoff:
            result.settings.flowCode = 0;
            result.flowText = QStringLiteral(",XON");
            break;
        }
    }

    com.setFlowCtl(result.settings.flowCode);
    com.setStopBits(result.settings.stopBitsCode);
    com.setDataBits(result.settings.dataBitsCode);
    com.setParity(result.settings.parityCode);
    if (com.comOpen() != 0) {
        // A device refusing the settings is still held; nothing may stay held after a
        // failed open.
        com.comClose();
        result.error = com.lastOpenError();
        result.errorDetail = com.lastOpenDetail();
        return result;
    }
    result.opened = true;

    // Without power control the lines stay as the open left them.
    if (request.powerEnabled) {
        com.CtrlFlowLines(request.dtr ? RaiseDtr : LowerDtr);
        if (request.dtr)
            result.powerText = QStringLiteral("{DTR}");
        com.CtrlFlowLines(request.rts ? RaiseRts : LowerRts);
        if (request.rts)
            result.powerText = request.dtr ? QStringLiteral("{DTR,RTS}") : QStringLiteral("{RTS}");
    }
    return result;
}

int openPortFromSettings(TCom &com, const LineSettings &settings)
{
    com.setCOMport(settings.port);
    com.setBaud(settings.baudCode);
    com.setFlowCtl(settings.flowCode);
    com.setStopBits(settings.stopBitsCode);
    com.setDataBits(settings.dataBitsCode);
    com.setParity(settings.parityCode);
    return com.comOpen();
}

QString portOpenText(const LineOpenRequest &request, const LineOpenResult &result)
{
    if (!result.opened)
        return QStringLiteral("Port Closed");
    return QStringLiteral("Port Open - ") + request.portText + u',' + request.baudText + u',' + request.specText
        + result.powerText + result.flowText;
}

QString openFailureHint(const QString &portText, OpenError error, const QString &detail)
{
    QString hint;
    switch (error) {
    case OpenError::None: return QString();
    case OpenError::NoSuchDevice:
        hint = QStringLiteral("%1: no such device. Choose Rescan in the port menu to list the ports of this computer.")
                   .arg(portText);
        break;
    case OpenError::Busy:
        hint = QStringLiteral("%1 is held by another program. Close that program, or choose another port.").arg(portText);
        break;
    case OpenError::PermissionDenied:
#ifdef Q_OS_WIN
        hint = QStringLiteral("%1: permission denied.").arg(portText);
#else
        hint = QStringLiteral("%1: permission denied. Join the dialout group "
                              "(sudo usermod -aG dialout $USER), then log in again.")
                   .arg(portText);
#endif
        break;
    case OpenError::SettingsRefused:
        hint = QStringLiteral("%1 refused the line settings. Choose another rate or format.").arg(portText);
        break;
    case OpenError::Other:
        hint = QStringLiteral("%1 could not be opened.").arg(portText);
        break;
    }
    if (!detail.isEmpty())
        hint += QStringLiteral(" (%1)").arg(detail);
    return hint;
}
