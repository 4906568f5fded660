#pragma once

#include "workspace/panelworkspace.h"
#include "sequencer/sequencersettings.h"
#include "sequencer/stepcolumn.h"

#include <QColor>
#include <QFont>

#include <optional>

class QFrame;
class QLabel;
class QLineEdit;
class QSlider;
class QToolButton;
class SequenceRunner;
class SequencerSettingsPanel;
class SettingsFile;
enum class StepField;

// The Sequencer workspace: the five columns of the step window with their in-place editors,
// the tool bar, the time-scale slider, the file commands and the settings panel on the
// configuration page. The sequence, its window and the run live in the SequenceRunner; this
// object shows them and turns the operator's actions into the runner's commands.
//
// The implementation is split: sequencerworkspace.cpp builds the panel and follows the
// runner, sequencerfiles.cpp holds the file commands, sequencereditor.cpp the editor.
class SequencerWorkspace : public PanelWorkspace
{
    Q_OBJECT
public:
    explicit SequencerWorkspace(Console &console, QObject *parent = nullptr);
    ~SequencerWorkspace() override;

    void enter() override;
    // Every workspace change: the run stops with SeqTimer.
    void stopTimers() override;

    SequencerSettings &settings() { return m_settings; }
    const SequencerSettings &settings() const { return m_settings; }
    SequenceRunner &runner() const { return *m_runner; }

    // Start-up: the run state and the time scale; the font, the special functions and the
    // step language's characters; after the start workspace was entered, the step window's
    // rows for the font and the load choices, which the one-time load of the first entry
    // reads on its later tick. Closing: the characters, the load choices, the file folder
    // and the special functions.
    void resetForStartup() override;
    void readSettings(const SettingsFile &file) override;
    void prepareFirstEntry(const SettingsFile &file) override;
    void addClosingValues(ClosingGroup &group) const override;
    // Puts "Sequencer Specific Information" on the configuration page that holds it.
    void installSettingsPanel(QWidget *page);
    SequencerSettingsPanel *settingsPanel() const { return m_settingsPanel; }

    // The file commands (sequencerfiles.cpp).
    void FileOperations(int tag);   // 0 New, 1 Save, 2 Open
    bool SaveSequenceFile();        // true once the file is written
    void OpenSequenceFile();
    bool LoadSequenceFile(const QString &path);

    // The run (sequencerworkspace.cpp).
    void RedrawStepWindow();
    void SeqRunClick();
    void PauseBtnClick();
    void RestartClick();
    void StepClick();
    void ClearResp();
    void TrackBar1Change();

    // The editor (sequencereditor.cpp).
    void SeqListMouseDown(StepColumn *column, Qt::MouseButton button, QPoint position);
    void EvCommandClick(int row);
    void COL3MouseMove(int row);
    void COL3MouseUp();
    void COL3KeyDown(StepColumn *column, int key);
    void COL3Enter();
    void COL3Exit();
    void Edit1KeyPress();   // Enter in any of the three in-place editors
    void UpDown1Click(UpDownArrows::Arrow arrow);
    void NewaClick();
    void InsertButtonaClick();
    void InsertAfterBtnClick();
    void DeleteaClick();
    void BitBtn5Click();
    bool ScrollStepWindow(bool down);

Q_SIGNALS:
    // The help button: the console's help document at its contents.
    void helpRequested();

private:
    void readFont(const SettingsFile &file);           // SeqFont, SeqSize, SeqColor
    void readSpecials(const SettingsFile &file);       // NETime and the special functions
    void readCharacters(const SettingsFile &file);     // print, comment, escape, SeqFilePath
    void fitStepWindow();                              // WindowRows for the font
    void readLoadChoices(const SettingsFile &file);    // LoadLastSeqFile, AutoStart, LastFile

    void buildToolBar();
    void buildStepWindow();
    void buildTimeScale();
    void connectRunner();
    void applySettingsToRunner();
    void applyFont();
    QFont sequencerFont() const;
    QColor sequencerColour() const;

    QList<StepColumn *> columns() const { return {m_stepNumbers, m_delays, m_commands, m_nextSteps, m_responses}; }
    void selectVisibleRow(int row);
    void showSelectedStep();
    void setRunButtons(bool enabled);
    void setEditingButtons(bool enabled);
    void runningChanged(bool running);
    void updateUpDown();

    // sequencereditor.cpp
    void beginCellEdit(StepColumn *column, int row);
    void commitCellEdit();
    QLineEdit *editorFor(const StepColumn *column) const;
    std::optional<StepField> fieldFor(const StepColumn *column) const;
    void scrollAndSelect(bool down);

    SequencerSettings m_settings;
    SequenceRunner *m_runner = nullptr;
    SequencerSettingsPanel *m_settingsPanel = nullptr;

    // The step window. Each control keeps its form name as its object name.
    StepColumn *m_stepNumbers = nullptr;   // COL1
    StepColumn *m_delays = nullptr;        // COL2
    StepColumn *m_commands = nullptr;      // COL3
    StepColumn *m_nextSteps = nullptr;     // COL4
    StepColumn *m_responses = nullptr;     // COL5
    QLineEdit *m_commandEdit = nullptr;    // Edit1
    QLineEdit *m_delayEdit = nullptr;      // Edit2
    QLineEdit *m_nextEdit = nullptr;       // Edit3
    UpDownArrows *m_arrows = nullptr;      // UpDown1
    QLabel *m_keyHint = nullptr;           // Label106
    QFrame *m_bevel = nullptr;             // Bevel10
    // The tool bar.
    QFrame *m_toolBar = nullptr;           // Panel25
    QToolButton *m_run = nullptr;          // RunBtn
    QToolButton *m_step = nullptr;         // SeqStep
    QToolButton *m_rewind = nullptr;       // RewindBtn
    QToolButton *m_pause = nullptr;        // PauseBtn
    QToolButton *m_insertBefore = nullptr; // InsertB
    QToolButton *m_insertAfter = nullptr;  // InsertAfterBtn
    QToolButton *m_delete = nullptr;       // DeleteB
    QToolButton *m_newItem = nullptr;      // BitBtn6
    QToolButton *m_open = nullptr;         // BitBtn3
    QToolButton *m_save = nullptr;         // BitBtn2
    QToolButton *m_newSequence = nullptr;  // BitBtn1
    QToolButton *m_font = nullptr;         // BitBtn5
    QToolButton *m_help = nullptr;         // SeqHelpBtn
    QToolButton *m_clear = nullptr;        // Button25
    QSlider *m_timeScale = nullptr;        // TrackBar1
    QLabel *m_scaleFactor = nullptr;       // ScaleFactor

    // The editor's state.
    bool CellEditActive = false;
    int EditRow = -1;
    StepColumn *EditColumn = nullptr;
    bool RowDragActive = false;
};
