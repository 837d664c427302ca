// The stages around the FFT: window table, block conditioning, fast log, averaging memories and the
// cutting of frames from the stream.
#include "analysis/AnalysisLimits.h"
#include "analysis/BlockConditioner.h"
#include "analysis/SpectrumAveraging.h"
#include "analysis/StreamFrames.h"
#include "analysis/VectorOps.h"
#include "analysis/WindowTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

namespace ondrix {
namespace {

using Samples = std::vector<int16_t>;

// Each window type against its formula at chosen points: a wrong coefficient, centre or rounding. At the
// odd length 5, u = k - 2.5 rounds half to even: k = 2 and 3 give u = 0, k = 1 gives -2. An unknown type
// is the linear window; a length beyond the table is clamped to it.
TEST(WindowTable, EveryTypeMatchesItsFormula) {
    const double x = 100 * (2 * std::numbers::pi / 512);
    const double hamming = 0.54 - 0.46 * std::cos(x);
    const double blackman =
        0.5 * (1 - 1.24 * std::cos(x) + 0.244 * std::cos(2 * x) - 0.00305 * std::cos(3 * x));
    const double gaussEdge = std::exp(-8.0);
    const double gaussOdd = std::exp(-0.5 * (16.0 / 5) * (16.0 / 5));
    const int end = kWindowTableCapacity - 1;
    const struct {
        int type, length, k;
        double value;
    } cases[] = {{4, 1024, 0, gaussEdge}, {4, 1024, 512, 1.0},     {1, 1000, 500, 1.0},
                 {0, 512, 100, 1.0},      {4, 5, 2, 1.0},          {4, 5, 3, 1.0},
                 {4, 5, 1, gaussOdd},     {2, 512, 100, hamming},  {3, 512, 100, blackman},
                 {9, 8, 7, 1.0},          {0, 100000, 16383, 1.0}, {0, 100000, end, 0.0}};
    auto w = std::make_unique<WindowTable>();
    for (const auto& c : cases) {
        w->fill(-1.0f);
        BuildWindow(c.type, c.length, *w);
        EXPECT_NEAR((*w)[c.k], c.value, 1e-6 * c.value + 1e-7) << c.type << " " << c.length << " " << c.k;
    }
    BuildWindow(1, 1000, *w); // Hanning: symmetric, zero beyond its length
    for (int k = 1; k < 1000; ++k) {
        ASSERT_NEAR((*w)[k], (*w)[1000 - k], 2e-6) << k;
    }
    EXPECT_TRUE(std::all_of(w->begin() + 1000, w->end(), [](float v) { return v == 0.0f; }));
}

Samples Conditioned(Samples samples, const BlockControls& controls, DitherType dither = DitherType::None,
                    double amplitude = 0.0, uint32_t seed = 1) {
    BlockConditioner(dither, amplitude, seed).condition(samples, controls);
    return samples;
}

// Offset first, then gain, both saturating at the sample limits; a gain of 0 or 1 changes nothing. Dither
// repeats with its seed, stays within its amplitude and saturates; the correlated kind carries its memory
// from one block to the next (p starts at 0; q = top 24 bits of mt19937 / 2^24 - 0.5).
TEST(BlockConditioner, OffsetGainAndDitherSaturateAndDitherIsRepeatableAndCarried) {
    const Samples edges = {-32768, 0, 32767};
    const Samples loud = {20000, -20000, 100, -32768, 32767};
    const struct {
        Samples in;
        BlockControls controls;
        Samples out;
    } cases[] = {{edges, {true, 100, 1}, {-32768, -100, 32667}},
                 {edges, {true, -100, 1}, {-32668, 100, 32767}},
                 {edges, {false, 100, 1}, edges},
                 {loud, {false, 0, 2}, {32767, -32768, 200, -32768, 32767}},
                 {loud, {false, 0, 1}, loud},
                 {loud, {false, 0, 0}, loud},
                 {{10}, {true, 4, 3}, {18}}};
    for (const auto& c : cases) {
        EXPECT_EQ(Conditioned(c.in, c.controls), c.out)
            << c.controls.offsetValue << " " << c.controls.digitalGain;
    }
    // The measured mean is reported (3.5 rounds half to even), not subtracted, and only with removal on.
    BlockConditioner conditioner(DitherType::None, 0.0, 1);
    Samples block = {3, 4, 4, 3, 3, 4, 5, 2};
    EXPECT_EQ(conditioner.condition(block, {true, 0, 1}), std::optional<int16_t>(4));
    EXPECT_EQ(block, (Samples{3, 4, 4, 3, 3, 4, 5, 2}));
    EXPECT_EQ(conditioner.condition(block, {false, 0, 1}), std::nullopt);
    EXPECT_EQ(conditioner.lastMean(), 4);
    const Samples zeros(2000, 0);
    for (const auto type :
         {DitherType::Rectangular, DitherType::Triangular, DitherType::CorrelatedTriangular}) {
        const Samples dithered = Conditioned(zeros, {}, type, 10.0);
        EXPECT_EQ(dithered, Conditioned(zeros, {}, type, 10.0));
        EXPECT_NE(dithered, Conditioned(zeros, {}, type, 10.0, 2));
        const int bound = type == DitherType::Rectangular ? 5 : 10;
        EXPECT_TRUE(
            std::all_of(dithered.begin(), dithered.end(), [&](int16_t s) { return std::abs(s) <= bound; }));
    }
    const Samples top = Conditioned(Samples(100, 32767), {}, DitherType::Rectangular, 100.0);
    EXPECT_EQ(*std::max_element(top.begin(), top.end()), 32767);
    EXPECT_LT(*std::min_element(top.begin(), top.end()), 32767);

    std::mt19937 random(5);
    double p = 0.0;
    Samples expected;
    for (int i = 0; i < 64; ++i) {
        const double q = static_cast<double>(random() >> 8) * 0x1p-24 - 0.5;
        expected.push_back(static_cast<int16_t>(std::nearbyint((p + q) * 1000.0)));
        p = q;
    }
    BlockConditioner correlated(DitherType::CorrelatedTriangular, 1000.0, 5);
    Samples first(40, 0), second(24, 0);
    correlated.condition(first, {});
    correlated.condition(second, {});
    first.insert(first.end(), second.begin(), second.end());
    EXPECT_EQ(first, expected);
}

// The fast log against the library, from the power floor to beyond the float range's middle.
TEST(FastLog, AgreesWithTheLibraryFromTheFloorToTerawattsAndBeyond) {
    std::vector<float> values = {0.001f, 1.0f, 1e12f, 0.70710677f, 0.70710671f, 1.4142135f, 0.5f};
    for (float x = 1.2e-38f; x < 3e38f; x *= 1.00037f) {
        values.push_back(x);
    }
    std::vector<float> decibels = values;
    vec::LogScale(decibels, static_cast<float>(20 / std::log(10.0)), 0.0f);
    for (std::size_t i = 0; i < values.size(); ++i) {
        const double exact = 20 * std::log10(static_cast<double>(values[i]));
        // Far below half a display unit where powers live; float rounding of the result elsewhere.
        ASSERT_NEAR(decibels[i], exact,
                    values[i] >= 0.001f && values[i] <= 1e12f ? 1e-4 : 2e-4 + 1e-6 * std::abs(exact))
            << values[i];
    }
    EXPECT_EQ(vec::FastLn(1.0f), 0.0f);
}

// Hold-max keeps only strictly larger rows, its decay is geometric, averages rise from zero and the
// subtraction falls to zero; each mode has its own memory and rows past the capacity are left alone.
TEST(SpectrumAveraging, EveryModeKeepsItsOwnMemory) {
    using Column = std::vector<float>;
    SpectrumAveraging averaging;
    Column column = {1.0f, 5.0f, 2.0f};
    averaging.holdMax(column);
    column = {1.0f, 6.0f, 1.0f};
    averaging.holdMax(column);
    EXPECT_EQ(column, (Column{1.0f, 6.0f, 2.0f}));
    column = {-0.0f}; // equal is not larger: the held +0 stays
    SpectrumAveraging().holdMax(column);
    EXPECT_FALSE(std::signbit(column[0]));

    column = {1000.0f};
    averaging.holdMaxDecay(column, 0.99f);
    for (float expected = 1000.0f * 0.99f; expected > 950.0f; expected *= 0.99f) { // a geometric decay
        column = {0.0f};
        averaging.holdMaxDecay(column, 0.99f);
        EXPECT_EQ(column[0], expected);
    }
    column = {100.0f};
    averaging.apply(AveragingMode::Average, column, 0.75f);
    EXPECT_FLOAT_EQ(column[0], 25.0f);
    column = {8.0f};
    averaging.apply(AveragingMode::SubtractAverage, column, 0.99f);
    EXPECT_FLOAT_EQ(column[0], 8.0f * 0.99f);
    for (int k = 0; k < 3000; ++k) {
        column = {8.0f};
        averaging.averageSubtract(column, 0.99f);
    }
    EXPECT_NEAR(column[0], 0.0f, 1e-4);
    column = {1.0f};
    averaging.apply(AveragingMode::Average, column, 0.75f);
    EXPECT_FLOAT_EQ(column[0], 25.0f * 0.75f + 0.25f);
    column.assign(kColumnCapacity + 1, 4.0f);
    averaging.apply(AveragingMode::Off, column, 0.5f);
    averaging.apply(AveragingMode::HoldMaxDecay, column, 0.5f);
    averaging.apply(AveragingMode::Average, column, 0.5f);
    EXPECT_EQ(column[kColumnCapacity - 1], 2.0f);
    EXPECT_EQ(column.back(), 4.0f);
}

// Column k starts at stream sample k x step behind the leading zeros of history, whether or not the
// step divides the block or exceeds the frame; every frame whose samples arrived is cut, none twice.
TEST(StreamFrames, ColumnKStartsAtKTimesTheStep) {
    const struct {
        int fftSize, step, block, blocks;
    } cases[] = {{1024, 192, 4096, 12}, {1024, 384, 4096, 12}, {1024, 480, 4096, 12},
                 {512, 240, 1024, 20},  {1024, 768, 2048, 9},  {1024, 3000, 4096, 10},
                 {256, 4096, 4096, 5},  {1024, 256, 4096, 3},  {1024, 1024, 4096, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "FFT " << c.fftSize << " step " << c.step << " block " << c.block);
        StreamFrames frames(c.fftSize, c.step, c.block);
        const int history = frames.History();
        EXPECT_EQ(history, std::max(c.fftSize - c.step, 0));
        Samples data(static_cast<std::size_t>(c.block));
        int64_t produced = 0;
        int64_t column = 0;
        for (int b = 0; b < c.blocks; ++b) {
            for (int16_t& sample : data) {
                sample = static_cast<int16_t>(static_cast<uint16_t>(produced++));
            }
            frames.Append(data);
            std::span<const int16_t> frame;
            while (frames.NextFrame(frame)) {
                ASSERT_EQ(frame.size(), static_cast<std::size_t>(c.fftSize));
                for (int i = 0; i < c.fftSize; ++i) {
                    const int64_t n = column * c.step + i - history; // the ramp value of that real sample
                    ASSERT_EQ(frame[i], n < 0 ? 0 : static_cast<int16_t>(static_cast<uint16_t>(n)))
                        << "column " << column << " sample " << i;
                }
                ++column;
            }
            frames.Compact();
            if (c.block % c.step == 0) { // fixed columns per block, the history kept
                EXPECT_EQ(frames.NextColumn(), (b + 1) * (c.block / c.step));
                EXPECT_EQ(frames.Start(), (b + 1) * c.block);
            }
        }
        EXPECT_EQ(column, (history + produced - c.fftSize) / c.step + 1);
    }
}

} // namespace
} // namespace ondrix
