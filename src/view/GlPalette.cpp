#include "view/GlPalette.h"

#include <array>

namespace korvane {

namespace {

constexpr std::array<uint8_t, 2> kOneBitLevels = {0, 255};
constexpr std::array<uint8_t, 4> kTwoBitLevels = {0, 85, 170, 255};
constexpr std::array<uint8_t, 8> kThreeBitLevels = {0, 36, 73, 109, 146, 182, 219, 255};

struct FixedEntry {
    int index;
    PaletteEntry colour;
};

// Colours the system keeps for itself on an 8-bit display.
constexpr std::array<FixedEntry, 12> kSystemColours = {{
    {3, {128, 0, 0, 0}},
    {24, {0, 128, 0, 0}},
    {27, {128, 128, 0, 0}},
    {64, {0, 0, 128, 0}},
    {67, {128, 0, 128, 0}},
    {88, {0, 128, 128, 0}},
    {173, {192, 192, 192, 0}},
    {181, {192, 220, 192, 0}},
    {236, {166, 202, 240, 0}},
    {247, {255, 251, 240, 0}},
    {164, {160, 160, 164, 0}},
    {91, {128, 128, 128, 0}},
}};

constexpr int kMaxPaletteBits = 8;

} // namespace

uint8_t GlPalette::PaletteComponent(int index, int width, int shift) {
    if (shift < 0 || shift >= 31)
        return 0;
    const unsigned value = static_cast<unsigned>(index) >> shift;
    switch (width) {
    case 1:
        return kOneBitLevels[value & 1u];
    case 2:
        return kTwoBitLevels[value & 3u];
    case 3:
        return kThreeBitLevels[value & 7u];
    default:
        return 0;
    }
}

std::vector<PaletteEntry> GlPalette::BuildPalette(const PixelFormatDescription& format) {
    // A palette of more than 256 entries is no palette display at all.
    if (!format.needPalette || format.colorBits <= 0 || format.colorBits > kMaxPaletteBits)
        return {};
    std::vector<PaletteEntry> entries(std::size_t{1} << format.colorBits);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const int index = static_cast<int>(i);
        entries[i].red = PaletteComponent(index, format.redBits, format.redShift);
        entries[i].green = PaletteComponent(index, format.greenBits, format.greenShift);
        entries[i].blue = PaletteComponent(index, format.blueBits, format.blueShift);
    }
    const bool is332 = format.colorBits == 8 && format.redBits == 3 && format.redShift == 0 &&
                       format.greenBits == 3 && format.greenShift == 3 && format.blueBits == 2 &&
                       format.blueShift == 6;
    if (is332)
        for (const FixedEntry& fixed : kSystemColours)
            entries[static_cast<std::size_t>(fixed.index)] = fixed.colour;
    return entries;
}

PixelFormatDescription GlPalette::Describe(int redBits, int greenBits, int blueBits) {
    PixelFormatDescription d;
    d.redBits = redBits;
    d.greenBits = greenBits;
    d.blueBits = blueBits;
    d.redShift = 0;
    d.greenShift = redBits;
    d.blueShift = redBits + greenBits;
    d.colorBits = redBits + greenBits + blueBits;
    d.needPalette = d.colorBits > 0 && d.colorBits <= kMaxPaletteBits;
    return d;
}

} // namespace korvane
