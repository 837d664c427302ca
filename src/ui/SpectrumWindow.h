// The spectrum window "Spec" (SpecForm): the plot of the current column with its average and maximum, the
// plot weight field and "Reset All".
#pragma once

#include <QWidget>

class QLineEdit;

namespace ondrix {

class SpectrumPlot;

class SpectrumWindow : public QWidget {
    Q_OBJECT

public:
    // A tool window of `parent` showing the plot, whose weight text the field edits.
    SpectrumWindow(SpectrumPlot& plot, QWidget* parent);

    const SpectrumPlot& Plot() const { return plot_; }
    // Repaints the plot and shows the weight the plot took (a limited one is written back).
    void Refresh();

private:
    SpectrumPlot& plot_;
    QWidget* picture_;
    QLineEdit* weight_;
};

} // namespace ondrix
