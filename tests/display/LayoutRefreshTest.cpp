#include "display/LayoutRefresh.h"
#include "analysis/ColumnChain.h"
#include "display/Palette.h"
#include "display/SpectrogramRenderer.h"
#include "settings/MenuModel.h"
#include "settings/SettingsModel.h"

#include <gtest/gtest.h>

namespace ondrix {
namespace {

struct Layout : ::testing::Test {
    SettingsModel settings;
    MenuModel menus;
    Palette palette;
    SpectrogramRenderer renderer{palette, 0xffc0c0c0u};

    DisplayLayout Refresh() { return RefreshDisplayLayout(settings, menus, palette, renderer, 800); }
};

TEST_F(Layout, OneBinPerRowTurnsTheZoomOff) {
    settings.Form1().SetText("FFTSize", "512");
    settings.Form1().SetText("Combo7", "256");
    settings.Form1().SetText("Combo9", "0 - L");
    const DisplayLayout layout = Refresh();
    EXPECT_EQ(layout.compression, 1);
    EXPECT_EQ(layout.zoomBaseBin, 0);
    EXPECT_EQ(settings.Form1().At("ZoomFlag").caption, "Zoom off");
    EXPECT_FALSE(settings.Form1().At("ZoomFlag").enabled);
    EXPECT_FALSE(settings.Form1().At("Combo9").enabled);
    EXPECT_EQ(settings.Form1().Text("Combo9"), "2 - All");
}

TEST_F(Layout, CompressionCaptionRangeAndBaseFrequency) {
    settings.Form1().SetText("FFTSize", "2048");
    settings.Form1().SetText("Combo7", "256");
    DisplayLayout layout = Refresh();
    EXPECT_EQ(layout.compression, 4);
    EXPECT_EQ(settings.Form1().At("ZoomFlag").caption, "Zoom  4x at bin");
    EXPECT_TRUE(settings.Form1().At("ZoomFlag").enabled);
    EXPECT_EQ(settings.Form1().At("UpDown5").maximum, 1024 - 256);

    settings.Form1().SetText("UpDown5", "100");
    layout = Refresh();
    EXPECT_EQ(layout.zoomBaseBin, 100);
    EXPECT_EQ(settings.Form1().Text("ZoomBaseField"), "2343.8"); // 100 x 48000 / 2048 Hz

    // round(1280 / 256 / 2) = round(2.5): halves go to the even neighbour.
    settings.Form1().SetText("FFTSize", "1280");
    EXPECT_EQ(Refresh().compression, 2);
    settings.Form1().SetText("FFTSize", "1024");
    settings.Form1().SetText("Combo7", "160");
    EXPECT_EQ(Refresh().compression, 3);
}

// A typed size the chain cannot run as such: caption, zoom-base range and base frequency follow the FFT
// length the chain actually uses.
TEST_F(Layout, ZoomFollowsTheFftLengthOfTheChain) {
    struct Case {
        const char* typed;
        const char* caption;
        int lastBase;
        const char* frequency; // of base bin 100 at 48000 samples/s
    };
    const Case cases[] = {
        {"1536", "Zoom  2x at bin", 256, "4687.5"}, // runs as 1024
        {"4000", "Zoom  4x at bin", 768, "2343.8"}, // 2048
        {"40000", "Zoom  32x at bin", 7936, "293"}, // the largest, 16384
    };
    settings.Form1().SetText("Combo7", "256");
    SpectrumAveraging averaging;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        settings.Form1().SetText("FFTSize", c.typed);
        Refresh();
        settings.Form1().SetText("UpDown5", "100");
        const DisplayLayout layout = Refresh();
        const ColumnChain chain({.fftSize = settings.Analysis().fftSize}, averaging);
        EXPECT_EQ(layout.compression, CompressionFactor(chain.Setup().fftSize, 256));
        EXPECT_EQ(settings.Form1().At("ZoomFlag").caption, c.caption);
        EXPECT_EQ(settings.Form1().At("UpDown5").maximum, c.lastBase);
        EXPECT_EQ(settings.Form1().Text("ZoomBaseField"), c.frequency);
    }
}

TEST_F(Layout, GeometryPaletteAndBufferMenu) {
    settings.Form1().SetText("Combo7", "5000");
    settings.Form1().SetText("Combo8", "8 rainbow");
    settings.Form1().SetText("Combo12", "off");
    menus.SetHandler("SaveBuffer", [] {});
    const DisplayLayout layout = Refresh();
    EXPECT_EQ(layout.displayHeight, kMaxDisplayHeight);
    EXPECT_EQ(renderer.Height(), kMaxDisplayHeight);
    EXPECT_EQ(renderer.Width(), 800);
    EXPECT_EQ(layout.colourScale, 8);
    EXPECT_EQ(palette.EntryRgb(63), (Rgb{255, 255, 0}));
    EXPECT_FALSE(menus.At("SaveBuffer").enabled);

    settings.Form1().SetText("Combo12", "4 Mbytes");
    settings.Form1().SetText("Combo8", "no number");
    EXPECT_EQ(Refresh().colourScale, 0);
    EXPECT_TRUE(menus.At("SaveBuffer").enabled);
    EXPECT_FALSE(menus.At("SaveBufferAs").enabled); // no action attached yet
}

} // namespace
} // namespace ondrix
