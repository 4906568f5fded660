#include "updater/updaterworkspace.h"

#include "settings/closinggroup.h"
#include "settings/settingskeys.h"
#include "workspace/console.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>

namespace {

int hexValue(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 16);
    return ok ? value : 0;
}

// Checks the button of index in a group, or none when there is no index.
void checkOnly(const QList<QRadioButton *> &group, std::optional<int> index)
{
    for (int i = 0; i < int(group.size()); ++i) {
        QRadioButton *radio = group.at(i);
        radio->setAutoExclusive(false);
        radio->setChecked(index && *index == i);
        radio->setAutoExclusive(true);
    }
}

std::optional<int> checkedIndex(const QList<QRadioButton *> &group)
{
    for (int i = 0; i < int(group.size()); ++i) {
        if (group.at(i)->isChecked())
            return i;
    }
    return std::nullopt;
}

} // namespace

UpdaterWorkspace::UpdaterWorkspace(Console &console, ProgrammingLinkFactory makeLink, QObject *parent)
    : PanelWorkspace(QStringLiteral("Flash Updater"), QStringLiteral("FlashUpdater"), console, parent),
      m_updater(new FlashUpdater(std::move(makeLink), console.prompt(), this))
{
    m_updater->selectedBoardEntry = [this] { return selectedBoardEntry(); };
    m_updater->scanFirst = [this] { return m_scanRange.firstText ? hexValue(m_scanRange.firstText()) : 0x00; };
    m_updater->scanLast = [this] { return m_scanRange.lastText ? hexValue(m_scanRange.lastText()) : 0x0F; };

    buildPanel();
    connectUpdater();
    showRates();

    // It counts the updater's waits down from start to end, whichever workspace is shown.
    m_flashTimer = new QTimer(this);
    m_flashTimer->setObjectName(QStringLiteral("FlashPrgTimer"));
    m_flashTimer->setInterval(std::chrono::milliseconds(20));
    connect(m_flashTimer, &QTimer::timeout, m_updater, &FlashUpdater::FlashPrgTimerTimer);
    m_flashTimer->start();
}

UpdaterWorkspace::~UpdaterWorkspace() = default;

void UpdaterWorkspace::connectUpdater()
{
    FlashUpdater *u = m_updater;
    connect(u, &FlashUpdater::progStatusCleared, m_status, &QPlainTextEdit::clear);
    connect(u, &FlashUpdater::progStatusAdded, m_status, &QPlainTextEdit::appendPlainText);
    connect(u, &FlashUpdater::connectedText, this, [this](const QString &text) {
        console().setConnectedText(text);
        if (!m_updater->lossNote().isEmpty())
            console().setConnectedToolTip(m_updater->lossNote());
    });
    connect(u, &FlashUpdater::captionChanged, this, [this](const QString &control, const QString &caption) {
        if (QPushButton *push = buttonNamed(control)) {
            push->setText(caption);
            push->repaint();
        }
    });
    connect(u, &FlashUpdater::progressRange, m_progress, [this](int maximum) { m_progress->setRange(0, std::max(1, maximum)); });
    connect(u, &FlashUpdater::progressPosition, m_progress, &QProgressBar::setValue);
    connect(u, &FlashUpdater::percentText, m_percent, [this](const QString &text) {
        m_percent->setText(text);
        m_percent->repaint();
    });
    connect(u, &FlashUpdater::progressPanelShown, m_progressPanel, &QWidget::setVisible);
    connect(u, &FlashUpdater::boardListCleared, m_boards, &QListWidget::clear);
    connect(u, &FlashUpdater::boardEntryAdded, m_boards, [this](const QString &entry) { m_boards->addItem(entry); });
    connect(u, &FlashUpdater::focusRequested, this, [this] { panel()->setFocus(); });
    connect(u, &FlashUpdater::tickPhaseRestarted, this, [this] { m_flashTimer->start(); });
    // The hidden receive area follows RxData at most RxDataRefresh later: set on every change
    // it cost a quarter of a millisecond a line, about a fifth of a download at 115200 baud.
    m_rxDataRefresh = new QTimer(this);
    m_rxDataRefresh->setSingleShot(true);
    m_rxDataRefresh->setInterval(RxDataRefresh);
    connect(m_rxDataRefresh, &QTimer::timeout, m_rxData,
            [this] { m_rxData->setPlainText(QString::fromLatin1(m_updater->RxData)); });
    connect(u, &FlashUpdater::rxDataChanged, m_rxDataRefresh, [this] {
        if (!m_rxDataRefresh->isActive())
            m_rxDataRefresh->start();
    });
}

