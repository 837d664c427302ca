#include "RendererFixture.h"

namespace ondrix {
namespace {

using SweepMode = RendererFixture;
using ScrollMode = RendererFixture;
using DirectDrawing = RendererFixture;
using ColumnMarks = RendererFixture;
using PictureLayout = RendererFixture;

TEST_F(SweepMode, BlocksLandAtTheirColumnsAndPartialBlocksAreLostAtTheWrap) {
    Start(4, 8, 0);
    Draw(0, 3);
    ExpectShown({-1, -1, -1, -1});
    EXPECT_EQ(renderer.Block().pixel(2, 7), ColumnColour(2, 0));
    EXPECT_EQ(renderer.Block().pixel(2, 0), ColumnColour(2, 7));
    // Strip, band and level bar reach the picture at once; the cursor stands one column ahead.
    ExpectStripAndBand(2);
    EXPECT_EQ(Pixel(3, H + 15), Empty);
    EXPECT_EQ(Pixel(3, H + 16), Border);
    EXPECT_EQ(Pixel(3, H + 96), Border);

    Draw(3, 4);
    ExpectShown({0, 1, 2, 3, -1});
    EXPECT_EQ(renderer.X(), 4);
    // W = 10 is not a multiple of U = 4: columns 8 and 9 wait in the block and the first columns after
    // the wrap overwrite them.
    Draw(4, 14);
    ExpectShown({10, 11, 12, 13, 4, 5, 6, 7, -1, -1});
    ExpectStripAndBand(9);
}

TEST_F(SweepMode, OverloadedFramesDrawRedBarsAndTheLastCursorDoesNotWrap) {
    Start(0, 8, 0);
    Draw(0, 1, 8, true);
    Draw(1, W);
    ExpectStripAndBand(0, H + 17, Red);
    ExpectStripAndBand(1);
    EXPECT_EQ(renderer.X(), 0);
}

TEST_F(ScrollMode, BlocksLandAtTheRightEdgeAndThePictureMovesLeft) {
    Start(4, 8, 1);
    Draw(0, 3);
    ExpectShown({-1, -1, -1, -1, -1, -1, -1, -1, -1, -1});
    ExpectStripAndBand(8);              // p = W - U + c
    EXPECT_EQ(Pixel(9, H + 50), Empty); // no cursor

    // The block goes to columns 6..9, then everything, strip and band down to the last row, moves
    // left by 4; the newest columns also stay at the right edge.
    Draw(3, 4);
    ExpectShown({-1, -1, 0, 1, 2, 3, 0, 1, 2, 3});
    ExpectStripAndBand(2);
    EXPECT_EQ(Pixel(1, H + 96), Empty);
    Draw(4, 8);
    ExpectShown({2, 3, 4, 5, 6, 7, 4, 5, 6, 7});
    // Columns 8 and 9 form a partial block that the wrap overwrites.
    Draw(8, 14);
    ExpectShown({6, 7, 10, 11, 12, 13, 10, 11, 12, 13});
}

TEST_F(ScrollMode, ModeTwoStartsTheWhiteBandInTheStrip) {
    Start(4, 8, 2);
    Draw(0, 1);
    ExpectStripAndBand(6, H + 16);
}

TEST_F(DirectDrawing, WithoutABlockColumnsAppearAtOnceInEveryMode) {
    Start(0, 8, 0);
    EXPECT_TRUE(renderer.Block().isNull());
    Draw(0, 1);
    ExpectShown({0, -1});
    EXPECT_EQ(Pixel(1, H + 16), Border);

    Start(0, 8, 1);
    Draw(0, 12);
    ExpectShown({10, 11, 2, 3, 4, 5, 6, 7, 8, 9});
    ExpectStripAndBand(5);
}

TEST_F(ColumnMarks, MarkersAndTheTrackingMarkOverwriteTheSpectrum) {
    Start(4, 8, 0, FrequencyMarkers{true, {2, 0, 5}, 200});
    renderer.SetTrackingRow(3);
    Draw(0, 4);
    for (int k = 0; k < 2; ++k) {
        for (int j = 0; j < 8; ++j) {
            uint32_t expected = ColumnColour(k, j);
            if (j == 2 || j == 5) {
                expected = palette.Entry(200);
            } else if (j == 3 && k == 0) {
                expected = Red; // the tracking mark belongs to one column only
            }
            ASSERT_EQ(Pixel(k, H - 1 - j), expected) << k << " " << j;
        }
    }
    Start(0, 8, 0, FrequencyMarkers{false, {2, 3, 4}, 200});
    Draw(0, 1);
    ExpectShown({0});
}

TEST_F(ColumnMarks, APaletteRebuiltDuringASessionColoursTheNextColumn) {
    Start(0, 8, 0);
    Draw(0, 1);
    palette.BuildPalette(15);
    Draw(1, 2);
    EXPECT_EQ(Pixel(0, H - 2), 0xff010000u);
    EXPECT_EQ(Pixel(1, H - 1), 0xff000a00u);
}

TEST_F(PictureLayout, ResizingKeepsTheOverlapAndClearStripFillsOnlyTheStrip) {
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
        EXPECT_EQ(Pixel(x, H - 1), Empty);
        EXPECT_EQ(Pixel(x, H), Border);
        EXPECT_EQ(Pixel(x, H + 16), Border);
        EXPECT_EQ(Pixel(x, H + 17), Empty);
    }
}

TEST_F(PictureLayout, SessionsMakeAndReleaseTheBlock) {
    renderer.SetX(5);
    Start(4, 8, 0);
    EXPECT_EQ(renderer.X(), 0);
    EXPECT_EQ(renderer.Block().size(), QSize(4, 8));
    renderer.EndSession();
    EXPECT_TRUE(renderer.Block().isNull());
}

} // namespace
} // namespace ondrix
