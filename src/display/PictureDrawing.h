// Clipped drawing on RGB32 pictures: pixels, vertical lines, boxes, block copies and the left shift.
// Every operation writes only inside the picture, whatever coordinates it is given.
#pragma once

#include <QImage>

#include <cstdint>

namespace ondrix {

// One pixel; nothing when (x, y) lies outside the picture.
void SetPixelClipped(QImage& picture, int x, int y, uint32_t colour);

// The vertical line from (x, y1) to (x, y2), both ends included, in either order.
void DrawVerticalLine(QImage& picture, int x, int y1, int y2, uint32_t colour);

// The box from (x1, y1) to (x2, y2), both corners included.
void FillBox(QImage& picture, int x1, int y1, int x2, int y2, uint32_t colour);

// Copies the whole source picture with its top-left corner at (x, y) of the target.
void CopyPicture(const QImage& source, QImage& target, int x, int y);

// Moves every row left by `columns` pixels: column c takes the colour of column c + columns. The last
// `columns` columns keep their colours.
void ShiftLeft(QImage& picture, int columns);

} // namespace ondrix
