#pragma once

#include <QString>

#include <optional>

class SettingsFile;
class FunctionKeyTable;

// The settings written when the window closes, as the controls hold them at that moment.
struct ClosingGroup
{
    int analogA = 0x8888, analogB = 0x8888, analogC = 0x8888;
    QString printOn, printOff, escapeChar, commentChar;
    bool loadLastSeqFile = false;
    bool autoStart = false;
    QString seqFilePath;
    std::optional<int> programmingRate;
    std::optional<int> discoveryRate;
    bool crlf = false;
    QString specialStart, specialEnd;
    bool specialEnabled = false;
    QString startIn;
    bool hideAboutOnStartup = false;
    bool localEcho = true;
    int keySet = 0;
    const FunctionKeyTable *keys = nullptr;
};

// Writes the group in its fixed order into file (not committed): the analog words, the
// sequencer's characters and load choices, the updater's rates, the terminal's line end,
// the special-function characters, the firmware folder, the About box choice, local echo,
// the key set, the changed function keys and the sixteen set names.
void writeClosingGroup(SettingsFile &file, const ClosingGroup &group);
