#include "display/PixelGrid.h"

#include <algorithm>

namespace ondrix {

namespace {

std::ptrdiff_t PixelsPerLine(const QImage& image) {
    return static_cast<std::ptrdiff_t>(image.bytesPerLine() / static_cast<qsizetype>(sizeof(uint32_t)));
}

} // namespace

PixelGrid PixelGrid::RowMajor(QImage& picture) {
    if (picture.isNull()) {
        return PixelGrid(nullptr, 0, 0, 0, 0);
    }
    return PixelGrid(reinterpret_cast<uint32_t*>(picture.bits()), 1, PixelsPerLine(picture), picture.width(),
                     picture.height());
}

PixelGrid PixelGrid::ColumnMajor(QImage& columns) {
    if (columns.isNull()) {
        return PixelGrid(nullptr, 0, 0, 0, 0);
    }
    return PixelGrid(reinterpret_cast<uint32_t*>(columns.bits()), PixelsPerLine(columns), 1, columns.height(),
                     columns.width());
}

void PixelGrid::Set(int x, int y, uint32_t colour) const {
    if (x >= 0 && y >= 0 && x < width_ && y < height_) {
        *At(x, y) = colour;
    }
}

void PixelGrid::VerticalLine(int x, int y1, int y2, uint32_t colour) const {
    const int top = std::max(std::min(y1, y2), 0);
    const int bottom = std::min(std::max(y1, y2), height_ - 1);
    if (x < 0 || x >= width_ || top > bottom) {
        return;
    }
    uint32_t* pixel = At(x, top);
    for (int y = top; y <= bottom; ++y, pixel += yStep_) {
        *pixel = colour;
    }
}

void TransposePicture(const QImage& from, QImage& to) {
    const int width = from.width();
    const int height = from.height();
    if (to.width() != height || to.height() != width || to.format() != QImage::Format_RGB32) {
        to = QImage(height, width, QImage::Format_RGB32);
    }
    if (from.isNull() || to.isNull()) {
        return;
    }
    // 32 x 32 tiles: 32 lines of 128 bytes on each side stay in the first-level cache.
    constexpr int kTile = 32;
    const std::ptrdiff_t fromLine = PixelsPerLine(from);
    const std::ptrdiff_t toLine = PixelsPerLine(to);
    const auto* source = reinterpret_cast<const uint32_t*>(from.constBits());
    auto* target = reinterpret_cast<uint32_t*>(to.bits());
    for (int y0 = 0; y0 < height; y0 += kTile) {
        const int y1 = std::min(y0 + kTile, height);
        for (int x0 = 0; x0 < width; x0 += kTile) {
            const int x1 = std::min(x0 + kTile, width);
            for (int x = x0; x < x1; ++x) {
                uint32_t* out = target + x * toLine;
                const uint32_t* in = source + x;
                for (int y = y0; y < y1; ++y) {
                    out[y] = in[y * fromLine];
                }
            }
        }
    }
}

} // namespace ondrix
