// Spin arrows without a number field: the up/down control that steps the value of the field beside it.
#pragma once

#include <QSpinBox>

namespace ondrix {

// A spin box showing only its arrows; the field next to it shows what the step means (a colour shift,
// a gain of 2 to the power of the value, a channel number).
class UpDownButtons : public QSpinBox {
    Q_OBJECT

public:
    explicit UpDownButtons(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
};

} // namespace ondrix
