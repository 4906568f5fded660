#pragma once

#include <QMap>
#include <QMutex>
#include <QString>
#include <QStringList>

class SettingsFile;

// COM numbers to device paths. On Windows a number maps to "\\.\COM<n>"; elsewhere the
// map is kept in the [Ports] section of the settings file ("COM3=/dev/ttyUSB0"), and a
// discovered device with no entry yet gets the lowest free number, so it keeps its number
// from run to run. Read from the line thread, changed on the user-interface thread.
class PortMap
{
public:
    static constexpr const char *Section = "Ports";

    // Replaces the entries with the section's "COM<n>=<path>" lines (n from 1 to 255; keys
    // in any case); other keys and empty paths are ignored.
    void load(const SettingsFile &file);
    // Gives every device of the list that has no number yet the lowest free one and
    // writes the new entries into file (not committed). A device already mapped, also
    // under another name of it (a link), keeps its number. Returns true when anything was added.
    bool assignDiscovered(const QStringList &devicePaths, SettingsFile &file);

    // Empty when the number is not mapped. On Windows every number 1 to 255 maps to its
    // own device and the section is not consulted.
    QString devicePath(int comNumber) const;
    QMap<int, QString> entries() const;
    void setEntries(const QMap<int, QString> &entries);

    // The serial devices of this machine (Qt's list of serial ports), for assignDiscovered.
    static QStringList systemDevices();

private:
    mutable QMutex m_mutex;
    QMap<int, QString> m_entries;
};
