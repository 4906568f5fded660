// The Analog Monitor's panel: the board list, the board's address and reply, and one column
// per channel with its value and its four mode selectors.

#include "monitors/analogmonitor.h"

#include "monitors/monitorwidgets.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace Analog;

namespace {

constexpr int ColumnLeft = 70;
constexpr int ColumnPitch = 55;
constexpr int ColumnWidth = 52;
constexpr int ColumnTop = 84;
constexpr int ColumnHeight = 330;
// The four selectors of a column, top to bottom: HEX, temperature, 0 .. 5V, 0 .. 10V.
constexpr int SelectorTop[4] = {56, 128, 200, 272};
constexpr int SelectorSize = 20;

int columnX(int channel)
{
    return ColumnLeft + (channel - 1) * ColumnPitch;
}

QLabel *centred(const QString &text, QWidget *parent, int x, int y, int width)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    label->setGeometry(x, y, width, 20);
    return label;
}

QRadioButton *selector(QWidget *parent, int row)
{
    auto *button = new QRadioButton(parent);
    button->setGeometry((ColumnWidth - SelectorSize) / 2 + 2, SelectorTop[row], SelectorSize + 4, SelectorSize);
    return button;
}

} // namespace

void AnalogMonitor::buildPanel()
{
    QFrame *root = frame();

    auto *listGroup = new QGroupBox(QStringLiteral("CA - UT"), root);
    listGroup->setGeometry(12, 8, 180, 548);
    m_boards = new BoardList(QStringLiteral("AnaBoards"), listGroup);
    m_boards->setGeometry(10, 24, 160, 466);
    connect(m_boards, &BoardList::operatorClicked, this, &AnalogMonitor::AnaBoardsClick);
    m_scan = new QPushButton(QStringLiteral("SCAN"), listGroup);
    m_scan->setObjectName(QStringLiteral("ANASCAN"));
    m_scan->setGeometry(10, 502, 160, 34);
    connect(m_scan, &QPushButton::clicked, this, &AnalogMonitor::ANASCANClick);

    auto *boardGroup = new QGroupBox(root);
    boardGroup->setGeometry(204, 8, 680, 64);
    auto *ca = new QLabel(QStringLiteral("CA"), boardGroup);
    ca->setGeometry(16, 20, 30, 24);
    m_scanStart = new QLineEdit(QStringLiteral("00"), boardGroup);
    m_scanStart->setObjectName(QStringLiteral("SCANSTART"));
    m_scanStart->setGeometry(46, 20, 44, 24);
    m_scanStart->setMaxLength(2);
    auto *lxx = new QLabel(QStringLiteral("LXX"), boardGroup);
    lxx->setGeometry(112, 20, 34, 24);
    m_anaLoc = new QLineEdit(boardGroup);
    m_anaLoc->setObjectName(QStringLiteral("ANALOC"));
    m_anaLoc->setGeometry(148, 20, 64, 24);
    m_anaLoc->setMaxLength(4);
    for (QLineEdit *edit : {m_scanStart, m_anaLoc}) {
        edit->setFont(MonitorLook::terminalFont(11));
        MonitorLook::makeUpperCase(edit);
    }
    m_run = new QPushButton(QStringLiteral("RUN"), boardGroup);
    m_run->setObjectName(QStringLiteral("ANARUN"));
    m_run->setGeometry(540, 14, 124, 38);
    connect(m_run, &QPushButton::clicked, this, &AnalogMonitor::ANARUNClick);
    for (QPushButton *button : {m_scan, m_run}) {
        QFont bold = button->font();
        bold.setBold(true);
        bold.setPointSize(10);
        button->setFont(bold);
    }

    auto *channelGroup = new QGroupBox(root);
    channelGroup->setGeometry(204, 80, 680, 430);
    for (int channel = 1; channel <= Channels; ++channel)
        buildChannelColumn(channel, channelGroup, columnX(channel));

    // Row heads beside the selectors; the unit choice heads the temperature row.
    const int headTop = ColumnTop - 1;
    centred(QStringLiteral("HEX"), channelGroup, 4, headTop + SelectorTop[0], 60);
    auto *unit = new QWidget(channelGroup);
    unit->setGeometry(4, headTop + SelectorTop[1] - 2, 62, 24);
    m_celciusButton = new QRadioButton(QStringLiteral("C"), unit);
    m_celciusButton->setObjectName(QStringLiteral("Celcius"));
    m_celciusButton->setGeometry(0, 2, 31, 20);
    m_celciusButton->setChecked(true);
    m_farenButton = new QRadioButton(QStringLiteral("F"), unit);
    m_farenButton->setObjectName(QStringLiteral("Faren"));
    m_farenButton->setGeometry(31, 2, 31, 20);
    connect(m_celciusButton, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            CelciusClick();
    });
    connect(m_farenButton, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            FarenClick();
    });
    centred(QStringLiteral("0 .. 5V"), channelGroup, 4, headTop + SelectorTop[2], 60);
    centred(QStringLiteral("0 .. 10V"), channelGroup, 4, headTop + SelectorTop[3], 60);

    buildCover(channelGroup);

    m_temp = new QLabel(QStringLiteral("TEMP C"), channelGroup);
    m_temp->setObjectName(QStringLiteral("Temp"));
    m_temp->hide();
}

