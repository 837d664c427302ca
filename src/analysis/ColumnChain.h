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
// full capacity, so Compute() allocates nothing.
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
    // Column(). Counts an overloaded frame in OverloadCount().
    ColumnResult Compute(std::span<const int16_t> frame, const ColumnControls& controls);

    // The display values of the last column, rows 0..R-1.
    std::span<const float> Column() const { return {column_.data(), static_cast<std::size_t>(rows_)}; }

    const ColumnChainSetup& Setup() const { return setup_; }
    const WindowTable& Window() const { return *window_; }
    int Order() const { return order_; }
    int64_t OverloadCount() const { return overloadCount_; }
    // The multiplier of the last amplitude scale: 20 / ln 10 in dB, 1 / 65536 / FFT size in linear.
    float LogMultiplier() const { return logMultiplier_; }

private:
    void PrepareFrame(std::span<const int16_t> frame, ColumnResult& result);
    void LoadConditionedFrame(std::span<const int16_t> frame);
    std::pair<std::size_t, std::size_t> LevelStretch() const;
    void JudgeLevel(float mn, float mx, ColumnResult& result);
    void PowerSpectrum(const ColumnControls& controls, std::span<float> rows);
    void ScaleAmplitude(const ColumnControls& controls, std::span<float> rows, ColumnResult& result);
    void Cepstrum(std::span<float> rows);

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
