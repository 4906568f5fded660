// The Digital Monitor's panel: the board list, the board's replies, the output ports with
// their bit lamps and the input ports with their bit labels.

#include "monitors/digitalmonitor.h"

#include "monitors/monitorwidgets.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Digital;

namespace {

constexpr int LampLeft = 150;
constexpr int LampPitch = 34;
constexpr int LampSize = 28;

QLabel *fieldLabel(const QString &text, QWidget *parent, int x, int y, int width = 40)
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(x, y, width, 24);
    return label;
}

QLineEdit *field(const char *name, const QString &text, QWidget *parent, int x, int y, int width, bool readOnly = false)
{
    auto *edit = new QLineEdit(text, parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(x, y, width, 24);
    edit->setReadOnly(readOnly);
    edit->setFont(MonitorLook::terminalFont(11));
    return edit;
}

// Column heads 7 .. 0 over the lamps and the input bits.
void bitHeads(QWidget *parent, int y)
{
    for (int lamp = 0; lamp < BitsPerPort; ++lamp) {
        auto *head = new QLabel(QString::number(BitsPerPort - 1 - lamp), parent);
        head->setAlignment(Qt::AlignCenter);
        head->setGeometry(LampLeft + lamp * LampPitch, y, LampSize, 18);
    }
}

} // namespace