void AnalogMonitor::buildChannelColumn(int channel, QWidget *parent, int x)
{
    const int index = channel - 1;
    centred(QStringLiteral("AIN%1").arg(channel), parent, x, 20, ColumnWidth);
    auto *value = new QLineEdit(QStringLiteral("XXXX"), parent);
    value->setObjectName(QStringLiteral("AIN%1").arg(channel));
    value->setGeometry(x, 42, ColumnWidth, 30);
    value->setFont(MonitorLook::terminalFont(9));
    value->setAlignment(Qt::AlignCenter);
    m_values[size_t(index)] = value;

    // One panel a column: its four selectors exclude each other and nothing else.
    auto *column = new QFrame(parent);
    column->setObjectName(QStringLiteral("AN%1").arg(channel));
    column->setFrameShape(QFrame::StyledPanel);
    column->setGeometry(x, ColumnTop, ColumnWidth, ColumnHeight);
    centred(QString::number(channel), column, 0, 8, ColumnWidth);
    static const char *const suffixes[4] = {"H", "C", "V1", "V2"};
    for (int mode = 0; mode < 4; ++mode) {
        QRadioButton *button = selector(column, mode);
        button->setObjectName(QStringLiteral("CH%1%2").arg(channel).arg(QLatin1String(suffixes[mode])));
        const int tag = 4 * index + mode;
        m_selectors[size_t(tag)] = button;
        connect(button, &QRadioButton::toggled, this, [this, tag](bool on) {
            if (on)
                ModeClick(tag);
        });
    }
    m_selectors[size_t(4 * index)]->setChecked(true);
    m_columns[size_t(index)] = column;
}

// A cover over the columns of channels 6 to 11 with selectors that cannot be chosen, shown
// for boards with five channels.
void AnalogMonitor::buildCover(QWidget *parent)
{
    m_cover = new QFrame(parent);
    m_cover->setObjectName(QStringLiteral("AD5PANEL"));
    const int left = columnX(FiveChannels + 1);
    m_cover->setGeometry(left, ColumnTop, columnX(Channels) + ColumnWidth - left, ColumnHeight);
    m_cover->setAutoFillBackground(true);
    for (int channel = FiveChannels + 1; channel <= Channels; ++channel) {
        auto *column = new QFrame(m_cover);
        column->setFrameShape(QFrame::StyledPanel);
        column->setGeometry(columnX(channel) - left, 0, ColumnWidth, ColumnHeight);
        column->setEnabled(false);
        centred(QString::number(channel), column, 0, 8, ColumnWidth);
        for (int mode = 0; mode < 4; ++mode)
            selector(column, mode);
    }
    m_cover->hide();
}
