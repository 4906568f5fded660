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
    QString logsDrive, logsDir;

    void readColours(const SettingsFile &file);
    void readViews(const SettingsFile &file);
    // The log's remembered drive and folder; the key files' are the Function Keys page's.
    void readLocations(const SettingsFile &file);
    void readLocalEcho(const SettingsFile &file);
};
