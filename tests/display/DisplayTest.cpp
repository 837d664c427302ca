// The colour scales, the palette built from them, the scale preview, the display layout that follows the
// settings (zoom, geometry, palette and buffer menu), the spectrogram column renderer in sweep and scroll
// mode with its marks and geometry that does not fit, and the clipped drawing primitives underneath.
#include "display/ColourScales.h"
#include "display/LayoutRefresh.h"
#include "display/Palette.h"
#include "display/PictureDrawing.h"
#include "display/ScalePreview.h"
#include "display/SpectrogramRenderer.h"
#include "settings/MenuModel.h"
#include "settings/SettingsModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

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
        {1, 0, Grey(0)}, {1, 1, Grey(0)}, {1, 204, Grey(255)}, {1, 205, Grey(255)}, {2, 31, Grey(255)},
        {2, 33, Grey(253)}, {2, 191, Grey(1)}, {2, 192, Grey(0)}, {3, 32, Grey(0)}, {3, 191, Grey(254)},
        {3, 192, Grey(255)}, {4, 64, Grey(255)}, {4, 191, Grey(1)}, {4, 192, Grey(0)}, {5, 63, Grey(0)},
        {5, 65, Grey(2)}, {5, 191, Grey(254)}, {5, 192, Grey(255)},
        // Stepped scales carry the limited colour from index to index.
        {6, 0, {254, 253, 250}}, {6, 127, {127, 0, 0}}, {6, 191, {63, 0, 192}}, {6, 255, Grey(0)},
        {7, 128, {126, 0, 0}}, {7, 255, Grey(0)}, {8, 0, {255, 4, 0}}, {8, 63, {255, 255, 0}},
        {8, 127, {0, 255, 0}}, {8, 191, {0, 255, 255}}, {8, 255, {0, 0, 255}}, {9, 63, {255, 255, 0}},
        {9, 191, {0, 255, 255}}, {10, 113, {5, 255, 0}}, {10, 150, {5, 255, 222}}, {10, 200, {5, 5, 222}},
        {10, 255, {5, 5, 2}}, {11, 63, {255, 255, 0}}, {11, 127, {255, 0, 0}}, {11, 191, {63, 0, 255}},
        {11, 255, {63, 0, 0}}, {12, 127, {127, 0, 255}}, {12, 255, Grey(0)},
        // Simple scales run one component.
        {13, 0, Grey(0)}, {13, 100, {100, 0, 0}}, {13, 255, {255, 0, 0}}, {14, 0, Grey(255)},
        {14, 255, {0, 255, 255}}, {15, 100, {0, 100, 0}}, {15, 255, {0, 255, 0}}, {16, 0, Grey(255)},
        {16, 255, {255, 0, 255}}, {17, 100, {0, 0, 100}}, {17, 255, {0, 0, 255}}, {18, 0, Grey(255)},
        {18, 255, {255, 255, 0}},
    };
    // clang-format on
    for (const auto& l : landmarks) {
        EXPECT_EQ(Built(l.scale).EntryRgb(l.index), l.colour) << "scale " << l.scale << " entry " << l.index;
    }
}

