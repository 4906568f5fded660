#pragma once

#include "boardsim/responder.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace boardsim {

// How a loader answers firmware lines.
struct LoaderBehaviour
{
    std::chrono::microseconds ackLatency{500};   // after the CR
    bool acknowledges = true;                    // false: never acknowledges a line
    QList<int> unacknowledged;                   // line numbers (from 1) left without 0x06
    int skipEvery = 0;                           // every n-th line is left without 0x06
    std::optional<int> dropAfter;                // lines, then the loader drops the line
};

// The flash loaders of the bus: a board that runs its normal firmware and starts its
// resident loader on request, and the loader itself, well behaved or not.
//
// Running its normal firmware, a board frames "L" with two hex digits (")*L05" reaches it
// as "L05": the ")*" prefix starts no command), "V" and "^FP". "L" selects it or deselects
// it as on every board, and answers its select reply ("05F0") when it is selected; "V"
// answers the firmware's version while selected; "^FP" while selected starts the loader,
// which then runs at the same address, selected.
//
// A running loader hears commands and firmware lines. A byte after a pause of more than
// InterBytePause starts afresh, so the leftovers of another board's exchange are never
// taken for a line. Commands end with their ")": ")*LOC(05H)" selects the loader of 05
// (deselecting all others) and answers "LUNIT-05 READY" (the address at characters 7 and
// 8), "*VER(05H)" answers the loader's version, "*TYP(05H)" "TYPE-<type>-LDR", "*PFL(05H)"
// prepares the flash and answers nothing. While selected, a CR answers 0x06 (the
// updater's loader test), and so does every firmware line ended by CR, which the loader
// also records. An empty line is a CR like the test's: acknowledged, not recorded.
//
// Every public call is thread-safe: a test may read the record while the line runs.
class LoaderBoard : public Responder
{
public:
    enum class Mode { Firmware, Loader };

    using Behaviour = LoaderBehaviour;

    static constexpr std::chrono::milliseconds InterBytePause{50};
    static constexpr std::chrono::microseconds DefaultLatency{1000};
    static constexpr char Ack = 0x06;

    LoaderBoard(int address, QByteArray type, Mode mode, Behaviour behaviour = {},
                std::chrono::microseconds latency = DefaultLatency);

    int address() const { return m_address; }
    QByteArray type() const { return m_type; }
    Mode mode() const;
    bool isSelected() const;
    // A running loader starts selected, so a loader alone on its line answers the loader
    // test at once; on a bus of several, deselect them and let ")*LOC" choose.
    void setSelected(bool selected);
    bool flashPrepared() const;   // "*PFL" was heard since the loader started
    QList<QByteArray> lines() const;   // the firmware lines received, without their CR
    // Lines acknowledged so far (each with 0x06).
    int acknowledged() const;

    // The loader of a drop model calls this, on the line thread, as its dropAfter-th line
    // ends (that line gets no 0x06, and the loader hears nothing more); whoever owns the
    // line then drops it (a responder must not call back into its line).
    void setDropHandler(std::function<void()> handler);
    bool dropRequested() const;
    // The dropped line is back (a new device at the same link): the loader hears again, and
    // a drop model counts its lines afresh.
    void lineRestored();

    QByteArray onByte(char byte, Clock::time_point when) override;
    QList<Reply> respond(char byte, Clock::time_point when) override;

private:
    QList<Reply> firmwareByte(char byte);
    QList<Reply> loaderByte(char byte);
    QList<Reply> loaderCommand(const QByteArray &name, int address);
    QList<Reply> firmwareLine(const QByteArray &line);
    bool acknowledgesLine(int number) const;
    Reply now(const QByteArray &bytes) const;
    void startLoader();

    const int m_address;
    const QByteArray m_type;
    const Behaviour m_behaviour;

    mutable std::mutex m_mutex;
    Mode m_mode;
    bool m_selected = false;
    bool m_flashPrepared = false;
    bool m_dropRequested = false;
    int m_acknowledged = 0;
    int m_linesSinceStart = 0;
    QByteArray m_pending;
    std::optional<Clock::time_point> m_lastByte;
    QList<QByteArray> m_lines;
    std::function<void()> m_dropHandler;
};

// A loader from its description "ADDR:KIND" or "ADDR:KIND:N": two hex digits, then
//   firmware          a board running its normal firmware, which starts its loader on "^FP"
//   loader            a running loader that acknowledges every line at once
//   slow-loader[:MS]  acknowledges every line after MS milliseconds (default 150)
//   mute-loader       answers its commands and never acknowledges a line
//   partial-loader[:N] leaves line N without acknowledgement (default 3); ":%K" leaves
//                     every K-th line instead
//   drop-loader[:N]   drops the line after N lines (default 5)
// Every model has the type DemoType. Null with error set for anything else.
std::shared_ptr<LoaderBoard> makeLoader(const QString &description, QString *error = nullptr);

// The type the loader models answer to "*TYP", and the demo firmware file's type.
inline constexpr const char *DemoType = "VDEMO";

// The loaders of the demo bus, at addresses the boards leave free: one of each kind.
QStringList demoLoaderDescriptions();

} // namespace boardsim
