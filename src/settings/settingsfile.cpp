#include "settings/settingsfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

SettingsFile::SettingsFile(QString path, QString section)
    : m_path(std::move(path))
    , m_section(std::move(section))
{
    QFile file(m_path);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        m_readError = file.errorString();
        return;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        m_readError = file.errorString();
        return;
    }
    m_file = ProfileFile(bytes);
}

bool SettingsFile::contains(const QString &key) const
{
    return m_file.value(m_section.toLatin1(), key.toLatin1()).has_value();
}

QString SettingsFile::readString(const QString &key, const QString &def) const
{
    return readStringIn(m_section, key, def);
}

int SettingsFile::readInteger(const QString &key, int def) const
{
    const std::optional<QByteArray> text = m_file.value(m_section.toLatin1(), key.toLatin1());
    if (!text)
        return def;
    return profile::parseInteger(*text).value_or(def);
}

bool SettingsFile::readBool(const QString &key, bool def) const
{
    return readInteger(key, def ? 1 : 0) != 0;
}

void SettingsFile::writeString(const QString &key, const QString &value)
{
    writeStringIn(m_section, key, value);
}

void SettingsFile::writeInteger(const QString &key, int value)
{
    writeStringIn(m_section, key, QString::number(value));
}

void SettingsFile::writeBool(const QString &key, bool value)
{
    writeInteger(key, value ? 1 : 0);
}

QString SettingsFile::readStringIn(const QString &section, const QString &key, const QString &def) const
{
    const std::optional<QByteArray> text = m_file.value(section.toLatin1(), key.toLatin1());
    return text ? QString::fromLatin1(*text) : def;
}

void SettingsFile::writeStringIn(const QString &section, const QString &key, const QString &value)
{
    m_file.setValue(section.toLatin1(), key.toLatin1(), value.toLatin1());
    m_dirty = true;
}

QStringList SettingsFile::keysIn(const QString &section) const
{
    QStringList names;
    const QList<QByteArray> keys = m_file.keys(section.toLatin1());
    names.reserve(keys.size());
    for (const QByteArray &key : keys)
        names.append(QString::fromLatin1(key));
    return names;
}

bool SettingsFile::commit()
{
    m_error.clear();
    if (!m_dirty)
        return true;

    auto fail = [this](const QString &why) {
        m_error = QStringLiteral("%1: %2").arg(m_path, why);
        return false;
    };

    if (!m_readError.isEmpty())
        return fail(QStringLiteral("the file could not be read, so it is not replaced (%1)").arg(m_readError));

    const QFileInfo existing(m_path);
    if (existing.exists()) {
        if (existing.isDir())
            return fail(QStringLiteral("is a folder"));
        // Replacing goes through the folder, which would succeed on a file that is itself
        // read-only, and the superuser may write any file; the owner's write bit is what
        // marks a file read-only, so it is asked for explicitly.
        const QFile::Permissions mode = existing.permissions();
        if (!(mode & QFileDevice::WriteOwner) || !existing.isWritable())
            return fail(QStringLiteral("the file is read-only"));
    }

    QSaveFile out(m_path);
    // Writing in place when a temporary file cannot be made beside the target could leave
    // half a file; failing keeps the old one.
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly))
        return fail(out.errorString());
    const QByteArray bytes = m_file.content();
    if (out.write(bytes) != bytes.size()) {
        const QString why = out.errorString();
        out.cancelWriting();
        return fail(why);
    }
    if (!out.commit())
        return fail(out.errorString());
    m_dirty = false;
    return true;
}
