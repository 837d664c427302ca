#include "display/PictureDrawing.h"

#include "display/PixelGrid.h"

#include <algorithm>
#include <cstring>

namespace ondrix {

namespace {

uint32_t* PixelAt(uchar* bits, qsizetype stride, int x, int y) {
    return reinterpret_cast<uint32_t*>(bits + y * stride) + x;
}

} // namespace

void SetPixelClipped(QImage& picture, int x, int y, uint32_t colour) {
    PixelGrid::RowMajor(picture).Set(x, y, colour);
}

void DrawVerticalLine(QImage& picture, int x, int y1, int y2, uint32_t colour) {
    PixelGrid::RowMajor(picture).VerticalLine(x, y1, y2, colour);
}

void FillBox(QImage& picture, int x1, int y1, int x2, int y2, uint32_t colour) {
    const int left = std::max(std::min(x1, x2), 0);
    const int right = std::min(std::max(x1, x2), picture.width() - 1);
    const int top = std::max(std::min(y1, y2), 0);
    const int bottom = std::min(std::max(y1, y2), picture.height() - 1);
    if (left > right || top > bottom) {
        return;
    }
    uchar* bits = picture.bits();
    const qsizetype stride = picture.bytesPerLine();
    for (int y = top; y <= bottom; ++y) {
        std::fill(PixelAt(bits, stride, left, y), PixelAt(bits, stride, right + 1, y), colour);
    }
}

void CopyPicture(const QImage& source, QImage& target, int x, int y) {
    const int left = std::max(x, 0);
    const int right = std::min(x + source.width(), target.width());
    const int top = std::max(y, 0);
    const int bottom = std::min(y + source.height(), target.height());
    if (left >= right || top >= bottom) {
        return;
    }
    const uchar* from = source.constBits();
    const qsizetype fromStride = source.bytesPerLine();
    uchar* to = target.bits();
    const qsizetype toStride = target.bytesPerLine();
    const size_t bytes = static_cast<size_t>(right - left) * sizeof(uint32_t);
    for (int row = top; row < bottom; ++row) {
        const uchar* line = from + (row - y) * fromStride + (left - x) * sizeof(uint32_t);
        std::memcpy(PixelAt(to, toStride, left, row), line, bytes);
    }
}

void ShiftLeft(QImage& picture, int columns) {
    const int width = picture.width();
    if (columns <= 0 || columns >= width) {
        return;
    }
    uchar* bits = picture.bits();
    const qsizetype stride = picture.bytesPerLine();
    const size_t bytes = static_cast<size_t>(width - columns) * sizeof(uint32_t);
    for (int y = 0; y < picture.height(); ++y) {
        std::memmove(PixelAt(bits, stride, 0, y), PixelAt(bits, stride, columns, y), bytes);
    }
}

} // namespace ondrix
