#include "sequencer/sequencerworkspace.h"

#include "sequencer/sequencerunner.h"
#include "sequencer/sequencersettingspanel.h"

#include "settings/closinggroup.h"
#include "settings/settingsfile.h"
#include "settings/settingskeys.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

using namespace std::chrono_literals;

namespace {

// Where the step window lies in the panel: the columns start below their captions and may
// grow down to the bevel under them.
constexpr int ToolBarHeight = 56;
constexpr int CaptionTop = 64;
constexpr int ColumnsTop = 84;
constexpr int BevelTop = 484;

struct ColumnPlace
{
    const char *name;
    const char *caption;
    int left;
    int width;
};

constexpr ColumnPlace ColumnPlaces[] = {
    {"COL1", "Seq#", 8, 52},         {"COL2", "Delay(mS)", 62, 84},    {"COL3", "Command", 148, 420},
    {"COL4", "Next Seq", 570, 72},   {"COL5", "Last Response", 644, 216},
};
constexpr int UpDownLeft = 862;
constexpr int UpDownWidth = 24;

const QColor StepNumberColour(0, 0, 0xFF);

enum class Glyph { InsertBefore, InsertAfter, Delete, NewItem, Font, Help };

// Small pictures for the editing buttons, which have no standard icon: rows of a list
// with a mark where the change goes.
QIcon glyph(Glyph kind)
{
    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    if (kind == Glyph::Font || kind == Glyph::Help) {
        const bool help = kind == Glyph::Help;
        if (help) {
            painter.setBrush(QColor(0x2A, 0x6F, 0xC9));
            painter.setPen(Qt::NoPen);
            painter.drawEllipse(QRectF(1, 1, 18, 18));
        }
        QFont font(QString::fromLatin1(help ? "Sans" : "Serif"));
        font.setPixelSize(help ? 14 : 17);
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(help ? QColor(Qt::white) : QColor(0x20, 0x20, 0x80));
        painter.drawText(QRect(0, 0, 20, 20), Qt::AlignCenter, QString::fromLatin1(help ? "?" : "A"));
        return QIcon(pixmap);
    }
    const QColor line(0x50, 0x50, 0x50);
    const QColor added(0x30, 0x90, 0x30);
    if (kind == Glyph::NewItem) {
        for (int row = 0; row < 2; ++row)
            painter.fillRect(QRect(2, 3 + row * 6, 16, 3), line);
        painter.setPen(QPen(added, 3));
        painter.drawLine(10, 12, 10, 20);
        painter.drawLine(6, 16, 14, 16);
        return QIcon(pixmap);
    }
    const int markRow = kind == Glyph::InsertBefore ? 0 : kind == Glyph::InsertAfter ? 2 : -1;
    for (int row = 0; row < 3; ++row)
        painter.fillRect(QRect(2, 3 + row * 6, 16, 3), row == markRow ? added : line);
    if (kind == Glyph::Delete) {
        painter.setPen(QPen(QColor(0xC0, 0x20, 0x20), 2.5));
        painter.drawLine(5, 4, 15, 16);
        painter.drawLine(15, 4, 5, 16);
    }
    return QIcon(pixmap);
}

QToolButton *makeToolButton(QWidget *parent, const char *name, const QString &caption, const QString &hint,
                            const QIcon &icon)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(caption);
    button->setToolTip(hint);
    button->setIcon(icon);
    button->setIconSize(QSize(20, 20));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setFixedSize(56, 46);
    return button;
}

QFrame *separator(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setFixedSize(8, 40);
    return line;
}

} // namespace

SequencerWorkspace::SequencerWorkspace(Console &console, QObject *parent)
    : PanelWorkspace(QStringLiteral("Sequencer"), QStringLiteral("SequencerP"), console, parent)
{
    m_runner = new SequenceRunner(console, addTimer(QStringLiteral("SeqTimer"), 100ms), this);
    // The one-time load belongs to the first entry after the program starts.
    m_runner->armStartupLoad(m_settings.loadLastFile, m_settings.autoStart);

    buildToolBar();
    buildStepWindow();
    buildTimeScale();
    connectRunner();
    applySettingsToRunner();
    applyFont();
    fitStepWindow();
    TrackBar1Change();
}

