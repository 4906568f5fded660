#pragma once

#include "terminal/keyfilelocation.h"
#include "workspace/settingsowner.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

class Console;
class FunctionKeyTable;
class KeyGridModel;
class KeyGridView;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// The "Function Keys" page of the Configuration workspace: the set buttons CFGSETSEL1..16,
// the grid FKeyGrid with the working copy of the current set, the key buttons F1S..F64S,
// the commands along the bottom (caption, undo, clear, the four key-set file commands) and
// the caption panel. Owns the remembered key-file location (KEYSDRIVE, KEYSDIR, KEYSFILE);
// the keys themselves are the table's, which the terminal reads and writes.
class FunctionKeysPage : public QObject, public SettingsOwner
{
    Q_OBJECT
public:
    // Builds the page's controls on page.
    FunctionKeysPage(FunctionKeyTable &keys, Console &console, QWidget *page, QObject *parent = nullptr);
    ~FunctionKeysPage() override;

    // Start-up: the grid holds no set until the keys are read; then the key-file location and
    // the grid of the set read; once loaded, ShowKeySet for the set and the set names read.
    void resetForStartup() override;
    void readSettings(const SettingsFile &file) override;
    void readAfterLoaded(const SettingsFile &file) override;
    // Closing: the grid is committed while the group is gathered, before anything is
    // written, so the changed keys the terminal gives include the grid's last edits.
    void addClosingValues(ClosingGroup &group) const override;

    // ShowKeySet: the grid (an edit in it first committed to the set it shows) and the
    // captions from the tables, the current set's CFGSETSEL down. Runs whenever the page is
    // shown (entering the configuration, its page chosen), so a set chosen on the terminal
    // is the one shown here.
    void showKeySet();
    // FKeyGridExit: the grid's rows into the tables; the closing path calls it first.
    void commit() { FKeyGridExit(); }
    // The last row move can no longer be undone: set, page or workspace changed. The page
    // does this itself whenever it is hidden, which both of those changes do.
    void dropUndo();

    // Column 2 of grid row r (1..64): what the keyboard's function keys send.
    QString gridData(int r) const;
    // "Current Key File:": the full path, and the text shown for it.
    QString keyFilePath() const { return m_keyFilePath; }
    QString keyFileText() const;
    KeyFileLocation keyFileLocation() const { return m_location; }
    // Where a drive letter points (the home folder) and the drives a chosen path is split
    // by (keyFileDrives()); tests give their own.
    void setHomeFolder(const QString &home) { m_home = home; }
    void setDrives(const QStringList &drives) { m_drives = drives; }

    KeyGridModel &grid() const { return *m_grid; }
    KeyGridView *gridView() const { return m_view; }

    void CFGSETSEL1Click(int tag);
    void CFGSETSEL1DblClick(int tag);
    void Button19Click();
    void Button20Click();
    void Button21Click();
    void FKeyGridExit();
    void FKeyGridRowMoved(int from, int to);
    void UndoMoveButtonClick();
    void Button24Click();
    void GotoTableLine(int tag);
    void UpdateKeyButtonCaption(int r);
    void SaveKeys();       // Button14
    void LoadKeys();       // Button15
    void Button22Click();  // SAVE SUBSET
    void Button23Click();  // LOAD SUBSET

Q_SIGNALS:
    // A set chosen on this page is current: the terminal's panel follows.
    void currentSetChanged(int set);
    // The caption panel renamed a set: the terminal's set buttons take the captions.
    void setCaptionsChanged();
    // A load showed another key file (the terminal's KeyFile and KeyFileTerm).
    void keyFileChanged(const QString &path, const QString &shown);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildSetButtons(QWidget *page);
    void buildGrid(QWidget *page);
    void buildKeyButtons(QWidget *page);
    void buildCommands(QWidget *page);
    void buildCaptionPanel(QWidget *page);
    void connectGrid();
    void showConfigCaptions();
    void showCaptionPanel(int set);
    void FKeyGridKeyPress(int r, int code);
    void FKeyGridSelectCell();
    void ReloadKeyGrid();
    void focusPage();

    // The key-set file commands (functionkeyfiles.cpp).
    QString chooseFile(bool save);
    bool rememberLocation(const QString &path);
    void showKeyFile(const QString &path);
    void saveKeyFile(const QString &refusal, const QByteArray &content, const QString &path);
    std::optional<QStringList> openKeyFile();
    int editedSet() const;

    FunctionKeyTable &m_keys;
    Console &m_console;
    QWidget *m_page;
    KeyGridModel *m_grid = nullptr;
    KeyGridView *m_view = nullptr;
    std::array<QPushButton *, 16> m_setButtons{};
    std::array<QPushButton *, 64> m_keyButtons{};
    QPushButton *m_undo = nullptr;
    QLabel *m_currentKeyFile = nullptr;
    QFrame *m_captionPanel = nullptr;
    QLabel *m_currentCaption = nullptr;
    QLineEdit *m_newCaption = nullptr;

    KeyFileLocation m_location;
    QString m_keyFilePath;
    QString m_home;
    QStringList m_drives;
};
