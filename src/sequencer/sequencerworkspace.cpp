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
    Panel25 = new QFrame(frame());
    Panel25->setObjectName(QStringLiteral("Panel25"));
    Panel25->setFrameShape(QFrame::StyledPanel);
    Panel25->setGeometry(4, 4, 888, ToolBarHeight);
    QStyle *style = QApplication::style();

    RunBtn = makeToolButton(Panel25, "RunBtn", QStringLiteral("Run"), QStringLiteral("Run"),
                            style->standardIcon(QStyle::SP_MediaPlay));
    SeqStep = makeToolButton(Panel25, "SeqStep", QStringLiteral("Step"), QStringLiteral("Step"),
                             style->standardIcon(QStyle::SP_MediaSkipForward));
    RewindBtn = makeToolButton(Panel25, "RewindBtn", QStringLiteral("Rewind"), QStringLiteral("Goto start and clear"),
                               style->standardIcon(QStyle::SP_MediaSkipBackward));
    PauseBtn = makeToolButton(Panel25, "PauseBtn", QStringLiteral("Pause"), QStringLiteral("Stop/Pause"),
                              style->standardIcon(QStyle::SP_MediaPause));
    InsertB = makeToolButton(Panel25, "InsertB", QStringLiteral("Before"),
                             QStringLiteral("Insert item before with auto link"), glyph(Glyph::InsertBefore));
    InsertAfterBtn = makeToolButton(Panel25, "InsertAfterBtn", QStringLiteral("After"),
                                    QStringLiteral("Insert item before with auto link"), glyph(Glyph::InsertAfter));
    DeleteB = makeToolButton(Panel25, "DeleteB", QStringLiteral("Delete"), QStringLiteral("Delete Item"),
                             glyph(Glyph::Delete));
    BitBtn6 = makeToolButton(Panel25, "BitBtn6", QStringLiteral("New Item"), QStringLiteral("New Item"),
                             glyph(Glyph::NewItem));
    BitBtn3 = makeToolButton(Panel25, "BitBtn3", QStringLiteral("Open"), QStringLiteral("File Open"),
                             style->standardIcon(QStyle::SP_DialogOpenButton));
    BitBtn2 = makeToolButton(Panel25, "BitBtn2", QStringLiteral("Save"), QStringLiteral("File Save"),
                             style->standardIcon(QStyle::SP_DialogSaveButton));
    BitBtn1 = makeToolButton(Panel25, "BitBtn1", QStringLiteral("New"), QStringLiteral("New Sequence"),
                             style->standardIcon(QStyle::SP_FileIcon));
    BitBtn5 = makeToolButton(Panel25, "BitBtn5", QStringLiteral("Font"), QStringLiteral("Change Font Properties"),
                             glyph(Glyph::Font));
    SeqHelpBtn = makeToolButton(Panel25, "SeqHelpBtn", QStringLiteral("Help"), QStringLiteral("Keldan Help"),
                                glyph(Glyph::Help));
    Button25 = makeToolButton(Panel25, "Button25", QStringLiteral("Clear"), QStringLiteral("Clear"),
                              style->standardIcon(QStyle::SP_DialogResetButton));

    const QList<QList<QWidget *>> groups{
        {RunBtn, SeqStep, RewindBtn, PauseBtn},
        {InsertB, InsertAfterBtn, DeleteB, BitBtn6},
        {BitBtn3, BitBtn2, BitBtn1},
        {BitBtn5, SeqHelpBtn},
    };
    int x = 4;
    for (const QList<QWidget *> &group : groups) {
        for (QWidget *button : group) {
            button->move(x, 4);
            x += button->width() + 2;
        }
        separator(Panel25)->move(x, 7);
        x += 10;
    }
    Button25->move(888 - Button25->width() - 6, 4);

    for (QToolButton *button : {RunBtn, PauseBtn, RewindBtn, SeqStep, DeleteB})
        button->setEnabled(false);

    connect(RunBtn, &QToolButton::clicked, this, &SequencerWorkspace::SeqRunClick);
    connect(SeqStep, &QToolButton::clicked, this, &SequencerWorkspace::StepClick);
    connect(RewindBtn, &QToolButton::clicked, this, &SequencerWorkspace::RestartClick);
    connect(PauseBtn, &QToolButton::clicked, this, &SequencerWorkspace::PauseBtnClick);
    connect(InsertB, &QToolButton::clicked, this, &SequencerWorkspace::InsertButtonaClick);
    connect(InsertAfterBtn, &QToolButton::clicked, this, &SequencerWorkspace::InsertAfterBtnClick);
    connect(DeleteB, &QToolButton::clicked, this, &SequencerWorkspace::DeleteaClick);
    connect(BitBtn6, &QToolButton::clicked, this, &SequencerWorkspace::NewaClick);
    connect(BitBtn1, &QToolButton::clicked, this, [this] { FileOperations(0); });
    connect(BitBtn2, &QToolButton::clicked, this, [this] { FileOperations(1); });
    connect(BitBtn3, &QToolButton::clicked, this, [this] { FileOperations(2); });
    connect(BitBtn5, &QToolButton::clicked, this, &SequencerWorkspace::BitBtn5Click);
    connect(SeqHelpBtn, &QToolButton::clicked, this, &SequencerWorkspace::helpRequested);
    connect(Button25, &QToolButton::clicked, this, &SequencerWorkspace::ClearResp);
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
    COL1 = made[0];
    COL2 = made[1];
    COL3 = made[2];
    COL4 = made[3];
    COL5 = made[4];
    // The step numbers and the responses are read, not edited: they sit on the button face.
    for (StepColumn *column : {COL1, COL5}) {
        QPalette p = column->palette();
        p.setColor(QPalette::Base, p.color(QPalette::Button));
        column->setPalette(p);
    }

    UpDown1 = new UpDownArrows(frame());
    UpDown1->setGeometry(UpDownLeft, ColumnsTop, UpDownWidth, 100);

    Edit1 = new QLineEdit(frame());
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit2 = new QLineEdit(frame());
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit3 = new QLineEdit(frame());
    Edit3->setObjectName(QStringLiteral("Edit3"));
    for (QLineEdit *editor : {Edit1, Edit2, Edit3}) {
        editor->setFrame(false);
        editor->hide();
        connect(editor, &QLineEdit::returnPressed, this, &SequencerWorkspace::Edit1KeyPress);
    }

    Bevel10 = new QFrame(frame());
    Bevel10->setObjectName(QStringLiteral("Bevel10"));
    Bevel10->setFrameShape(QFrame::HLine);
    Bevel10->setFrameShadow(QFrame::Sunken);
    Bevel10->setGeometry(8, BevelTop, 878, 4);

    Label106 = new QLabel(QStringLiteral("Note! Use Pg Up , Pg Dn, and  Up Down arrows"), frame());
    Label106->setObjectName(QStringLiteral("Label106"));
    Label106->setGeometry(8, BevelTop + 6, 420, 18);
    Label106->hide();

    for (StepColumn *column : columns()) {
        connect(column, &StepColumn::pressed, this, &SequencerWorkspace::SeqListMouseDown);
        connect(column, &StepColumn::dragged, this, [this](StepColumn *, int row) { COL3MouseMove(row); });
        connect(column, &StepColumn::released, this, &SequencerWorkspace::COL3MouseUp);
        connect(column, &StepColumn::rowClicked, this, [this](StepColumn *, int row) { EvCommandClick(row); });
        connect(column, &StepColumn::keyDown, this, &SequencerWorkspace::COL3KeyDown);
        connect(column, &StepColumn::focusEntered, this, &SequencerWorkspace::COL3Enter);
        connect(column, &StepColumn::focusLeft, this, &SequencerWorkspace::COL3Exit);
    }
    connect(UpDown1, &UpDownArrows::clicked, this, &SequencerWorkspace::UpDown1Click);
}

