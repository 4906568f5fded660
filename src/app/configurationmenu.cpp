#include "app/configurationmenu.h"

#include "workspace/console.h"
#include "settings/settingsfile.h"
#include "settings/settingskeys.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabBar>

namespace {

const char *const PageCaptions[] = {"Function Keys", "Scan Defaults", "Program Setup", "Communications", "Virtual Board"};

struct HideBox
{
    const char *name;
    const char *caption;
    const key::BoolKey &settingsKey;
};

const HideBox HideBoxes[WorkspaceTabs::Hideable] = {
    {"HideDigMon", "Digital Monitor", key::HideDM},     {"HideAnaMon", "Analog Monitor", key::HideAM},
    {"HideRelyCtl", "Relay Control", key::HideRC},      {"HideTerm", "Terminal Emulator", key::HideTE},
    {"HideSequence", "Sequencer", key::HideSE},         {"HideProg", "Flash Program Updater", key::HidePrg},
};

// The two notes on the macro syntax of the function keys, line by line.
const char *const Note1 =
    "Using \"~nnn\"  where nnn is a decimal number 000 - \n"
    "255 \n"
    "will cause the ASCII character associated with the \n"
    "value \n"
    "nnn to be sent.";

const char *const Note2 =
    "Using [n] where n is the number of characters to \n"
    "receive before proceding on with the rest of the \n"
    "macro string.";

QCheckBox *makeCheckBox(QWidget *parent, const char *name, const QString &caption, int x, int y, int width = 220)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(x, y, width, 20);
    return box;
}

QRadioButton *makeRadio(QWidget *parent, const char *name, const QString &caption, int x, int y)
{
    auto *button = new QRadioButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(x, y, 120, 20);
    return button;
}

} // namespace

ConfigurationMenu::ConfigurationMenu(Console &console, QObject *parent)
    : PanelWorkspace(QStringLiteral("Configuration Menu"), QStringLiteral("ConfigurePanel"), console, parent)
{
    QFrame *root = frame();

    auto *heading = new QLabel(QStringLiteral("KELDAN - I/O VANTOR"), root);
    heading->setObjectName(QStringLiteral("Label55"));
    QFont headingFont = heading->font();
    headingFont.setPointSize(14);
    headingFont.setBold(true);
    heading->setFont(headingFont);
    heading->setGeometry(12, 6, 400, 28);

    m_pages = new QTabBar(root);
    m_pages->setObjectName(QStringLiteral("TabControl2"));
    m_pages->setGeometry(8, 40, 880, 26);
    m_pages->setExpanding(false);
    for (const char *caption : PageCaptions)
        m_pages->addTab(QString::fromLatin1(caption));

    for (int i = 0; i < 5; ++i) {
        auto *page = new QFrame(root);
        page->setObjectName(QStringLiteral("ConfigPanel%1").arg(i + 1));
        page->setFrameShape(QFrame::StyledPanel);
        page->setGeometry(8, 66, 880, 490);
        page->hide();
        m_pagePanels[size_t(i)] = page;
    }
    // The page index and the panel number differ: "Scan Defaults" is ConfigPanel1.
    std::swap(m_pagePanels[0], m_pagePanels[1]);

    buildProgramSetupPage(page(2));
    buildCommunicationsPage(page(3));

    m_pages->setCurrentIndex(0);
    page(0)->show();
    connect(m_pages, &QTabBar::currentChanged, this, [this] { TabControl2Change(); });
}

QWidget *ConfigurationMenu::page(int index) const
{
    return m_pagePanels.at(size_t(index));
}

void ConfigurationMenu::buildProgramSetupPage(QWidget *page)
{
    auto *startGroup = new QGroupBox(QStringLiteral("Start Tab . . . . ."), page);
    startGroup->setGeometry(16, 16, 260, 64);
    m_startProg = new QComboBox(startGroup);
    m_startProg->setObjectName(QStringLiteral("StartProgIdx"));
    m_startProg->setGeometry(12, 26, 230, 24);
    m_startProg->addItems(WorkspaceTabs::startProgItems());
    m_startProg->setCurrentText(QString::fromLatin1(key::StartProg.def));
    // Only an operator's choice is saved; selecting an item by program is not.
    connect(m_startProg, &QComboBox::activated, this, [this] { StartProgIdxChange(); });

    auto *hideGroup = new QGroupBox(QStringLiteral("Hide Tabs"), page);
    hideGroup->setGeometry(16, 96, 260, 184);
    for (int i = 0; i < WorkspaceTabs::Hideable; ++i) {
        m_hideBoxes[size_t(i)] = makeCheckBox(hideGroup, HideBoxes[i].name, QString::fromLatin1(HideBoxes[i].caption), 12,
                                      26 + i * 25);
        m_hideBoxes[size_t(i)]->setChecked(HideBoxes[i].settingsKey.def);
        // toggled, not clicked: a box set by program runs its handler as a click would.
        connect(m_hideBoxes[size_t(i)], &QCheckBox::toggled, this, [this, i] { HideDigMonClick(i); });
    }

    auto *notesGroup = new QGroupBox(QStringLiteral("Function Key Macros"), page);
    notesGroup->setGeometry(300, 16, 560, 264);
    m_notes = new QTabBar(notesGroup);
    m_notes->setObjectName(QStringLiteral("TabControl3"));
    m_notes->setGeometry(12, 24, 300, 24);
    m_notes->addTab(QStringLiteral("NOTE 1"));
    m_notes->addTab(QStringLiteral("NOTE 2"));
    m_note1 = new QPlainTextEdit(QString::fromLatin1(Note1), notesGroup);
    m_note1->setObjectName(QStringLiteral("Memo2"));
    m_note2 = new QPlainTextEdit(QString::fromLatin1(Note2), notesGroup);
    m_note2->setObjectName(QStringLiteral("Memo3"));
    for (QPlainTextEdit *note : {m_note1, m_note2}) {
        note->setReadOnly(true);
        note->setGeometry(12, 48, 536, 204);
    }
    m_note2->hide();
    connect(m_notes, &QTabBar::currentChanged, this, [this] { TabControl3Change(); });
}

