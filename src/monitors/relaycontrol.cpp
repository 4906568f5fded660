#include "monitors/relaycontrol.h"

#include "monitors/boardentry.h"
#include "monitors/monitorstate.h"
#include "monitors/monitorwidgets.h"
#include "workspace/console.h"
#include "serial/mainport.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <optional>

using namespace std::chrono_literals;

RelayControl::RelayControl(Console &console, MonitorState &state, QObject *parent)
    : BoardWorkspace(QStringLiteral("Relay Control"), QStringLiteral("DrumPanel"), console, state, parent)
{
    addTimer(QStringLiteral("KTimer1"), 100ms);
    connect(timer(), &QTimer::timeout, this, &RelayControl::KTimer1Timer);
    buildPanel();
    setScanControls(m_kLoc, m_boards, m_klCmd);
    connect(this, &BoardWorkspace::idle, this, &RelayControl::takeShownFromSelectors);
}

void RelayControl::enter()
{
    panel()->show();
    panel()->repaint();
    console().applyLineSettings(true);
}

void RelayControl::resetRunButtons()
{
    m_run->setText(QStringLiteral("RUN"));
    m_run->setEnabled(true);
}

void RelayControl::KTimer1Timer()
{
    if (jobRunning())
        return;
    // The relay timer only scans: it never stops, so the port stays open.
    if (state().ScanRequested) {
        ScanOptions options;
        options.addressFirstBoard = true;
        runScanPhase(options);
    }
}

void RelayControl::Button5Click()
{
    whenIdle([this] { requestScan(m_kLoc); });
}

void RelayControl::KBoardsClick()
{
    whenIdle([this] {
        const std::optional<QString> entry = m_boards->selectedEntry();
        if (!entry) {
            m_kLoc->setText(QString());
            return;
        }
        m_kLoc->setText(BoardEntry::address(*entry));
        readRelayStates(m_kLoc->text());
    });
}

void RelayControl::readRelayStates(const QString &address)
{
    postJob(RelayJobs::readStates(console().mainPort(), console().lineOpenRequest(), address, m_shown, jobSink()));
}

RelayJobs::Sink RelayControl::jobSink()
{
    RelayJobs::Sink sink;
    sink.reading = [this] { console().setConnectedText(QStringLiteral("Reading Relay Data")); };
    sink.relayShown = [this](int relay, bool on) {
        m_shown[size_t(relay - 1)] = on;
        showRelay(relay, on);
        if (on)
            m_timerValues[size_t(relay - 1)]->setText(QStringLiteral("FF"));
    };
    sink.timerCleared = [this](int relay) { m_timerValues[size_t(relay - 1)]->setText(QStringLiteral("00")); };
    return sink;
}

void RelayControl::showRelay(int relay, bool on)
{
    m_showingByProgram = true;
    (on ? m_on : m_off)[size_t(relay - 1)]->setChecked(true);
    m_showingByProgram = false;
}

void RelayControl::takeShownFromSelectors()
{
    for (int index = 0; index < Relay::Count; ++index) {
        std::optional<bool> shown;
        if (m_on[size_t(index)]->isChecked())
            shown = true;
        else if (m_off[size_t(index)]->isChecked())
            shown = false;
        m_shown[size_t(index)] = shown;
    }
}

void RelayControl::RelayOnClick(int relay)
{
    whenIdle([this, relay] {
        m_timerValues[size_t(relay - 1)]->setText(QStringLiteral("FF"));
        m_shown[size_t(relay - 1)] = true;
        postJob(RelayJobs::switchOn(m_kLoc->text(), relay));
    });
}

void RelayControl::RelayOffClick(int relay)
{
    whenIdle([this, relay] {
        m_shown[size_t(relay - 1)] = false;
        postJob(RelayJobs::switchOff(m_kLoc->text(), relay, jobSink()));
    });
}

void RelayControl::StartClick(int relay)
{
    // No "L" first: the command reaches the board addressed last.
    whenIdle([this, relay] { postJob(RelayJobs::startTimer(relay, m_timerValues[size_t(relay - 1)]->text())); });
}

void RelayControl::Button10Click()
{
    whenIdle([this] {
        std::array<QString, Relay::Count> values;
        for (int index = 0; index < Relay::Count; ++index)
            values[size_t(index)] = m_timerValues[size_t(index)]->text();
        postJob(RelayJobs::sendTimers(std::move(values)));
    });
}

void RelayControl::Button9Click()
{
    whenIdle([this] { postJob(RelayJobs::sendPrescaler(m_preHigh->text(), m_preLow->text())); });
}
