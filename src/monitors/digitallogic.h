#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <optional>

// The Digital Monitor's rules, apart from its widgets: registers, bit displays, lamps, the
// labels under the board's replies and the TEST patterns.
namespace Digital {

// The six registers of a digital board.
inline constexpr int InputM = 0x5A;
inline constexpr int OutputM = 0x5B;
inline constexpr int InputL = 0x5C;
inline constexpr int InputR = 0x5D;
inline constexpr int OutputL = 0x5E;
inline constexpr int OutputR = 0x5F;

// Output ports by lamp port number: L = 0, M = 1, R = 2.
enum Port { Left = 0, Middle = 1, Right = 2 };
inline constexpr int PortCount = 3;
inline constexpr int BitsPerPort = 8;

// Eight "0"/"1" characters, bit 7 first, of the text read as hexadecimal.
QString BitString(const QString &text);

// What the eight lamps of an output port show for the field's text, bit 7 first: "X" each
// for "XX", a blank each for an empty text, the bits of a two-character text; nothing (the
// lamps keep what they show) for any other text.
std::optional<QString> outputLampTexts(const QString &fieldText);

// What an input port's bit label shows for the field's text.
QString inputBitsText(const QString &fieldText);

// A lamp's tag: its bit number plus 8 times its port number. Lamps are laid out bit 7
// first, so lamp 0 of a port (OLB0, OMB0, ORB0) carries bit 7.
constexpr int lampTag(int port, int lampIndex)
{
    return port * BitsPerPort + (BitsPerPort - 1 - lampIndex);
}
constexpr int portOfTag(int tag) { return tag / BitsPerPort; }
constexpr int bitOfTag(int tag) { return tag % BitsPerPort; }

// A lamp click: the lamp's new text ("1" after "0", "0" after anything else) ...
QString toggledLampText(const QString &lampText);
// ... and the output field's new text: its value with the bit set or cleared, "%2.2X".
QString outputAfterLampClick(const QString &fieldText, int bit, bool set);

// BaudConv for the reply to "L": the rate text of its fourth character, or nothing (the
// label shows four blanks and hides) for a short reply or a code outside the table.
std::optional<QString> baudConvText(const QString &lReply);

// TypeText for the reply to "U": the model name of a known type, otherwise four blanks.
QString TypeText(const QString &type);

// One step of the TEST cycle 00, 55, AA, FF.
struct TestPattern
{
    QByteArray command;                    // "M00", "M55", "MAA", "MFF"
    std::chrono::milliseconds interval;    // the timer's interval from this tick on
    bool readsIdentity;                    // the first step reads the board's L, U and V replies
    int nextStep;
};
TestPattern testPattern(int testStep);

} // namespace Digital
