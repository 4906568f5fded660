#include "app/mainwindow.h"

#include "app/aboutbox.h"
#include "app/configurationmenu.h"
#include "app/helpwindow.h"
#include "app/statusbar.h"
#include "serial/mainport.h"
#include "serial/portmap.h"
#include "serial/qtserialdriver.h"
#include "serial/tsiodevice.h"
#include "settings/closinggroup.h"
#include "settings/settingsfile.h"
#include "settings/settingskeys.h"
#include "settings/settingslocation.h"
#include "workspace/widgetoperatorprompt.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>

using namespace std::chrono_literals;

namespace {

const QColor StartUpColour(0xFF, 0xFF, 0xCC);   // 13434879 as 0x00BBGGRR
constexpr QSize FixedClientSize(905, 636);      // 913 x 671 outside a Windows frame
constexpr int StatusHeight = 36;

} // namespace

TForm1::TForm1(ConsoleSetup setup)
    : m_settingsPath(setup.settingsPath.isEmpty() ? settingsFilePath() : setup.settingsPath),
      m_prompt(std::move(setup.prompt)),
      m_portMap(setup.portMap),
      m_discoverDevices(std::move(setup.discoverDevices)),
      m_programmingLinks(std::move(setup.programmingLinks))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("KELDAN - V4.7 (09-23-06) - I/O VANTOR"));
    setFont(QFont(QStringLiteral("Arial"), 8));
    resize(929, 639);
    setMinimumSize(350, 350);
    setAutoFillBackground(true);
    QPalette startUp = palette();
    startUp.setColor(QPalette::Window, StartUpColour);
    setPalette(startUp);

    if (!m_prompt)
        m_prompt = std::make_unique<WidgetOperatorPrompt>(this);
    if (!m_portMap) {
        m_portMap = std::make_shared<PortMap>();
        m_portMap->load(SettingsFile(m_settingsPath));
    }
    std::unique_ptr<SerialDriver> driver = std::move(setup.driver);
    if (!driver)
        driver = std::make_unique<QtSerialDriver>(m_portMap);
    m_mainPort = new MainPort(std::move(driver), this);
    m_threadedDevices = setup.threadedDevices ? std::move(setup.threadedDevices) : qtTSIODevices(m_portMap);
    if (!m_programmingLinks)
        m_programmingLinks = threadedProgrammingLinks();

    buildStartUpPanel();
    m_status = new StatusBar(this);
    m_status->setGeometry(2, 600, 904, StatusHeight);
    m_status->hide();
    connect(m_mainPort, &MainPort::connectionChanged, this, [this](const QString &text, const QString &toolTip) {
        m_status->Connected->setText(text);
        m_status->Connected->setToolTip(toolTip);
    });
    connect(m_status->SB1, &StatusField::clicked, this, &TForm1::SB1Click);
    connect(m_status->SB2, &StatusField::clicked, this, &TForm1::SB2Click);
    connect(m_status->SB3, &StatusField::clicked, this, &TForm1::SB3Click);

    createWorkspaces();
    buildTabArea();
    buildMenus();
    connect(m_configuration, &ConfigurationMenu::hiddenWorkspacesChanged, this, &TForm1::rebuildTabs);

    m_startupTimer = new QTimer(this);
    m_startupTimer->setObjectName(QStringLiteral("Timer1"));
    m_startupTimer->setInterval(1000ms);
    connect(m_startupTimer, &QTimer::timeout, this, &TForm1::Timer1Timer);
    m_startupTimer->start();

    m_aboutTimer = new QTimer(this);
    m_aboutTimer->setObjectName(QStringLiteral("AboutTimer"));
    m_aboutTimer->setInterval(1ms);
    connect(m_aboutTimer, &QTimer::timeout, this, &TForm1::AboutTimerTimer);

    m_about = new TAboutDlgOK(this);
}

TForm1::~TForm1() = default;

void TForm1::buildStartUpPanel()
{
    m_startUpPanel = new QWidget(this);
    m_startUpPanel->setObjectName(QStringLiteral("StartUpPanel"));
    m_startUpPanel->setGeometry(75, 50, 756, 406);
    auto *logo = new QLabel(m_startUpPanel);
    logo->setObjectName(QStringLiteral("Image33"));
    logo->setPixmap(QPixmap(QStringLiteral(":/images/logo.jpg")));
    logo->setGeometry((756 - 550) / 2, 90, 550, 108);
    auto *text = new QLabel(QStringLiteral("Retrieving Settings Please Wait....."), m_startUpPanel);
    text->setObjectName(QStringLiteral("StartUpText"));
    text->setFont(QFont(QStringLiteral("Sans Serif"), 24));
    text->setAlignment(Qt::AlignCenter);
    text->setGeometry(0, 230, 756, 60);
}

