#include "serial/portmap.h"

#include "settings/settingsfile.h"

#include <QFileInfo>
#include <QMutexLocker>
#include <QSerialPortInfo>

#include <algorithm>

namespace {

constexpr int FirstPort = 1;
constexpr int LastPort = 255;

// "COM3" (any case) -> 3; 0 for anything else.
int numberOfKey(const QString &key)
{
    if (!key.startsWith(QLatin1String("COM"), Qt::CaseInsensitive))
        return 0;
    const QStringView digits = QStringView(key).mid(3);
    if (digits.isEmpty() || digits.size() > 3 || !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit(); }))
        return 0;
    const int n = digits.toInt();
    return n >= FirstPort && n <= LastPort ? n : 0;
}

// Two names of one device (a link and its target) count as the same device.
QString identity(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

} // namespace

void PortMap::load(const SettingsFile &file)
{
    const QString section = QString::fromLatin1(Section);
    QMap<int, QString> entries;
    for (const QString &key : file.keysIn(section)) {
        const int n = numberOfKey(key);
        if (n == 0)
            continue;
        const QString path = file.readStringIn(section, key, QString()).trimmed();
        if (!path.isEmpty())
            entries.insert(n, path);
    }
    setEntries(entries);
}

bool PortMap::assignDiscovered(const QStringList &devicePaths, SettingsFile &file)
{
    QMutexLocker lock(&m_mutex);
    QStringList known;
    for (const QString &path : std::as_const(m_entries))
        known << identity(path);

    bool added = false;
    int candidate = FirstPort;
    for (const QString &path : devicePaths) {
        const QString id = identity(path);
        if (path.isEmpty() || known.contains(id))
            continue;
        while (candidate <= LastPort && m_entries.contains(candidate))
            ++candidate;
        if (candidate > LastPort)
            break;   // every number is taken; the rest stay without one
        m_entries.insert(candidate, path);
        known << id;
        file.writeStringIn(QString::fromLatin1(Section), QStringLiteral("COM%1").arg(candidate), path);
        added = true;
    }
    return added;
}

QString PortMap::devicePath(int comNumber) const
{
#ifdef Q_OS_WIN
    if (comNumber < FirstPort || comNumber > LastPort)
        return QString();
    return QStringLiteral("\\\\.\\COM%1").arg(comNumber);
#else
    QMutexLocker lock(&m_mutex);
    return m_entries.value(comNumber);
#endif
}

QMap<int, QString> PortMap::entries() const
{
    QMutexLocker lock(&m_mutex);
    return m_entries;
}

void PortMap::setEntries(const QMap<int, QString> &entries)
{
    QMutexLocker lock(&m_mutex);
    m_entries = entries;
}

QStringList PortMap::systemDevices()
{
    QStringList paths;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports)
        paths << info.systemLocation();
    paths.sort();
    return paths;
}
