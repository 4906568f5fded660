// START LOG / STOP LOG: the file chosen, an existing one kept as its backup after the
// operator agreed, and a log that cannot be created reported.

#include "terminal/terminalworkspace.h"

#include "settings/settingsfile.h"
#include "settings/settingskeys.h"
#include "terminal/terminalpane.h"
#include "workspace/console.h"
#include "workspace/filereplace.h"
#include "workspace/operatorprompt.h"

#include <QDir>
#include <QFileInfo>
#include <QPushButton>

namespace {

const char *const LogChooserTitle = "Keldan Log file";

} // namespace

void TerminalWorkspace::LogStartStopClick()
{
    if (m_single->isVisible())
        m_single->setFocus();
    if (m_log.active()) {
        stopLog();
        return;
    }

    OperatorPrompt &prompt = console().prompt();
    OperatorPrompt::FileChoice choice;
    choice.title = QString::fromLatin1(LogChooserTitle);
    choice.folder = TerminalLog::folderOf(m_settings.logsDrive, m_settings.logsDir);
    choice.fileName = QString::fromLatin1(TerminalLog::DefaultName);
    choice.filter = QStringLiteral("Log files (*.log *.LOG)");
    const QString path = prompt.chooseSaveFile(choice);
    if (path.isEmpty())
        return;

    const TerminalLog::Location location = TerminalLog::locationOf(path);
    m_settings.logsDrive = location.drive;
    m_settings.logsDir = location.dir;
    const bool saved = console().saveSettings([&location](SettingsFile &file) {
        write(file, key::LOGSDRIVE, location.drive);
        write(file, key::LOGSDIR, location.dir);
    });
    if (!saved)
        return;

    // No leaves the file as it was; Yes keeps it as its backup before the fresh log.
    if (!FileReplace::confirmOverwrite(prompt, path))
        return;
    if (QFileInfo::exists(path)) {
        const FileReplace::Result backup = FileReplace::keepBackup(path);
        if (!backup.ok) {
            prompt.showMessage(QString::fromLatin1(LogChooserTitle), backup.error);
            return;
        }
    }
    QString error;
    if (!m_log.start(path, &error)) {
        prompt.showMessage(QString::fromLatin1(LogChooserTitle),
                           QStringLiteral("The log file could not be created:\n(%1)\n%2")
                               .arg(QDir::toNativeSeparators(path), error));
        return;
    }
    m_logButton->setText(QStringLiteral("STOP LOG"));
    m_logFlush->start();
}

void TerminalWorkspace::stopLog()
{
    if (!m_log.active())
        return;
    m_logButton->setText(QStringLiteral("START LOG"));
    m_logFlush->stop();
    m_log.stop();
}
