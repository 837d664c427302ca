// The spectrogram picture framed by its axes: the frequency and millivolt axes at its left, the time axis
// below it, painted in the margins around the picture view.
#pragma once

#include "display/Axes.h"

#include <QFont>
#include <QWidget>

namespace ondrix {

class SpectrogramView;

class AxesView : public QWidget {
    Q_OBJECT

public:
    // Room for the labels: at the left and below, as much as a picture snapshot takes in; at the right,
    // the end of the time axis and its unit.
    static constexpr int kLeftMargin = 36;
    static constexpr int kBottomMargin = 36;
    static constexpr int kRightMargin = 64;

    // Takes the view as its child.
    AxesView(SpectrogramView* view, QWidget* parent = nullptr);

    void SetAxes(PictureAxes axes);
    const PictureAxes& Axes() const { return axes_; }
    // The width of a label character; axes are laid out with it.
    int CharWidth() const;
    // Where a label is painted, in this widget's pixels.
    QRect LabelRect(const AxisLabel& label) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPoint Origin() const;

    SpectrogramView* view_;
    QFont font_;
    PictureAxes axes_;
};

} // namespace ondrix
