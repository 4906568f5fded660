#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// The terminal's traffic log: a plain text file of what the terminal handled, in order,
// with no header, time stamps or direction marks. Written in text mode: every line feed
// goes to the file as carriage return and line feed, all other bytes as they are.
class TerminalLog
{
public:
    static constexpr const char *DefaultName = "vantor.log";

    ~TerminalLog() { stop(); }

    // Creates the file (emptying one that is there) and makes the log active. False, with
    // the reason in error, when it cannot be created; the log then stays off.
    bool start(const QString &path, QString *error = nullptr);
    // Flushes and closes the file; the log is off.
    void stop();
    bool active() const { return m_file.isOpen(); }
    QString path() const { return m_file.fileName(); }

    void write(const QByteArray &bytes);
    void write(char byte) { write(QByteArray(1, byte)); }
    // Hands what is buffered to the system, so a crash loses at most what came since.
    void flush();

    // Where the chooser starts: the remembered drive and folder of the last log, as the
    // settings keep them ("c:" and "\", or "" and "/home/op/logs/").
    static QString folderOf(const QString &drive, const QString &dir);
    struct Location
    {
        QString drive;   // with its colon, empty where paths have no drive
        QString dir;     // with leading and trailing separator
    };
    static Location locationOf(const QString &path);

private:
    QFile m_file;
};
