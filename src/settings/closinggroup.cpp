#include "settings/closinggroup.h"

#include "settings/settingsfile.h"

#include <QtGlobal>

namespace {

constexpr const char *GroupOrder[] = {
    key::A.name,           key::B.name,           key::C.name,
    key::PrintON.name,     key::PrintOFF.name,    key::EscapeChar.name,     key::CommentChar.name,
    key::LoadLastSeqFile.name, key::AutoStart.name, key::SeqFilePath.name,
    key::BAUDX.name,       key::BAUDAX.name,      key::CRLF.name,
    key::SFUNCTSTART.name, key::SFUNCTEND.name,   key::SFUNCTENAB.name,
    key::STARTIN.name,     key::NagScreen.name,   key::LocalEchoCheck.name, key::KeySetSel.name,
};

bool inGroup(const char *name)
{
    for (const char *member : GroupOrder) {
        if (qstrcmp(member, name) == 0)
            return true;
    }
    return false;
}

} // namespace

void ClosingGroup::setWriter(const char *name, std::function<void(SettingsFile &)> write)
{
    // Only keys of the group: anything else is written by its control when it changes.
    Q_ASSERT_X(inGroup(name), "ClosingGroup", name);
    if (inGroup(name))
        m_writers[QString::fromLatin1(name)] = std::move(write);
}

void ClosingGroup::set(const StringKey &k, const QString &value)
{
    setWriter(k.name, [&k, value](SettingsFile &file) { ::write(file, k, value); });
}

void ClosingGroup::set(const IntKey &k, int value)
{
    setWriter(k.name, [&k, value](SettingsFile &file) { ::write(file, k, value); });
}

void ClosingGroup::set(const BoolKey &k, bool value)
{
    setWriter(k.name, [&k, value](SettingsFile &file) { ::write(file, k, value); });
}

void ClosingGroup::setFunctionKeys(std::function<void(SettingsFile &)> write)
{
    m_functionKeys = std::move(write);
}

void ClosingGroup::write(SettingsFile &file) const
{
    for (const char *name : GroupOrder) {
        const auto writer = m_writers.find(QString::fromLatin1(name));
        if (writer != m_writers.end())
            writer->second(file);
    }
    if (m_functionKeys)
        m_functionKeys(file);
}
