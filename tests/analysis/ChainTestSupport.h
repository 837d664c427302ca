// Small builders shared by the column chain tests.
#pragma once

#include "analysis/ColumnChain.h"

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace ondrix::chaintest {

inline ColumnChainSetup ChainSetup(int fftSize, int windowSize, WindowType type, int scanStep) {
    return {.fftSize = fftSize,
            .windowSize = windowSize,
            .windowType = static_cast<int>(type),
            .scanStep = scanStep};
}

inline ColumnControls Direct(int rows, int zoomBase = 0, int colourShift = 0) {
    return {.rows = rows, .direct = true, .zoomBase = zoomBase, .colourShift = colourShift};
}

inline ColumnControls Compressed(int rows, int compression, int colourShift = 0) {
    return {.rows = rows, .direct = false, .compression = compression, .colourShift = colourShift};
}

inline ColumnControls Linear(ColumnControls controls) {
    controls.amplitudeScale = AmplitudeScale::Linear;
    return controls;
}

// A sine of the given amplitude centred on bin `bin` of a `period`-point FFT, rounded to int16.
inline std::vector<int16_t> Sine(int length, double bin, int period, double amplitude) {
    std::vector<int16_t> samples(static_cast<std::size_t>(length));
    for (int k = 0; k < length; ++k) {
        samples[k] = static_cast<int16_t>(
            std::nearbyint(amplitude * std::sin(2 * std::numbers::pi * bin * k / period)));
    }
    return samples;
}

struct Column {
    std::vector<float> values;
    ColumnResult result;
};

// One column of a fresh chain.
inline Column ComputeOnce(const ColumnChainSetup& setup, const std::vector<int16_t>& frame,
                          const ColumnControls& controls) {
    SpectrumAveraging averaging;
    ColumnChain chain(setup, averaging);
    const ColumnResult result = chain.Compute(frame, controls);
    return {{chain.Column().begin(), chain.Column().end()}, result};
}

} // namespace ondrix::chaintest
