// The colour scales, the palette built from them, the scale preview, and the display layout that follows
// the settings: zoom, geometry, palette and buffer menu.
#include "display/ColourScales.h"
#include "display/LayoutRefresh.h"
#include "display/Palette.h"
#include "display/ScalePreview.h"
#include "display/SpectrogramRenderer.h"
#include "settings/MenuModel.h"
#include "settings/SettingsModel.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// Landmark entries of every scale: a wrong ramp, step or rounding shows in one of them.
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
        {6, 0, {254, 253, 250}}, {6, 127, {127, 0, 0}}, {6, 191, {63, 0, 192}}, {6, 255, Grey(0)},
        {7, 128, {126, 0, 0}}, {7, 255, Grey(0)},
        {8, 0, {255, 4, 0}}, {8, 63, {255, 255, 0}}, {8, 127, {0, 255, 0}}, {8, 191, {0, 255, 255}},
        {8, 255, {0, 0, 255}}, {9, 63, {255, 255, 0}}, {9, 191, {0, 255, 255}},
        {10, 113, {5, 255, 0}}, {10, 150, {5, 255, 222}}, {10, 200, {5, 5, 222}}, {10, 255, {5, 5, 2}},
        {11, 63, {255, 255, 0}}, {11, 127, {255, 0, 0}}, {11, 191, {63, 0, 255}}, {11, 255, {63, 0, 0}},
        {12, 127, {127, 0, 255}}, {12, 255, Grey(0)},
        // Simple scales run one component.
        {13, 0, Grey(0)}, {13, 100, {100, 0, 0}}, {13, 255, {255, 0, 0}},
        {14, 0, Grey(255)}, {14, 255, {0, 255, 255}}, {15, 100, {0, 100, 0}}, {15, 255, {0, 255, 0}},
        {16, 0, Grey(255)}, {16, 255, {255, 0, 255}}, {17, 100, {0, 0, 100}}, {17, 255, {0, 0, 255}},
        {18, 0, Grey(255)}, {18, 255, {255, 255, 0}},
    };
    // clang-format on
    for (const auto& l : landmarks) {
        EXPECT_EQ(Built(l.scale).EntryRgb(l.index), l.colour) << "scale " << l.scale << " entry " << l.index;
    }
}

// Indices beyond 0 .. 255 repeat the end entries, lookups round half to even, a number without a scale
// keeps the colours, and a pixel is the scale's colour converted once (not its byte order as written).
TEST(Palette, LookupLimitsRoundingAndScalesWithoutTable) {
    for (int scale = 0; scale <= 18; ++scale) {
        const Palette palette = Built(scale);
        for (int index = -512; index <= 512; ++index) {
            ASSERT_EQ(palette.Entry(index), palette.Entry(std::clamp(index, 0, 255)))
                << scale << " " << index;
        }
    }
    EXPECT_EQ(Built(8).EntryBgr(0), 0x000004FFu); // rainbow entry 0 is (255, 4, 0)
    EXPECT_EQ(Built(8).Entry(0), 0xFFFF0400u);
    const Palette red = Built(13);
    EXPECT_EQ(red.Lookup(-600.0f), red.Entry(0));
    EXPECT_EQ(red.Lookup(100000.0f), red.Entry(255));
    EXPECT_EQ(red.Lookup(2.5f), red.Entry(2));
    EXPECT_EQ(red.Lookup(3.5f), red.Entry(4));
    EXPECT_EQ(Palette::IndexOf(-511.5f), -512);
    EXPECT_EQ(Palette::IndexOf(INFINITY), 512);
    EXPECT_EQ(Palette::IndexOf(NAN), 0);
    for (const int keep : {19, 20, 21, -1}) {
        Palette palette = Built(13);
        palette.BuildPalette(keep);
        for (int i = 0; i < 256; ++i) {
            ASSERT_EQ(palette.EntryRgb(i), (Rgb{i, 0, 0})) << keep << " " << i;
        }
        EXPECT_EQ(palette.EntryRgb(512), (Rgb{255, 0, 0}));
    }
    EXPECT_EQ(ColourScaleNumber("10 colour"), 10); // the scale is the leading number of the item text
    EXPECT_EQ(ColourScaleNumber("5 bw +sharp "), 5);
    EXPECT_EQ(ColourScaleNumber("green"), 0);
    EXPECT_EQ(ColourScaleNumber("12.5"), 12);
}

