#pragma once

#include "monitors/analogmodes.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// The Analog Monitor's rules, apart from its widgets: what a reading shows, which
// registers a board is read at and how many channels it shows.
namespace Analog {

inline constexpr int Channels = AnalogChannelModes::Channels;
inline constexpr int FiveChannels = 5;

// The display text of one channel. The reply is read as hexadecimal (its leading digits),
// unsigned; the arithmetic rounds to single precision (a float) at the steps below, and
// the digits shown depend on it:
//   Hex          the reply itself, up to its first NUL;
//   Temperature  t = (v - 35) x 0.1 as a float; " SENS" below 0, else t in Celsius or
//                t x 1.8 + 32 (in double) in Fahrenheit, three decimals;
//   Volts5       d = v / 999 as a float, then 2 x d x 2.44140625 as a float, three decimals;
//   Volts10      the same with 4 for 2.
// Three decimals round half away from zero.
QString FormatChannelValue(ChannelMode mode, const QByteArray &reply, bool celsius);

enum class Layout { Eleven, Five };

// The layout a click in the board list gives: "Q83Q" and "Q907" boards show five channels.
Layout listClickLayout(const QString &type);
// The layout RUN gives: only "Q83Q" boards show five; without a selected board, eleven.
Layout runLayout(const std::optional<QString> &type);

// Whether a poll reads the board as a five-channel "Q83Q" (the type of the selected entry;
// none reads as an eleven-channel board).
bool pollsFiveChannels(const std::optional<QString> &type);
// The registers one poll reads, in order; the last one is read and not shown.
QList<int> pollRegisters(bool fiveChannels);

} // namespace Analog
