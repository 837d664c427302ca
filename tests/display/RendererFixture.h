// A small spectrogram (W = 10, H = 8) drawn through scale 13, whose entry i is (i, 0, 0), so every
// pixel tells which column k and row j it came from: column k has the display values 10 k + j.
#pragma once

#include "display/Palette.h"
#include "display/SpectrogramRenderer.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace ondrix {

class RendererFixture : public ::testing::Test {
protected:
    static constexpr int W = 10, H = 8, Low = 10, High = 20;
    static constexpr uint32_t Border = 0xffc0c0c0, Empty = 0xff000080, White = 0xffffffff;
    static constexpr uint32_t Red = 0xffff0000, Black = 0xff000000;

    RendererFixture() {
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
    void ExpectShown(std::initializer_list<int> shown, int rows = H) const {
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

} // namespace ondrix
