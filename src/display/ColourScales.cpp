#include "display/ColourScales.h"

#include "common/Rounding.h"

#include <algorithm>

namespace ondrix {

namespace {

using Entries = std::array<Rgb, 256>;

constexpr Rgb White{255, 255, 255};
constexpr Rgb Black{0, 0, 0};

void Fill(Entries& entries, int first, int last, Rgb colour) {
    for (int i = first; i <= last; ++i) {
        entries[i] = colour;
    }
}

// Grey levels over first..last: the level starts at `start` and moves by 256 / steps after each index,
// in single precision as the scales were always computed; each entry is the level rounded half to even.
void GreyRamp(Entries& entries, int first, int last, float start, int steps, bool downward) {
    const float step = 256.0f / static_cast<float>(steps);
    float level = start;
    for (int i = first; i <= last; ++i) {
        const int grey = std::clamp(RoundToInt32(level), 0, 255);
        entries[i] = Rgb{grey, grey, grey};
        level = downward ? level - step : level + step;
    }
}

// A stepped scale: from `start`, every index applies the change `change(i)` and limits each component
// to 0..255; the limited colour is both the entry and the start of the next index.
template <typename Change> void Stepped(Entries& entries, Rgb start, Change change) {
    Rgb colour = start;
    for (int i = 0; i < 256; ++i) {
        const Rgb delta = change(i);
        colour.r = std::clamp(colour.r + delta.r, 0, 255);
        colour.g = std::clamp(colour.g + delta.g, 0, 255);
        colour.b = std::clamp(colour.b + delta.b, 0, 255);
        entries[i] = colour;
    }
}

void SharpGrey(Entries& entries, int flatEnd, int steps, bool whiteToBlack) {
    const Rgb low = whiteToBlack ? White : Black;
    const Rgb high = whiteToBlack ? Black : White;
    Fill(entries, 0, flatEnd, low);
    GreyRamp(entries, flatEnd + 1, 191, whiteToBlack ? 255.0f : 0.0f, steps, whiteToBlack);
    Fill(entries, 192, 255, high);
}

void Rainbow(Entries& entries) {
    Stepped(entries, Rgb{255, 0, 0}, [](int i) {
        if (i < 64) {
            return Rgb{0, 4, 0};
        }
        if (i < 128) {
            return Rgb{-4, 0, 0};
        }
        if (i < 192) {
            return Rgb{0, 0, 4};
        }
        return Rgb{0, -4, 0};
    });
}

} // namespace

int ColourScaleNumber(std::string_view itemText) {
    return TextToInt32(itemText);
}

bool FillColourScale(int scale, Entries& entries) {
    switch (scale) {
    case 0:
        entries[0] = White;
        GreyRamp(entries, 1, 204, 255.0f, 204, true);
        Fill(entries, 205, 255, Black);
        return true;
    case 1:
        entries[0] = Black;
        GreyRamp(entries, 1, 204, 0.0f, 204, false);
        Fill(entries, 205, 255, White);
        return true;
    case 2:
        SharpGrey(entries, 31, 160, true);
        return true;
    case 3:
        SharpGrey(entries, 31, 160, false);
        return true;
    case 4:
        SharpGrey(entries, 63, 128, true);
        return true;
    case 5:
        SharpGrey(entries, 63, 128, false);
        return true;
    case 6:
        Stepped(entries, White, [](int i) {
            Rgb d{-1, i < 128 ? -2 : 0, i <= 127 ? -5 : 3};
            if (i >= 192) {
                d.b -= 6;
            }
            return d;
        });
        return true;
    case 7:
        Stepped(entries, White, [](int i) { return i < 128 ? Rgb{-1, -2, -5} : Rgb{-1, 0, 0}; });
        return true;
    case 8:
    case 9:
        Rainbow(entries);
        return true;
    case 10:
        Stepped(entries, Rgb{255, 0, 0}, [](int i) {
            if (i <= 63) {
                return Rgb{0, 4, 0};
            }
            if (i <= 113) {
                return Rgb{-5, 0, 0};
            }
            if (i <= 150) {
                return Rgb{0, 0, 6};
            }
            if (i <= 200) {
                return Rgb{0, -5, 0};
            }
            return Rgb{0, 0, -4};
        });
        return true;
    case 11:
        Stepped(entries, White, [](int i) {
            if (i <= 63) {
                return Rgb{0, 0, -4};
            }
            if (i <= 127) {
                return Rgb{0, -4, 0};
            }
            if (i <= 191) {
                return Rgb{-3, 0, 4};
            }
            return Rgb{0, 0, -4};
        });
        return true;
    case 12:
        Stepped(entries, White, [](int i) { return i <= 127 ? Rgb{-1, -2, 0} : Rgb{-1, 0, -2}; });
        return true;
    case 13:
    case 14:
    case 15:
    case 16:
    case 17:
    case 18:
        for (int i = 0; i < 256; ++i) {
            const Rgb simple[] = {{i, 0, 0},           {255 - i, 255, 255}, {0, i, 0},
                                  {255, 255 - i, 255}, {0, 0, i},           {255, 255, 255 - i}};
            entries[i] = simple[scale - 13];
        }
        return true;
    default:
        // 19, 20 and any number outside the list keep the previous colours.
        return false;
    }
}

} // namespace ondrix