void ConfigurationMenu::buildCommunicationsPage(QWidget *page)
{
    auto *heading = new QLabel(QStringLiteral("Communication Port Setup"), page);
    QFont font = heading->font();
    font.setBold(true);
    font.setPointSize(font.pointSize() + 2);
    heading->setFont(font);
    heading->setGeometry(16, 12, 400, 24);

    auto *powerGroup = new QGroupBox(QStringLiteral("Line Converter"), page);
    powerGroup->setGeometry(16, 48, 300, 120);
    m_power = makeCheckBox(powerGroup, "EnableCtlrPower", QStringLiteral("Power Converter Enable"), 12, 26, 260);
    m_dtr = makeCheckBox(powerGroup, "DTRCtrl", QStringLiteral("USE DTR"), 36, 56);
    m_rts = makeCheckBox(powerGroup, "RTSCtrl", QStringLiteral("USE RTS"), 36, 84);
    showPowerLines(false);
    connect(m_power, &QCheckBox::toggled, this, [this] { EnableCtlrPowerClick(); });
    connect(m_dtr, &QCheckBox::toggled, this, [this] { FlowChangeCtrlClick(); });
    connect(m_rts, &QCheckBox::toggled, this, [this] { FlowChangeCtrlClick(); });

    auto *flowGroup = new QGroupBox(QStringLiteral("Flow Control"), page);
    flowGroup->setGeometry(336, 48, 300, 176);
    m_flowEnabled = makeCheckBox(flowGroup, "EnableFlowCtl", QStringLiteral("Enable Flow Control (For Modems)"), 12, 26,
                                 270);
    m_flowNone = makeRadio(flowGroup, "FlowNONE", QStringLiteral("NONE"), 36, 56);
    m_flowXon = makeRadio(flowGroup, "FlowXON", QStringLiteral("XON/XOFF"), 36, 84);
    m_flowCts = makeRadio(flowGroup, "FlowCTS", QStringLiteral("CTS/RTS"), 36, 112);
    m_flowDtr = makeRadio(flowGroup, "FlowDTR", QStringLiteral("DTR/DSR"), 36, 140);
    m_flowNone->setChecked(true);
    showFlowButtons(false);
    connect(m_flowEnabled, &QCheckBox::toggled, this, [this] { EnableFlowCtlClick(); });
    for (QRadioButton *button : {m_flowNone, m_flowXon, m_flowCts, m_flowDtr}) {
        connect(button, &QRadioButton::toggled, this, [this, button](bool checked) {
            if (checked)
                FlowChange(button);
        });
    }
}

void ConfigurationMenu::enter()
{
    panel()->show();
}

void ConfigurationMenu::readSettings(const SettingsFile &file)
{
    readHideBoxes(file);
    readPowerControl(file);
    readFlowControl(file);
}

void ConfigurationMenu::readHideBoxes(const SettingsFile &file)
{
    for (int i = 0; i < WorkspaceTabs::Hideable; ++i)
        m_hideBoxes[size_t(i)]->setChecked(read(file, HideBoxes[i].settingsKey));
}

void ConfigurationMenu::readPowerControl(const SettingsFile &file)
{
    m_power->setChecked(read(file, key::POWERCTL));
    m_dtr->setChecked(read(file, key::DTRACTIVE));
    m_rts->setChecked(read(file, key::RTSACTIVE));
    showPowerLines(m_power->isChecked());
}

