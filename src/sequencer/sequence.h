#pragma once

#include <QString>
#include <QStringList>

// A sequence: five parallel text lists, one entry per step. The step number is always the
// running count 1, 2, 3 ...; "Next Seq" is 1-based; "Last Response" is never saved and is a
// single blank when cleared.
struct Sequence
{
    QStringList EvIndex;
    QStringList EvTime;
    QStringList EvCommand;
    QStringList EvNextSeq;
    QStringList ResponseLB;

    int size() const { return int(EvCommand.size()); }
    bool isEmpty() const { return EvCommand.isEmpty(); }
    void clear();
    // Appends a step with the given fields and a cleared response, numbered in turn.
    void append(const QString &time, const QString &command, const QString &nextSeq);
    void insert(int index, const QString &time, const QString &command, const QString &nextSeq);
    void remove(int index);
    // Rewrites EvIndex as 1, 2, 3 ...
    void renumber();
    void clearResponses();

    bool operator==(const Sequence &) const = default;

    // --- The editor's commands. Links ("Next Seq") are renumbered after the change point
    // only, so with every step linking to the one below, every link still does.

    // "New item": step N + 1 with the given delay, an empty command, next N + 2 and an
    // empty response.
    void appendNewStep(const QString &delay);
    // "Insert before" step i (clamped into 0..N): delay "0" in an empty sequence, else the
    // delay of the last step; empty command; next i + 2; response " ". Returns the index
    // of the new step.
    int insertBefore(int i);
    // "Insert after" step i (clamped into 0..N-1): the new step i + 1 takes step i's delay
    // ("0" in an empty sequence) and former link, step i links to the new step; step i's
    // response moves to the new row and step i shows " ". Returns the index of the new step.
    int insertAfter(int i);
    // "Delete" step d. Returns the step that becomes current: 0 when d is negative or
    // beyond the last step (nothing is deleted then), else the smaller of d and N - 2
    // (N the count before the deletion).
    int removeStep(int d);
};

// Numbers typed into step fields: leading blanks, an optional sign and the leading decimal
// digits; no digits gives 0. Saturates instead of overflowing.
int lenientNumber(QStringView text);
inline int lenientNumber(const QString &text) { return lenientNumber(QStringView(text)); }

// The columns of a step, as the editor names them.
enum class StepField { Index, Delay, Command, Next, Response };
QString stepField(const Sequence &sequence, int step, StepField field);
// Stores text in the field; Index cannot be edited (it is always the running count) and
// is left alone. False for a step outside the sequence.
bool setStepField(Sequence &sequence, int step, StepField field, const QString &text);

// The step window: WindowRows rows of the five columns show the steps from WindowTop on.
struct StepWindow
{
    int rows = 1;     // WindowRows
    int top = 0;      // WindowTop
    int bottom = 0;   // WindowBottom: the last step shown when full, else the step count

    // RedrawStepWindow's bookkeeping: sets bottom for stepCount steps from top on. With no
    // steps bottom stays as it was.
    void refill(int stepCount);
    // How many rows hold a step (0 .. rows).
    int filledRows(int stepCount) const;
    // The visible row of a step, -1 when the step lies outside the window.
    int rowOf(int step, int stepCount) const;

    // One row down (only while bottom < stepCount - 1) or up (only while top > 0); returns
    // whether the window moved. The new current step is the last row shown (down) or the
    // first (up), as the editor's scrolling makes it.
    bool scrollDown(int stepCount);
    bool scrollUp(int stepCount);

    // WindowRows for a font: from 1, grows while (rows + 1) row heights plus 4 pixels,
    // placed at columnsTop, still end at or above limitTop (the bevel under the columns).
    static int rowsFor(int rowHeight, int columnsTop, int limitTop);
};