// Indices beyond 0 .. 255 repeat the end entries, lookups round half to even, a number without a scale
// keeps the colours, a pixel is the scale's colour converted once (not its byte order as written), and
// the preview's stripes are the entries 0 .. 255 from top to bottom row.
TEST(Palette, LookupLimitsRoundingScalesWithoutTableAndPreview) {
    for (int scale = 0; scale <= 18; ++scale) {
        const Palette palette = Built(scale);
        for (int index = -512; index <= 512; ++index) {
            ASSERT_EQ(palette.Entry(index), palette.Entry(std::clamp(index, 0, 255)))
                << scale << " " << index;
        }
    }
    EXPECT_EQ(std::pair(Built(8).EntryBgr(0), Built(8).Entry(0)),
              std::pair(0x000004FFu, 0xFFFF0400u)); // (255, 4, 0)
    const Palette red = Built(13);
    EXPECT_EQ(std::tuple(red.Lookup(-600.0f), red.Lookup(100000.0f), red.Lookup(2.5f), red.Lookup(3.5f)),
              std::tuple(red.Entry(0), red.Entry(255), red.Entry(2), red.Entry(4)));
    EXPECT_EQ(std::tuple(Palette::IndexOf(-511.5f), Palette::IndexOf(INFINITY), Palette::IndexOf(NAN)),
              std::tuple(-512, 512, 0));
    // A run of lookups, four at a time and the rest one by one, gives each value's own colour.
    const std::vector<float> run = {2.5f,   3.5f,   -0.5f,  NAN,         -INFINITY,
                                    254.5f, 300.0f, -1e30f, 0.49999997f, 7.0f};
    std::vector<uint32_t> colours(2 * run.size());
    Built(10).LookupRun(run, colours.data() + colours.size() - 1, -2);
    for (std::size_t i = 0; i < run.size(); ++i) {
        EXPECT_EQ(colours[colours.size() - 1 - 2 * i], Built(10).Lookup(run[i])) << run[i];
    }
    for (const int keep : {19, 20, 21, -1}) {
        Palette palette = Built(13);
        palette.BuildPalette(keep);
        for (int i = 0; i < 256; ++i) {
            ASSERT_EQ(palette.EntryRgb(i), (Rgb{i, 0, 0})) << keep << " " << i;
        }
        EXPECT_EQ(palette.EntryRgb(512), (Rgb{255, 0, 0}));
    }
    // The scale is the leading number of the item text.
    EXPECT_EQ(std::tuple(ColourScaleNumber("10 colour"), ColourScaleNumber("5 bw +sharp "),
                         ColourScaleNumber("green"), ColourScaleNumber("12.5")),
              std::tuple(10, 5, 0, 12));
    const QImage preview = ColourScalePreview(Built(10));
    ASSERT_EQ(preview.size(), QSize(256, 11));
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(std::pair(preview.pixel(i, 0), preview.pixel(i, 10)),
                  std::pair(Built(10).Entry(i), Built(10).Entry(i)))
            << i;
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
        const bool zoom = c.compression > 1;
        EXPECT_EQ(std::tuple(layout.compression, layout.zoomBaseBin, form.At("ZoomFlag").caption,
                             form.At("ZoomFlag").enabled, form.At("Combo9").enabled,
                             form.At("UpDown5").maximum, form.Text("ZoomBaseField")),
                  std::tuple(c.compression, zoom ? 100 : 0, c.caption, zoom, zoom, c.lastBase, c.frequency));
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
    EXPECT_EQ(std::tuple(layout.displayHeight, renderer.Height(), renderer.Width(), layout.colourScale),
              std::tuple(kMaxDisplayHeight, kMaxDisplayHeight, 800, 8));
    EXPECT_EQ(std::tuple(palette.EntryRgb(63), menus.At("SaveBuffer").enabled),
              std::tuple(Rgb{255, 255, 0}, false));
    form.SetText("Combo12", "4 Mbytes");
    form.SetText("Combo8", "no number");
    EXPECT_EQ(Refresh().colourScale, 0);
    EXPECT_TRUE(menus.At("SaveBuffer").enabled && !menus.At("SaveBufferAs").enabled); // no action for Save As
}

// A small spectrogram (W = 10, H = 8) drawn through scale 13, whose entry i is (i, 0, 0), so every
// pixel tells which column k and row j it came from: column k has the display values 10 k + j. Every
// case runs with the picture drawn as it is and drawn column-major.
class Renderer : public ::testing::TestWithParam<bool> {
protected:
    static constexpr int W = 10, H = 8, Low = 10, High = 20;
    static constexpr uint32_t Border = 0xffc0c0c0, Empty = 0xff000080, White = 0xffffffff;
    static constexpr uint32_t Red = 0xffff0000, Black = 0xff000000;

    Renderer() {
        renderer.SetColumnMajor(GetParam());
        palette.BuildPalette(13);
        renderer.SetGeometry(W, H);
        renderer.Clear(Empty);
    }

    void Start(int updateRate, int rows, int scrollMode, FrequencyMarkers markers = {}) {
        renderer.BeginSession(RendererSession{updateRate, rows, scrollMode, markers});
    }

    // Draws columns first .. last - 1.
    void Draw(int first, int last, int rows = 8, bool overloaded = false) {
        std::vector<float> values(rows);
        for (int k = first; k < last; ++k) {
            for (int j = 0; j < rows; ++j) {
                values[j] = static_cast<float>(10 * k + j);
            }
            renderer.DrawColumn(values, rows, Low, High, overloaded);
        }
    }