void SequencerWorkspace::buildTimeScale()
{
    auto *caption = new QLabel(QStringLiteral("Time Scale"), frame());
    caption->setGeometry(8, BevelTop + 34, 76, 22);
    TrackBar1 = new QSlider(Qt::Horizontal, frame());
    TrackBar1->setObjectName(QStringLiteral("TrackBar1"));
    TrackBar1->setRange(0, 100);
    TrackBar1->setValue(50);
    TrackBar1->setSingleStep(10);
    TrackBar1->setPageStep(10);
    TrackBar1->setTickInterval(5);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setGeometry(86, BevelTop + 28, 320, 34);
    TrackBar1->setToolTip(QStringLiteral("Multiplies every step's delay"));
    ScaleFactor = new QLabel(frame());
    ScaleFactor->setObjectName(QStringLiteral("ScaleFactor"));
    ScaleFactor->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    ScaleFactor->setAlignment(Qt::AlignCenter);
    ScaleFactor->setGeometry(414, BevelTop + 34, 56, 22);
    auto *times = new QLabel(QStringLiteral("X"), frame());
    times->setGeometry(474, BevelTop + 34, 16, 22);
    connect(TrackBar1, &QSlider::valueChanged, this, &SequencerWorkspace::TrackBar1Change);
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
        if (QListWidgetItem *cell = row >= 0 ? COL5->item(row) : nullptr)
            cell->setText(text);
    });
    connect(&r, &SequenceRunner::runningChanged, this, &SequencerWorkspace::runningChanged);
    connect(&r, &SequenceRunner::sliderPositionChanged, this, [this](int position) {
        const QSignalBlocker quiet(TrackBar1);
        TrackBar1->setValue(position);
    });
    connect(&r, &SequenceRunner::timeScaleChanged, this,
            [this](float, const QString &label) { ScaleFactor->setText(label); });
    connect(&r, &SequenceRunner::sequenceLoaded, this, [this] {
        setRunButtons(true);
        applyFont();
        fitStepWindow();
        updateUpDown();
    });
    connect(&r, &SequenceRunner::sequenceCleared, this, [this] {
        setRunButtons(false);
        for (QToolButton *button : {DeleteB, InsertB, InsertAfterBtn})
            button->setEnabled(false);
        BitBtn6->setEnabled(true);
        updateUpDown();
    });
}

