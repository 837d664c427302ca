#include "ui/AxesView.h"

#include "ui/SpectrogramView.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <QVBoxLayout>

namespace ondrix {

namespace {

constexpr int kLabelPixels = 10;

} // namespace

AxesView::AxesView(SpectrogramView* view, QWidget* parent)
    : QWidget(parent), view_(view), font_(QFontDatabase::systemFont(QFontDatabase::FixedFont)) {
    font_.setPixelSize(kLabelPixels);
    auto* layout = new QVBoxLayout(this);
    // One pixel of frame line above and at the right of the picture.
    layout->setContentsMargins(kLeftMargin, 1, kRightMargin, kBottomMargin);
    view_->setParent(this);
    layout->addWidget(view_);
}

// New axes come with a new picture size: the frame around it is laid out again too.
void AxesView::SetAxes(PictureAxes axes) {
    axes_ = std::move(axes);
    updateGeometry();
    update();
}

int AxesView::CharWidth() const {
    return QFontMetrics(font_).horizontalAdvance(QLatin1Char('0'));
}

QPoint AxesView::Origin() const {
    return view_->geometry().topLeft();
}

QRect AxesView::LabelRect(const AxisLabel& label) const {
    const QFontMetrics metrics(font_);
    return {Origin() + QPoint(label.x, label.y),
            QSize(metrics.horizontalAdvance(QString::fromStdString(label.text)), metrics.height())};
}

void AxesView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect picture = view_->geometry();
    // The picture view paints itself over the middle.
    painter.fillRect(rect(), palette().color(QPalette::Window));
    // A thin line sets the picture off from the window, whatever the colour scale.
    painter.setPen(Qt::black);
    painter.drawRect(picture.adjusted(-1, -1, 0, 0));
    painter.setFont(font_);
    const QPoint origin = Origin();
    const auto draw = [&](const AxisDrawing& axis) {
        for (const AxisTick& tick : axis.ticks) {
            painter.drawLine(origin + QPoint(tick.x1, tick.y1), origin + QPoint(tick.x2, tick.y2));
        }
        for (const AxisLabel& label : axis.labels) {
            painter.drawText(LabelRect(label), Qt::AlignLeft | Qt::AlignTop,
                             QString::fromStdString(label.text));
        }
    };
    for (const AxisDrawing& axis : axes_.frequency) {
        draw(axis);
    }
    draw(axes_.time);
    for (const AxisDrawing& axis : axes_.level) {
        draw(axis);
    }
}

} // namespace ondrix
