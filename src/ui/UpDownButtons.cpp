#include "ui/UpDownButtons.h"

#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionSpinBox>

namespace ondrix {

UpDownButtons::UpDownButtons(QWidget* parent) : QSpinBox(parent) {
    lineEdit()->hide();
    lineEdit()->setReadOnly(true);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize UpDownButtons::sizeHint() const {
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    const QSize full = QSpinBox::sizeHint();
    option.rect = QRect(QPoint(0, 0), full);
    const QRect arrows = style()->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxUp, this);
    const int frame = style()->pixelMetric(QStyle::PM_SpinBoxFrameWidth, &option, this);
    return {arrows.width() + frame, full.height()};
}

} // namespace ondrix
