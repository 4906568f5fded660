#pragma once

#include <QString>

#include <span>

class SettingsFile;

// Every key of the settings file ([Tester]) in one place: its name as it stands in the file,
// its default, and who writes it ("close" for the group written when the main window
// closes, otherwise the control or action whose change writes it at once). Code reads and
// writes settings through these constants and the functions below, never through name
// literals of its own. A key absent from the file, or an integer that does not parse,
// gives the default.
//
// Booleans are stored as integers ("1" / "0"; any non-zero value reads as true) and
// colours as integers 0x00BBGGRR (red in the low byte).

struct StringKey
{
    const char *name;
    const char *def;        // null when the default is computed at run time (STARTIN)
    const char *writtenBy;
};

struct IntKey
{
    const char *name;
    int def;
    const char *writtenBy;
};

struct BoolKey
{
    const char *name;
    bool def;
    const char *writtenBy;
};

namespace key {

// The key types under the namespace of their constants too, so either spelling reads well.
using StringKey = ::StringKey;
using IntKey = ::IntKey;
using BoolKey = ::BoolKey;

// Main port and line
inline constexpr StringKey PORT{"PORT", "COM1", "PortSel"};
inline constexpr StringKey BAUD{"BAUD", "9600", "BaudSel"};
inline constexpr StringKey COMSPEC{"COMSPEC", "N-8-1", "ComSpecClick"};
inline constexpr BoolKey FLOWEN{"FLOWEN", false, "EnableFlowCtl"};
inline constexpr StringKey FLOWCTL{"FLOWCTL", "FLOWNONE", "FlowNONE/FlowXON/FlowCTS/FlowDTR"};
inline constexpr BoolKey POWERCTL{"POWERCTL", false, "EnableCtlrPower"};
inline constexpr BoolKey DTRACTIVE{"DTRACTIVE", false, "DTRCtrl/RTSCtrl"};
inline constexpr BoolKey RTSACTIVE{"RTSACTIVE", false, "DTRCtrl/RTSCtrl"};

// Flash updater and discovery
inline constexpr StringKey PROGPORT{"PROGPORT", "COM1", "never"};
inline constexpr IntKey BAUDX{"BAUDX", 3, "close"};
inline constexpr IntKey BAUDAX{"BAUDAX", 3, "close"};
// Default: the program's directory, see startInDefault().
inline constexpr StringKey STARTIN{"STARTIN", nullptr, "close"};

// Bus scan
inline constexpr StringKey FirstAddr{"FirstAddr", "00", "FSCANADR"};
inline constexpr StringKey LastAddr{"LastAddr", "0F", "LSCANADR"};

// Analog monitor: display mode words, four bits per channel (0x8888: all hexadecimal)
inline constexpr IntKey A{"A", 0x8888, "close"};
inline constexpr IntKey B{"B", 0x8888, "close"};
inline constexpr IntKey C{"C", 0x8888, "close"};
inline constexpr StringKey TEMP{"TEMP", "TEMP C", "temperature unit buttons"};

// Terminal
inline constexpr StringKey TermFont{"TermFont", "Courier New", "terminal font dialog"};
inline constexpr IntKey TermSize{"TermSize", 12, "terminal font dialog"};
inline constexpr IntKey TermColor{"TermColor", 0, "terminal font dialog"};
inline constexpr BoolKey FontBold{"FontBold", true, "terminal font dialog"};
// The names are the reverse of the swatch labels: TxColor is the colour of received text
// (swatch "RX"), RxColor that of typed and sent text (swatch "TX").
inline constexpr IntKey TxColor{"TxColor", 0x008000, "Shape1 colour dialog"};
inline constexpr IntKey RxColor{"RxColor", 0x0000FF, "Shape2 colour dialog"};
// Only 1 checks the box, so this is an integer and not a boolean.
inline constexpr IntKey CRLF{"CRLF", 0, "close"};
inline constexpr BoolKey LocalEchoCheck{"LocalEchoCheck", true, "close"};

// Function keys
inline constexpr IntKey KeySetSel{"KeySetSel", 0, "close"};
inline constexpr StringKey KEYSDRIVE{"KEYSDRIVE", "c:", "key-set file save/load"};
inline constexpr StringKey KEYSDIR{"KEYSDIR", "\\", "key-set file save/load"};
inline constexpr StringKey KEYSFILE{"KEYSFILE", "*.txt", "key-set file save/load"};

// Traffic log
inline constexpr StringKey LOGSDRIVE{"LOGSDRIVE", "c:", "log file choice"};
inline constexpr StringKey LOGSDIR{"LOGSDIR", "\\", "log file choice"};

// Sequencer
inline constexpr StringKey SeqFont{"SeqFont", "Courier New", "sequencer font dialog"};
inline constexpr IntKey SeqSize{"SeqSize", 12, "sequencer font dialog"};
inline constexpr IntKey SeqColor{"SeqColor", 0, "sequencer font dialog"};
inline constexpr StringKey NETime{"NETime", "100", "sequencer setting edits"};
inline constexpr StringKey CommentChar{"CommentChar", ";", "sequencer setting edits; close"};
inline constexpr StringKey EscapeChar{"EscapeChar", "~", "sequencer setting edits; close"};
inline constexpr StringKey PrintON{"PrintON", "$", "close"};
inline constexpr StringKey PrintOFF{"PrintOFF", "#", "close"};
inline constexpr StringKey SFUNCTSTART{"SFUNCTSTART", "{", "close"};
inline constexpr StringKey SFUNCTEND{"SFUNCTEND", "}", "close"};
inline constexpr BoolKey SFUNCTENAB{"SFUNCTENAB", false, "close"};
inline constexpr BoolKey BitNumbering{"BitNumbering", true, "sequencer setting edits"};
inline constexpr StringKey SeqFilePath{"SeqFilePath", "", "close"};
inline constexpr BoolKey LoadLastSeqFile{"LoadLastSeqFile", false, "LoadLastSeqFile; close"};
inline constexpr BoolKey AutoStart{"AutoStart", false, "close"};
inline constexpr StringKey LastFile{"LastFile", "", "sequence file open/save"};

// Shell
inline constexpr BoolKey NagScreen{"NagScreen", false, "close"};
inline constexpr StringKey StartProg{"StartProg", "Terminal Emulator", "StartProgIdx"};
inline constexpr BoolKey HideDM{"HideDM", true, "HideDigMon"};
inline constexpr BoolKey HideAM{"HideAM", true, "HideAnaMon"};
inline constexpr BoolKey HideRC{"HideRC", true, "HideRelyCtl"};
inline constexpr BoolKey HideTE{"HideTE", false, "HideTerm"};
inline constexpr BoolKey HideSE{"HideSE", false, "HideSequence"};
inline constexpr BoolKey HidePrg{"HidePrg", false, "HideProg"};

// Families. Function key n (1 to FunctionKeyCount) belongs to set (n - 1) / KeysPerSet;
// its label and macro default to empty text and are written at close only when changed.
// Key-set names (1 to KeySetCount) are all written at close.
inline constexpr int FunctionKeyCount = 1024;
inline constexpr int KeySetCount = 16;
inline constexpr int KeysPerSet = FunctionKeyCount / KeySetCount;

} // namespace key

QString fKeyTextName(int n);     // "F<n>TEXT"
QString fKeyMacroName(int n);    // "F<n>MACRO"
QString cfgSetSelName(int n);    // "CFGSETSEL<n>"
QString cfgSetSelDefault(int n); // "SET <n>"

// STARTIN's default: the program's directory in native form, with no trailing separator
// unless it is a root.
QString startInDefault();

// The default of a string key as text (STARTIN's computed).
QString defaultValue(const StringKey &k);

QString read(const SettingsFile &file, const StringKey &k);
int read(const SettingsFile &file, const IntKey &k);
bool read(const SettingsFile &file, const BoolKey &k);

void write(SettingsFile &file, const StringKey &k, const QString &value);
void write(SettingsFile &file, const IntKey &k, int value);
void write(SettingsFile &file, const BoolKey &k, bool value);

// Every key of fixed name (the families aside), by type.
struct FixedKeys
{
    std::span<const StringKey> strings;
    std::span<const IntKey> integers;
    std::span<const BoolKey> booleans;
};
FixedKeys fixedKeys();
