#include "display/Palette.h"
#include "display/ColourScales.h"
#include "display/ScalePreview.h"

#include <gtest/gtest.h>

#include <cmath>

namespace ondrix {
namespace {

Palette Built(int scale) {
    Palette palette;
    palette.BuildPalette(scale);
    return palette;
}

constexpr Rgb Grey(int level) {
    return Rgb{level, level, level};
}

TEST(ColourScales, Landmarks) {
    // clang-format off
    const struct {
        int scale, index;
        Rgb colour;
    } landmarks[] = {
        // Grey ramps: flat ends and ramp ends (single-precision steps, rounded half to even).
        {0, 0, Grey(255)}, {0, 1, Grey(255)}, {0, 203, Grey(2)}, {0, 204, Grey(0)}, {0, 255, Grey(0)},
        {1, 0, Grey(0)}, {1, 1, Grey(0)}, {1, 204, Grey(255)}, {1, 205, Grey(255)},
        {2, 31, Grey(255)}, {2, 33, Grey(253)}, {2, 191, Grey(1)}, {2, 192, Grey(0)},
        {3, 32, Grey(0)}, {3, 191, Grey(254)}, {3, 192, Grey(255)},
        {4, 64, Grey(255)}, {4, 191, Grey(1)}, {4, 192, Grey(0)},
        {5, 63, Grey(0)}, {5, 65, Grey(2)}, {5, 191, Grey(254)}, {5, 192, Grey(255)},
        // Stepped scales carry the limited colour from index to index.
        {6, 0, {254, 253, 250}}, {6, 127, {127, 0, 0}}, {6, 191, {63, 0, 192}}, {6, 255, {0, 0, 0}},
        {7, 128, {126, 0, 0}}, {7, 255, {0, 0, 0}},
        {8, 0, {255, 4, 0}}, {8, 63, {255, 255, 0}}, {8, 127, {0, 255, 0}}, {8, 191, {0, 255, 255}},
        {8, 255, {0, 0, 255}}, {9, 63, {255, 255, 0}}, {9, 191, {0, 255, 255}},
        {10, 113, {5, 255, 0}}, {10, 150, {5, 255, 222}}, {10, 200, {5, 5, 222}}, {10, 255, {5, 5, 2}},
        {11, 63, {255, 255, 0}}, {11, 127, {255, 0, 0}}, {11, 191, {63, 0, 255}}, {11, 255, {63, 0, 0}},
        {12, 127, {127, 0, 255}}, {12, 255, {0, 0, 0}},
        // Simple scales run one component.
        {13, 0, {0, 0, 0}}, {13, 100, {100, 0, 0}}, {13, 255, {255, 0, 0}},
        {14, 0, {255, 255, 255}}, {14, 255, {0, 255, 255}}, {15, 100, {0, 100, 0}}, {15, 255, {0, 255, 0}},
        {16, 0, {255, 255, 255}}, {16, 255, {255, 0, 255}}, {17, 100, {0, 0, 100}}, {17, 255, {0, 0, 255}},
        {18, 0, {255, 255, 255}}, {18, 255, {255, 255, 0}},
    };
    // clang-format on
    for (const auto& l : landmarks) {
        EXPECT_EQ(Built(l.scale).EntryRgb(l.index), l.colour) << "scale " << l.scale << " entry " << l.index;
    }
}

TEST(Palette, EndsRepeatEntriesZeroAnd255AndColoursConvertOnce) {
    for (int scale = 0; scale <= 18; ++scale) {
        const Palette palette = Built(scale);
        for (int index = -512; index <= 512; ++index) {
            const int from = index < 0 ? 0 : (index > 255 ? 255 : index);
            ASSERT_EQ(palette.Entry(index), palette.Entry(from)) << scale << " " << index;
        }
    }
    // Rainbow entry 0 is (255, 4, 0): 0x000004FF as written in the scale, 0xFFFF0400 as a pixel.
    EXPECT_EQ(Built(8).EntryBgr(0), 0x000004FFu);
    EXPECT_EQ(Built(8).Entry(0), 0xFFFF0400u);
}

TEST(Palette, ScalesWithoutTableKeepThePreviousColours) {
    for (const int keep : {19, 20, 21, -1}) {
        Palette palette;
        palette.BuildPalette(13);
        palette.BuildPalette(keep);
        for (int i = 0; i < 256; ++i) {
            ASSERT_EQ(palette.EntryRgb(i), (Rgb{i, 0, 0})) << keep << " " << i;
        }
        EXPECT_EQ(palette.EntryRgb(512), (Rgb{255, 0, 0}));
    }
}

TEST(Palette, LookupRoundsHalfToEvenAndLimitsTheIndex) {
    const Palette palette = Built(13);
    EXPECT_EQ(palette.Lookup(-600.0f), palette.Entry(0));
    EXPECT_EQ(palette.Lookup(100000.0f), palette.Entry(255));
    EXPECT_EQ(palette.Lookup(2.5f), palette.Entry(2));
    EXPECT_EQ(palette.Lookup(3.5f), palette.Entry(4));
    EXPECT_EQ(Palette::IndexOf(-511.5f), -512);
    EXPECT_EQ(Palette::IndexOf(INFINITY), 512);
    EXPECT_EQ(Palette::IndexOf(NAN), 0);
}

TEST(ColourScales, NumberIsTheLeadingValueOfTheItemText) {
    EXPECT_EQ(ColourScaleNumber("10 colour"), 10);
    EXPECT_EQ(ColourScaleNumber("5 bw +sharp "), 5);
    EXPECT_EQ(ColourScaleNumber("green"), 0);
    EXPECT_EQ(ColourScaleNumber("12.5"), 12);
}

TEST(ScalePreview, StripesArePaletteEntriesZeroTo255) {
    const Palette palette = Built(10);
    const QImage preview = ColourScalePreview(palette);
    ASSERT_EQ(preview.size(), QSize(256, 11));
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(preview.pixel(i, 0), palette.Entry(i)) << i;
        ASSERT_EQ(preview.pixel(i, 10), palette.Entry(i)) << i;
    }
}

} // namespace
} // namespace ondrix
