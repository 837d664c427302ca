// RGB32 pixels addressed as (x, y) in either memory order, and the transpose between the two orders.
// A picture drawn one column at a time writes each column's pixels one row stride apart; drawn into a
// column-major grid the same column is contiguous, and one blocked transpose per picture restores the
// row-major order.
#pragma once

#include <QImage>

#include <cstdint>

namespace ondrix {

class PixelGrid {
public:
    // The picture as it is: x steps one pixel, y one row.
    static PixelGrid RowMajor(QImage& picture);
    // A picture W x H held transposed in `columns` (H wide, W high): row x of `columns` is column x.
    static PixelGrid ColumnMajor(QImage& columns);

    int Width() const { return width_; }
    int Height() const { return height_; }
    // Pixels between (x, y) and (x, y + 1).
    std::ptrdiff_t YStep() const { return yStep_; }
    // (x, y), which must lie inside the grid.
    uint32_t* At(int x, int y) const { return origin_ + x * xStep_ + y * yStep_; }

    // One pixel; nothing when (x, y) lies outside the grid.
    void Set(int x, int y, uint32_t colour) const;
    // The vertical line from (x, y1) to (x, y2), both ends included, in either order; clipped.
    void VerticalLine(int x, int y1, int y2, uint32_t colour) const;

private:
    PixelGrid(uint32_t* origin, std::ptrdiff_t xStep, std::ptrdiff_t yStep, int width, int height)
        : origin_(origin), xStep_(xStep), yStep_(yStep), width_(width), height_(height) {}

    uint32_t* origin_;
    std::ptrdiff_t xStep_;
    std::ptrdiff_t yStep_;
    int width_;
    int height_;
};

// Writes the transpose of `from` into `to` (made H x W in RGB32 unless it already is), pixel (x, y)
// to (y, x), tile by tile so that both pictures are read and written a cache line at a time.
void TransposePicture(const QImage& from, QImage& to);

} // namespace ondrix
