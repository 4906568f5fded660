#include "terminal/functionkeys.h"

#include "settings/settingsfile.h"
#include "settings/settingskeys.h"

FunctionKeyTable::FunctionKeyTable()
    : m_changed(Keys, false)
{
    m_labels.reserve(Keys);
    m_data.reserve(Keys);
    for (int n = 1; n <= Keys; ++n) {
        m_labels.append(QString());
        m_data.append(QString());
    }
    for (int set = 1; set <= Sets; ++set)
        m_setNames.append(cfgSetSelDefault(set));
}

void FunctionKeyTable::setLabel(int n, const QString &text)
{
    m_labels[n - 1] = text;
    m_changed[size_t(n - 1)] = true;
}

void FunctionKeyTable::setData(int n, const QString &text)
{
    m_data[n - 1] = text;
    m_changed[size_t(n - 1)] = true;
}

void FunctionKeyTable::setKey(int n, const QString &label, const QString &data)
{
    setLabel(n, label);
    setData(n, data);
}

void FunctionKeyTable::clearChanged()
{
    std::fill(m_changed.begin(), m_changed.end(), false);
}

void FunctionKeyTable::readKeys(const SettingsFile &file)
{
    for (int n = 1; n <= Keys; ++n) {
        m_labels[n - 1] = file.readString(fKeyTextName(n), QString());
        m_data[n - 1] = file.readString(fKeyMacroName(n), QString());
    }
}

void FunctionKeyTable::readSetNames(const SettingsFile &file)
{
    for (int set = 1; set <= Sets; ++set)
        m_setNames[set - 1] = file.readString(cfgSetSelName(set), cfgSetSelDefault(set));
}

void FunctionKeyTable::writeChangedKeys(SettingsFile &file) const
{
    for (int n = 1; n <= Keys; ++n) {
        if (!m_changed[size_t(n - 1)])
            continue;
        file.writeString(fKeyTextName(n), m_labels[n - 1]);
        file.writeString(fKeyMacroName(n), m_data[n - 1]);
    }
}

void FunctionKeyTable::writeSetNames(SettingsFile &file) const
{
    for (int set = 1; set <= Sets; ++set)
        file.writeString(cfgSetSelName(set), m_setNames[set - 1]);
}
