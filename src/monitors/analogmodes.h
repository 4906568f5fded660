#pragma once

#include <array>

// How each of the eleven analog channels is shown, and its packing into the three saved
// words A, B and C: four bits a channel, most significant group first (A: channels 1-4,
// B: 5-8, C: 9-11 and a zero group), 8 = hexadecimal, 4 = temperature, 2 = 0..5 V,
// 1 = 0..10 V.
enum class ChannelMode { Hex, Temperature, Volts5, Volts10 };

class AnalogChannelModes
{
public:
    static constexpr int Channels = 11;

    ChannelMode mode(int channel) const { return m_modes.at(std::size_t(channel - 1)); }   // channel 1..11
    void setMode(int channel, ChannelMode mode) { m_modes.at(std::size_t(channel - 1)) = mode; }

    // Reads the saved words the way the mode buttons take them: each set bit of a group
    // checks its button in the order H, C, V1, V2, and the last one checked wins, so a
    // group with several bits selects its lowest set bit and an empty group changes nothing.
    void applyWords(int a, int b, int c);

    int wordA() const { return packGroup(0); }
    int wordB() const { return packGroup(4); }
    int wordC() const { return packGroup(8); }

private:
    int packGroup(int firstIndex) const;

    std::array<ChannelMode, Channels> m_modes{ChannelMode::Hex, ChannelMode::Hex, ChannelMode::Hex, ChannelMode::Hex,
                                              ChannelMode::Hex, ChannelMode::Hex, ChannelMode::Hex, ChannelMode::Hex,
                                              ChannelMode::Hex, ChannelMode::Hex, ChannelMode::Hex};
};