SequencerWorkspace::~SequencerWorkspace() = default;

void SequencerWorkspace::buildToolBar()
{
    m_toolBar = new QFrame(frame());
    m_toolBar->setObjectName(QStringLiteral("Panel25"));
    m_toolBar->setFrameShape(QFrame::StyledPanel);
    m_toolBar->setGeometry(4, 4, 888, ToolBarHeight);
    QStyle *style = QApplication::style();

    m_run = makeToolButton(m_toolBar, "RunBtn", QStringLiteral("Run"), QStringLiteral("Run"),
                            style->standardIcon(QStyle::SP_MediaPlay));
    m_step = makeToolButton(m_toolBar, "SeqStep", QStringLiteral("Step"), QStringLiteral("Step"),
                             style->standardIcon(QStyle::SP_MediaSkipForward));
    m_rewind = makeToolButton(m_toolBar, "RewindBtn", QStringLiteral("Rewind"), QStringLiteral("Goto start and clear"),
                               style->standardIcon(QStyle::SP_MediaSkipBackward));
    m_pause = makeToolButton(m_toolBar, "PauseBtn", QStringLiteral("Pause"), QStringLiteral("Stop/Pause"),
                              style->standardIcon(QStyle::SP_MediaPause));
    m_insertBefore = makeToolButton(m_toolBar, "InsertB", QStringLiteral("Before"),
                             QStringLiteral("Insert item before with auto link"), glyph(Glyph::InsertBefore));
    m_insertAfter = makeToolButton(m_toolBar, "InsertAfterBtn", QStringLiteral("After"),
                                    QStringLiteral("Insert item before with auto link"), glyph(Glyph::InsertAfter));
    m_delete = makeToolButton(m_toolBar, "DeleteB", QStringLiteral("Delete"), QStringLiteral("Delete Item"),
                             glyph(Glyph::Delete));
    m_newItem = makeToolButton(m_toolBar, "BitBtn6", QStringLiteral("New Item"), QStringLiteral("New Item"),
                             glyph(Glyph::NewItem));
    m_open = makeToolButton(m_toolBar, "BitBtn3", QStringLiteral("Open"), QStringLiteral("File Open"),
                             style->standardIcon(QStyle::SP_DialogOpenButton));
    m_save = makeToolButton(m_toolBar, "BitBtn2", QStringLiteral("Save"), QStringLiteral("File Save"),
                             style->standardIcon(QStyle::SP_DialogSaveButton));
    m_newSequence = makeToolButton(m_toolBar, "BitBtn1", QStringLiteral("New"), QStringLiteral("New Sequence"),
                             style->standardIcon(QStyle::SP_FileIcon));
    m_font = makeToolButton(m_toolBar, "BitBtn5", QStringLiteral("Font"), QStringLiteral("Change Font Properties"),
                             glyph(Glyph::Font));
    m_help = makeToolButton(m_toolBar, "SeqHelpBtn", QStringLiteral("Help"), QStringLiteral("Keldan Help"),
                                glyph(Glyph::Help));
    m_clear = makeToolButton(m_toolBar, "Button25", QStringLiteral("Clear"), QStringLiteral("Clear"),
                              style->standardIcon(QStyle::SP_DialogResetButton));

    const QList<QList<QWidget *>> groups{
        {m_run, m_step, m_rewind, m_pause},
        {m_insertBefore, m_insertAfter, m_delete, m_newItem},
        {m_open, m_save, m_newSequence},
        {m_font, m_help},
    };
    int x = 4;
    for (const QList<QWidget *> &group : groups) {
        for (QWidget *button : group) {
            button->move(x, 4);
            x += button->width() + 2;
        }
        separator(m_toolBar)->move(x, 7);
        x += 10;
    }
    m_clear->move(888 - m_clear->width() - 6, 4);

    for (QToolButton *button : {m_run, m_pause, m_rewind, m_step, m_delete})
        button->setEnabled(false);

    connect(m_run, &QToolButton::clicked, this, &SequencerWorkspace::SeqRunClick);
    connect(m_step, &QToolButton::clicked, this, &SequencerWorkspace::StepClick);
    connect(m_rewind, &QToolButton::clicked, this, &SequencerWorkspace::RestartClick);
    connect(m_pause, &QToolButton::clicked, this, &SequencerWorkspace::PauseBtnClick);
    connect(m_insertBefore, &QToolButton::clicked, this, &SequencerWorkspace::InsertButtonaClick);
    connect(m_insertAfter, &QToolButton::clicked, this, &SequencerWorkspace::InsertAfterBtnClick);
    connect(m_delete, &QToolButton::clicked, this, &SequencerWorkspace::DeleteaClick);
    connect(m_newItem, &QToolButton::clicked, this, &SequencerWorkspace::NewaClick);
    connect(m_newSequence, &QToolButton::clicked, this, [this] { FileOperations(0); });
    connect(m_save, &QToolButton::clicked, this, [this] { FileOperations(1); });
    connect(m_open, &QToolButton::clicked, this, [this] { FileOperations(2); });
    connect(m_font, &QToolButton::clicked, this, &SequencerWorkspace::BitBtn5Click);
    connect(m_help, &QToolButton::clicked, this, &SequencerWorkspace::helpRequested);
    connect(m_clear, &QToolButton::clicked, this, &SequencerWorkspace::ClearResp);
}

