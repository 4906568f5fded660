// The Sequencer's editor: selection across the five columns, the in-place editors, new,
// insert and delete with their link renumbering, scrolling the step window, the arrows
// beside it and the font of the columns.

#include "sequencer/sequencerworkspace.h"

#include "sequencer/sequencerunner.h"

#include "workspace/console.h"
#include "workspace/operatorprompt.h"
#include "settings/settingsfile.h"
#include "settings/settingskeys.h"

#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace {

const QColor EditedColumnColour(128, 128, 128);

// Colours are stored as 0x00BBGGRR.
int storedColour(const QColor &colour)
{
    return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}

} // namespace

// --- Selecting.

void SequencerWorkspace::SeqListMouseDown(StepColumn *column, Qt::MouseButton button, QPoint position)
{
    const bool running = m_runner->isRunning();
    SequenceRunner::TimerHold hold(*m_runner);
    if (CellEditActive)
        return;
    const int row = column->rowAt(position.y());
    if (button == Qt::LeftButton) {
        RowDragActive = true;
        if (row >= 0)
            m_runner->chooseStep(m_runner->window().top + row);
        return;
    }
    if (button != Qt::RightButton || running || row < 0)
        return;
    selectVisibleRow(row);
    if (fieldFor(column))
        beginCellEdit(column, row);
}

void SequencerWorkspace::EvCommandClick(int row)
{
    SequenceRunner::TimerHold hold(*m_runner);
    commitCellEdit();
    const int step = m_runner->window().top + row;
    if (row < 0 || step >= m_runner->sequence().size())
        return;
    if (m_run->isEnabled())
        setEditingButtons(true);
    // A running sequence goes on with the clicked step after 10 ms.
    m_runner->chooseStep(step);
    updateUpDown();
}

void SequencerWorkspace::COL3MouseMove(int row)
{
    if (RowDragActive)
        selectVisibleRow(row);
}

void SequencerWorkspace::COL3MouseUp()
{
    RowDragActive = false;
}

void SequencerWorkspace::COL3Enter()
{
    m_keyHint->show();
}

void SequencerWorkspace::COL3Exit()
{
    m_keyHint->hide();
}

// --- In-place editing.

std::optional<StepField> SequencerWorkspace::fieldFor(const StepColumn *column) const
{
    if (column == m_delays)
        return StepField::Delay;
    if (column == m_commands)
        return StepField::Command;
    if (column == m_nextSteps)
        return StepField::Next;
    return std::nullopt;
}

QLineEdit *SequencerWorkspace::editorFor(const StepColumn *column) const
{
    if (column == m_delays)
        return m_delayEdit;
    if (column == m_commands)
        return m_commandEdit;
    if (column == m_nextSteps)
        return m_nextEdit;
    return nullptr;
}

void SequencerWorkspace::beginCellEdit(StepColumn *column, int row)
{
    QLineEdit *editor = editorFor(column);
    CellEditActive = true;
    EditColumn = column;
    EditRow = m_runner->window().top + row;

    const int rowHeight = column->rowHeight();
    editor->setGeometry(column->x() + 4, column->y() + row * rowHeight + 2, column->width() - 6, rowHeight);
    editor->setText(stepField(m_runner->sequence(), EditRow, *fieldFor(column)));
    editor->show();
    editor->raise();
    column->setTextColour(EditedColumnColour);
    editor->setFocus(Qt::OtherFocusReason);
    m_runner->selectStep(-1);
}

void SequencerWorkspace::commitCellEdit()
{
    if (!CellEditActive)
        return;
    StepColumn *column = EditColumn;
    QLineEdit *editor = editorFor(column);
    CellEditActive = false;
    EditColumn = nullptr;
    editor->hide();
    column->setTextColour(sequencerColour());
    m_runner->editField(EditRow, *fieldFor(column), editor->text());
}

void SequencerWorkspace::Edit1KeyPress()
{
    SequenceRunner::TimerHold hold(*m_runner);
    commitCellEdit();
}

// --- New, insert, delete.

void SequencerWorkspace::NewaClick()
{
    SequenceRunner::TimerHold hold(*m_runner);
    commitCellEdit();
    m_runner->appendNewStep();
    setRunButtons(true);
    updateUpDown();
}