void ConfigurationMenu::readFlowControl(const SettingsFile &file)
{
    m_flowEnabled->setChecked(read(file, key::FLOWEN));
    const QString flow = read(file, key::FLOWCTL);
    if (flow == QLatin1String("FLOWNONE"))
        m_flowNone->setChecked(true);
    else if (flow == QLatin1String("FLOWXON"))
        m_flowXon->setChecked(true);
    else if (flow == QLatin1String("FLOWCTS"))
        m_flowCts->setChecked(true);
    else if (flow == QLatin1String("FLOWDTR"))
        m_flowDtr->setChecked(true);
    showFlowButtons(m_flowEnabled->isChecked());
}

WorkspaceTabs::HiddenFlags ConfigurationMenu::hiddenWorkspaces() const
{
    WorkspaceTabs::HiddenFlags hidden{};
    for (int i = 0; i < WorkspaceTabs::Hideable; ++i)
        hidden[size_t(i)] = m_hideBoxes[size_t(i)]->isChecked();
    return hidden;
}

void ConfigurationMenu::selectStartProgItem(int item)
{
    m_startProg->setCurrentIndex(item);
}

QString ConfigurationMenu::startProgText() const
{
    return m_startProg->currentText();
}

bool ConfigurationMenu::powerEnabled() const { return m_power->isChecked(); }
bool ConfigurationMenu::dtrEnabled() const { return m_dtr->isChecked(); }
bool ConfigurationMenu::rtsEnabled() const { return m_rts->isChecked(); }
bool ConfigurationMenu::flowEnabled() const { return m_flowEnabled->isChecked(); }

FlowChoice ConfigurationMenu::flowChoice() const
{
    if (m_flowXon->isChecked())
        return FlowChoice::XonXoff;
    if (m_flowCts->isChecked())
        return FlowChoice::CtsRts;
    if (m_flowDtr->isChecked())
        return FlowChoice::DtrDsr;
    return FlowChoice::None;
}

void ConfigurationMenu::HideDigMonClick(int box)
{
    if (!console().settingsLoaded())
        return;
    const bool hidden = m_hideBoxes[size_t(box)]->isChecked();
    const key::BoolKey &settingsKey = HideBoxes[box].settingsKey;
    if (!console().saveSettings([&](SettingsFile &file) { write(file, settingsKey, hidden); }))
        return;
    Q_EMIT hiddenWorkspacesChanged();
}

void ConfigurationMenu::StartProgIdxChange()
{
    const QString text = m_startProg->currentText();
    console().saveSettings([&](SettingsFile &file) { write(file, key::StartProg, text); });
}

void ConfigurationMenu::TabControl2Change()
{
    Q_EMIT pageChanged(m_pages->currentIndex());
    for (QWidget *panel : m_pagePanels)
        panel->hide();
    if (QWidget *shown = page(m_pages->currentIndex()))
        shown->show();
}

void ConfigurationMenu::showFirstNote()
{
    m_notes->setCurrentIndex(0);
    m_note1->show();
    m_note2->hide();
}

void ConfigurationMenu::TabControl3Change()
{
    m_note1->hide();
    m_note2->hide();
    (m_notes->currentIndex() == 0 ? m_note1 : m_note2)->show();
}

void ConfigurationMenu::EnableCtlrPowerClick()
{
    if (!console().settingsLoaded())
        return;
    const bool enabled = m_power->isChecked();
    if (!console().saveSettings([&](SettingsFile &file) { write(file, key::POWERCTL, enabled); }))
        return;
    showPowerLines(enabled);
}

void ConfigurationMenu::FlowChangeCtrlClick()
{
    if (!console().settingsLoaded())
        return;
    const bool dtr = m_dtr->isChecked();
    const bool rts = m_rts->isChecked();
    console().saveSettings([&](SettingsFile &file) {
        write(file, key::DTRACTIVE, dtr);
        write(file, key::RTSACTIVE, rts);
    });
}

void ConfigurationMenu::EnableFlowCtlClick()
{
    if (!console().settingsLoaded())
        return;
    const bool enabled = m_flowEnabled->isChecked();
    if (!console().saveSettings([&](SettingsFile &file) { write(file, key::FLOWEN, enabled); }))
        return;
    showFlowButtons(enabled);
}

void ConfigurationMenu::FlowChange(QRadioButton *button)
{
    if (!console().settingsLoaded())
        return;
    QString value = QStringLiteral("FLOWNONE");
    if (button == m_flowXon)
        value = QStringLiteral("FLOWXON");
    else if (button == m_flowCts)
        value = QStringLiteral("FLOWCTS");
    else if (button == m_flowDtr)
        value = QStringLiteral("FLOWDTR");
    console().saveSettings([&](SettingsFile &file) { write(file, key::FLOWCTL, value); });
}

void ConfigurationMenu::showPowerLines(bool shown)
{
    m_dtr->setVisible(shown);
    m_rts->setVisible(shown);
}

void ConfigurationMenu::showFlowButtons(bool shown)
{
    for (QRadioButton *button : {m_flowNone, m_flowXon, m_flowCts, m_flowDtr})
        button->setVisible(shown);
}