void DigitalMonitor::buildPanel()
{
    QFrame *root = frame();

    auto *listGroup = new QGroupBox(QStringLiteral("CA - UT"), root);
    listGroup->setGeometry(12, 8, 180, 548);
    m_boards = new BoardList(QStringLiteral("Boards"), listGroup);
    m_boards->setGeometry(10, 24, 160, 466);
    connect(m_boards, &BoardList::operatorClicked, this, &DigitalMonitor::BoardsClick);
    m_scan = new QPushButton(QStringLiteral("SCAN"), listGroup);
    m_scan->setObjectName(QStringLiteral("Button1"));
    m_scan->setGeometry(10, 502, 160, 34);
    connect(m_scan, &QPushButton::clicked, this, &DigitalMonitor::Button1Click);

    auto *boardGroup = new QGroupBox(root);
    boardGroup->setGeometry(204, 8, 680, 96);
    fieldLabel(QStringLiteral("CA"), boardGroup, 16, 22, 30);
    m_locxx = field("LOCXX", QStringLiteral("00"), boardGroup, 46, 22, 44);
    m_locxx->setMaxLength(2);
    MonitorLook::makeUpperCase(m_locxx);
    fieldLabel(QStringLiteral("LXX"), boardGroup, 112, 22, 34);
    m_baudTxt = field("BAUDTXT", QString(), boardGroup, 148, 22, 64, true);
    fieldLabel(QStringLiteral("UT"), boardGroup, 236, 22, 26);
    m_type = field("UIDTEXT", QString(), boardGroup, 264, 22, 64, true);
    fieldLabel(QStringLiteral("VER"), boardGroup, 352, 22, 34);
    m_version = field("VERTEXT", QString(), boardGroup, 388, 22, 64, true);
    fieldLabel(QStringLiteral("BAUD:"), boardGroup, 112, 58, 40);
    m_baudConv = new QLabel(QStringLiteral("Not Set"), boardGroup);
    m_baudConv->setObjectName(QStringLiteral("BaudConv"));
    m_baudConv->setGeometry(156, 58, 80, 24);
    m_baudConv->hide();
    m_typeText = new QLabel(QStringLiteral("Not Set"), boardGroup);
    m_typeText->setObjectName(QStringLiteral("TypeText"));
    m_typeText->setGeometry(264, 58, 120, 24);
    m_typeText->hide();
    for (QLabel *label : {m_baudConv, m_typeText}) {
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
    }
    connect(m_baudTxt, &QLineEdit::textChanged, this, &DigitalMonitor::baudTextChanged);
    connect(m_type, &QLineEdit::textChanged, this, &DigitalMonitor::typeTextChanged);

    static const char *const portLetters[PortCount] = {"L", "M", "R"};
    static const char *const portNames[PortCount] = {"LEFT", "MID", "RIGHT"};
    static const char *const outputNames[PortCount] = {"OUTL", "OUTM", "OUTR"};
    static const char *const inputNames[PortCount] = {"INL", "INM", "INR"};
    static const char *const lampPrefixes[PortCount] = {"OLB", "OMB", "ORB"};
    static const char *const bitLabelNames[PortCount] = {"Label21", "Label22", "Label23"};

    auto *outputGroup = new QGroupBox(QStringLiteral("OUTPUTS"), root);
    outputGroup->setGeometry(204, 114, 680, 176);
    bitHeads(outputGroup, 22);
    for (int port = 0; port < PortCount; ++port) {
        const int y = 44 + port * 40;
        fieldLabel(QString::fromLatin1(portLetters[port]), outputGroup, 16, y, 20);
        QLineEdit *output = field(outputNames[port], QStringLiteral("XX"), outputGroup, 40, y, 44);
        output->setMaxLength(2);
        MonitorLook::makeUpperCase(output);
        m_outputs[size_t(port)] = output;
        fieldLabel(QString::fromLatin1(portNames[port]), outputGroup, 96, y, 50);
        for (int lamp = 0; lamp < BitsPerPort; ++lamp) {
            const int tag = lampTag(port, lamp);
            auto *bit = new BitLamp(QStringLiteral("%1%2").arg(QLatin1String(lampPrefixes[port])).arg(lamp), tag,
                                    outputGroup);
            bit->setGeometry(LampLeft + lamp * LampPitch, y - 2, LampSize, LampSize);
            connect(bit, &BitLamp::clicked, this, &DigitalMonitor::LampClick);
            m_lamps[size_t(tag)] = bit;
        }
        connect(output, &QLineEdit::textChanged, this, [this, port] { outputChanged(port); });
    }

    auto *inputGroup = new QGroupBox(QStringLiteral("INPUTS"), root);
    inputGroup->setGeometry(204, 300, 680, 176);
    bitHeads(inputGroup, 22);
    for (int port = 0; port < PortCount; ++port) {
        const int y = 44 + port * 40;
        fieldLabel(QString::fromLatin1(portLetters[port]), inputGroup, 16, y, 20);
        QLineEdit *input = field(inputNames[port], QStringLiteral("XX"), inputGroup, 40, y, 44);
        m_inputs[size_t(port)] = input;
        auto *bits = new QLabel(QString(BitsPerPort, u' '), inputGroup);
        bits->setObjectName(QString::fromLatin1(bitLabelNames[port]));
        QFont font = MonitorLook::terminalFont(12);
        bits->setFont(font);
        // One character under each lamp column.
        font.setLetterSpacing(QFont::AbsoluteSpacing,
                              LampPitch - QFontMetrics(font).horizontalAdvance(QLatin1Char('0')));
        bits->setFont(font);
        bits->setAutoFillBackground(true);
        QPalette aqua = bits->palette();
        aqua.setColor(QPalette::Window, MonitorLook::Aqua);
        bits->setPalette(aqua);
        bits->setIndent((LampSize - QFontMetrics(font).horizontalAdvance(QLatin1Char('0'))) / 2 + 2);
        bits->setGeometry(LampLeft - 2, y - 2, BitsPerPort * LampPitch, LampSize);
        m_inputBits[size_t(port)] = bits;
        connect(input, &QLineEdit::textChanged, this, [this, port] { inputChanged(port); });
    }

    for (int port = 0; port < PortCount; ++port) {
        outputChanged(port);
        inputChanged(port);
    }

    m_run = new QPushButton(QStringLiteral("RUN"), root);
    m_run->setObjectName(QStringLiteral("Button2"));
    m_run->setGeometry(204, 502, 130, 40);
    connect(m_run, &QPushButton::clicked, this, &DigitalMonitor::Button2Click);
    m_test = new QPushButton(QStringLiteral("TEST"), root);
    m_test->setObjectName(QStringLiteral("Button3"));
    m_test->setGeometry(346, 502, 130, 40);
    connect(m_test, &QPushButton::clicked, this, &DigitalMonitor::Button3Click);
    for (QPushButton *button : {m_scan, m_run, m_test}) {
        QFont bold = button->font();
        bold.setBold(true);
        bold.setPointSize(10);
        button->setFont(bold);
    }
}
