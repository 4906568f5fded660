#pragma once

#include <QString>

// Where the settings file lies. Next to the program, named like it with ".INI"
// ("iovantor.INI" beside "iovantor"), as long as the program's folder is writable: the
// file is replaced atomically through a file beside it, which needs the folder, not only
// the file. An installed program's folder is not writable; the file then lies in the
// user's configuration folder, "$XDG_CONFIG_HOME/keldan/iovantor.INI" (or
// "~/.config/keldan/iovantor.INI" when XDG_CONFIG_HOME is unset, or not absolute, which
// the XDG rules say to ignore). The packaged program (built with IOVANTOR_PACKAGED) always
// keeps the file in the user's configuration folder, whoever runs it and wherever it lies:
// that is decided when it is built, not by probing the folder.

struct SettingsLocationInput
{
    QString programDir;       // the program's folder, without a trailing separator
    QString programName;      // the program file's name without its extension
    bool programDirWritable = false;
    QString xdgConfigHome;    // the environment value as it is, empty when unset
    QString homeDir;
    bool alwaysUserFolder = false; // the packaged build: never beside the program
};

// The decision alone, on given values: no file system access.
QString chooseSettingsFilePath(const SettingsLocationInput &input);

// The decision for this program and user. When it falls on the configuration folder it
// creates "keldan" there (that folder is ours); the program's folder is never created.
QString settingsFilePath();
