#include "settings/settingskeys.h"

#include "settings/settingsfile.h"

#include <QCoreApplication>
#include <QDir>

QString fKeyTextName(int n)
{
    return QStringLiteral("F%1TEXT").arg(n);
}

QString fKeyMacroName(int n)
{
    return QStringLiteral("F%1MACRO").arg(n);
}

QString cfgSetSelName(int n)
{
    return QStringLiteral("CFGSETSEL%1").arg(n);
}

QString cfgSetSelDefault(int n)
{
    return QStringLiteral("SET %1").arg(n);
}

QString startInDefault()
{
    // applicationDirPath() is already free of a trailing separator, a root aside.
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

QString defaultValue(const StringKey &k)
{
    return k.def ? QString::fromLatin1(k.def) : startInDefault();
}

QString read(const SettingsFile &file, const StringKey &k)
{
    const QString name = QString::fromLatin1(k.name);
    // The computed default is only worked out when the key is absent; an empty value is
    // a value.
    if (!k.def)
        return file.contains(name) ? file.readString(name, QString()) : startInDefault();
    return file.readString(name, QString::fromLatin1(k.def));
}

int read(const SettingsFile &file, const IntKey &k)
{
    return file.readInteger(QString::fromLatin1(k.name), k.def);
}

bool read(const SettingsFile &file, const BoolKey &k)
{
    return file.readBool(QString::fromLatin1(k.name), k.def);
}

void write(SettingsFile &file, const StringKey &k, const QString &value)
{
    file.writeString(QString::fromLatin1(k.name), value);
}

void write(SettingsFile &file, const IntKey &k, int value)
{
    file.writeInteger(QString::fromLatin1(k.name), value);
}

void write(SettingsFile &file, const BoolKey &k, bool value)
{
    file.writeBool(QString::fromLatin1(k.name), value);
}

namespace {

constexpr StringKey Strings[] = {
    key::PORT,      key::BAUD,        key::COMSPEC,   key::FLOWCTL,    key::PROGPORT,
    key::STARTIN,   key::FirstAddr,   key::LastAddr,  key::TEMP,       key::TermFont,
    key::KEYSDRIVE, key::KEYSDIR,     key::KEYSFILE,  key::LOGSDRIVE,  key::LOGSDIR,
    key::SeqFont,   key::NETime,      key::CommentChar, key::EscapeChar, key::PrintON,
    key::PrintOFF,  key::SFUNCTSTART, key::SFUNCTEND, key::SeqFilePath, key::LastFile,
    key::StartProg,
};

constexpr IntKey Integers[] = {
    key::BAUDX,   key::BAUDAX,  key::A,       key::B,         key::C,
    key::TermSize, key::TermColor, key::TxColor, key::RxColor, key::CRLF,
    key::KeySetSel, key::SeqSize, key::SeqColor,
};

constexpr BoolKey Booleans[] = {
    key::FLOWEN,     key::POWERCTL,  key::DTRACTIVE,  key::RTSACTIVE, key::FontBold,
    key::LocalEchoCheck, key::SFUNCTENAB, key::BitNumbering, key::LoadLastSeqFile,
    key::AutoStart,  key::NagScreen, key::HideDM,     key::HideAM,    key::HideRC,
    key::HideTE,     key::HideSE,    key::HidePrg,
};

} // namespace

FixedKeys fixedKeys()
{
    return {Strings, Integers, Booleans};
}