    uint32_t ColumnColour(int k, int j) const { return palette.Entry(10 * k + j); }
    uint32_t Pixel(int x, int y) const { return renderer.Picture().pixel(x, y); }

    // Spectrogram column x of the picture shows column shown[x] (row 0 at y = H - 1), or is untouched
    // where shown[x] is -1.
    void ExpectShown(const std::vector<int>& shown, int rows = H) const {
        int x = 0;
        for (const int k : shown) {
            for (int j = 0; j < rows; ++j) {
                ASSERT_EQ(Pixel(x, H - 1 - j), k < 0 ? Empty : ColumnColour(k, j)) << "x " << x << " j " << j;
            }
            ++x;
        }
    }

    // Strip, band and level bar (of Low, High) at column p.
    void ExpectStripAndBand(int p, int bandStart = H + 17, uint32_t bar = Black) const {
        for (int y = H; y <= H + 96; ++y) {
            const bool inBar = y >= H + 16 + Low && y <= H + 16 + High;
            ASSERT_EQ(Pixel(p, y), y < bandStart ? Border : (inBar ? bar : White)) << "p " << p << " y " << y;
        }
    }

    Palette palette;
    SpectrogramRenderer renderer{palette, Border};
};

// Sweep: blocks land at their columns, strip, band and level bar at once with the cursor one column
// ahead; a partial block is lost at the wrap; an overloaded frame draws a red bar and the last cursor
// does not wrap. Without a block columns appear at once.
TEST_P(Renderer, SweepModeBlocksBarsAndTheCursor) {
    Start(4, 8, 0);
    Draw(0, 3);
    ExpectShown({-1, -1, -1, -1});
    EXPECT_EQ(std::pair(renderer.Block().pixel(2, 7), renderer.Block().pixel(2, 0)),
              std::pair(ColumnColour(2, 0), ColumnColour(2, 7)));
    ExpectStripAndBand(2);
    EXPECT_EQ(std::tuple(Pixel(3, H + 15), Pixel(3, H + 16), Pixel(3, H + 96)),
              std::tuple(Empty, Border, Border));
    Draw(3, 4);
    ExpectShown({0, 1, 2, 3, -1});
    EXPECT_EQ(renderer.X(), 4);
    // W = 10 is no multiple of U = 4: columns 8 and 9 wait in the block, the wrap overwrites them.
    Draw(4, 14);
    ExpectShown({10, 11, 12, 13, 4, 5, 6, 7, -1, -1});
    ExpectStripAndBand(9);
    renderer.Clear(Empty);
    Start(0, 8, 0);
    EXPECT_TRUE(renderer.Block().isNull());
    Draw(0, 1, 8, true);
    ExpectShown({0, -1});
    EXPECT_EQ(Pixel(1, H + 16), Border);
    Draw(1, W);
    ExpectStripAndBand(0, H + 17, Red);
    ExpectStripAndBand(1);
    EXPECT_EQ(renderer.X(), 0);
}

// Scroll: blocks land at the right edge, then picture, strip and band move left; mode 2 starts the white
// band in the strip. Without a block columns appear at once.
TEST_P(Renderer, ScrollModeMovesThePictureLeft) {
    Start(4, 8, 1);
    Draw(0, 3);
    ExpectShown({-1, -1, -1, -1, -1, -1, -1, -1, -1, -1});
    ExpectStripAndBand(8);              // p = W - U + c
    EXPECT_EQ(Pixel(9, H + 50), Empty); // no cursor
    Draw(3, 4);
    ExpectShown({-1, -1, 0, 1, 2, 3, 0, 1, 2, 3});
    ExpectStripAndBand(2);
    EXPECT_EQ(Pixel(1, H + 96), Empty);
    Draw(4, 8);
    ExpectShown({2, 3, 4, 5, 6, 7, 4, 5, 6, 7});
    Draw(8, 14); // columns 8 and 9 form a partial block that the wrap overwrites
    ExpectShown({6, 7, 10, 11, 12, 13, 10, 11, 12, 13});
    Start(0, 8, 1);
    Draw(0, 12);
    ExpectShown({10, 11, 2, 3, 4, 5, 6, 7, 8, 9});
    ExpectStripAndBand(5);
    Start(4, 8, 2);
    Draw(0, 1);
    ExpectStripAndBand(6, H + 16);
}

