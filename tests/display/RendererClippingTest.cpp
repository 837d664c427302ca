#include "RendererFixture.h"
#include "display/PictureDrawing.h"

#include <vector>

namespace ondrix {
namespace {

TEST(PictureDrawing, NothingIsWrittenOutsideThePictureAndTheVisiblePartLands) {
    // A 6 x 5 picture inside a buffer with a 4-pixel margin on every side.
    constexpr int M = 4, Stride = 6 + 2 * M;
    constexpr uint32_t Guard = 0xdeadbeefu;
    std::vector<uint32_t> memory(Stride * (5 + 2 * M), Guard);
    QImage picture(reinterpret_cast<uchar*>(memory.data() + M * Stride + M), 6, 5, Stride * 4,
                   QImage::Format_RGB32);
    picture.fill(0xff000000u);
    QImage block(3, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            block.setPixel(x, y, qRgb(x, y, 50));
        }
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

using OddGeometry = RendererFixture;

TEST_F(OddGeometry, MoreRowsThanTheDisplayHeightLoseTheTopRows) {
    for (const int u : {0, 4}) {
        renderer.Clear(Empty);
        Start(u, 12, 0);
        Draw(0, 4, 12);
        ExpectShown({0, 1, 2, 3});
        ExpectStripAndBand(0);
    }
}

TEST_F(OddGeometry, ABlockWiderThanThePictureNeverLands) {
    renderer.SetGeometry(3, H);
    for (const int mode : {0, 1}) {
        renderer.Clear(Empty);
        Start(4, 8, mode);
        Draw(0, 20);
        ExpectShown({-1, -1, -1});
    }
    // Scroll-mode lines stand at W - U + c = c - 1: the first column of a block falls off the picture.
    ExpectStripAndBand(0);
    ExpectStripAndBand(1);
    EXPECT_EQ(Pixel(2, H + 50), Empty);
}

TEST_F(OddGeometry, OutOfRangeInputsAreClipped) {
    Start(4, 8, 0, FrequencyMarkers{true, {8, 100, -3}, 9999});
    renderer.SetTrackingRow(1000);
    const std::vector<float> values(3, 77.0f);
    renderer.DrawColumn(values, 8, -1000, 1000, true); // fewer values than rows, a bar past both ends
    Draw(1, 4);
    for (int y = 0; y < H; ++y) {
        EXPECT_EQ(Pixel(0, y), y >= H - 3 ? palette.Entry(77) : Black) << y;
    }
    for (int y = H; y <= H + 96; ++y) {
        ASSERT_EQ(Pixel(0, y), Red) << y;
    }
}

TEST_F(OddGeometry, ResizingDuringASessionStaysInsideThePicture) {
    Start(4, 8, 1);
    Draw(0, 3);
    const int sizes[][2] = {{3, 2}, {1, 0}, {0, 8}, {7, 20}};
    for (const auto& size : sizes) {
        renderer.SetGeometry(size[0], size[1]);
        Draw(0, 9);
        EXPECT_EQ(renderer.Picture().width(), size[0]);
        EXPECT_EQ(renderer.X(), size[0] > 0 ? 9 % size[0] : 0);
    }
}

} // namespace
} // namespace ondrix
