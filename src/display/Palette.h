// The 1025-entry colour palette (indices -512..512) that maps display values to picture colours.
#pragma once

#include "common/Rounding.h"
#include "display/ColourScales.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>

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
    // Per pixel, inline: limited first, then rounded by adding and taking away 1.5 x 2^23, which leaves a
    // float below 2^22 in magnitude at its nearest integer, half to even, in the default rounding mode
    // (the result of lrint, without its library call).
    static int IndexOf(float value) {
        constexpr float kRounder = 12582912.0f;
        const float limited =
            std::isnan(value) ? 0.0f
                              : std::clamp(value, static_cast<float>(MinIndex), static_cast<float>(MaxIndex));
        return static_cast<int>((limited + kRounder) - kRounder);
    }

    // The picture colour (QImage RGB32, 0xffRRGGBB) of a display value.
    uint32_t Lookup(float value) const { return table_[IndexOf(value) - MinIndex]; }
    // Lookup of every value, the colours written `step` pixels apart from `out` on (a column of a
    // picture); four values at a time where the processor can.
    void LookupRun(std::span<const float> values, uint32_t* out, std::ptrdiff_t step) const;

    // An entry by index (limited to -512..512): as a picture colour, as components, and in the
    // 0x00BBGGRR form the colour scales are written in.
    uint32_t Entry(int index) const { return table_[std::clamp(index, MinIndex, MaxIndex) - MinIndex]; }
    Rgb EntryRgb(int index) const;
    uint32_t EntryBgr(int index) const;

private:
    std::array<uint32_t, Size> table_;
};

} // namespace ondrix
