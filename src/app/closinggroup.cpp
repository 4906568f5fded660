#include "app/closinggroup.h"

#include "settings/settingsfile.h"
#include "settings/settingskeys.h"
#include "terminal/functionkeys.h"

void writeClosingGroup(SettingsFile &file, const ClosingGroup &g)
{
    write(file, key::A, g.analogA);
    write(file, key::B, g.analogB);
    write(file, key::C, g.analogC);
    write(file, key::PrintON, g.printOn);
    write(file, key::PrintOFF, g.printOff);
    write(file, key::EscapeChar, g.escapeChar);
    write(file, key::CommentChar, g.commentChar);
    write(file, key::LoadLastSeqFile, g.loadLastSeqFile);
    write(file, key::AutoStart, g.autoStart);
    write(file, key::SeqFilePath, g.seqFilePath);
    if (g.programmingRate)
        write(file, key::BAUDX, *g.programmingRate);
    if (g.discoveryRate)
        write(file, key::BAUDAX, *g.discoveryRate);
    write(file, key::CRLF, g.crlf ? 1 : 0);
    write(file, key::SFUNCTSTART, g.specialStart);
    write(file, key::SFUNCTEND, g.specialEnd);
    write(file, key::SFUNCTENAB, g.specialEnabled);
    write(file, key::STARTIN, g.startIn);
    write(file, key::NagScreen, g.hideAboutOnStartup);
    write(file, key::LocalEchoCheck, g.localEcho);
    write(file, key::KeySetSel, g.keySet);
    if (g.keys) {
        g.keys->writeChangedKeys(file);
        g.keys->writeSetNames(file);
    }
}
