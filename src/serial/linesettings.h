#pragma once

#include "serial/serialdevice.h"

#include <QString>
#include <QStringList>

#include <optional>

class TCom;

// The main port's line settings as the operator chose them. Codes are TCom ordinals.
struct LineSettings
{
    int port = 1;
    int baudCode = 4;      // 9600
    int flowCode = 3;      // none
    int dataBitsCode = 1;  // 8 bits
    int stopBitsCode = 0;  // one
    int parityCode = 0;    // none
};

// Baud menu texts, in menu order ("600" has no code: see baudCodeForText).
QStringList baudMenuItems();
// Format menu texts, in menu order.
QStringList comSpecMenuItems();

// The code of a rate text: the TCom ordinal of every rate TCom can set ("9600" -> 4,
// "14400" -> 5, also rates the menu does not offer); nullopt for a text that names none
// ("600", "12345", "09600").
std::optional<int> baudCodeForText(const QString &text);
// Why a rate text without a code is refused, for the connection field's tool tip.
QString rateRefusalHint(const QString &baudText);
// "COM12" -> 12: the text from its fourth character on, read as a decimal number (digits
// only, no sign or blanks); nullopt when it is not one.
std::optional<int> portNumberFromText(const QString &text);
// Sets the three format codes from "N-8-1" by position; other characters leave codes as they are.
void ParseComSpec(const QString &text, LineSettings &settings);

enum class FlowChoice { None, XonXoff, CtsRts, DtrDsr };

// Everything one open of the main port needs, copied from the controls on the
// user-interface thread.
struct LineOpenRequest
{
    QString portText;   // SB1
    QString baudText;   // SB2
    QString specText;   // SB3
    LineSettings settings;          // codes as they stand before this open
    bool flowEnabled = false;       // EnableFlowCtl
    FlowChoice flow = FlowChoice::None;
    bool powerEnabled = false;      // EnableCtlrPower
    bool dtr = false;               // DTRCtrl
    bool rts = false;               // RTSCtrl
};

struct LineOpenResult
{
    bool opened = false;
    LineSettings settings;   // the codes as the open derived them (port, baud, flow)
    QString powerText;       // "{DTR}", "{RTS}", "{DTR,RTS}" or empty
    QString flowText;        // ",NO FLOW", ",DTR", ",CTS", ",XON"
    OpenError error = OpenError::None;
    QString errorDetail;
};

// The opening half of ApplyLineSettings, run on the line thread: derives port and rate from
// the status-bar texts, gives TCom all six settings, opens it and drives the power lines.
// A port text without a number leaves the port closed (NoSuchDevice, the detail says why),
// and so does a rate text without a code (SettingsRefused, the detail is rateRefusalHint).
// A failed open is closed again, so no half-configured device stays held.
LineOpenResult openMainPort(TCom &com, const LineOpenRequest &request);

// OpenPortFromSettings, the monitors' quiet reopen: gives TCom all six codes and opens it.
// Nothing else: no power lines, no status text, and a device that refused the settings
// (-3) stays held for the caller to close. Returns comOpen's result.
int openPortFromSettings(TCom &com, const LineSettings &settings);

// The text the connection field shows after an open: "Port Open - COM1,9600,N-8-1,NO FLOW"
// for an open port (the three field texts as shown), "Port Closed" when the open failed.
QString portOpenText(const LineOpenRequest &request, const LineOpenResult &result);
// What went wrong, in the operator's words, for the tool tip of the connection field.
QString openFailureHint(const QString &portText, OpenError error, const QString &detail);
