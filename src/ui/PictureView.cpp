#include "ui/PictureView.h"

#include <QFontDatabase>
#include <QPainter>

namespace ondrix {

namespace {

constexpr int kTextMargin = 4;

} // namespace

PictureView::PictureView(QWidget* parent) : QWidget(parent) {
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void PictureView::SetImage(const QImage& image) {
    const bool resized = image.size() != image_.size();
    image_ = image;
    if (resized) {
        updateGeometry();
    }
    update();
}

void PictureView::SetText(const QString& text) {
    if (text == text_) {
        return;
    }
    text_ = text;
    updateGeometry();
    update();
}

QSize PictureView::sizeHint() const {
    QSize size = image_.size();
    if (!text_.isEmpty()) {
        const QFontMetrics metrics(font());
        const QStringList lines = text_.split('\n');
        int width = 0;
        for (const QString& line : lines) {
            width = std::max(width, metrics.horizontalAdvance(line));
        }
        size.setWidth(std::max(size.width(), width + 2 * kTextMargin));
        size.setHeight(size.height() + static_cast<int>(lines.size()) * metrics.lineSpacing() +
                       2 * kTextMargin);
    }
    return size.expandedTo(QSize(1, 1));
}

void PictureView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    painter.drawImage(0, 0, image_);
    if (text_.isEmpty()) {
        return;
    }
    painter.setPen(palette().color(QPalette::Text));
    const QFontMetrics metrics(font());
    int y = image_.height() + kTextMargin + metrics.ascent();
    for (const QString& line : text_.split('\n')) {
        painter.drawText(kTextMargin, y, line);
        y += metrics.lineSpacing();
    }
}

} // namespace ondrix
