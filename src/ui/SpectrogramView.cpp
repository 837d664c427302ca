#include "ui/SpectrogramView.h"

#include "display/SpectrogramRenderer.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace ondrix {

namespace {

// The view can shrink below the picture (the rest is cut off) down to this width.
constexpr int kMinimumWidth = 320;
// The width asked for before the first layout.
constexpr int kPreferredWidth = 960;

int ButtonCode(Qt::MouseButtons buttons) {
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
           (buttons & Qt::MiddleButton ? 4 : 0);
}

} // namespace

SpectrogramView::SpectrogramView(const SpectrogramRenderer& renderer, QWidget* parent)
    : QWidget(parent), renderer_(renderer) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    // Every pixel is painted from the picture or the window colour.
    setAttribute(Qt::WA_OpaquePaintEvent);
    FitPicture();
}

void SpectrogramView::FitPicture() {
    const int height = renderer_.Picture().height();
    if (height > 0 && height != this->height()) {
        setFixedHeight(height);
    }
    updateGeometry();
    update();
    if (layoutHandler_) {
        layoutHandler_();
    }
}

void SpectrogramView::SetMouseHandlers(MouseHandler press, MouseHandler move) {
    press_ = std::move(press);
    move_ = std::move(move);
    setMouseTracking(static_cast<bool>(move_));
}

void SpectrogramView::mousePressEvent(QMouseEvent* event) {
    if (press_) {
        const QPoint at = event->position().toPoint();
        press_(ButtonCode(event->button()), at.x(), at.y());
    }
}

void SpectrogramView::mouseMoveEvent(QMouseEvent* event) {
    if (move_) {
        const QPoint at = event->position().toPoint();
        move_(ButtonCode(event->buttons()), at.x(), at.y());
    }
}

QSize SpectrogramView::sizeHint() const {
    const QSize picture = renderer_.Picture().size();
    return {picture.width() > 0 ? picture.width() : kPreferredWidth, std::max(picture.height(), 1)};
}

QSize SpectrogramView::minimumSizeHint() const {
    return {kMinimumWidth, std::max(renderer_.Picture().height(), 1)};
}

void SpectrogramView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QImage& picture = renderer_.Picture();
    const QRect pictureRect(QPoint(0, 0), picture.size());
    const QRect dirty = event->rect();
    const QRect drawn = dirty.intersected(pictureRect);
    if (!drawn.isEmpty()) {
        painter.drawImage(drawn.topLeft(), picture, drawn);
    }
    // Beyond the picture (between a resize and the next layout): the window colour.
    const QRegion rest = QRegion(dirty).subtracted(QRegion(pictureRect));
    for (const QRect& part : rest) {
        painter.fillRect(part, palette().color(QPalette::Window));
    }
    // The halves' labels stay over the columns drawn under them.
    const int top = renderer_.Height() - labelRows_;
    painter.setPen(Qt::black);
    for (std::size_t half = 0; half < halfLabels_.size(); ++half) {
        const QString text = QString::fromStdString(halfLabels_[half]);
        const QRect label(4, top + static_cast<int>(half) * (labelRows_ / 2) + 2,
                          painter.fontMetrics().horizontalAdvance(text) + 4, painter.fontMetrics().height());
        painter.fillRect(label, Qt::white);
        painter.drawText(label, Qt::AlignCenter, text);
    }
}

void SpectrogramView::SetHalfLabels(std::vector<std::string> labels, int rows) {
    if (labels != halfLabels_ || rows != labelRows_) {
        halfLabels_ = std::move(labels);
        labelRows_ = rows;
        update();
    }
}

} // namespace ondrix
