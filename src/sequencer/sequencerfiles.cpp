// The Sequencer's file commands: New, Save and Open on the tool bar, the "Save changes"
// question, LastFile and the load of a sequence file.

#include "sequencer/sequencerworkspace.h"

#include "sequencer/sequencefile.h"
#include "sequencer/sequencerunner.h"

#include "workspace/console.h"
#include "workspace/operatorprompt.h"
#include "settings/settingsfile.h"
#include "settings/settingskeys.h"

#include <QFile>
#include <QFileInfo>
#include <QToolButton>

namespace {

enum FileCommand { NewSequence = 0, SaveSequence = 1, OpenSequence = 2 };

OperatorPrompt::FileChoice sequenceChooser(const char *title, const QString &folder)
{
    // The name field offers every text file of the folder; Linux names are case-sensitive,
    // so the filter names both spellings.
    return {QString::fromLatin1(title), folder, QStringLiteral("*.txt"),
            QStringLiteral("Text files (*.txt *.TXT)")};
}

} // namespace

void SequencerWorkspace::FileOperations(int tag)
{
    // A run holds the font button disabled; files stay alone until it stops.
    if (!m_font->isEnabled())
        return;
    SequenceRunner::TimerHold hold(*m_runner);
    // An edit still open belongs to the sequence the command may replace.
    commitCellEdit();

    if (m_runner->sequenceModified() && tag != SaveSequence) {
        const OperatorPrompt::Answer answer = console().prompt().ask(
            QStringLiteral("Save changes"), QStringLiteral("File modified,  save changes?"), true);
        if (answer == OperatorPrompt::Answer::Cancel)
            return;
        // Replacing the sequence after a save that did not happen would lose the edits.
        if (answer == OperatorPrompt::Answer::Yes && !SaveSequenceFile())
            return;
    }

    switch (tag) {
    case SaveSequence:
        SaveSequenceFile();
        break;
    case NewSequence:
        m_runner->newSequence();
        break;
    case OpenSequence:
        OpenSequenceFile();
        break;
    default:
        break;
    }
}

bool SequencerWorkspace::SaveSequenceFile()
{
    OperatorPrompt &prompt = console().prompt();
    const QString path = prompt.chooseSaveFile(sequenceChooser(SequenceFile::SaveTitle, m_settings.filePath));
    if (path.isEmpty())
        return false;
    const Sequence &sequence = m_runner->sequence();

    // A step a file cannot hold is refused before anything is asked or changed.
    if (SequenceFile::firstUnsavableStep(sequence) >= 0) {
        prompt.showMessage(QStringLiteral("Error Saving"), SequenceFile::save(path, sequence).error);
        return false;
    }
    // Asked before anything is touched: No leaves the file where it was.
    if (!FileReplace::confirmOverwrite(prompt, path))
        return false;
    if (!console().saveSettings([&](SettingsFile &file) { write(file, key::LastFile, path); }))
        return false;

    const SequenceFile::SaveResult saved = SequenceFile::save(path, sequence);
    if (!saved.ok) {
        prompt.showMessage(QStringLiteral("Error Saving"), saved.error);
        return false;
    }
    m_runner->setSequenceModified(false);
    return true;
}

void SequencerWorkspace::OpenSequenceFile()
{
    const QString path =
        console().prompt().chooseOpenFile(sequenceChooser(SequenceFile::OpenTitle, m_settings.filePath));
    if (path.isEmpty())
        return;
    if (QFile file(path); !file.open(QIODevice::ReadOnly))
        return;
    if (!console().saveSettings([&](SettingsFile &file) { write(file, key::LastFile, path); }))
        return;
    LoadSequenceFile(path);
}

bool SequencerWorkspace::LoadSequenceFile(const QString &path)
{
    return m_runner->loadFile(path);
}
