#include "settings/settingslocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
constexpr auto OwnFolder = "keldan";
constexpr auto FallbackName = "iovantor.INI";
#ifdef IOVANTOR_PACKAGED
constexpr bool PackagedBuild = true;
#else
constexpr bool PackagedBuild = false;
#endif
}

QString chooseSettingsFilePath(const SettingsLocationInput &input)
{
    if (input.programDirWritable && !input.alwaysUserFolder)
        return input.programDir + QLatin1Char('/') + input.programName + QStringLiteral(".INI");

    QString configHome = input.xdgConfigHome;
    if (configHome.isEmpty() || QDir::isRelativePath(configHome))
        configHome = input.homeDir + QStringLiteral("/.config");
    return configHome + QLatin1Char('/') + QLatin1String(OwnFolder) + QLatin1Char('/')
        + QLatin1String(FallbackName);
}

QString settingsFilePath()
{
    SettingsLocationInput input;
    input.programDir = QCoreApplication::applicationDirPath();
    // The program file's own name, as the original took its path and changed the
    // extension; an application name set for display must not move the file.
    input.programName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    input.alwaysUserFolder = PackagedBuild;
    input.programDirWritable = !PackagedBuild && QFileInfo(input.programDir).isWritable();
    input.xdgConfigHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    input.homeDir = QDir::homePath();

    const QString path = chooseSettingsFilePath(input);
    if (!input.programDirWritable)
        QDir().mkpath(QFileInfo(path).absolutePath());
    return path;
}
