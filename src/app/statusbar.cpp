#include "app/statusbar.h"

#include <QMouseEvent>

StatusField::StatusField(const QString &name, const QString &text, int left, int width, QWidget *parent)
    : QLabel(text, parent)
{
    setObjectName(name);
    setGeometry(left, 5, width, 26);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setIndent(4);
    setTextInteractionFlags(Qt::NoTextInteraction);
}

void StatusField::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        Q_EMIT clicked();
    QLabel::mousePressEvent(event);
}

StatusBar::StatusBar(QWidget *parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("StatusPanel"));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    SB1 = new StatusField(QStringLiteral("SB1"), QStringLiteral("COM1"), 10, 66, this);
    SB2 = new StatusField(QStringLiteral("SB2"), QStringLiteral("9600"), 80, 65, this);
    SB3 = new StatusField(QStringLiteral("SB3"), QStringLiteral("N-8-1"), 148, 37, this);
    Connected = new StatusField(QStringLiteral("Connected"), QStringLiteral("Port Closed"), 190, 281, this);
    SB5 = new StatusField(QStringLiteral("SB5"), QString(), 474, 407, this);
    for (StatusField *menuField : {SB1, SB2, SB3}) {
        menuField->setCursor(Qt::PointingHandCursor);
        menuField->setToolTip(tr("Click to choose"));
    }
    ProgressPanel = new QFrame(this);
    ProgressPanel->setObjectName(QStringLiteral("ProgressPanel"));
    ProgressPanel->setGeometry(474, 5, 423, 26);
    ProgressPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    ProgressPanel->hide();
}
