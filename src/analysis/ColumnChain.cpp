#include "analysis/ColumnChain.h"

#include "analysis/VectorOps.h"
#include "common/Rounding.h"

#include <algorithm>
#include <limits>

namespace ondrix {

namespace {

constexpr float kOverloadLevel = 32000.0f;
constexpr float kPowerFloor = 0.001f;    // lowest power before the logarithm
constexpr float kCompressedFloor = 1.0f; // start of the peak hold over the bins of a compressed row
constexpr float kDecibelMultiplier = static_cast<float>(20.0 * 0.4342944920063019);

ColumnChainSetup Clamped(ColumnChainSetup setup) {
    setup.fftSize = EffectiveFftSize(setup.fftSize);
    setup.windowSize = std::clamp(setup.windowSize, 1, setup.fftSize);
    setup.scanStep = std::max(setup.scanStep, 1);
    return setup;
}

std::size_t Index(int i) {
    return static_cast<std::size_t>(i);
}

std::ptrdiff_t Offset(std::size_t i) {
    return static_cast<std::ptrdiff_t>(i);
}

} // namespace

ColumnChain::ColumnChain(const ColumnChainSetup& setup, SpectrumAveraging& averaging)
    : setup_(Clamped(setup)), order_(Log2Floor(setup_.fftSize)), averaging_(averaging),
      fft_(setup_.fftSize, setup_.planning), window_(std::make_unique<WindowTable>()),
      column_(kColumnCapacity, 0.0f) {
    BuildWindow(setup_.windowType, setup_.windowSize, *window_);
}

ColumnResult ColumnChain::Compute(std::span<const int16_t> frame, const ColumnControls& controls) {
    ColumnResult result;
    PrepareFrame(frame, result);
    rows_ = std::clamp(controls.rows, 0, kMaxDisplayRows);
    if (rows_ == 0) {
        return result;
    }
    result.rows = rows_;
    fft_.execute();
    // Rows 0..R: row R is not displayed, but the averaging memories and the cepstrum take it in.
    const std::span<float> rows(column_.data(), Index(rows_) + 1);
    PowerSpectrum(controls, rows);
    averaging_.apply(setup_.averaging, rows, setup_.averagingCoefficient);
    ScaleAmplitude(controls, rows, result);
    if (setup_.cepstrum) {
        Cepstrum(rows);
    }
    return result;
}

// The frame as floats in the FFT input, zero-padded to the FFT size, level-checked and windowed.
void ColumnChain::PrepareFrame(std::span<const int16_t> frame, ColumnResult& result) {
    const std::span<float> f = fft_.input();
    const std::size_t n = Index(setup_.windowSize);
    const std::span<const float> window = std::span<const float>(*window_).first(n);
    const auto [start, length] = LevelStretch();
    if (!setup_.derivative && !setup_.smooth && frame.size() >= n) {
        // The float frame equals the samples: check the level on them, convert and window in one pass.
        const auto [mn, mx] = vec::MinMax(frame.subspan(start, length));
        JudgeLevel(mn, mx, result);
        vec::ConvertAndMultiply(frame.first(n), window, f);
        std::fill(f.begin() + Offset(n), f.begin() + setup_.fftSize, 0.0f);
        return;
    }
    LoadConditionedFrame(frame);
    const auto [mn, mx] =
        vec::MinMax(std::span<const float>(f).subspan(start, length), std::numeric_limits<float>::max(),
                    std::numeric_limits<float>::lowest());
    JudgeLevel(mn, mx, result);
    vec::MultiplyInPlace(f.first(n), window);
}

// The frame as floats, differentiated and smoothed when asked; a frame shorter than the window is
// taken as zero-padded.
void ColumnChain::LoadConditionedFrame(std::span<const int16_t> frame) {
    const std::span<float> f = fft_.input();
    const std::size_t n = Index(setup_.windowSize);
    const std::size_t available = std::min(frame.size(), n);
    std::fill(f.begin() + Offset(available), f.begin() + setup_.fftSize, 0.0f);
    if (setup_.derivative) {
        for (std::size_t k = 0; k + 1 < available; ++k) {
            f[k] = static_cast<float>(frame[k + 1] / 2.0 - frame[k] / 2.0);
        }
        if (available > 0) {
            // The last sample of the window has no successor; a missing sample counts as 0.
            f[available - 1] = available < n ? static_cast<float>(-frame[available - 1] / 2.0) : 0.0f;
        }
    } else {
        vec::ConvertToFloat(frame.first(available), f);
    }
    if (setup_.smooth) {
        // In place and in order: each value is averaged with its already smoothed predecessor.
        for (std::size_t k = 1; k + 1 < n; ++k) {
            f[k] = (f[k - 1] + f[k] + f[k + 1]) / 3.0f;
        }
    }
}

// The stretch a frame adds to the display: the centre scan step of the frame, or the whole frame when
// frames do not overlap.
std::pair<std::size_t, std::size_t> ColumnChain::LevelStretch() const {
    const int n = setup_.windowSize;
    const int step = setup_.scanStep;
    if (step > n) {
        return {0, Index(n)};
    }
    return {Index(RoundToInt32((n - step) / 2.0)), Index(step)};
}

void ColumnChain::JudgeLevel(float mn, float mx, ColumnResult& result) {
    result.minSample = mn;
    result.maxSample = mx;
    result.overloaded = mn < -kOverloadLevel || mx > kOverloadLevel;
    if (result.overloaded) {
        ++overloadCount_;
    }
    result.lowMark = RoundToInt32(mn / 1024.0 + 40.0);
    result.highMark = RoundToInt32(mx / 1024.0 + 41.0);
}

void ColumnChain::PowerSpectrum(const ColumnControls& controls, std::span<float> rows) {
    const std::span<const float> spectrum = fft_.output();
    const int bins = setup_.fftSize / 2 + 1;
    if (controls.direct) {
        const int base = std::clamp(controls.zoomBase, 0, bins);
        const std::size_t count = std::min(rows.size(), Index(bins - base));
        vec::PowerSpectrum(spectrum.subspan(2 * Index(base)), rows.first(count));
        std::fill(rows.begin() + Offset(count), rows.end(), 0.0f);
        return;
    }
    // Powers of all bins the rows reach, then each row keeps the peak of its c bins. Row j is written
    // after the bins of rows 0..j are read and before those of row j + 1 (from index (j + 1) * c > j).
    const int c = std::clamp(controls.compression, 1, bins);
    const std::size_t needed = std::min(rows.size() * Index(c), Index(bins));
    const std::span<float> power(column_.data(), needed);
    std::size_t j = 0;
    if (c == 2) {
        // The rows of two whole bins in one pass (the usual case: FFT 1024 on 256 rows); the rest below.
        j = std::min(rows.size(), needed / 2);
        vec::PairPeaks(spectrum, rows.first(j), kCompressedFloor);
    }
    const std::size_t from = std::min(j * Index(c), needed);
    vec::PowerSpectrum(spectrum.subspan(2 * from), power.subspan(from));
    for (; j < rows.size(); ++j) {
        const std::size_t first = std::min(j * Index(c), needed);
        const std::size_t last = std::min(first + Index(c), needed);
        rows[j] = vec::Max(power.subspan(first, last - first), kCompressedFloor);
    }
}

void ColumnChain::ScaleAmplitude(const ColumnControls& controls, std::span<float> rows,
                                 ColumnResult& result) {
    if (controls.amplitudeScale == AmplitudeScale::Decibel) {
        const double offset = (12.0 * order_ - 60.0) - 2.0 * controls.colourShift;
        vec::ClampBelow(rows, kPowerFloor);
        vec::LogScale(rows, kDecibelMultiplier, static_cast<float>(offset));
        logMultiplier_ = kDecibelMultiplier;
        return;
    }
    logMultiplier_ = static_cast<float>(1.0 / 65536.0 / setup_.fftSize);
    vec::ScaleInPlace(rows, logMultiplier_);
    const auto [mn, mx] = vec::MinMax(std::span<const float>(rows), 0.0f, 0.0f);
    result.linearMin = mn;
    result.linearMax = mx;
}

// The spectrum of the display values of rows 1..R (less 60) in place of the column: ln(power + 1)
// times the multiplier of the amplitude scale.
void ColumnChain::Cepstrum(std::span<float> rows) {
    const std::span<float> f = fft_.input();
    const std::size_t inputs = std::min(rows.size(), Index(setup_.fftSize));
    f[0] = 0.0f;
    for (std::size_t i = 1; i < inputs; ++i) {
        f[i] = rows[i] - 60.0f;
    }
    std::fill(f.begin() + Offset(inputs), f.begin() + setup_.fftSize, 0.0f);
    fft_.execute();
    const std::size_t count = std::min(rows.size(), Index(setup_.fftSize / 2 + 1));
    vec::PowerSpectrum(fft_.output(), rows.first(count));
    std::fill(rows.begin() + Offset(count), rows.end(), 0.0f);
    vec::AddInPlace(rows, 1.0f);
    vec::LogScale(rows, logMultiplier_, 0.0f);
}

} // namespace ondrix
