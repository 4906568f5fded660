#include "monitors/analogmodes.h"

namespace {

int bitOf(ChannelMode mode)
{
    switch (mode) {
    case ChannelMode::Hex: return 8;
    case ChannelMode::Temperature: return 4;
    case ChannelMode::Volts5: return 2;
    case ChannelMode::Volts10: return 1;
    }
    return 8;
}

} // namespace

void AnalogChannelModes::applyWords(int a, int b, int c)
{
    const int words[3] = {a, b, c};
    for (int index = 0; index < Channels; ++index) {
        const int nibble = (words[index / 4] >> (12 - 4 * (index % 4))) & 0xF;
        // Buttons are checked in the order H, C, V1, V2; the last check wins.
        if (nibble & 8) m_modes[std::size_t(index)] = ChannelMode::Hex;
        if (nibble & 4) m_modes[std::size_t(index)] = ChannelMode::Temperature;
        if (nibble & 2) m_modes[std::size_t(index)] = ChannelMode::Volts5;
        if (nibble & 1) m_modes[std::size_t(index)] = ChannelMode::Volts10;
    }
}

int AnalogChannelModes::packGroup(int firstIndex) const
{
    int word = 0;
    for (int i = 0; i < 4; ++i) {
        const int index = firstIndex + i;
        if (index < Channels)
            word |= bitOf(m_modes[std::size_t(index)]) << (12 - 4 * i);
    }
    return word;
}
