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

    // The step window's controls.
    StepColumn *COL1 = nullptr;
    StepColumn *COL2 = nullptr;
    StepColumn *COL3 = nullptr;
    StepColumn *COL4 = nullptr;
    StepColumn *COL5 = nullptr;
    QLineEdit *Edit1 = nullptr;   // commands
    QLineEdit *Edit2 = nullptr;   // delays
    QLineEdit *Edit3 = nullptr;   // next steps
    UpDownArrows *UpDown1 = nullptr;
    QLabel *Label106 = nullptr;
    QFrame *Bevel10 = nullptr;
    // The tool bar.
    QFrame *Panel25 = nullptr;
    QToolButton *RunBtn = nullptr;
    QToolButton *SeqStep = nullptr;
    QToolButton *RewindBtn = nullptr;
    QToolButton *PauseBtn = nullptr;
    QToolButton *InsertB = nullptr;
    QToolButton *InsertAfterBtn = nullptr;
    QToolButton *DeleteB = nullptr;
    QToolButton *BitBtn6 = nullptr;   // new item
    QToolButton *BitBtn3 = nullptr;   // file open
    QToolButton *BitBtn2 = nullptr;   // file save
    QToolButton *BitBtn1 = nullptr;   // new sequence
    QToolButton *BitBtn5 = nullptr;   // font
    QToolButton *SeqHelpBtn = nullptr;
    QToolButton *Button25 = nullptr;  // clear
    QSlider *TrackBar1 = nullptr;
    QLabel *ScaleFactor = nullptr;

    // The editor's state.
    bool CellEditActive = false;
    int EditRow = -1;
    StepColumn *EditColumn = nullptr;
    bool RowDragActive = false;

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

    QList<StepColumn *> columns() const { return {COL1, COL2, COL3, COL4, COL5}; }
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
};
