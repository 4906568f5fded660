#include "monitors/analogmonitor.h"

#include "monitors/analogjobs.h"
#include "monitors/boardentry.h"
#include "monitors/monitorstate.h"
#include "monitors/monitorwidgets.h"
#include "workspace/console.h"
#include "settings/closinggroup.h"
#include "settings/settingsfile.h"
#include "settings/settingskeys.h"
#include "serial/mainport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace std::chrono_literals;
using namespace Analog;

namespace {

const QString CelsiusText = QStringLiteral("TEMP C");
const QString FahrenheitText = QStringLiteral("TEMP F");

} // namespace

AnalogMonitor::AnalogMonitor(Console &console, MonitorState &state, QObject *parent)
    : BoardWorkspace(QStringLiteral("Analog Monitor"), QStringLiteral("AnalogMonitor"), console, state, parent)
{
    addTimer(QStringLiteral("AnaMonTimer"), 10ms);
    connect(timer(), &QTimer::timeout, this, &AnalogMonitor::AnaMonTimerTimer);
    buildPanel();
    setScanControls(m_scanStart, m_boards, m_anaLoc);
}

void AnalogMonitor::enter()
{
    panel()->show();
    timer()->start();
    m_run->setText(QStringLiteral("RUN"));
}

void AnalogMonitor::resetForStartup()
{
    m_modes = AnalogChannelModes();
}

void AnalogMonitor::addClosingValues(ClosingGroup &group) const
{
    group.set(key::A, m_modes.wordA());
    group.set(key::B, m_modes.wordB());
    group.set(key::C, m_modes.wordC());
}

void AnalogMonitor::readSettings(const SettingsFile &file)
{
    AnalogChannelModes saved = m_modes;
    saved.applyWords(read(file, key::A), read(file, key::B), read(file, key::C));
    // Checking a selector by program runs its click handling, which sets the mode.
    for (int channel = 1; channel <= Channels; ++channel)
        checkMode(channel, saved.mode(channel));
    if (read(file, key::TEMP) == CelsiusText)
        m_celciusButton->setChecked(true);
    else
        m_farenButton->setChecked(true);
}

void AnalogMonitor::checkMode(int channel, ChannelMode mode)
{
    m_selectors[size_t(4 * (channel - 1) + int(mode))]->setChecked(true);
}

void AnalogMonitor::resetRunButtons()
{
    m_run->setText(QStringLiteral("RUN"));
    m_run->setEnabled(true);
}

// --- The operator's controls

void AnalogMonitor::ANASCANClick()
{
    // The "LXX" field waits on yellow; SCANSTART keeps its colour until the scan ends.
    whenIdle([this] { requestScan(m_anaLoc); });
}

void AnalogMonitor::ANARUNClick()
{
    // STOP acts at once: a poll of a silent board would otherwise hold it for seconds.
    if (state().AnalogRunning) {
        stopPoll();
        return;
    }
    whenIdle([this] { state().AnalogRunning ? stopPoll() : startPoll(); });
}

void AnalogMonitor::startPoll()
{
    serveStopFirst();
    m_run->setText(QStringLiteral("STOP"));
    state().AnalogRunning = true;
    timer()->setInterval(100ms);
    timer()->start();
    setLayout(runLayout(selectedType()));
}

void AnalogMonitor::stopPoll()
{
    stopJobs();
    MonitorState &s = state();
    s.AnalogRunning = false;
    if (!s.TestMode && !s.RunMode)
        console().setActivityText(QStringLiteral("READY"));
    m_run->setText(QStringLiteral("RUN"));
    for (QLineEdit *value : m_values)
        value->setText(QString());
    timer()->stop();
}

void AnalogMonitor::AnaBoardsClick()
{
    whenIdle([this] { boardSelected(); });
}

void AnalogMonitor::boardSelected()
{
    const std::optional<QString> entry = m_boards->selectedEntry();
    if (!entry) {
        m_scanStart->setText(QString());
        return;
    }
    m_scanStart->setText(BoardEntry::address(*entry));
    setLayout(listClickLayout(BoardEntry::type(*entry)));
}

std::optional<QString> AnalogMonitor::selectedType() const
{
    const std::optional<QString> entry = m_boards->selectedEntry();
    if (!entry)
        return std::nullopt;
    return BoardEntry::type(*entry);
}

void AnalogMonitor::setLayout(Layout layout)
{
    const bool five = layout == Layout::Five;
    for (int index = FiveChannels; index < Channels; ++index) {
        m_columns[size_t(index)]->setEnabled(!five);
        QLineEdit *value = m_values[size_t(index)];
        value->setEnabled(!five);
        MonitorLook::setFieldColours(value, Qt::black, five ? MonitorLook::Silver : QColor(Qt::white));
    }
    m_cover->setVisible(five);
    if (five)
        m_cover->raise();
}

void AnalogMonitor::ModeClick(int tag)
{
    m_modes.setMode(tag / 4 + 1, ChannelMode(tag % 4));
}

void AnalogMonitor::CelciusClick()
{
    m_celsius = true;
    m_temp->setText(CelsiusText);
    saveUnit(CelsiusText);
}

void AnalogMonitor::FarenClick()
{
    m_celsius = false;
    m_temp->setText(FahrenheitText);
    saveUnit(FahrenheitText);
}

void AnalogMonitor::saveUnit(const QString &text)
{
    // Written on every choice, also the one start-up makes.
    console().saveSettings([&](SettingsFile &file) { write(file, key::TEMP, text); });
}

// --- The timer

void AnalogMonitor::AnaMonTimerTimer()
{
    if (jobRunning())
        return;
    const MonitorState &s = state();
    if (s.StopRequested)
        stopPhase();
    else if (s.ScanRequested)
        scanPhase();
    else if (s.AnalogRunning)
        pollPhase();
}

void AnalogMonitor::stopPhase()
{
    MonitorState &s = state();
    s.StopRequested = false;
    s.AnalogRunning = false;
    console().mainPort().close();
    timer()->stop();
    console().setConnectedText(QStringLiteral("Port Closed"));
}

void AnalogMonitor::scanPhase()
{
    ScanOptions options;
    options.addressFirstBoard = true;
    options.found = [this] { boardSelected(); };
    runScanPhase(options);
}

void AnalogMonitor::pollPhase()
{
    AnalogJobs::PollInputs in;
    in.portIsOpen = console().mainPort().portIsOpen();
    in.settings = console().mainPort().lineSettings();
    in.address = m_scanStart->text();
    in.fiveChannels = pollsFiveChannels(selectedType());
    AnalogJobs::Sink sink;
    sink.reopened = [this](bool opened) { showReopened(opened); };
    sink.unusable = [this] { state().StopRequested = true; };
    sink.lineReplied = [this](const QByteArray &reply) { showReply(m_anaLoc, reply); };
    sink.readingsRead = [this](const QList<QByteArray> &readings, bool five) { showReadings(readings, five); };
    postJob(AnalogJobs::poll(std::move(in), std::move(sink)));
}

void AnalogMonitor::showReadings(const QList<QByteArray> &readings, bool fiveChannels)
{
    // The modes and the unit as they stand now, when the readings are shown.
    const int shown = fiveChannels ? FiveChannels : Channels;
    for (int index = 0; index < Channels; ++index) {
        const QString text = index < shown
            ? FormatChannelValue(m_modes.mode(index + 1), readings.value(index), m_celsius)
            : QString();
        m_values[size_t(index)]->setText(text);
    }
}
