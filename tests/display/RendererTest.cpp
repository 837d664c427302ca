// The spectrogram column renderer in sweep and scroll mode, with and without a block, its marks, and
// geometry that does not fit; and the clipped drawing primitives underneath.
#include "display/Palette.h"
#include "display/PictureDrawing.h"
#include "display/SpectrogramRenderer.h"

#include <gtest/gtest.h>

#include <vector>

namespace ondrix {
namespace {

// A small spectrogram (W = 10, H = 8) drawn through scale 13, whose entry i is (i, 0, 0), so every
// pixel tells which column k and row j it came from: column k has the display values 10 k + j.
class Renderer : public ::testing::Test {
protected:
    static constexpr int W = 10, H = 8, Low = 10, High = 20;
    static constexpr uint32_t Border = 0xffc0c0c0, Empty = 0xff000080, White = 0xffffffff;
    static constexpr uint32_t Red = 0xffff0000, Black = 0xff000000;

    Renderer() {
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
TEST_F(Renderer, SweepModeBlocksBarsAndTheCursor) {
    Start(4, 8, 0);
    Draw(0, 3);
    ExpectShown({-1, -1, -1, -1});
    EXPECT_EQ(renderer.Block().pixel(2, 7), ColumnColour(2, 0));
    EXPECT_EQ(renderer.Block().pixel(2, 0), ColumnColour(2, 7));
    ExpectStripAndBand(2);
    EXPECT_EQ(Pixel(3, H + 15), Empty);
    EXPECT_EQ(Pixel(3, H + 16), Border);
    EXPECT_EQ(Pixel(3, H + 96), Border);
    Draw(3, 4);
    ExpectShown({0, 1, 2, 3, -1});
    EXPECT_EQ(renderer.X(), 4);
    Draw(4,
         14); // W = 10 is no multiple of U = 4: columns 8 and 9 wait in the block, the wrap overwrites them
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
TEST_F(Renderer, ScrollModeMovesThePictureLeft) {
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
TEST_F(Renderer, MarksAndARebuiltPalette) {
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
    EXPECT_EQ(Pixel(0, H - 2), 0xff010000u);
    EXPECT_EQ(Pixel(1, H - 1), 0xff000a00u);
}

// Resizing keeps the overlap; ClearStrip fills only the strip; sessions make and release the block.
TEST_F(Renderer, ResizingClearingAndSessions) {
    Start(0, 8, 0);
    Draw(0, 7);
    renderer.SetGeometry(6, H + 2);
    ASSERT_EQ(renderer.Picture().size(), QSize(6, H + 2 + 97));
    EXPECT_EQ(renderer.X(), 1);
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
    EXPECT_EQ(renderer.X(), 0);
    EXPECT_EQ(renderer.Block().size(), QSize(4, 8));
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
TEST_F(Renderer, OddGeometryIsClipped) {
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

} // namespace
} // namespace ondrix
