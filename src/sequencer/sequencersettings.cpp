#include "sequencer/sequencersettings.h"

#include "settings/settingsfile.h"
#include "settings/settingskeys.h"

void SequencerSettings::readFont(const SettingsFile &file)
{
    font = read(file, key::SeqFont);
    size = read(file, key::SeqSize);
    colour = read(file, key::SeqColor);
}

void SequencerSettings::readSpecials(const SettingsFile &file)
{
    newEntryTime = read(file, key::NETime);
    specialStart = read(file, key::SFUNCTSTART);
    specialEnd = read(file, key::SFUNCTEND);
    specialEnabled = read(file, key::SFUNCTENAB);
    bitNumbering = read(file, key::BitNumbering);
}

void SequencerSettings::readCharacters(const SettingsFile &file)
{
    printOff = read(file, key::PrintOFF);
    printOn = read(file, key::PrintON);
    commentChar = read(file, key::CommentChar);
    escapeChar = read(file, key::EscapeChar);
    filePath = read(file, key::SeqFilePath);
}

void SequencerSettings::readLoadChoices(const SettingsFile &file)
{
    loadLastFile = read(file, key::LoadLastSeqFile);
    autoStart = read(file, key::AutoStart);
    lastFile = read(file, key::LastFile);
}
