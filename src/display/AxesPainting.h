// Painting the axes of a picture: into the window's frame around the picture, and into a framed copy
// of a page for files read without the window.
#pragma once

#include "display/Axes.h"

#include <QFont>
#include <QImage>
#include <QPainter>

#include <string>

namespace ondrix {

// The label font: the fixed-pitch system font, 10 pixels high.
QFont AxisLabelFont();

// The ticks and labels of every axis, picture coordinates moved by `origin`, in the painter's font.
void PaintAxes(QPainter& painter, QPoint origin, const PictureAxes& axes);

// The picture on white with its axes around it and a title line above: `left` pixels at its left, a
// title line above, and room for the time axis below and at its right.
struct AxesFrame {
    static constexpr int kLeft = 48;
    static constexpr int kTop = 18;
    static constexpr int kRight = 64;
    static constexpr int kBottom = 36;
};
QImage FramedPicture(const QImage& picture, const PictureAxes& axes, const std::string& title);

} // namespace ondrix