QPushButton *UpdaterWorkspace::buttonNamed(const QString &name) const
{
    return panel()->findChild<QPushButton *>(name);
}

void UpdaterWorkspace::enter()
{
    selectScanItems();
    panel()->show();
}

void UpdaterWorkspace::workspaceChanging()
{
    PanelWorkspace::workspaceChanging();
    m_updater->workspaceLeft();
}

// Settings

void UpdaterWorkspace::readSettings(const SettingsFile &file)
{
    m_settings.readRates(file);
    m_settings.readStartIn(file);
    showRates();
    setFolder(QDir::fromNativeSeparators(m_settings.startIn));
}

void UpdaterWorkspace::readAfterLoaded(const SettingsFile &file)
{
    m_settings.readProgrammingPort(file);
    m_xCommsList->setEditText(m_settings.programmingPort);
}

void UpdaterWorkspace::addClosingValues(ClosingGroup &group) const
{
    if (m_settings.programmingRate)
        group.set(key::BAUDX, *m_settings.programmingRate);
    if (m_settings.discoveryRate)
        group.set(key::BAUDAX, *m_settings.discoveryRate);
    group.set(key::STARTIN, m_settings.startIn);
}

void UpdaterWorkspace::showRates()
{
    checkOnly(m_programmingRates, m_settings.programmingRate);
    checkOnly(m_discoveryRates, m_settings.discoveryRate);
    m_updater->discoveryRateIndex = m_settings.discoveryRate;
}

void UpdaterWorkspace::BaudClick()
{
    m_settings.programmingRate = checkedIndex(m_programmingRates);
    m_settings.discoveryRate = checkedIndex(m_discoveryRates);
    m_updater->discoveryRateIndex = m_settings.discoveryRate;
    m_updater->CloseProgrammingPort();
}

// The port

void UpdaterWorkspace::portFieldChanged(const QString &text)
{
    m_commsList->setText(text);
    m_updater->portText = text;
}

void UpdaterWorkspace::portsEnumerated(const QStringList &ports)
{
    m_xCommsList->clear();
    m_xCommsList->addItems(ports);
    if (!ports.isEmpty())
        m_xCommsList->setCurrentIndex(int(ports.size()) - 1);
}

QString UpdaterWorkspace::portText() const
{
    return m_commsList->text();
}

QStringList UpdaterWorkspace::availablePorts() const
{
    QStringList ports;
    for (int i = 0; i < m_xCommsList->count(); ++i)
        ports.append(m_xCommsList->itemText(i));
    return ports;
}

// The scan range

void UpdaterWorkspace::selectScanItems()
{
    if (m_scanRange.firstText)
        m_scanFirst->setCurrentIndex(std::clamp(hexValue(m_scanRange.firstText()), 0, 0xFF));
    if (m_scanRange.lastText)
        m_scanLast->setCurrentIndex(std::clamp(hexValue(m_scanRange.lastText()), 0, 0xFF));
}

void UpdaterWorkspace::SCANFIRSTChange()
{
    if (m_scanRange.setFirstText)
        m_scanRange.setFirstText(m_scanFirst->currentText());
}

void UpdaterWorkspace::SCANLASTChange()
{
    if (m_scanRange.setLastText)
        m_scanRange.setLastText(m_scanLast->currentText());
}

// Boards and files

QString UpdaterWorkspace::selectedBoardEntry() const
{
    const QList<QListWidgetItem *> selected = m_boards->selectedItems();
    return selected.isEmpty() ? QString() : selected.constFirst()->text();
}

void UpdaterWorkspace::ListBox1Click()
{
    m_updater->ListBox1Click(selectedBoardEntry());
}

void UpdaterWorkspace::PrgFileListClick(int row)
{
    const QTableWidgetItem *name = row >= 0 ? m_grid->item(row, 0) : nullptr;
    if (!name || name->text().isEmpty())
        return;
    m_filename->setText(name->text());
    m_updater->chooseFile(QDir(m_folder).filePath(name->text()));
}

std::optional<FlashUpdater::FileChoice> UpdaterWorkspace::chosenFile() const
{
    const QList<QTableWidgetSelectionRange> ranges = m_grid->selectedRanges();
    if (ranges.isEmpty())
        return std::nullopt;
    const QTableWidgetItem *name = m_grid->item(ranges.constFirst().topRow(), 0);
    return FlashUpdater::FileChoice{QDir(m_folder).filePath(m_filename->text()), name ? name->text() : QString()};
}

void UpdaterWorkspace::Button16Click()
{
    m_updater->Button16Click(chosenFile());
}
