#include "monitors/relaycontrol.h"

#include "monitors/boardentry.h"
#include "monitors/boardexchange.h"
#include "monitors/monitorstate.h"
#include "monitors/monitorwidgets.h"
#include "workspace/console.h"
#include "bus/boardcommands.h"
#include "bus/replyreaders.h"
#include "serial/mainport.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <mutex>
#include <optional>

using namespace std::chrono_literals;

namespace {

// The fixed address an OFF sequence begins with.
constexpr int OffPreludeAddress = 0x0F;
constexpr int ReplyLength = 4;

} // namespace

struct RelayControl::ShownRelays
{
    std::mutex mutex;
    std::array<std::optional<bool>, Relay::Count> on;

    // Records the state; true when it differs from what was shown.
    bool change(int relay, bool state)
    {
        std::lock_guard lock(mutex);
        std::optional<bool> &shown = on[size_t(relay - 1)];
        if (shown == state)
            return false;
        shown = state;
        return true;
    }
};

RelayControl::RelayControl(Console &console, MonitorState &state, QObject *parent)
    : BoardWorkspace(QStringLiteral("Relay Control"), QStringLiteral("DrumPanel"), console, state, parent),
      m_shown(std::make_shared<ShownRelays>())
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
    MainPort *port = &console().mainPort();
    const LineOpenRequest request = console().lineOpenRequest();
    postJob([this, port, request, address](MonitorJob &job) {
        if (!port->openFromJob(job.line, request))
            return;
        BoardExchange::discardStaleInput(job);
        job.report([this] { console().setConnectedText(QStringLiteral("Reading Relay Data")); });
        if (BoardExchange::askArrived(job, BoardCommands::addressBoard(address)).isEmpty())
            return;
        const QByteArray word = BoardExchange::askArrived(job, BoardCommands::readRelayStates());
        if (word.isEmpty())
            return;
        const std::array<bool, Relay::Count> states = Relay::relayStates(word);
        // Showing a state acts as a click on the selector: a relay whose shown state
        // changes is switched to it.
        for (int relay = 1; relay <= Relay::Count; ++relay) {
            const bool on = states[size_t(relay - 1)];
            if (!m_shown->change(relay, on))
                continue;
            job.report([this, relay, on] {
                showRelay(relay, on);
                if (on)
                    m_timerValues[size_t(relay - 1)]->setText(QStringLiteral("FF"));
            });
            if (on)
                switchOn(job, address, relay);
            else
                switchOff(job, address, relay);
        }
    });
}

void RelayControl::showRelay(int relay, bool on)
{
    m_showingByProgram = true;
    (on ? m_on : m_off)[size_t(relay - 1)]->setChecked(true);
    m_showingByProgram = false;
}

void RelayControl::takeShownFromSelectors()
{
    std::lock_guard lock(m_shown->mutex);
    for (int index = 0; index < Relay::Count; ++index) {
        std::optional<bool> shown;
        if (m_on[size_t(index)]->isChecked())
            shown = true;
        else if (m_off[size_t(index)]->isChecked())
            shown = false;
        m_shown->on[size_t(index)] = shown;
    }
}

void RelayControl::switchOn(MonitorJob &job, const QString &address, int relay)
{
    BoardExchange::askReply(job, BoardCommands::addressBoard(address), ReplyLength);
    BoardExchange::askReply(job, BoardCommands::relayOn(BoardCommands::relayDigit(relay)), ReplyLength);
}

void RelayControl::switchOff(MonitorJob &job, const QString &address, int relay)
{
    BoardExchange::ask(job, BoardCommands::addressBoard(OffPreludeAddress));
    job.report([this, relay] { m_timerValues[size_t(relay - 1)]->setText(QStringLiteral("00")); });
    BoardExchange::askReply(job, BoardCommands::addressBoard(address), ReplyLength);
    BoardExchange::askReply(job, BoardCommands::relayOff(BoardCommands::relayDigit(relay)), ReplyLength);
}

void RelayControl::RelayOnClick(int relay)
{
    whenIdle([this, relay] {
        m_timerValues[size_t(relay - 1)]->setText(QStringLiteral("FF"));
        const QString address = m_kLoc->text();
        postJob([this, address, relay](MonitorJob &job) {
            m_shown->change(relay, true);
            switchOn(job, address, relay);
        });
    });
}

void RelayControl::RelayOffClick(int relay)
{
    whenIdle([this, relay] {
        const QString address = m_kLoc->text();
        postJob([this, address, relay](MonitorJob &job) {
            m_shown->change(relay, false);
            switchOff(job, address, relay);
        });
    });
}

void RelayControl::StartClick(int relay)
{
    whenIdle([this, relay] {
        const QString value = m_timerValues[size_t(relay - 1)]->text();
        // No "L" first: the command reaches the board addressed last.
        postJob([relay, value](MonitorJob &job) {
            BoardExchange::askReply(job, BoardCommands::relayTimer(BoardCommands::relayDigit(relay), value), ReplyLength);
        });
    });
}

void RelayControl::Button10Click()
{
    whenIdle([this] {
        std::array<QString, Relay::Count> values;
        for (int index = 0; index < Relay::Count; ++index)
            values[size_t(index)] = m_timerValues[size_t(index)]->text();
        // Digit order 0, 1, ..., 9: K10 first, then K1 to K9.
        postJob([values](MonitorJob &job) {
            for (int digit = 0; digit < Relay::Count; ++digit) {
                const QString &value = values[size_t(Relay::relayOfDigit(digit) - 1)];
                BoardExchange::askReply(job, BoardCommands::relayTimer(digit, value), ReplyLength);
            }
        });
    });
}

void RelayControl::Button9Click()
{
    whenIdle([this] {
        const QString high = m_preHigh->text();
        const QString low = m_preLow->text();
        postJob([high, low](MonitorJob &job) {
            BoardExchange::askReply(job, BoardCommands::prescalerHigh(high), ReplyLength);
            BoardExchange::askReply(job, BoardCommands::prescalerLow(low), ReplyLength);
        });
    });
}
