#pragma once

#include <QString>

// Where the settings file lies. Next to the program, named like it with ".INI"
// ("iovantor.INI" beside "iovantor"), as long as the program's folder is writable: the
// file is replaced atomically through a file beside it, which needs the folder, not only
// the file. An installed program's folder is not writable; the file then lies in the
// user's configuration folder, "$XDG_CONFIG_HOME/keldan/iovantor.INI" (or
// "~/.config/keldan/iovantor.INI" when XDG_CONFIG_HOME is unset, or not absolute, which
// the XDG rules say to ignore).

struct SettingsLocationInput
{
    QString programDir;       // the program's folder, without a trailing separator
    QString programName;      // the program file's name without its extension
    bool programDirWritable = false;
    QString xdgConfigHome;    // the environment value as it is, empty when unset
    QString homeDir;
};

// The decision alone, on given values: no file system access.
QString chooseSettingsFilePath(const SettingsLocationInput &input);

// The decision for this program and user. When it falls on the configuration folder it
// creates "keldan" there (that folder is ours); the program's folder is never created.
QString settingsFilePath();