void SequencerWorkspace::buildStepWindow()
{
    QList<StepColumn *> made;
    for (const ColumnPlace &place : ColumnPlaces) {
        auto *caption = new QLabel(QString::fromLatin1(place.caption), frame());
        caption->setFrameStyle(QFrame::Panel | QFrame::Raised);
        caption->setAlignment(Qt::AlignCenter);
        caption->setGeometry(place.left, CaptionTop, place.width, 20);
        auto *column = new StepColumn(QString::fromLatin1(place.name), frame());
        column->setGeometry(place.left, ColumnsTop, place.width, 100);
        made.append(column);
    }
    m_stepNumbers = made[0];
    m_delays = made[1];
    m_commands = made[2];
    m_nextSteps = made[3];
    m_responses = made[4];
    // The step numbers and the responses are read, not edited: they sit on the button face.
    for (StepColumn *column : {m_stepNumbers, m_responses}) {
        QPalette p = column->palette();
        p.setColor(QPalette::Base, p.color(QPalette::Button));
        column->setPalette(p);
    }

    m_arrows = new UpDownArrows(frame());
    m_arrows->setGeometry(UpDownLeft, ColumnsTop, UpDownWidth, 100);

    m_commandEdit = new QLineEdit(frame());
    m_commandEdit->setObjectName(QStringLiteral("Edit1"));
    m_delayEdit = new QLineEdit(frame());
    m_delayEdit->setObjectName(QStringLiteral("Edit2"));
    m_nextEdit = new QLineEdit(frame());
    m_nextEdit->setObjectName(QStringLiteral("Edit3"));
    for (QLineEdit *editor : {m_commandEdit, m_delayEdit, m_nextEdit}) {
        editor->setFrame(false);
        editor->hide();
        connect(editor, &QLineEdit::returnPressed, this, &SequencerWorkspace::Edit1KeyPress);
    }

    m_bevel = new QFrame(frame());
    m_bevel->setObjectName(QStringLiteral("Bevel10"));
    m_bevel->setFrameShape(QFrame::HLine);
    m_bevel->setFrameShadow(QFrame::Sunken);
    m_bevel->setGeometry(8, BevelTop, 878, 4);

    m_keyHint = new QLabel(QStringLiteral("Note! Use Pg Up , Pg Dn, and  Up Down arrows"), frame());
    m_keyHint->setObjectName(QStringLiteral("Label106"));
    m_keyHint->setGeometry(8, BevelTop + 6, 420, 18);
    m_keyHint->hide();

    for (StepColumn *column : columns()) {
        connect(column, &StepColumn::pressed, this, &SequencerWorkspace::SeqListMouseDown);
        connect(column, &StepColumn::dragged, this, [this](StepColumn *, int row) { COL3MouseMove(row); });
        connect(column, &StepColumn::released, this, &SequencerWorkspace::COL3MouseUp);
        connect(column, &StepColumn::rowClicked, this, [this](StepColumn *, int row) { EvCommandClick(row); });
        connect(column, &StepColumn::keyDown, this, &SequencerWorkspace::COL3KeyDown);
        connect(column, &StepColumn::focusEntered, this, &SequencerWorkspace::COL3Enter);
        connect(column, &StepColumn::focusLeft, this, &SequencerWorkspace::COL3Exit);
    }
    connect(m_arrows, &UpDownArrows::clicked, this, &SequencerWorkspace::UpDown1Click);
}

