#include "ui/AxesView.h"

#include "display/AxesPainting.h"
#include "ui/SpectrogramView.h"

#include <QFontMetrics>
#include <QPainter>
#include <QVBoxLayout>

namespace ondrix {

AxesView::AxesView(SpectrogramView* view, QWidget* parent)
    : QWidget(parent), view_(view), font_(AxisLabelFont()) {
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
    PaintAxes(painter, Origin(), axes_);
}

} // namespace ondrix
