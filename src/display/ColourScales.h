// The 21 colour scales of the "Colour Scale" list: entries 0..255 of the palette for a scale number.
#pragma once

#include <array>
#include <string_view>

namespace ondrix {

// A palette colour as separate components, each 0..255.
struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;

    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The scale number of a "Colour Scale" item text: its leading number rounded half to even ("10 colour"
// -> 10); a text without a number selects scale 0.
int ColourScaleNumber(std::string_view itemText);

// Fills entries 0..255 for scales 0..18 and returns true. Scales 19 and 20, and every number outside
// 0..20, leave the entries untouched and return false: such a scale keeps the previous colours.
bool FillColourScale(int scale, std::array<Rgb, 256>& entries);

} // namespace ondrix
