// The Relay Control's panel: the board list, the board's address and reply, one column per
// relay (its ON and OFF selectors, its timer value and its START button) and the prescaler.

#include "monitors/relaycontrol.h"

#include "monitors/monitorwidgets.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

constexpr int ColumnLeft = 14;
constexpr int ColumnPitch = 66;
constexpr int ColumnWidth = 60;

QLabel *label(const QString &text, QWidget *parent, int x, int y, int width, Qt::Alignment align = Qt::AlignLeft)
{
    auto *caption = new QLabel(text, parent);
    caption->setGeometry(x, y, width, 24);
    caption->setAlignment(align | Qt::AlignVCenter);
    return caption;
}

QLineEdit *twoCharacters(const QString &name, QWidget *parent, int x, int y)
{
    auto *edit = new QLineEdit(QStringLiteral("00"), parent);
    edit->setObjectName(name);
    edit->setGeometry(x, y, 40, 24);
    edit->setMaxLength(2);
    edit->setAlignment(Qt::AlignCenter);
    edit->setFont(MonitorLook::terminalFont(11));
    return edit;
}

QPushButton *button(const QString &caption, const char *name, QWidget *parent, const QRect &where)
{
    auto *push = new QPushButton(caption, parent);
    push->setObjectName(QString::fromLatin1(name));
    push->setGeometry(where);
    return push;
}

} // namespace

void RelayControl::buildPanel()
{
    QFrame *root = frame();

    auto *listGroup = new QGroupBox(QStringLiteral("CA - UT"), root);
    listGroup->setGeometry(12, 8, 180, 548);
    m_boards = new BoardList(QStringLiteral("KBoards"), listGroup);
    m_boards->setGeometry(10, 24, 160, 466);
    connect(m_boards, &BoardList::operatorClicked, this, &RelayControl::KBoardsClick);
    m_scan = button(QStringLiteral("SCAN"), "Button5", listGroup, QRect(10, 502, 160, 34));
    connect(m_scan, &QPushButton::clicked, this, &RelayControl::Button5Click);

    auto *boardGroup = new QGroupBox(root);
    boardGroup->setGeometry(204, 8, 680, 64);
    label(QStringLiteral("CA"), boardGroup, 16, 20, 30);
    m_kLoc = new QLineEdit(QStringLiteral("00"), boardGroup);
    m_kLoc->setObjectName(QStringLiteral("KLoc"));
    m_kLoc->setGeometry(46, 20, 44, 24);
    m_kLoc->setMaxLength(2);
    label(QStringLiteral("LXX"), boardGroup, 112, 20, 34);
    m_klCmd = new QLineEdit(boardGroup);
    m_klCmd->setObjectName(QStringLiteral("KLCMD"));
    m_klCmd->setGeometry(148, 20, 64, 24);
    m_klCmd->setMaxLength(4);
    for (QLineEdit *edit : {m_kLoc, m_klCmd}) {
        edit->setFont(MonitorLook::terminalFont(11));
        MonitorLook::makeUpperCase(edit);
    }
    // Its caption follows the other workspaces' RUN buttons; it starts nothing here.
    m_run = button(QStringLiteral("RUN"), "Button6", boardGroup, QRect(540, 14, 124, 38));

    auto *relayGroup = new QGroupBox(QStringLiteral("RELAYS"), root);
    relayGroup->setGeometry(204, 80, 680, 250);
    for (int relay = 1; relay <= Relay::Count; ++relay) {
        const int x = ColumnLeft + (relay - 1) * ColumnPitch;
        const int index = relay - 1;
        auto *head = label(QStringLiteral("K%1").arg(relay), relayGroup, x, 24, ColumnWidth, Qt::AlignHCenter);
        QFont bold = head->font();
        bold.setBold(true);
        head->setFont(bold);

        // Each pair in a frame of its own: the two exclude each other and nothing else.
        auto *pair = new QFrame(relayGroup);
        pair->setFrameShape(QFrame::StyledPanel);
        pair->setGeometry(x, 52, ColumnWidth, 62);
        auto *on = new QRadioButton(QStringLiteral("ON"), pair);
        on->setObjectName(QStringLiteral("K%1ON").arg(relay));
        on->setGeometry(6, 6, ColumnWidth - 8, 22);
        auto *off = new QRadioButton(QStringLiteral("OFF"), pair);
        off->setObjectName(QStringLiteral("K%1OFF").arg(relay));
        off->setGeometry(6, 34, ColumnWidth - 8, 22);
        m_on[size_t(index)] = on;
        m_off[size_t(index)] = off;
        connect(on, &QRadioButton::toggled, this, [this, relay](bool checked) {
            if (checked && !m_showingByProgram)
                RelayOnClick(relay);
        });
        connect(off, &QRadioButton::toggled, this, [this, relay](bool checked) {
            if (checked && !m_showingByProgram)
                RelayOffClick(relay);
        });

        QLineEdit *value = twoCharacters(QStringLiteral("TimerVal%1").arg(relay), relayGroup, x + 10, 128);
        MonitorLook::makeUpperCase(value);
        m_timerValues[size_t(index)] = value;

        const QString startName = Relay::startButtonName(relay);
        auto *start = button(QStringLiteral("START"), qPrintable(startName), relayGroup, QRect(x, 164, ColumnWidth, 30));
        connect(start, &QPushButton::clicked, this, [this, relay] { StartClick(relay); });
    }
    auto *sendAll = button(QStringLiteral("SEND ALL"), "Button10", relayGroup, QRect(540, 204, 124, 32));
    connect(sendAll, &QPushButton::clicked, this, &RelayControl::Button10Click);

    auto *prescale = new QGroupBox(QStringLiteral("PRESCALE"), root);
    prescale->setGeometry(204, 340, 300, 66);
    label(QStringLiteral("HIGH"), prescale, 16, 24, 40);
    m_preHigh = twoCharacters(QStringLiteral("PREHIGH"), prescale, 56, 24);
    label(QStringLiteral("LOW"), prescale, 112, 24, 40);
    m_preLow = twoCharacters(QStringLiteral("PRELOW"), prescale, 148, 24);
    auto *send = button(QStringLiteral("SEND"), "Button9", prescale, QRect(204, 20, 80, 32));
    connect(send, &QPushButton::clicked, this, &RelayControl::Button9Click);

    for (QPushButton *push : {m_scan, m_run, sendAll, send}) {
        QFont bold = push->font();
        bold.setBold(true);
        bold.setPointSize(10);
        push->setFont(bold);
    }
}