void SequencerWorkspace::buildTimeScale()
{
    auto *caption = new QLabel(QStringLiteral("Time Scale"), frame());
    caption->setGeometry(8, BevelTop + 34, 76, 22);
    m_timeScale = new QSlider(Qt::Horizontal, frame());
    m_timeScale->setObjectName(QStringLiteral("TrackBar1"));
    m_timeScale->setRange(0, 100);
    m_timeScale->setValue(50);
    m_timeScale->setSingleStep(10);
    m_timeScale->setPageStep(10);
    m_timeScale->setTickInterval(5);
    m_timeScale->setTickPosition(QSlider::TicksBelow);
    m_timeScale->setGeometry(86, BevelTop + 28, 320, 34);
    m_timeScale->setToolTip(QStringLiteral("Multiplies every step's delay"));
    m_scaleFactor = new QLabel(frame());
    m_scaleFactor->setObjectName(QStringLiteral("ScaleFactor"));
    m_scaleFactor->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_scaleFactor->setAlignment(Qt::AlignCenter);
    m_scaleFactor->setGeometry(414, BevelTop + 34, 56, 22);
    auto *times = new QLabel(QStringLiteral("X"), frame());
    times->setGeometry(474, BevelTop + 34, 16, 22);
    connect(m_timeScale, &QSlider::valueChanged, this, &SequencerWorkspace::TrackBar1Change);
}

void SequencerWorkspace::connectRunner()
{
    SequenceRunner &r = *m_runner;
    connect(&r, &SequenceRunner::windowChanged, this, &SequencerWorkspace::RedrawStepWindow);
    connect(&r, &SequenceRunner::selectionChanged, this, &SequencerWorkspace::showSelectedStep);
    connect(&r, &SequenceRunner::currentStepChanged, this, &SequencerWorkspace::updateUpDown);
    connect(&r, &SequenceRunner::stepsEdited, this, &SequencerWorkspace::updateUpDown);
    connect(&r, &SequenceRunner::responseChanged, this, [this](int step, const QString &text) {
        const int row = m_runner->window().rowOf(step, m_runner->sequence().size());
        if (QListWidgetItem *cell = row >= 0 ? m_responses->item(row) : nullptr)
            cell->setText(text);
    });
    connect(&r, &SequenceRunner::runningChanged, this, &SequencerWorkspace::runningChanged);
    connect(&r, &SequenceRunner::sliderPositionChanged, this, [this](int position) {
        const QSignalBlocker quiet(m_timeScale);
        m_timeScale->setValue(position);
    });
    connect(&r, &SequenceRunner::timeScaleChanged, this,
            [this](float, const QString &label) { m_scaleFactor->setText(label); });
    connect(&r, &SequenceRunner::sequenceLoaded, this, [this] {
        setRunButtons(true);
        applyFont();
        fitStepWindow();
        updateUpDown();
    });
    connect(&r, &SequenceRunner::sequenceCleared, this, [this] {
        setRunButtons(false);
        for (QToolButton *button : {m_delete, m_insertBefore, m_insertAfter})
            button->setEnabled(false);
        m_newItem->setEnabled(true);
        updateUpDown();
    });
}

