// iniset FILE SECTION KEY VALUE
// Sets one key of a settings file the way the console itself writes it (the rest of the
// file stays as it is). The demo and the tests use it to point a COM number at a
// simulated line.

#include "settings/settingsfile.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5) {
        std::fprintf(stderr, "usage: iniset FILE SECTION KEY VALUE\n");
        return 2;
    }
    SettingsFile file(args[1], args[2]);
    file.writeStringIn(args[2], args[3], args[4]);
    if (!file.commit()) {
        std::fprintf(stderr, "iniset: cannot write %s: %s\n", qPrintable(args[1]), qPrintable(file.errorString()));
        return 1;
    }
    return 0;
}