// Frequency markers and the tracking mark overwrite the spectrum (the tracking mark in one column only);
// a palette rebuilt during a session colours the next column.
TEST_P(Renderer, MarksAndARebuiltPalette) {
    Start(4, 8, 0, FrequencyMarkers{true, {2, 0, 5}, 200});
    renderer.SetTrackingRow(3);
    Draw(0, 4);
    for (int k = 0; k < 2; ++k) {
        for (int j = 0; j < 8; ++j) {
            const uint32_t mark = j == 2 || j == 5 ? palette.Entry(200) : Red; // tracking: column 0 only
            ASSERT_EQ(Pixel(k, H - 1 - j), j == 2 || j == 5 || (j == 3 && k == 0) ? mark : ColumnColour(k, j))
                << k << " " << j;
        }
    }
    Start(0, 8, 0, FrequencyMarkers{false, {2, 3, 4}, 200});
    Draw(0, 1);
    ExpectShown({0});
    palette.BuildPalette(15);
    Draw(1, 2);
    EXPECT_EQ(std::pair(Pixel(0, H - 2), Pixel(1, H - 1)), std::pair(0xff010000u, 0xff000a00u));
}

// Resizing keeps the overlap; ClearStrip fills only the strip; sessions make and release the block.
TEST_P(Renderer, ResizingClearingAndSessions) {
    Start(0, 8, 0);
    Draw(0, 7);
    renderer.SetGeometry(6, H + 2);
    ASSERT_EQ(std::tuple(renderer.Picture().size(), renderer.X()), std::tuple(QSize(6, H + 2 + 97), 1));
    ExpectShown({0, 1, 2, 3, 4, 5});
    EXPECT_EQ(Pixel(0, H + 97), Border); // below the old picture
    renderer.SetGeometry(W, H);
    renderer.Clear(Empty);
    renderer.ClearStrip();
    for (int x = 0; x < W; ++x) {
        for (const auto& [y, colour] :
             {std::pair{H - 1, Empty}, {H, Border}, {H + 16, Border}, {H + 17, Empty}}) {
            EXPECT_EQ(Pixel(x, y), colour) << x << "," << y;
        }
    }
    renderer.SetX(5);
    Start(4, 8, 0);
    EXPECT_EQ(std::pair(renderer.X(), renderer.Block().size()), std::pair(0, QSize(4, 8)));
    renderer.EndSession();
    EXPECT_TRUE(renderer.Block().isNull());
}

// Nothing is written outside a picture by any primitive, whatever the coordinates; the visible part lands.
TEST(PictureDrawing, NothingIsWrittenOutsideThePictureAndTheVisiblePartLands) {
    // A 6 x 5 picture inside a buffer with a 4-pixel margin on every side.
    constexpr int M = 4, Stride = 6 + 2 * M;
    constexpr uint32_t Guard = 0xdeadbeefu;
    std::vector<uint32_t> memory(Stride * (5 + 2 * M), Guard);
    QImage picture(reinterpret_cast<uchar*>(memory.data() + M * Stride + M), 6, 5, Stride * 4,
                   QImage::Format_RGB32);
    picture.fill(0xff000000u);
    QImage block(3, 3, QImage::Format_RGB32);
    for (int i = 0; i < 9; ++i) {
        block.setPixel(i % 3, i / 3, qRgb(i % 3, i / 3, 50));
    }
    CopyPicture(block, picture, -1, 3); // only block (1..2, 0..1) lands, at (0..1, 3..4)
    EXPECT_EQ(picture.pixel(0, 3), qRgb(1, 0, 50));
    EXPECT_EQ(picture.pixel(1, 4), qRgb(2, 1, 50));
    EXPECT_EQ(picture.pixel(2, 3), 0xff000000u);
    for (const int v : {-100, -1, 0, 5, 6, 100}) {
        SetPixelClipped(picture, v, 2, 0xff090909u);
        SetPixelClipped(picture, 2, v, 0xff090909u);
        DrawVerticalLine(picture, v, -50, 50, 0xff090909u);
        FillBox(picture, v, v, -v, 2 * v, 0xff090909u);
        CopyPicture(block, picture, v, v / 2);
        ShiftLeft(picture, v);
    }
    for (size_t i = 0; i < memory.size(); ++i) {
        const int x = static_cast<int>(i % Stride) - M, y = static_cast<int>(i / Stride) - M;
        if (x < 0 || x >= 6 || y < 0 || y >= 5) {
            ASSERT_EQ(memory[i], Guard) << x << "," << y;
        }
    }
}

