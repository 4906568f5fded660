#pragma once

#include "sequencer/sequence.h"
#include "sequencer/steplanguage.h"

#include <QObject>
#include <QString>

#include <chrono>

class Console;
class QTimer;

// The sequencer's runner: the sequence, the step window, CurrentStep and the run state,
// the step language's settings, the time scale, and SeqTimer, which runs one step per
// tick. QtCore only; the workspace's widgets follow its signals and call its operations.
//
// A step talks to the boards as one job on the line thread (ExecuteStep): the command
// and the settings are copied here, the job sends and reads in order, and what the step
// changes comes back in the order the step changes it. While a step's job runs, ticks are
// skipped; if one fell due meanwhile it runs as soon as the job is over, never more than
// one. Anything the operator does while a step runs (a click on a row, an edit, Clear)
// wins over that step's results; Pause and Rewind stop the running step at its next read.
class SequenceRunner : public QObject
{
    Q_OBJECT
public:
    // timer: the workspace's SeqTimer when it has made one; otherwise the runner makes its
    // own, named "SeqTimer". Either way it becomes a precise, repeating timer.
    explicit SequenceRunner(Console &console, QTimer *timer = nullptr, QObject *parent = nullptr);
    ~SequenceRunner() override;

    // --- State.
    const Sequence &sequence() const { return m_sequence; }
    const StepWindow &window() const { return m_window; }
    int currentStep() const { return m_currentStep; }       // CurrentStep
    int selectedStep() const { return m_selectedStep; }     // the step lists' selection, -1 for none
    bool runStarted() const { return m_runStarted; }        // RunStarted
    bool printEnabled() const { return m_printEnabled; }    // PrintEnabled
    float timeScale() const { return m_timeScale; }         // TimeScale
    int sliderPosition() const { return m_sliderPosition; } // TrackBar1
    QString scaleLabel() const;                             // ScaleFactor
    bool sequenceModified() const { return m_modified; }    // SequenceModified
    // Running: SeqTimer is enabled after the one-time load.
    bool isRunning() const;
    // A step's job is on the line.
    bool busy() const { return m_busy; }
    QTimer *timer() const { return m_timer; }

    const StepLanguage &language() const { return m_language; }
    void setLanguage(const StepLanguage &language) { m_language = language; }
    // The delay of a new step ("Default New Entry Time").
    QString newEntryTime() const { return m_newEntryTime; }
    void setNewEntryTime(const QString &text) { m_newEntryTime = text; }

    // --- The one-time load at the first entry into the workspace.
    // Arms it (StartupLoadDone false): the first tick after an entry loads LastFile when
    // loadLastSeqFile is still ticked then, and runs the sequence when autoStartAtLoad.
    void armStartupLoad(bool loadLastSeqFile, bool autoStartAtLoad);
    bool startupLoadDone() const { return m_startupLoadDone; }
    // The "LoadLastSeqFile" box as it stands now.
    void setLoadLastSeqFile(bool ticked) { m_loadLastSeqFile = ticked; }

    // --- The workspace.
    // Entering: RunStarted cleared; the timer at 1 ms, started only for a pending
    // one-time load.
    void enterWorkspace();
    // Leaving: the timer stops (the main window has already stopped the line).
    void leaveWorkspace();

    // --- The runner's commands.
    void SeqTimerTimer();
    // Runs step CurrentStep once, as one job on the line thread.
    void ExecuteStep();
    void run();               // SeqRunClick
    void pause();             // PauseBtnClick
    void rewind();            // RestartClick
    void step();              // StepClick
    void clearResponses();    // ClearResp
    // TrackBar1Change: the slider moved to position (0..100).
    void setSliderPosition(int position);

    // --- The sequence and its file.
    // Replaces the sequence with the file's (LoadSequenceFile): SB5 shows the path, the
    // window goes back to the top, CurrentStep stays. False, changing nothing, when the
    // file cannot be read.
    bool loadFile(const QString &path);
    // The same replacement with steps from elsewhere (no path shown).
    void replaceSequence(const Sequence &sequence);
    // The new-sequence command: everything emptied, CurrentStep 0, RunStarted cleared.
    void newSequence();
    void setSequenceModified(bool modified);

    // --- The editor's commands (each holds the timer while it works).
    // A click on a row (EvCommandClick): the step becomes current and selected; a running
    // sequence goes on with it after 10 ms.
    void chooseStep(int step);
    // The step lists' selection alone (an in-place edit clears it with -1).
    void selectStep(int step);
    // Stores an edited field; sets SequenceModified when the text changed.
    void editField(int step, StepField field, const QString &text);
    void appendNewStep();              // NewaClick
    int insertBefore(int step);        // InsertButtonaClick; returns the new step's index
    int insertAfter(int step);         // InsertAfterBtnClick; returns the new step's index
    void deleteStep(int step);         // DeleteaClick
    // The window: rows for the font, the first step shown, scrolling by one row.
    void setWindowRows(int rows);
    void setWindowTop(int top);
    bool scrollDown();                 // ScrollStepWindow(down)
    bool scrollUp();                   // ScrollStepWindow(up)

    // Holds SeqTimer for the life of the object: stops it and, if it ran, starts it again
    // (with whatever interval is set by then), so no tick falls inside a handler's work.
    class TimerHold
    {
    public:
        explicit TimerHold(SequenceRunner &runner);
        ~TimerHold();
        TimerHold(const TimerHold &) = delete;
        TimerHold &operator=(const TimerHold &) = delete;

    private:
        SequenceRunner &m_runner;
        bool m_wasActive;
    };

Q_SIGNALS:
    // The window's rows must be filled again (steps, WindowTop or WindowBottom changed).
    void windowChanged();
    // The step lists' selection (-1 for none); its row is step - window().top when shown.
    void selectionChanged(int step);
    void currentStepChanged(int step);
    void responseChanged(int step, const QString &text);
    void runningChanged(bool running);
    void busyChanged(bool busy);
    void sliderPositionChanged(int position);
    void timeScaleChanged(float timeScale, const QString &label);
    // A file replaced the sequence (the run buttons become usable).
    void sequenceLoaded(const QString &path);
    // The new-sequence command emptied it.
    void sequenceCleared();
    // Steps were added or removed by an editing command.
    void stepsEdited();
    void modifiedChanged(bool modified);

private:
    struct StepJob;
    struct StepResult;

    void startStepJob(int stepToRun);
    void beginStep(int step);
    void finishStep(const StepResult &result);
    void stepJobDone();
    void cancelRunningStep();
    void setCurrentStep(int step);
    void setSelectedStep(int step);
    void redraw();
    void markModified();
    void performStartupLoad();
    void operatorChangedState();

    Console &m_console;
    QTimer *m_timer = nullptr;
    Sequence m_sequence;
    StepWindow m_window;
    StepLanguage m_language;
    QString m_newEntryTime = QStringLiteral("100");

    int m_currentStep = 0;
    int m_selectedStep = -1;
    bool m_runStarted = false;
    bool m_printEnabled = true;
    int m_sliderPosition = 50;
    float m_timeScale = 1.0f;
    bool m_modified = false;

    bool m_startupLoadDone = true;
    bool m_loadLastSeqFile = false;
    bool m_autoStartAtLoad = false;

    bool m_busy = false;
    bool m_tickMissed = false;
    // Bumped by everything the operator does to the run state; a step's results are
    // applied only when it has not changed since the step began.
    quint64 m_operatorEpoch = 0;
    // Bumped by everything that moves or clears the responses (Clear, Rewind, a load, an
    // inserted or deleted step): a step's response is stored only when it has not changed.
    quint64 m_layoutEpoch = 0;
};
