#include "display/PixelGrid.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace ondrix {

namespace {

std::ptrdiff_t PixelsPerLine(const QImage& image) {
    return static_cast<std::ptrdiff_t>(image.bytesPerLine() / static_cast<qsizetype>(sizeof(uint32_t)));
}

#if defined(__SSE2__)
// Four lines of four pixels from `in` (lines `inLine` pixels apart) become four lines of `out`.
void Transpose4(const uint32_t* in, std::ptrdiff_t inLine, uint32_t* out, std::ptrdiff_t outLine) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + inLine));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2 * inLine));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 3 * inLine));
    const __m128i ab0 = _mm_unpacklo_epi32(a, b); // a0 b0 a1 b1
    const __m128i ab1 = _mm_unpackhi_epi32(a, b); // a2 b2 a3 b3
    const __m128i cd0 = _mm_unpacklo_epi32(c, d);
    const __m128i cd1 = _mm_unpackhi_epi32(c, d);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi64(ab0, cd0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + outLine), _mm_unpackhi_epi64(ab0, cd0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * outLine), _mm_unpacklo_epi64(ab1, cd1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 3 * outLine), _mm_unpackhi_epi64(ab1, cd1));
}
#endif

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
            int x = x0;
#if defined(__SSE2__)
            // Blocks of 4 x 4 pixels; what a tile has left at the picture's edges, pixel by pixel.
            for (; x + 4 <= x1; x += 4) {
                int y = y0;
                for (; y + 4 <= y1; y += 4) {
                    Transpose4(source + y * fromLine + x, fromLine, target + x * toLine + y, toLine);
                }
                for (; y < y1; ++y) {
                    for (int k = 0; k < 4; ++k) {
                        target[(x + k) * toLine + y] = source[y * fromLine + x + k];
                    }
                }
            }
#endif
            for (; x < x1; ++x) {
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