void SequencerWorkspace::InsertButtonaClick()
{
    SequenceRunner::TimerHold hold(*m_runner);
    commitCellEdit();
    m_runner->insertBefore(m_runner->window().top + m_stepNumbers->currentRow());
    setRunButtons(true);
    updateUpDown();
}

void SequencerWorkspace::InsertAfterBtnClick()
{
    SequenceRunner::TimerHold hold(*m_runner);
    commitCellEdit();
    m_runner->insertAfter(m_runner->window().top + m_stepNumbers->currentRow());
    setRunButtons(true);
    updateUpDown();
}

void SequencerWorkspace::DeleteaClick()
{
    SequenceRunner::TimerHold hold(*m_runner);
    commitCellEdit();
    // Only a selected step is deleted: with no row selected nothing is, wherever the window stands.
    const int row = m_nextSteps->currentRow();
    m_runner->deleteStep(row < 0 ? -1 : m_runner->window().top + row);
    if (m_runner->sequence().isEmpty()) {
        for (QToolButton *button : {m_delete, m_insertBefore, m_insertAfter})
            button->setEnabled(false);
    }
    updateUpDown();
}

// --- Scrolling.

bool SequencerWorkspace::ScrollStepWindow(bool down)
{
    return down ? m_runner->scrollDown() : m_runner->scrollUp();
}

// One row towards the end (or the start), then the edge row selected, so the selection
// follows the steps out of the window.
void SequencerWorkspace::scrollAndSelect(bool down)
{
    ScrollStepWindow(down);
    const StepWindow &window = m_runner->window();
    const int row = down ? window.rows - 1 : 0;
    m_runner->selectStep(window.top + row);
    selectVisibleRow(row);
}

void SequencerWorkspace::COL3KeyDown(StepColumn *column, int key)
{
    SequenceRunner::TimerHold hold(*m_runner);
    const StepWindow &window = m_runner->window();
    const int lastRow = window.rows - 1;
    switch (key) {
    case Qt::Key_PageUp:
        for (int i = 0; i < window.rows / 2; ++i)
            scrollAndSelect(false);
        updateUpDown();
        break;
    case Qt::Key_PageDown:
        for (int i = 0; i < window.rows / 2 && column->count() > 0; ++i)
            scrollAndSelect(true);
        updateUpDown();
        break;
    case Qt::Key_Up:
        if (column->currentRow() == 0)
            scrollAndSelect(false);
        break;
    case Qt::Key_Down:
        if (column->currentRow() == lastRow && column->count() > 0)
            scrollAndSelect(true);
        break;
    default:
        break;
    }
}

void SequencerWorkspace::UpDown1Click(UpDownArrows::Arrow arrow)
{
    SequenceRunner::TimerHold hold(*m_runner);
    const int row = m_stepNumbers->currentRow();
    const int top = m_runner->window().top;
    if (row < 0) {
        if (m_stepNumbers->count() > 0) {
            m_runner->selectStep(top);
            selectVisibleRow(0);
        }
        return;
    }
    if (arrow == UpDownArrows::Arrow::Down) {
        if (row >= m_runner->window().rows - 1)
            COL3KeyDown(m_stepNumbers, Qt::Key_Down);
        else if (row + 1 < m_stepNumbers->count())
            m_runner->chooseStep(top + row + 1);
    } else {
        if (row == 0)
            COL3KeyDown(m_stepNumbers, Qt::Key_Up);
        else
            m_runner->chooseStep(top + row - 1);
    }
    updateUpDown();
}

// --- The font.

void SequencerWorkspace::BitBtn5Click()
{
    SequenceRunner::TimerHold hold(*m_runner);
    const std::optional<OperatorPrompt::FontChoice> chosen =
        console().prompt().chooseFont(QStringLiteral("Font"), {sequencerFont(), sequencerColour()});
    if (!chosen)
        return;
    const QString family = chosen->font.family();
    const int size = chosen->font.pointSize() > 0 ? chosen->font.pointSize() : m_settings.size;
    const int colour = storedColour(chosen->colour);
    if (!console().saveSettings([&](SettingsFile &file) {
            write(file, key::SeqFont, family);
            write(file, key::SeqSize, size);
            write(file, key::SeqColor, colour);
        }))
        return;
    m_settings.font = family;
    m_settings.size = size;
    m_settings.colour = colour;
    commitCellEdit();
    applyFont();
    m_runner->setWindowTop(0);
    fitStepWindow();
}
