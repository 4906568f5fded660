#pragma once

#include "settings/profilefile.h"

#include <QString>
#include <QStringList>

// The console's settings file, kept the way the Windows profile functions keep it
// (see profilefile.h for the line rules). One SettingsFile is one operation on the
// file: the constructor takes a snapshot of it, reads come from that snapshot, writes
// edit the snapshot, and commit() replaces the file atomically with the edited text.
// A missing file reads as all defaults; reading never fails.
//
// Text is converted to and from the file's bytes as Latin-1, so every byte of the file
// reads back as one character and is written back unchanged; a character beyond Latin-1
// cannot be stored and is written as "?". Values are whole: nothing is cut to a length.
class SettingsFile
{
public:
    static constexpr const char *Section = "Tester";

    explicit SettingsFile(QString path, QString section = QString::fromLatin1(Section));

    QString path() const { return m_path; }

    // Whether the key has a line in the section (an empty value counts).
    bool contains(const QString &key) const;
    QString readString(const QString &key, const QString &def) const;
    int readInteger(const QString &key, int def) const;
    bool readBool(const QString &key, bool def) const;

    void writeString(const QString &key, const QString &value);
    void writeInteger(const QString &key, int value);
    void writeBool(const QString &key, bool value);

    // Any section, for the port map ([Ports]).
    QString readStringIn(const QString &section, const QString &key, const QString &def) const;
    void writeStringIn(const QString &section, const QString &key, const QString &value);
    // Key names of a section, in file order (first occurrence of each).
    QStringList keysIn(const QString &section) const;

    bool hasPendingWrites() const { return m_dirty; }

    // Replaces the file with the edited snapshot, atomically: afterwards the file is the
    // old one or the new one, never a mix. Refuses a file that is itself read-only, a file
    // that existed but could not be read (replacing it would drop what it holds), and a
    // missing folder (which is not created). Creates a missing file. Without pending
    // writes there is nothing to do, and it succeeds.
    // Returns false and leaves the file as it was when the write could not be made;
    // errorString() then says why (for logs; the operator sees the "Error Saving" box).
    bool commit();
    QString errorString() const { return m_error; }

private:
    QString m_path;
    QString m_section;
    ProfileFile m_file;
    bool m_dirty = false;
    QString m_readError;    // set when the file exists but could not be read
    QString m_error;
};
