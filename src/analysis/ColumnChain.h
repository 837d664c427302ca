// The per-column spectrum chain: one frame of samples in, one column of display values out.
#pragma once

#include "analysis/ColumnParameters.h"
#include "analysis/RealFft.h"
#include "analysis/SpectrumAveraging.h"
#include "analysis/WindowTable.h"

#include <cstdint>
#include <memory>
#include <span>
#include <utility>
#include <vector>

namespace ondrix {

// Made once per session: it builds the window table, plans the FFT and allocates its buffers at their
// full capacity, so compute() allocates nothing.
//
// Sizes are clamped so that nothing is read or written outside the buffers: the FFT size to a power of
// two in 2..16384 (rounded down), the window size to 1..FFT size, the scan step to at least 1, the
// display rows to at most kMaxDisplayRows, the zoom base to 0..FFT size / 2 + 1 and the compression to
// 1..FFT size / 2 + 1. Rows whose bins lie beyond the last FFT bin get the value of a silent bin
// (power 0 in direct rows, 1.0 in compressed rows). A frame shorter than the window reads as
// zero-padded.
class ColumnChain {
public:
    ColumnChain(const ColumnChainSetup& setup, SpectrumAveraging& averaging);

    // Computes one column from the first window-size samples of frame; the display values are then in
    // column(). Counts an overloaded frame in overloadCount().
    ColumnResult compute(std::span<const int16_t> frame, const ColumnControls& controls);

    // The display values of the last column, rows 0..R-1.
    std::span<const float> column() const { return {column_.data(), static_cast<std::size_t>(rows_)}; }

    const ColumnChainSetup& setup() const { return setup_; }
    const WindowTable& window() const { return *window_; }
    int order() const { return order_; }
    int64_t overloadCount() const { return overloadCount_; }
    // The multiplier of the last amplitude scale: 20 / ln 10 in dB, 1 / 65536 / FFT size in linear.
    float logMultiplier() const { return logMultiplier_; }

private:
    void prepareFrame(std::span<const int16_t> frame, ColumnResult& result);
    void loadConditionedFrame(std::span<const int16_t> frame);
    std::pair<std::size_t, std::size_t> levelStretch() const;
    void judgeLevel(float mn, float mx, ColumnResult& result);
    void powerSpectrum(const ColumnControls& controls, std::span<float> rows);
    void amplitudeScale(const ColumnControls& controls, std::span<float> rows, ColumnResult& result);
    void cepstrum(std::span<float> rows);

    ColumnChainSetup setup_;
    int order_;
    SpectrumAveraging& averaging_;
    RealFft fft_;
    std::unique_ptr<WindowTable> window_;
    std::vector<float> column_;
    int rows_ = 0;
    int64_t overloadCount_ = 0;
    float logMultiplier_ = 0.0f;
};

} // namespace ondrix
