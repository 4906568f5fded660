#pragma once

#include <QString>

class SettingsFile;

// The sequencer's saved choices, read at start-up in the order the start-up reads them
// and carried to the closing write.
struct SequencerSettings
{
    QString font = QStringLiteral("Courier New");
    int size = 12;
    int colour = 0;
    QString newEntryTime = QStringLiteral("100");
    QString specialStart = QStringLiteral("{");
    QString specialEnd = QStringLiteral("}");
    bool specialEnabled = false;
    bool bitNumbering = true;
    QString printOn = QStringLiteral("$");
    QString printOff = QStringLiteral("#");
    QString commentChar = QStringLiteral(";");
    QString escapeChar = QStringLiteral("~");
    QString filePath;
    bool loadLastFile = false;
    bool autoStart = false;
    QString lastFile;

    void readFont(const SettingsFile &file);
    void readSpecials(const SettingsFile &file);
    void readCharacters(const SettingsFile &file);
    void readLoadChoices(const SettingsFile &file);
};
