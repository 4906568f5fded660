// The key-set file commands of the Function Keys page: SAVE / LOAD ALL KEYS, SAVE / LOAD
// SUBSET, the remembered key-file location and "Current Key File:".

#include "terminal/functionkeyspage.h"

#include "terminal/functionkeys.h"
#include "terminal/keygridmodel.h"
#include "terminal/keypanel.h"
#include "terminal/keysetfile.h"
#include "workspace/console.h"
#include "workspace/filereplace.h"
#include "workspace/operatorprompt.h"
#include "settings/settingsfile.h"
#include "settings/settingskeys.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

namespace {

const char *const ErrorTitle = "Error Saving";
const char *const WriteProtected = "Error Saving, The drive may be write protected";

} // namespace

// The set the grid edits: the one its rows hold, else the current one.
int FunctionKeysPage::editedSet() const
{
    return m_grid->shownSet() >= 0 ? m_grid->shownSet() : m_keys.currentKeySet();
}

QString FunctionKeysPage::chooseFile(bool save)
{
    QString folder = m_location.folderPath(m_home);
    if (!QFileInfo(folder).isDir())
        folder = m_home;
    const OperatorPrompt::FileChoice choice{QString::fromLatin1(save ? KeySetFile::SaveTitle : KeySetFile::OpenTitle),
                                            folder, m_location.name, QString::fromLatin1(KeySetFile::Filter)};
    OperatorPrompt &prompt = m_console.prompt();
    return save ? prompt.chooseSaveFile(choice) : prompt.chooseOpenFile(choice);
}

// The settings take all three parts of path; this run keeps the name read at start-up and
// proposes it in the new folder.
bool FunctionKeysPage::rememberLocation(const QString &path)
{
    const KeyFileLocation chosen = KeyFileLocation::fromPath(path, m_drives);
    const bool saved = m_console.saveSettings([&](SettingsFile &file) {
        write(file, key::KEYSDRIVE, chosen.drive);
        write(file, key::KEYSDIR, chosen.folder);
        write(file, key::KEYSFILE, chosen.name);
    });
    if (!saved)
        return false;
    m_location.drive = chosen.drive;
    m_location.folder = chosen.folder;
    return true;
}

void FunctionKeysPage::showKeyFile(const QString &path)
{
    m_keyFilePath = path;
    m_currentKeyFile->setText(keyFileText());
    m_currentKeyFile->setToolTip(path);
    Q_EMIT keyFileChanged(path, keyFileText());
}

// Nothing is asked or changed for content that cannot be written whole; an existing file is
// replaced only after a Yes, kept as its backup and replaced atomically.
void FunctionKeysPage::saveKeyFile(const QString &refusal, const QByteArray &content, const QString &path)
{
    OperatorPrompt &prompt = m_console.prompt();
    if (!refusal.isEmpty()) {
        prompt.showMessage(QString::fromLatin1(ErrorTitle), refusal);
        return;
    }
    if (!FileReplace::confirmOverwrite(prompt, path))
        return;
    if (!rememberLocation(path))
        return;
    if (!FileReplace::writeWithBackup(path, content).ok) {
        prompt.showMessage(QString::fromLatin1(ErrorTitle), QString::fromLatin1(WriteProtected));
        return;
    }
    focusPage();
}

void FunctionKeysPage::SaveKeys()
{
    const QString path = chooseFile(true);
    if (path.isEmpty())
        return;
    // The grid's set is saved as the grid shows it, edits not yet committed included.
    KeySetFile::AllKeys content;
    for (int n = 1; n <= FunctionKeyTable::Keys; ++n)
        content.keys.append({m_keys.label(n), m_keys.data(n)});
    if (m_grid->shownSet() >= 0) {
        for (int r = 1; r <= KeyGridModel::Rows; ++r)
            content.keys[FunctionKeyTable::keyNumber(m_grid->shownSet(), r) - 1] = m_grid->row(r);
    }
    for (int set = 0; set < FunctionKeyTable::Sets; ++set)
        content.captions.append(m_keys.setName(set));
    saveKeyFile(KeySetFile::unsavableText(content), KeySetFile::encode(content), path);
}

void FunctionKeysPage::Button22Click()
{
    const QString path = chooseFile(true);
    if (path.isEmpty())
        return;
    const KeySetFile::Subset content{m_grid->rows(), m_keys.setName(editedSet())};
    saveKeyFile(KeySetFile::unsavableText(content, editedSet()), KeySetFile::encode(content), path);
}

// A file that cannot be opened, or lacks the magic, changes nothing and says nothing.
std::optional<QStringList> FunctionKeysPage::openKeyFile()
{
    const QString path = chooseFile(false);
    if (path.isEmpty())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    std::optional<QStringList> lines = KeySetFile::textLines(file.readAll());
    if (!lines || !rememberLocation(path))
        return std::nullopt;
    showKeyFile(path);
    return lines;
}

void FunctionKeysPage::LoadKeys()
{
    const std::optional<QStringList> lines = openKeyFile();
    if (!lines)
        return;
    const KeySetFile::AllKeys content = KeySetFile::readAllKeys(*lines);
    // An older move's undo would write two keys of the old set over the loaded ones.
    m_grid->dropUndo();
    for (int n = 1; n <= FunctionKeyTable::Keys; ++n)
        m_keys.setKey(n, content.keys.at(n - 1).label, content.keys.at(n - 1).data);
    for (int set = 0; set < FunctionKeyTable::Sets; ++set)
        m_keys.setSetName(set, content.captions.at(set));
    m_grid->load();
    showConfigCaptions();
    focusPage();
}

void FunctionKeysPage::Button23Click()
{
    const std::optional<QStringList> lines = openKeyFile();
    if (!lines)
        return;
    const KeySetFile::Subset content = KeySetFile::readSubset(*lines);
    const int set = editedSet();
    m_grid->dropUndo();
    m_grid->takeSubset(content.keys);
    m_keys.setSetName(set, content.caption);
    m_setButtons[size_t(set)]->setText(buttonCaption(content.caption));
    focusPage();
}
