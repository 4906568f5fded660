#pragma once

#include <QByteArray>
#include <QString>

#include <array>

// The Relay Control's rules, apart from its widgets.
namespace Relay {

inline constexpr int Count = 10;   // K1 .. K10

// The relays K1..K10 (index 0..9) of a state word as the board sends it to "I": four
// hexadecimal characters (as much of them as is hexadecimal), bit 15 for K1 down to bit 6
// for K10; bits 5 to 0 are not relays.
std::array<bool, Count> relayStates(const QByteArray &stateText);

// The relay (1..10) a relay digit stands for: 0 is K10.
int relayOfDigit(int digit);

// The START button of relay K1..K10, by its form name.
QString startButtonName(int relay);

} // namespace Relay
