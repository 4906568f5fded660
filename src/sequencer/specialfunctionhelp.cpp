#include "sequencer/specialfunctionhelp.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

const char *const Page = R"(<html><body>
<h2 align="center">Special Function<br>Commands</h2>
<p>Special functions change the line or the timing in the middle of a run. Within a step's
command, a special function begins with the user-definable start character and ends with the
stop character (by default "{" and "}"). Special functions work only while "Enable" is ticked
beside the start and stop characters.</p>
<table border="1" cellspacing="0" cellpadding="4" width="100%">
<tr><th align="left">Command</th><th align="left">Description</th></tr>
<tr><td>{BR=baud}</td><td>Set the baudrate on a sequence step</td></tr>
<tr><td>{TS=value}</td><td>Set the time scale slider to a value from 1-100, 1=.02X time scale,
50=1X time scale, 100=10X time scale</td></tr>
<tr><td>{CP=comX}</td><td>Set the current communications port.</td></tr>
</table>
<hr>
<p><b>Examples:</b></p>
<p><b>{BR=9600}</b> - sets baudrate to 9600 baud<br>
<b>{CP=COM4}</b> - set current comm-port to COM4<br>
<b>{TS=50}</b> - sets the time scale to 50=0.02*50 = 1X scale</p>
</body></html>)";

} // namespace

TForm2::TForm2(QWidget *parent)
    : QDialog(parent), m_page(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Special Function Help"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setModal(false);
    resize(520, 460);

    m_page->setObjectName(QStringLiteral("HtmlView"));
    m_page->setHtml(html());

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::hide);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_page);
    layout->addWidget(Button1, 0, Qt::AlignHCenter);
}

QString TForm2::html()
{
    return QString::fromUtf8(Page);
}

void TForm2::showCentred()
{
    if (!isVisible()) {
        const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
        if (screen) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    show();
    raise();
}
