#pragma once

#include <cstdint>
#include <vector>

namespace korvane {

// One logical palette entry.
struct PaletteEntry {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t flags = 0;
    bool operator==(const PaletteEntry&) const = default;
};

// What the palette rule needs to know of a pixel format: whether it is palette-based, its
// colour depth and where each colour component sits in a pixel index.
struct PixelFormatDescription {
    bool needPalette = false;
    int colorBits = 24;
    int redBits = 8;
    int redShift = 16;
    int greenBits = 8;
    int greenShift = 8;
    int blueBits = 8;
    int blueShift = 0;
};

// The logical palette of a palette-based display: each index split into its red, green and
// blue fields, each field spread evenly over 0..255, and on the 8-bit 3-3-2 layout twelve
// entries replaced by colours the system itself uses. True-colour formats get no palette.
class GlPalette {
public:
    // The 8-bit level of one colour component of palette index `index`: the component is
    // `width` bits at `shift`; widths other than 1, 2 and 3 give 0.
    static uint8_t PaletteComponent(int index, int width, int shift);

    // The palette for a format, 2^colorBits entries; empty when the format needs none.
    static std::vector<PaletteEntry> BuildPalette(const PixelFormatDescription& format);

    // The description of a format with these component sizes in bits, components packed from
    // the low bits in red, green, blue order. Formats of 8 bits or less are palette-based.
    static PixelFormatDescription Describe(int redBits, int greenBits, int blueBits);
};

} // namespace korvane
