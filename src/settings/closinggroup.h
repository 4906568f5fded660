#pragma once

#include "settings/settingskeys.h"

#include <QString>

#include <functional>
#include <map>

class SettingsFile;

// The settings written when the main window closes, gathered from the workspaces that own
// them and written in the group's fixed order: the analog words, the sequencer's characters
// and load choices, the updater's rates, the terminal's line end, the special-function
// characters, the firmware folder, the About box choice, local echo, the key set, and last
// the function keys (the changed keys and the sixteen set names). A key nobody gave is not
// written. The order matters: keys new to the file are appended in it.
class ClosingGroup
{
public:
    void set(const StringKey &k, const QString &value);
    void set(const IntKey &k, int value);
    void set(const BoolKey &k, bool value);
    // Writes the function keys, after every other key of the group.
    void setFunctionKeys(std::function<void(SettingsFile &)> write);

    // Writes the group into file (not committed).
    void write(SettingsFile &file) const;

private:
    void setWriter(const char *name, std::function<void(SettingsFile &)> write);

    std::map<QString, std::function<void(SettingsFile &)>> m_writers;   // by key name
    std::function<void(SettingsFile &)> m_functionKeys;
};
