// The chain against an independent double-precision model of the same column built on a plain DFT.

#include "ChainTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <random>

namespace ondrix {
namespace {

using namespace ondrix::chaintest;

// Power of bins 0..count-1 of x zero-padded to n, by the defining sum.
std::vector<double> DftPower(const std::vector<double>& x, int n, int count) {
    std::vector<double> power(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) {
        std::complex<double> sum = 0.0;
        for (std::size_t i = 0; i < x.size(); ++i) {
            sum += x[i] * std::polar(1.0, -2 * std::numbers::pi * static_cast<double>(k * i % n) / n);
        }
        power[k] = std::norm(sum);
    }
    return power;
}

struct Model {
    std::vector<double> rows; // rows 0..R; row R is computed, not displayed
    double minSample;
    double maxSample;
};

Model ModelColumn(const std::vector<int16_t>& s, const ColumnChainSetup& setup, const ColumnControls& c,
                  const WindowTable& window) {
    const int n = setup.windowSize;
    const int nfft = setup.fftSize;
    std::vector<double> f(s.begin(), s.begin() + n);
    for (int k = 0; setup.derivative && k < n; ++k) {
        f[k] = k + 1 < n ? (s[k + 1] - s[k]) / 2.0 : 0.0;
    }
    for (int k = 1; setup.smooth && k + 1 < n; ++k) {
        f[k] = (f[k - 1] + f[k] + f[k + 1]) / 3;
    }
    const int start = setup.scanStep <= n ? static_cast<int>(std::nearbyint((n - setup.scanStep) / 2.0)) : 0;
    const auto [mn, mx] =
        std::minmax_element(f.begin() + start, f.begin() + start + std::min(setup.scanStep, n));
    Model model{std::vector<double>(c.rows + 1), *mn, *mx};
    for (int k = 0; k < n; ++k) {
        f[k] *= window[k];
    }
    const int bins = nfft / 2 + 1;
    const int width = c.direct ? 1 : c.compression;
    const auto power =
        DftPower(f, nfft, std::min(bins, c.direct ? c.zoomBase + c.rows + 1 : (c.rows + 1) * width));
    for (int j = 0; j <= c.rows; ++j) {
        double& row = model.rows[j];
        row = c.direct ? 0.0 : 1.0;
        for (int b = (c.direct ? c.zoomBase + j : j * width);
             b < (c.direct ? c.zoomBase + j + 1 : (j + 1) * width); ++b) {
            row = b < static_cast<int>(power.size()) ? std::max(row, power[b]) : row;
        }
        row = c.amplitudeScale == AmplitudeScale::Decibel
                  ? 20 * std::log10(std::max(row, 0.001)) - 12 * std::log2(nfft) + 60 + 2 * c.colourShift
                  : row / 65536 / nfft;
    }
    if (setup.cepstrum) {
        std::vector<double> input(model.rows.size());
        std::transform(model.rows.begin() + 1, model.rows.end(), input.begin() + 1,
                       [](double v) { return v - 60; });
        const auto cepstrum = DftPower(input, nfft, c.rows + 1);
        const double multiplier =
            c.amplitudeScale == AmplitudeScale::Decibel ? 20 / std::log(10.0) : 1.0 / 65536 / nfft;
        std::transform(cepstrum.begin(), cepstrum.end(), model.rows.begin(),
                       [&](double p) { return std::log(p + 1) * multiplier; });
    }
    return model;
}

// dB rows may differ by `tolerance` half-decibels; linear rows by that fraction of the largest row.
void ExpectAgreement(const ColumnChainSetup& setup, const ColumnControls& controls,
                     const std::vector<int16_t>& frame, double tolerance) {
    SpectrumAveraging averaging;
    ColumnChain chain(setup, averaging);
    const ColumnResult result = chain.Compute(frame, controls);
    const Model model = ModelColumn(frame, setup, controls, chain.Window());
    EXPECT_NEAR(result.minSample, model.minSample, 1e-2);
    EXPECT_NEAR(result.maxSample, model.maxSample, 1e-2);
    const bool linear = controls.amplitudeScale == AmplitudeScale::Linear && !setup.cepstrum;
    const double allowed =
        linear ? tolerance * *std::max_element(model.rows.begin(), model.rows.end()) : tolerance;
    ASSERT_EQ(chain.Column().size(), model.rows.size() - 1);
    for (std::size_t j = 0; j < chain.Column().size(); ++j) {
        ASSERT_NEAR(chain.Column()[j], model.rows[j], allowed)
            << "row " << j << ", window " << setup.windowType;
    }
    if (linear) {
        EXPECT_EQ(result.linearMin, 0.0f);
        EXPECT_NEAR(result.linearMax, *std::max_element(model.rows.begin(), model.rows.end()), allowed);
    }
}

std::vector<int16_t> RandomFrame(int length, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> sample(-20000, 20000);
    std::vector<int16_t> frame(static_cast<std::size_t>(length));
    std::generate(frame.begin(), frame.end(), [&] { return static_cast<int16_t>(sample(random)); });
    return frame;
}

TEST(ReferenceColumn, EveryWindowStepAndRowModeAgreesWithADoubleDft) {
    const auto frame = RandomFrame(512, 11);
    for (int type = 0; type <= 4; ++type) {
        for (const int step : {64, 100, 512, 700}) {
            const auto setup = ChainSetup(512, 512, static_cast<WindowType>(type), step);
            ExpectAgreement(setup, Direct(100, 40, 2), frame, 2e-3);
            ExpectAgreement(setup, Compressed(60, 4, -1), frame, 2e-3);
            ExpectAgreement(setup, Linear(Direct(100, 40)), frame, 1e-5);
            ExpectAgreement(setup, Linear(Compressed(60, 4)), frame, 1e-5);
        }
    }
}

// Also covers the derivative (halves of neighbour differences, last value 0) and the in-place smoothing
// through the level check and the rows.
TEST(ReferenceColumn, PaddedDerivedSmoothedAndCepstrumColumnsAgree) {
    const auto frame = RandomFrame(1024, 12);
    auto setup = ChainSetup(1024, 600, WindowType::Hamming, 128);
    ExpectAgreement(setup, Direct(300), frame, 2e-3);
    setup.derivative = true;
    ExpectAgreement(setup, Compressed(100, 3), frame, 2e-3);
    setup.smooth = true;
    ExpectAgreement(setup, Linear(Direct(256, 7)), frame, 1e-5);
    setup.derivative = false;
    setup.cepstrum = true;
    ExpectAgreement(setup, Direct(200), frame, 2e-3);
    ExpectAgreement(setup, Linear(Compressed(100, 4)), frame, 2e-3);
}

} // namespace
} // namespace ondrix
