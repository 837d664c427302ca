// The 1025-entry colour palette (indices -512..512) that maps display values to picture colours.
#pragma once

#include "common/Rounding.h"
#include "display/ColourScales.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace ondrix {

class Palette {
public:
    static constexpr int MinIndex = -512;
    static constexpr int MaxIndex = 512;
    static constexpr int Size = MaxIndex - MinIndex + 1;

    // Every entry black until the first build.
    Palette();

    // Sets entries 0..255 from the colour scale (scales 19, 20 and numbers outside 0..20 keep the
    // previous entries), then -512..-1 to entry 0 and 256..512 to entry 255.
    void BuildPalette(int scale);

    // The palette index of a display value: rounded half to even, limited to -512..512. NaN gives
    // index 0.
    // Per pixel: limited first, then one rounding instruction in the default (ties-to-even) mode.
    static int IndexOf(float value) {
        if (std::isnan(value)) {
            return 0;
        }
        return static_cast<int>(
            std::lrint(std::clamp(value, static_cast<float>(MinIndex), static_cast<float>(MaxIndex))));
    }

    // The picture colour (QImage RGB32, 0xffRRGGBB) of a display value.
    uint32_t Lookup(float value) const { return table_[IndexOf(value) - MinIndex]; }

    // An entry by index (limited to -512..512): as a picture colour, as components, and in the
    // 0x00BBGGRR form the colour scales are written in.
    uint32_t Entry(int index) const { return table_[std::clamp(index, MinIndex, MaxIndex) - MinIndex]; }
    Rgb EntryRgb(int index) const;
    uint32_t EntryBgr(int index) const;

private:
    std::array<uint32_t, Size> table_;
};

} // namespace ondrix
