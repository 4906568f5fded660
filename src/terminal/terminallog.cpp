#include "terminal/terminallog.h"

#include <QDir>
#include <QFileInfo>

bool TerminalLog::start(const QString &path, QString *error)
{
    stop();
    m_file.setFileName(path);
    if (m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return true;
    if (error)
        *error = m_file.errorString();
    m_file.setFileName(QString());
    return false;
}

void TerminalLog::stop()
{
    if (m_file.isOpen())
        m_file.close();
}

void TerminalLog::write(const QByteArray &bytes)
{
    if (!m_file.isOpen())
        return;
    if (!bytes.contains('\n')) {
        m_file.write(bytes);
        return;
    }
    QByteArray text;
    text.reserve(bytes.size() + bytes.count('\n'));
    for (char c : bytes) {
        if (c == '\n')
            text += '\r';
        text += c;
    }
    m_file.write(text);
}

void TerminalLog::flush()
{
    if (m_file.isOpen())
        m_file.flush();
}

QString TerminalLog::folderOf(const QString &drive, const QString &dir)
{
    QString folder = drive + dir;
    folder.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QFileInfo(folder).isDir() ? folder : QString();
}

TerminalLog::Location TerminalLog::locationOf(const QString &path)
{
    QString folder = QFileInfo(path).absolutePath();
    Location location;
    if (folder.size() >= 2 && folder.at(1) == QLatin1Char(':')) {
        location.drive = folder.left(2);
        folder = folder.mid(2);
    }
    if (!folder.startsWith(QLatin1Char('/')))
        folder.prepend(QLatin1Char('/'));
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    location.dir = QDir::toNativeSeparators(folder);
    return location;
}