// The preview's stripes are the palette's entries 0 .. 255 from top to bottom row.
TEST(ScalePreview, StripesArePaletteEntriesZeroTo255) {
    const Palette palette = Built(10);
    const QImage preview = ColourScalePreview(palette);
    ASSERT_EQ(preview.size(), QSize(256, 11));
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(preview.pixel(i, 0), palette.Entry(i)) << i;
        ASSERT_EQ(preview.pixel(i, 10), palette.Entry(i)) << i;
    }
}

struct Layout : ::testing::Test {
    SettingsModel settings;
    ControlModel& form = settings.Form1();
    MenuModel menus;
    Palette palette;
    SpectrogramRenderer renderer{palette, 0xffc0c0c0u};

    DisplayLayout Refresh() { return RefreshDisplayLayout(settings, menus, palette, renderer, 800); }
};

// Compression (rounded half to even), caption, zoom-base range and base frequency follow the FFT length
// the chain actually runs, also for a typed size it cannot run as such; one bin per row turns the zoom
// off and shows all channels.
TEST_F(Layout, ZoomFollowsTheFftLengthOfTheChain) {
    const struct {
        const char* typed;
        int rows, compression;
        const char* caption;
        int lastBase;
        const char* frequency; // of base bin 100 at 48000 samples/s
    } cases[] = {
        {"2048", 256, 4, "Zoom  4x at bin", 768, "2343.8"},
        {"1280", 256, 2, "Zoom  2x at bin", 256, "4687.5"},
        {"1024", 160, 3, "Zoom  3x at bin", 352, "4687.5"},
        {"1536", 256, 2, "Zoom  2x at bin", 256, "4687.5"},  // runs as 1024
        {"4000", 256, 4, "Zoom  4x at bin", 768, "2343.8"},  // 2048
        {"40000", 256, 32, "Zoom  32x at bin", 7936, "293"}, // the largest, 16384
        {"512", 256, 1, "Zoom off", 0, "0"},
    };
    form.SetText("Combo9", "0 - L");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        form.SetText("FFTSize", c.typed);
        form.SetText("Combo7", std::to_string(c.rows));
        Refresh();
        form.SetText("UpDown5", "100");
        const DisplayLayout layout = Refresh();
        EXPECT_EQ(layout.compression, c.compression);
        EXPECT_EQ(layout.zoomBaseBin, c.compression > 1 ? 100 : 0);
        EXPECT_EQ(form.At("ZoomFlag").caption, c.caption);
        EXPECT_EQ(form.At("ZoomFlag").enabled, c.compression > 1);
        EXPECT_EQ(form.At("Combo9").enabled, c.compression > 1);
        EXPECT_EQ(form.At("UpDown5").maximum, c.lastBase);
        EXPECT_EQ(form.Text("ZoomBaseField"), c.frequency);
    }
    EXPECT_EQ(form.Text("Combo9"), "2 - All");
}

// The display height is limited, the palette follows the colour scale, and the buffer menu the buffer.
TEST_F(Layout, GeometryPaletteAndBufferMenu) {
    form.SetText("Combo7", "5000");
    form.SetText("Combo8", "8 rainbow");
    form.SetText("Combo12", "off");
    menus.SetHandler("SaveBuffer", [] {});
    const DisplayLayout layout = Refresh();
    EXPECT_EQ(layout.displayHeight, kMaxDisplayHeight);
    EXPECT_EQ(renderer.Height(), kMaxDisplayHeight);
    EXPECT_EQ(renderer.Width(), 800);
    EXPECT_EQ(layout.colourScale, 8);
    EXPECT_EQ(palette.EntryRgb(63), (Rgb{255, 255, 0}));
    EXPECT_FALSE(menus.At("SaveBuffer").enabled);
    form.SetText("Combo12", "4 Mbytes");
    form.SetText("Combo8", "no number");
    EXPECT_EQ(Refresh().colourScale, 0);
    EXPECT_TRUE(menus.At("SaveBuffer").enabled);
    EXPECT_FALSE(menus.At("SaveBufferAs").enabled); // no action attached yet
}

} // namespace
} // namespace ondrix