void SequencerWorkspace::enter()
{
    panel()->show();
    m_runner->enterWorkspace();
    SeqStep->setEnabled(true);
    RunBtn->setEnabled(true);
    PauseBtn->setEnabled(false);
    if (m_runner->selectedStep() < 0) {
        BitBtn6->setEnabled(true);
        InsertB->setEnabled(false);
        InsertAfterBtn->setEnabled(false);
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
            column->setTextColour(column == COL1 ? StepNumberColour : sequencerColour());
    }
    for (QLineEdit *editor : {Edit1, Edit2, Edit3}) {
        editor->setFont(font);
        QPalette p = editor->palette();
        p.setColor(QPalette::Text, sequencerColour());
        editor->setPalette(p);
    }
}

void SequencerWorkspace::fitStepWindow()
{
    const int rowHeight = COL1->rowHeight();
    const int rows = StepWindow::rowsFor(rowHeight, ColumnsTop, Bevel10->y());
    const int height = rows * rowHeight + 2 * COL1->frameWidth();
    for (StepColumn *column : columns())
        column->resize(column->width(), height);
    UpDown1->resize(UpDown1->width(), COL1->height());
    m_runner->setWindowRows(rows);
}

void SequencerWorkspace::RedrawStepWindow()
{
    const Sequence &sequence = m_runner->sequence();
    const StepWindow &window = m_runner->window();
    const int shown = window.filledRows(sequence.size());
    COL1->setRows(sequence.EvIndex.mid(window.top, shown));
    COL2->setRows(sequence.EvTime.mid(window.top, shown));
    COL3->setRows(sequence.EvCommand.mid(window.top, shown));
    COL4->setRows(sequence.EvNextSeq.mid(window.top, shown));
    COL5->setRows(sequence.ResponseLB.mid(window.top, shown));
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
    UpDown1->setRange(0, std::max(count - 1, 0));
    UpDown1->setPosition(count - m_runner->currentStep() - 1);
}

// --- The run.

void SequencerWorkspace::setRunButtons(bool enabled)
{
    for (QToolButton *button : {RunBtn, RewindBtn, SeqStep})
        button->setEnabled(enabled);
}

void SequencerWorkspace::setEditingButtons(bool enabled)
{
    for (QToolButton *button : {InsertB, InsertAfterBtn, BitBtn6, DeleteB})
        button->setEnabled(enabled);
}

void SequencerWorkspace::runningChanged(bool running)
{
    if (running) {
        for (QToolButton *button : {SeqStep, RunBtn, BitBtn5, InsertB, BitBtn6, InsertAfterBtn, DeleteB})
            button->setEnabled(false);
        PauseBtn->setEnabled(true);
        return;
    }
    PauseBtn->setEnabled(false);
    // However the run ended (Pause, or leaving the workspace), the file commands and the
    // run buttons come back; the editing buttons wait for a click on a row.
    BitBtn5->setEnabled(true);
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
    m_runner->setSliderPosition(TrackBar1->value());
}
