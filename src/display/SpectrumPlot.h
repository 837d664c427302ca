// The spectrum window's picture: the current column's spectrum over its running average and running
// maximum, one pixel per display unit, with the plot weight read from the window's field.
#pragma once

#include <QImage>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace ondrix {

// Owns the plotted traces (kept from column to column and from run to run until "Reset All"); the
// spectrogram's own averaging memories are elsewhere and never touched here.
class SpectrumPlot {
public:
    static constexpr int Baseline = 128; // y of display value 0; one pixel per unit upward
    static constexpr const char* DefaultWeight = "0.01";

    // A picture `rows` + 1 pixels wide (one column per display row) on the given background.
    SpectrumPlot(int rows, uint32_t background);

    // The weight field's text (Text1); read at the first plot after a reset.
    const std::string& WeightText() const { return weightText_; }
    void SetWeightText(std::string text) { weightText_ = std::move(text); }

    // Plots one column of display values (rows 0..R): for each row i from 2, the running average and
    // maximum of row i in slot i - 1, a white fill under the maximum, the current spectrum in black, the
    // average in cyan and the maximum in red. An empty or one-row column resets instead. Non-finite values
    // count as 0 and values are limited to the picture's range first. Allocates nothing.
    void Plot(std::span<const float> column);
    // "Reset All": the picture cleared, the traces at 0, the weight read again at the next plot.
    void Reset();

    const QImage& Picture() const { return picture_; }
    float Weight() const { return weight_; }
    int Count() const { return count_; }
    std::span<const float> Average() const { return average_; }
    std::span<const float> Maximum() const { return maximum_; }

private:
    void ReadWeight();

    uint32_t background_;
    QImage picture_;
    std::vector<float> average_;
    std::vector<float> maximum_;
    std::string weightText_ = DefaultWeight;
    float weight_ = 0.0f;
    int count_ = 0;
};

} // namespace ondrix
