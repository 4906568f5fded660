#pragma once

#include <QString>
#include <QStringList>

#include <vector>

class SettingsFile;

// The function-key tables: 16 sets of 64 keys, each with a label and the data it sends.
// Key n (1..1024) belongs to set (n - 1) / 64. Only keys marked changed are written back,
// so the file keeps whatever it holds for the others.
class FunctionKeyTable
{
public:
    static constexpr int Keys = 1024;
    static constexpr int Sets = 16;
    static constexpr int KeysPerSet = 64;

    FunctionKeyTable();

    // Key n of the whole table for key 1..64 of set 0..15: key 1 of the second set is key 65.
    static constexpr int keyNumber(int set, int key) { return set * KeysPerSet + key; }

    QString label(int n) const { return m_labels.at(n - 1); }
    QString data(int n) const { return m_data.at(n - 1); }
    bool changed(int n) const { return m_changed.at(size_t(n - 1)); }
    void setLabel(int n, const QString &text);
    void setData(int n, const QString &text);
    // Both texts of key n at once, marked changed whatever they were before.
    void setKey(int n, const QString &label, const QString &data);
    void clearChanged();

    QString setName(int set) const { return m_setNames.at(set); }   // set 0..15
    void setSetName(int set, const QString &name) { m_setNames[set] = name; }

    int currentKeySet() const { return m_currentKeySet; }
    // Values outside 0..15 (a hand-edited file) fall back to the first set.
    void setCurrentKeySet(int set) { m_currentKeySet = (set >= 0 && set < Sets) ? set : 0; }

    void readKeys(const SettingsFile &file);      // "F%dTEXT", "F%dMACRO"
    void readSetNames(const SettingsFile &file);  // "CFGSETSEL%d"
    // The key part of the closing write: changed keys in order, then all 16 set names.
    void writeChangedKeys(SettingsFile &file) const;
    void writeSetNames(SettingsFile &file) const;

private:
    QStringList m_labels;
    QStringList m_data;
    std::vector<bool> m_changed;
    QStringList m_setNames;
    int m_currentKeySet = 0;
};
