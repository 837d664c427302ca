#include "ChainTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace ondrix {
namespace {

using namespace ondrix::chaintest;

// A 30000 sine centred on a bin under a 1024-point Hanning window: |X| = a n / 4, so
// v = 20 log10(|X|^2) - 12 * 10 + 60.
const double kSineLevel = 40 * std::log10(30000.0 * 1024 / 4) - 60;

std::size_t Peak(const std::vector<float>& v) {
    return std::max_element(v.begin(), v.end()) - v.begin();
}

TEST(ColumnChain, SilentFramesSitOnTheFloorOfEachScale) {
    const std::vector<int16_t> silence(2048, 0);
    for (const int order : {10, 11}) {
        for (const int shift : {0, 3, -2}) {
            const auto setup = ChainSetup(1 << order, 1 << order, WindowType::Hanning, 256);
            // Direct rows: power 0 is floored at 0.001. Compressed rows: at least 1.0, 0 after the log.
            const double floor = 20 * std::log10(0.001) - 12 * order + 60 + 2 * shift;
            for (const float v : ComputeOnce(setup, silence, Direct(256, 0, shift)).values) {
                ASSERT_NEAR(v, floor, 1e-4);
            }
            for (const float v : ComputeOnce(setup, silence, Compressed(128, 3, shift)).values) {
                ASSERT_NEAR(v, -12 * order + 60 + 2 * shift, 1e-4);
            }
        }
    }
}

TEST(ColumnChain, SineLandsInItsRowAtItsLevel) {
    const auto setup = ChainSetup(1024, 1024, WindowType::Hanning, 256);
    const auto sine = Sine(1024, 100, 1024, 30000.0);
    const auto direct = ComputeOnce(setup, sine, Direct(256)).values;
    EXPECT_EQ(Peak(direct), 100u);
    EXPECT_NEAR(direct[100], kSineLevel, 0.02);
    // Hanning neighbours carry half the amplitude.
    EXPECT_NEAR(direct[101], kSineLevel - 40 * std::log10(2.0), 0.02);
    EXPECT_LT(direct[98], kSineLevel - 100);
    const auto zoomed = ComputeOnce(setup, sine, Direct(64, 80)).values;
    EXPECT_EQ(Peak(zoomed), 20u);
    EXPECT_NEAR(zoomed[20], kSineLevel, 0.02);
    for (const int bin : {100, 103}) { // bins 100..103 peak-hold into row 25
        const auto compressed = ComputeOnce(setup, Sine(1024, bin, 1024, 30000.0), Compressed(128, 4)).values;
        EXPECT_EQ(Peak(compressed), 25u);
        EXPECT_NEAR(compressed[25], kSineLevel, 0.02);
    }
}

TEST(ColumnChain, OverloadStartsOneBeyondThirtyTwoThousand) {
    SpectrumAveraging averaging;
    ColumnChain chain(ChainSetup(1024, 1024, WindowType::Hanning, 1024), averaging);
    std::vector<int16_t> frame(1024, 0);
    frame[10] = 32000;
    frame[20] = -32000;
    ColumnResult result = chain.Compute(frame, Direct(256));
    EXPECT_FALSE(result.overloaded);
    EXPECT_EQ(result.highMark, 72); // round(31.25 + 41)
    EXPECT_EQ(result.lowMark, 9);   // round(-31.25 + 40)
    frame[10] = 32001;
    EXPECT_TRUE(chain.Compute(frame, Direct(256)).overloaded);
    frame[10] = 1536; // marks round half to even: 1.5 + 41 -> 42, -0.5 + 40 -> 40
    frame[20] = -512;
    result = chain.Compute(frame, Direct(256));
    EXPECT_EQ(result.highMark, 42);
    EXPECT_EQ(result.lowMark, 40);
    frame[20] = -32001;
    EXPECT_TRUE(chain.Compute(frame, Direct(0)).overloaded); // counted even when no row is computed
    EXPECT_EQ(chain.OverloadCount(), 2);
}

TEST(ColumnChain, LevelCheckExaminesTheCentreStepOrTheWholeFrame) {
    // The stretch starts at round((1024 - step) / 2), halves to even, and is one step long.
    for (const auto& [step, first, last] :
         {std::tuple{256, 384, 639}, {255, 384, 638}, {257, 384, 640}, {1024, 0, 1023}, {4096, 0, 1023}}) {
        SpectrumAveraging averaging;
        ColumnChain chain(ChainSetup(1024, 1024, WindowType::Hanning, step), averaging);
        for (int k = 0; k < 1024; ++k) {
            std::vector<int16_t> frame(1024, 0);
            frame[k] = 1000;
            ASSERT_EQ(chain.Compute(frame, Direct(0)).maxSample, k >= first && k <= last ? 1000.0f : 0.0f)
                << step;
        }
    }
}

TEST(ColumnChain, AveragingActsOnThePowerAndOutlivesTheSession) {
    auto setup = ChainSetup(1024, 1024, WindowType::Hanning, 256);
    setup.averaging = AveragingMode::HoldMax;
    const auto sine = Sine(1024, 100, 1024, 30000.0);
    SpectrumAveraging averaging;
    const auto held = ComputeOnce(setup, sine, Direct(256)).values;
    ColumnChain(setup, averaging).Compute(sine, Direct(256));
    ColumnChain next(setup, averaging);
    next.Compute(std::vector<int16_t>(1024, 0), Direct(256));
    EXPECT_EQ(std::vector<float>(next.Column().begin(), next.Column().end()), held);
    setup.averaging = AveragingMode::Average; // half the power at a = 0.5: 6.02 half-decibels down
    setup.averagingCoefficient = 0.5f;
    ColumnChain averaged(setup, averaging);
    averaged.Compute(sine, Direct(256));
    EXPECT_NEAR(averaged.Column()[100], kSineLevel - 20 * std::log10(2.0), 0.02);
}

} // namespace
} // namespace ondrix