void SequencerWorkspace::enter()
{
    panel()->show();
    m_runner->enterWorkspace();
    m_step->setEnabled(true);
    m_run->setEnabled(true);
    m_pause->setEnabled(false);
    if (m_runner->selectedStep() < 0) {
        m_newItem->setEnabled(true);
        m_insertBefore->setEnabled(false);
        m_insertAfter->setEnabled(false);
    }
}

void SequencerWorkspace::stopTimers()
{
    m_runner->leaveWorkspace();
}

// --- Start-up.

void SequencerWorkspace::resetForStartup()
{
    m_runner->leaveWorkspace();
    TrackBar1Change();
}

void SequencerWorkspace::readSettings(const SettingsFile &file)
{
    readFont(file);
    readSpecials(file);
    readCharacters(file);
}

void SequencerWorkspace::prepareFirstEntry(const SettingsFile &file)
{
    fitStepWindow();
    readLoadChoices(file);
}

void SequencerWorkspace::addClosingValues(ClosingGroup &group) const
{
    group.set(key::PrintON, m_settings.printOn);
    group.set(key::PrintOFF, m_settings.printOff);
    group.set(key::EscapeChar, m_settings.escapeChar);
    group.set(key::CommentChar, m_settings.commentChar);
    group.set(key::LoadLastSeqFile, m_settings.loadLastFile);
    group.set(key::AutoStart, m_settings.autoStart);
    group.set(key::SeqFilePath, m_settings.filePath);
    group.set(key::SFUNCTSTART, m_settings.specialStart);
    group.set(key::SFUNCTEND, m_settings.specialEnd);
    group.set(key::SFUNCTENAB, m_settings.specialEnabled);
}

void SequencerWorkspace::readFont(const SettingsFile &file)
{
    m_settings.readFont(file);
    applyFont();
}

void SequencerWorkspace::readSpecials(const SettingsFile &file)
{
    m_settings.readSpecials(file);
    if (m_settingsPanel)
        m_settingsPanel->showSettings();
    applySettingsToRunner();
}

void SequencerWorkspace::readCharacters(const SettingsFile &file)
{
    m_settings.readCharacters(file);
    if (m_settingsPanel)
        m_settingsPanel->showSettings();
    applySettingsToRunner();
}

void SequencerWorkspace::readLoadChoices(const SettingsFile &file)
{
    m_settings.readLoadChoices(file);
    if (m_settingsPanel)
        m_settingsPanel->showSettings();
    // AutoStart counts as it was read now; later changes of the box only reach the file.
    if (!m_runner->startupLoadDone())
        m_runner->armStartupLoad(m_settings.loadLastFile, m_settings.autoStart);
    applySettingsToRunner();
}

void SequencerWorkspace::installSettingsPanel(QWidget *page)
{
    m_settingsPanel = new SequencerSettingsPanel(console(), m_settings, page);
    m_settingsPanel->setGeometry(16, 290, 844, 196);
    connect(m_settingsPanel, &SequencerSettingsPanel::settingsChanged, this,
            &SequencerWorkspace::applySettingsToRunner);
}

void SequencerWorkspace::applySettingsToRunner()
{
    StepLanguage language;
    language.commentChar = m_settings.commentChar;
    language.escapeChar = m_settings.escapeChar;
    language.printOn = m_settings.printOn;
    language.printOff = m_settings.printOff;
    language.specialEnabled = m_settings.specialEnabled;
    language.specialStart = m_settings.specialStart;
    language.specialEnd = m_settings.specialEnd;
    m_runner->setLanguage(language);
    m_runner->setNewEntryTime(m_settings.newEntryTime);
    m_runner->setLoadLastSeqFile(m_settings.loadLastFile);
}

// --- The font and the window.

QFont SequencerWorkspace::sequencerFont() const
{
    QFont font(m_settings.font);
    if (m_settings.size > 0)
        font.setPointSize(m_settings.size);
    return font;
}

