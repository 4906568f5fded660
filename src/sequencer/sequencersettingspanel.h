#pragma once

#include <QGroupBox>

class Console;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TForm2;
class TSelDirDlg;
struct SequencerSettings;

// "Sequencer Specific Information" on the Program Setup page: the characters of the step
// language, the new-step delay, the script folder and the load choices. Every change is
// carried into settings at once, so the closing write and the runner see what the
// controls show.
class SequencerSettingsPanel : public QGroupBox
{
    Q_OBJECT
public:
    SequencerSettingsPanel(Console &console, SequencerSettings &settings, QWidget *parent = nullptr);

    // Start-up: shows what settings holds (its handlers stay quiet until the settings are loaded).
    void showSettings();

    void SeqSetChange();
    void Button13Click();          // RESET DEFAULTS
    void Label124Click();          // HELP
    void Button12Click();          // BROWSE
    void LoadLastSeqFileClick();

    QLineEdit *CommentChar = nullptr;
    QLineEdit *EscapeChar = nullptr;
    QLineEdit *PrintCtrlOn = nullptr;
    QLineEdit *PrintCtrlOff = nullptr;
    QCheckBox *SpecFunctEnable = nullptr;
    QLineEdit *SpecFunctStart = nullptr;
    QLineEdit *SpecFunctEnd = nullptr;
    QLineEdit *NewEntry = nullptr;
    QCheckBox *BitNumbering = nullptr;
    QPushButton *Button13 = nullptr;
    QLabel *Label124 = nullptr;
    QLineEdit *SeqPath = nullptr;
    QPushButton *Button12 = nullptr;
    QCheckBox *LoadLastSeqFile = nullptr;
    QCheckBox *AutoStart = nullptr;

    TForm2 *helpPage() const { return m_help; }

Q_SIGNALS:
    // settings now holds what the controls show.
    void settingsChanged();

public:
    TSelDirDlg *folderChooser() const { return m_folders; }

private:
    void buildLanguageControls();
    void buildScriptControls();
    void takeControls();

    Console &m_console;
    SequencerSettings &m_settings;
    TForm2 *m_help;
    TSelDirDlg *m_folders;
    bool m_showing = false;   // controls being filled from settings: nothing to take back
};
