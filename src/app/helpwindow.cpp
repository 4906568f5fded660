#include "app/helpwindow.h"

#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

HelpWindow::HelpWindow(QWidget *parent)
    : QDialog(parent), m_browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("I/O VANTOR Help"));
    resize(640, 560);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setSource(QUrl(QStringLiteral("qrc:/help/index.html")));
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    connect(close, &QPushButton::clicked, this, &QDialog::hide);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_browser);
    layout->addWidget(close, 0, Qt::AlignRight);
}

HelpWindow *HelpWindow::showContents(QWidget *parent)
{
    auto *window = parent->findChild<HelpWindow *>(QStringLiteral("HelpWindow"), Qt::FindDirectChildrenOnly);
    if (!window)
        window = new HelpWindow(parent);
    window->browser()->scrollToAnchor(QStringLiteral("contents"));
    window->show();
    window->raise();
    return window;
}
