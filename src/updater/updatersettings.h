#pragma once

#include <QString>

#include <optional>

class SettingsFile;

// The flash updater's saved choices. A rate button index is empty when no button of its
// group is checked; then nothing is written for it at close.
struct UpdaterSettings
{
    std::optional<int> programmingRate = 3;   // BAUDX: 115200 is the form's choice
    std::optional<int> discoveryRate;          // BAUDAX 0..7
    QString startIn;                           // firmware folder
    QString programmingPort = QStringLiteral("COM1");   // PROGPORT, the hidden port list's text

    void readRates(const SettingsFile &file);
    // An unusable folder falls back to the root of the file system.
    void readStartIn(const SettingsFile &file);
    void readProgrammingPort(const SettingsFile &file);
};
