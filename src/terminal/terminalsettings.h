#pragma once

#include <QString>

class SettingsFile;

// The terminal's saved choices, as start-up read them and the controls changed them.
struct TerminalSettings
{
    QString font = QStringLiteral("Courier New");
    int size = 12;
    int colour = 0;           // 0x00BBGGRR
    bool bold = true;
    int receivedColour = 32768;     // key TxColor, swatch "RX"
    int transmittedColour = 255;    // key RxColor, swatch "TX"
    bool crlf = false;
    bool localEcho = true;
    QString keysDrive, keysDir, keysFile;
    QString logsDrive, logsDir;

    void readColours(const SettingsFile &file);
    void readViews(const SettingsFile &file);
    void readLocations(const SettingsFile &file);
    void readLocalEcho(const SettingsFile &file);
};