// Stored as 0x00BBGGRR.
QColor SequencerWorkspace::sequencerColour() const
{
    const auto bgr = quint32(m_settings.colour);
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

void SequencerWorkspace::applyFont()
{
    const QFont font = sequencerFont();
    for (StepColumn *column : columns()) {
        column->setFont(font);
        if (column != EditColumn)
            column->setTextColour(column == m_stepNumbers ? StepNumberColour : sequencerColour());
    }
    for (QLineEdit *editor : {m_commandEdit, m_delayEdit, m_nextEdit}) {
        editor->setFont(font);
        QPalette p = editor->palette();
        p.setColor(QPalette::Text, sequencerColour());
        editor->setPalette(p);
    }
}

void SequencerWorkspace::fitStepWindow()
{
    const int rowHeight = m_stepNumbers->rowHeight();
    const int rows = StepWindow::rowsFor(rowHeight, ColumnsTop, m_bevel->y());
    const int height = rows * rowHeight + 2 * m_stepNumbers->frameWidth();
    for (StepColumn *column : columns())
        column->resize(column->width(), height);
    m_arrows->resize(m_arrows->width(), m_stepNumbers->height());
    m_runner->setWindowRows(rows);
}

void SequencerWorkspace::RedrawStepWindow()
{
    const Sequence &sequence = m_runner->sequence();
    const StepWindow &window = m_runner->window();
    const int shown = window.filledRows(sequence.size());
    m_stepNumbers->setRows(sequence.EvIndex.mid(window.top, shown));
    m_delays->setRows(sequence.EvTime.mid(window.top, shown));
    m_commands->setRows(sequence.EvCommand.mid(window.top, shown));
    m_nextSteps->setRows(sequence.EvNextSeq.mid(window.top, shown));
    m_responses->setRows(sequence.ResponseLB.mid(window.top, shown));
    // The runner selects the step again after a redraw that should keep it; rows the
    // editor selected by itself follow the runner's selection too.
    if (m_runner->selectedStep() >= 0)
        selectVisibleRow(window.rowOf(m_runner->selectedStep(), sequence.size()));
}

void SequencerWorkspace::selectVisibleRow(int row)
{
    for (StepColumn *column : columns())
        column->selectRow(row);
}

// The step lists' selection shown in the columns; none while an in-place edit has cleared it.
void SequencerWorkspace::showSelectedStep()
{
    const int step = m_runner->selectedStep();
    if (step >= 0)
        selectVisibleRow(m_runner->window().rowOf(step, m_runner->sequence().size()));
}

void SequencerWorkspace::updateUpDown()
{
    const int count = m_runner->sequence().size();
    m_arrows->setRange(0, std::max(count - 1, 0));
    m_arrows->setPosition(count - m_runner->currentStep() - 1);
}

// --- The run.

void SequencerWorkspace::setRunButtons(bool enabled)
{
    for (QToolButton *button : {m_run, m_rewind, m_step})
        button->setEnabled(enabled);
}

void SequencerWorkspace::setEditingButtons(bool enabled)
{
    for (QToolButton *button : {m_insertBefore, m_insertAfter, m_newItem, m_delete})
        button->setEnabled(enabled);
}

void SequencerWorkspace::runningChanged(bool running)
{
    if (running) {
        for (QToolButton *button : {m_step, m_run, m_font, m_insertBefore, m_newItem, m_insertAfter, m_delete})
            button->setEnabled(false);
        m_pause->setEnabled(true);
        return;
    }
    m_pause->setEnabled(false);
    // However the run ended (Pause, or leaving the workspace), the file commands and the
    // run buttons come back; the editing buttons wait for a click on a row.
    m_font->setEnabled(true);
    if (!m_runner->sequence().isEmpty())
        setRunButtons(true);
    updateUpDown();
}

// An edit still open is part of what runs.
void SequencerWorkspace::SeqRunClick()
{
    commitCellEdit();
    m_runner->run();
}

void SequencerWorkspace::PauseBtnClick()
{
    m_runner->pause();
}

void SequencerWorkspace::RestartClick()
{
    m_runner->rewind();
}

void SequencerWorkspace::StepClick()
{
    commitCellEdit();
    m_runner->step();
    updateUpDown();
}

void SequencerWorkspace::ClearResp()
{
    m_runner->clearResponses();
}

void SequencerWorkspace::TrackBar1Change()
{
    m_runner->setSliderPosition(m_timeScale->value());
}
