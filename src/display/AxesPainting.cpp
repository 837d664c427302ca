#include "display/AxesPainting.h"

#include <QFontDatabase>
#include <QFontMetrics>

namespace ondrix {

namespace {

constexpr int kLabelPixels = 10;

} // namespace

QFont AxisLabelFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(kLabelPixels);
    return font;
}

void PaintAxes(QPainter& painter, QPoint origin, const PictureAxes& axes) {
    const QFontMetrics metrics(painter.font());
    const auto draw = [&](const AxisDrawing& axis) {
        for (const AxisTick& tick : axis.ticks) {
            painter.drawLine(origin + QPoint(tick.x1, tick.y1), origin + QPoint(tick.x2, tick.y2));
        }
        for (const AxisLabel& label : axis.labels) {
            const QString text = QString::fromStdString(label.text);
            painter.drawText(QRect(origin + QPoint(label.x, label.y),
                                   QSize(metrics.horizontalAdvance(text), metrics.height())),
                             Qt::AlignLeft | Qt::AlignTop, text);
        }
    };
    for (const AxisDrawing& axis : axes.frequency) {
        draw(axis);
    }
    draw(axes.time);
    for (const AxisDrawing& axis : axes.level) {
        draw(axis);
    }
}

QImage FramedPicture(const QImage& picture, const PictureAxes& axes, const std::string& title) {
    QImage framed(AxesFrame::kLeft + picture.width() + AxesFrame::kRight,
                  AxesFrame::kTop + picture.height() + AxesFrame::kBottom, QImage::Format_RGB32);
    framed.fill(Qt::white);
    QPainter painter(&framed);
    const QPoint origin(AxesFrame::kLeft, AxesFrame::kTop);
    painter.drawImage(origin, picture);
    painter.setPen(Qt::black);
    painter.drawRect(QRect(origin, picture.size()).adjusted(-1, -1, 0, 0));
    painter.setFont(AxisLabelFont());
    painter.drawText(QRect(AxesFrame::kLeft, 2, framed.width() - AxesFrame::kLeft, AxesFrame::kTop - 4),
                     Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(title));
    PaintAxes(painter, origin, axes);
    return framed;
}

} // namespace ondrix
