#include "terminal/terminalsettings.h"

#include "settings/settingsfile.h"
#include "settings/settingskeys.h"

void TerminalSettings::readColours(const SettingsFile &file)
{
    receivedColour = read(file, key::TxColor);
    transmittedColour = read(file, key::RxColor);
}

void TerminalSettings::readViews(const SettingsFile &file)
{
    font = read(file, key::TermFont);
    size = read(file, key::TermSize);
    colour = read(file, key::TermColor);
    // Only the value 1 checks the box; anything else unchecks it.
    crlf = read(file, key::CRLF) == 1;
    bold = read(file, key::FontBold);
}

void TerminalSettings::readLocations(const SettingsFile &file)
{
    logsDir = read(file, key::LOGSDIR);
    logsDrive = read(file, key::LOGSDRIVE);
}

void TerminalSettings::readLocalEcho(const SettingsFile &file)
{
    localEcho = read(file, key::LocalEchoCheck);
}