// Geometry that does not fit: more rows than the display lose the top rows; a block wider than the
// picture never lands (scroll-mode lines at W - U + c = c - 1 lose a block's first column); values,
// bars and marks out of range are clipped; resizing during a session stays inside the picture.
TEST_P(Renderer, OddGeometryIsClipped) {
    for (const int u : {0, 4}) {
        renderer.Clear(Empty);
        Start(u, 12, 0);
        Draw(0, 4, 12);
        ExpectShown({0, 1, 2, 3});
        ExpectStripAndBand(0);
    }
    renderer.SetGeometry(3, H);
    for (const int mode : {0, 1}) {
        renderer.Clear(Empty);
        Start(4, 8, mode);
        Draw(0, 20);
        ExpectShown({-1, -1, -1});
    }
    ExpectStripAndBand(0);
    ExpectStripAndBand(1);
    EXPECT_EQ(Pixel(2, H + 50), Empty);
    renderer.SetGeometry(W, H);
    renderer.Clear(Empty);
    Start(4, 8, 0, FrequencyMarkers{true, {8, 100, -3}, 9999});
    renderer.SetTrackingRow(1000);
    renderer.DrawColumn(std::vector<float>(3, 77.0f), 8, -1000, 1000, true); // fewer values than rows
    Draw(1, 4);
    for (int y = 0; y < H + 97; ++y) {
        ASSERT_EQ(Pixel(0, y), y >= H ? Red : y >= H - 3 ? palette.Entry(77) : Black) << y;
    }
    Start(4, 8, 1);
    Draw(0, 3);
    for (const auto& [width, height] : {std::pair{3, 2}, {1, 0}, {0, 8}, {7, 20}}) {
        renderer.SetGeometry(width, height);
        Draw(0, 9);
        EXPECT_EQ(renderer.Picture().width(), width);
        EXPECT_EQ(renderer.X(), width > 0 ? 9 % width : 0);
    }
}

INSTANTIATE_TEST_SUITE_P(RowAndColumnMajor, Renderer, ::testing::Bool());

// Pictures whose sides are not multiples of the transpose's tiles and blocks, drawn with marks, tracking,
// overloads, two-channel columns and ticks, wrapping past the width: the column-major picture equals the
// plain one whenever it is looked at, also after a resize in the middle of a page.
TEST(ColumnMajorRenderer, DrawsThePlainPicture) {
    const struct {
        int width, height, rows;
    } cases[] = {{1, 1, 1}, {33, 40, 40}, {70, 200, 150}, {100, 20, 64}, {37, 45, 30}};
    Palette palette;
    palette.BuildPalette(10);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << ", " << c.rows << " rows");
        SpectrogramRenderer plain(palette, 0xffc0c0c0u), columns(palette, 0xffc0c0c0u);
        columns.SetColumnMajor(true);
        std::vector<float> values(static_cast<std::size_t>(c.rows));
        for (int round = 0; round < 2; ++round) {
            for (SpectrogramRenderer* r : {&plain, &columns}) {
                r->SetGeometry(c.width + round, c.height);
                r->BeginSession({0, c.rows, 0, FrequencyMarkers{true, {3, 0, c.rows - 1}, 99}});
            }
            for (int k = 0; k < c.width + 5; ++k) {
                for (std::size_t j = 0; j < values.size(); ++j) {
                    values[j] = static_cast<float>((k * 37 + static_cast<int>(j) * 11) % 300 - 20);
                }
                for (SpectrogramRenderer* r : {&plain, &columns}) {
                    r->SetTrackingRow(k % 7 == 0 ? k % c.rows : -1);
                    if (k % 5 == 4) {
                        r->DrawStereoColumn(values, values, c.rows / 2, {{{-k, k, true}, {k, 2 * k, false}}},
                                            k % 2 == 0);
                    } else {
                        r->DrawColumn(values, c.rows, -k, k, k % 3 == 0);
                    }
                    r->DrawTick(0xff00ff00u + static_cast<uint32_t>(k));
                }
                if (k % 16 == 0) {
                    ASSERT_TRUE(columns.Picture() == plain.Picture()) << "column " << k;
                }
            }
            ASSERT_TRUE(columns.Picture() == plain.Picture());
        }
    }
}

} // namespace
} // namespace ondrix