void TForm1::buildTabArea()
{
    m_tabArea = new QWidget(this);
    m_tabArea->setObjectName(QStringLiteral("TabArea"));
    m_tabArea->setGeometry(1, 1, 905, 595);
    m_tabArea->hide();
    m_tabs = new QTabBar(m_tabArea);
    m_tabs->setObjectName(QStringLiteral("TabControl1"));
    // Wider than the form's strip: this platform's fonts need the room for all seven tabs.
    m_tabs->setGeometry(2, 0, 790, 25);
    m_tabs->setExpanding(false);
    m_tabs->setDrawBase(false);
    connect(m_tabs, &QTabBar::currentChanged, this, [this] { TabControl1Change(); });

    auto *about = new QPushButton(QStringLiteral("About Keldan"), m_tabArea);
    about->setObjectName(QStringLiteral("Button18"));
    about->setGeometry(798, 2, 100, 21);
    connect(about, &QPushButton::clicked, this, &TForm1::Button18Click);

    for (Workspace *workspace : m_workspaces) {
        QWidget *panel = workspace->panel();
        panel->setParent(m_tabArea);
        panel->setGeometry(workspace->panelGeometry());
        panel->hide();
    }
}

void TForm1::buildMenus()
{
    m_portMenu = new QMenu(this);
    m_portMenu->setObjectName(QStringLiteral("PM"));
    setPortMenuItems(initialPortMenu().items);

    m_baudMenu = new QMenu(this);
    m_baudMenu->setObjectName(QStringLiteral("PM2"));
    for (const QString &rate : baudMenuItems())
        m_baudMenu->addAction(rate, this, [this, rate] { BaudSel(rate); });

    m_specMenu = new QMenu(this);
    m_specMenu->setObjectName(QStringLiteral("PM3"));
    for (const QString &spec : comSpecMenuItems())
        m_specMenu->addAction(spec, this, [this, spec] { ComSpecClick(spec); });
}

OperatorPrompt &TForm1::prompt()
{
    return *m_prompt;
}

MainPort &TForm1::mainPort()
{
    return *m_mainPort;
}

bool TForm1::saveSettings(const std::function<void(SettingsFile &)> &edit)
{
    SettingsFile file(m_settingsPath);
    edit(file);
    if (file.commit())
        return true;
    m_prompt->showMessage(QStringLiteral("Error Saving"), QStringLiteral("Error Saving, The drive may be write protected"));
    return false;
}

void TForm1::setActivityText(const QString &text)
{
    m_status->SB5->setText(text);
}

QString TForm1::activityText() const
{
    return m_status->SB5->text();
}

void TForm1::setConnectedText(const QString &text)
{
    m_status->Connected->setText(text);
    // A workspace's own text ("Port Open Failed") keeps saying why the line is down.
    m_status->Connected->setToolTip(m_mainPort->lossToolTip());
}

void TForm1::setConnectedToolTip(const QString &note)
{
    const QString loss = m_mainPort->lossToolTip();
    m_status->Connected->setToolTip(loss.isEmpty() || note.isEmpty() ? loss + note : loss + QLatin1Char('\n') + note);
}

void TForm1::Timer1Timer()
{
    const int tick = StartupTickCount++;
    if (tick != 1)
        return;
    m_startupTimer->stop();
    RetrieveSettings();
}

void TForm1::AboutTimerTimer()
{
    if (m_aboutTimer->interval() == 1) {
        m_about->HideOnStartup->setChecked(HideAboutOnStartup);
        if (!HideAboutOnStartup) {
            m_about->OKBtn->hide();
            m_about->show();
            m_aboutTimer->setInterval(3000ms);
        } else {
            // A zero interval would fire on every pass of the event loop: stop instead.
            m_aboutTimer->stop();
        }
        return;
    }
    m_about->OKBtn->show();
    m_about->hide();
    m_aboutTimer->stop();
}

void TForm1::Button18Click()
{
    m_tabs->setFocus();
    m_about->OKBtn->show();
    m_about->show();
    m_about->raise();
}

void TForm1::HelpClick()
{
    HelpWindow::showContents(this);
}

void TForm1::FormClose()
{
    if (m_closingWritten)
        return;
    m_closingWritten = true;
    // Closed before start-up read the file: the controls still hold the form's defaults,
    // and writing them would overwrite what the operator saved.
    if (!SettingsLoaded)
        return;

    ClosingGroup group;
    for (const SettingsOwner *owner : std::as_const(m_settingsOwners))
        owner->addClosingValues(group);
    group.set(key::NagScreen, m_about->HideOnStartup->isChecked());

    // One replacement of the file: a failure leaves the whole group unwritten.
    saveSettings([&](SettingsFile &file) { group.write(file); });
}

void TForm1::closeEvent(QCloseEvent *event)
{
    FormClose();
    m_about->hide();
    event->accept();
}

void TForm1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutWindow();
}

void TForm1::holdFixedSize()
{
    setFixedSize(FixedClientSize);
}

void TForm1::layoutWindow()
{
    if (!m_tabArea || !m_status)
        return;
    if (m_current && m_current->resizable()) {
        setMinimumSize(350, 350);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        m_status->setGeometry(0, height() - StatusHeight - 1, width(), StatusHeight);
        m_tabArea->setGeometry(1, 1, width() - 2, height() - 1 - StatusHeight - 5);
        m_current->panel()->setGeometry(2, 25, m_tabArea->width() - 4, m_tabArea->height() - 27);
        return;
    }
    holdFixedSize();
    m_tabArea->setGeometry(1, 1, 905, 595);
    m_status->setGeometry(2, 600, 904, StatusHeight);
}
