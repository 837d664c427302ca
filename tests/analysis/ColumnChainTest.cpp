// The stages around the FFT and the column chain, every window, step and row mode against an independent
// double-precision model built on a plain DFT.
#include "analysis/ColumnChain.h"
#include "analysis/AnalysisLimits.h"
#include "analysis/BlockConditioner.h"
#include "analysis/SpectrumAveraging.h"
#include "analysis/StreamFrames.h"
#include "analysis/VectorOps.h"
#include "analysis/WindowTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
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
    const auto [low, high] = std::minmax_element(top.begin(), top.end());
    EXPECT_TRUE(*high == 32767 && *low < 32767);

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
    EXPECT_EQ(std::tuple(column[kColumnCapacity - 1], column.back()), std::tuple(2.0f, 4.0f));
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

using Frame = std::vector<int16_t>;

ColumnChainSetup ChainSetup(int fft, int window, WindowType type, int step) {
    return {.fftSize = fft, .windowSize = window, .windowType = static_cast<int>(type), .scanStep = step};
}
ColumnControls Direct(int rows, int zoomBase = 0, int colourShift = 0) {
    return {.rows = rows, .direct = true, .zoomBase = zoomBase, .colourShift = colourShift};
}
ColumnControls Compressed(int rows, int compression, int colourShift = 0) {
    return {.rows = rows, .direct = false, .compression = compression, .colourShift = colourShift};
}
ColumnControls Linear(ColumnControls controls) {
    controls.amplitudeScale = AmplitudeScale::Linear;
    return controls;
}

Frame RandomFrame(int length, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> sample(-20000, 20000);
    Frame frame(static_cast<std::size_t>(length));
    std::generate(frame.begin(), frame.end(), [&] { return static_cast<int16_t>(sample(random)); });
    return frame;
}

// The display values of one column of a fresh chain.
std::vector<float> ComputeOnce(const ColumnChainSetup& setup, const Frame& frame,
                               const ColumnControls& controls) {
    SpectrumAveraging averaging;
    ColumnChain chain(setup, averaging);
    chain.Compute(frame, controls);
    return {chain.Column().begin(), chain.Column().end()};
}

// Overload is a sample beyond +-32000, counted even when no row is computed; the level marks round
// half to even. The level check examines one step from round((1024 - step) / 2) (halves to even), or the
// whole frame.
TEST(ColumnChain, OverloadStartsOneBeyondThirtyTwoThousandAndTheLevelCheckExaminesTheCentreStep) {
    SpectrumAveraging averaging;
    ColumnChain chain(ChainSetup(1024, 1024, WindowType::Hanning, 1024), averaging);
    Frame frame(1024, 0);
    frame[10] = 32000;
    frame[20] = -32000;
    ColumnResult result = chain.Compute(frame, Direct(256)); // marks round(31.25 + 41), round(-31.25 + 40)
    EXPECT_EQ(std::tuple(result.overloaded, result.highMark, result.lowMark), std::tuple(false, 72, 9));
    frame[10] = 32001;
    EXPECT_TRUE(chain.Compute(frame, Direct(256)).overloaded);
    frame[10] = 1536; // 1.5 + 41 -> 42, -0.5 + 40 -> 40
    frame[20] = -512;
    result = chain.Compute(frame, Direct(256));
    EXPECT_EQ(std::tuple(result.highMark, result.lowMark), std::tuple(42, 40));
    frame[20] = -32001;
    EXPECT_TRUE(chain.Compute(frame, Direct(0)).overloaded);
    EXPECT_EQ(chain.OverloadCount(), 2);
    for (const auto& [step, first, last] :
         {std::tuple{256, 384, 639}, {255, 384, 638}, {257, 384, 640}, {1024, 0, 1023}, {4096, 0, 1023}}) {
        SpectrumAveraging averaging;
        ColumnChain chain(ChainSetup(1024, 1024, WindowType::Hanning, step), averaging);
        for (int k = 0; k < 1024; ++k) {
            Frame frame(1024, 0);
            frame[k] = 1000;
            ASSERT_EQ(chain.Compute(frame, Direct(0)).maxSample, k >= first && k <= last ? 1000.0f : 0.0f)
                << step;
        }
    }
}

// Averaging acts on the power before the log, and its memories outlive the chain of one session.
TEST(ColumnChain, AveragingActsOnThePowerAndOutlivesTheSession) {
    auto setup = ChainSetup(1024, 1024, WindowType::Hanning, 256);
    const auto frame = RandomFrame(1024, 14);
    const auto plain = ComputeOnce(setup, frame, Direct(256));
    setup.averaging = AveragingMode::HoldMax;
    SpectrumAveraging averaging;
    ColumnChain(setup, averaging).Compute(frame, Direct(256));
    ColumnChain next(setup, averaging);
    next.Compute(Frame(1024, 0), Direct(256));
    EXPECT_EQ(std::vector<float>(next.Column().begin(), next.Column().end()), plain);
    setup.averaging = AveragingMode::Average; // half the power at a = 0.5: 6.02 half-decibels down
    setup.averagingCoefficient = 0.5f;
    ColumnChain averaged(setup, averaging);
    averaged.Compute(frame, Direct(256));
    EXPECT_NEAR(averaged.Column()[100], plain[100] - 20 * std::log10(2.0), 0.02);
}

// Session sizes are clamped to the buffers: FFT to a power of two in 2..16384 (rounded down), window to
// 1..FFT, step to at least 1; the order follows the clamped FFT. Rows beyond the column capacity are
// dropped, no rows compute nothing. A zoom base below 0 acts as 0, a compression below 1 as 1, and a frame
// shorter than the window reads as zero-padded, with or without the derivative.
TEST(ColumnClamp, SessionSizesRowsControlsAndShortFramesAreClamped) {
    SpectrumAveraging averaging;
    for (const auto& [in, out] : {std::pair{std::array{65536, 70000, 0}, std::array{16384, 16384, 1, 14}},
                                  {{1000, 1000, 256}, {512, 512, 256, 9}},
                                  {{0, 0, 256}, {2, 1, 256, 1}}}) {
        const ColumnChain chain(ChainSetup(in[0], in[1], WindowType::Hanning, in[2]), averaging);
        const auto& clamped = chain.Setup();
        EXPECT_EQ((std::array{clamped.fftSize, clamped.windowSize, clamped.scanStep, chain.Order()}), out);
    }
    EXPECT_TRUE(DirectRows(1024, 512, false) && !DirectRows(1024, 511, false) &&
                DirectRows(16384, 100, true));
    // 2.56 rounds to 3; round(0.25) = 0 would divide nothing.
    EXPECT_EQ(std::tuple(CompressionFactor(1024, 200), CompressionFactor(16384, 256),
                         CompressionFactor(1024, 2048), CompressionFactor(1024, 0)),
              std::tuple(3, 32, 1, 1));
    ColumnChain chain(ChainSetup(16384, 16384, WindowType::Hanning, 256), averaging);
    for (const auto& controls : {Direct(100000), Compressed(100000, 3)}) {
        EXPECT_EQ(chain.Compute(RandomFrame(16384, 15), controls).rows, kMaxDisplayRows);
        EXPECT_EQ(chain.Column().size(), static_cast<std::size_t>(kMaxDisplayRows));
    }
    EXPECT_TRUE(ComputeOnce(ChainSetup(1024, 1024, WindowType::Hanning, 256), {}, Direct(-5)).empty());
    auto setup = ChainSetup(1024, 1024, WindowType::Hanning, 256);
    Frame padded = RandomFrame(1024, 16);
    EXPECT_EQ(ComputeOnce(setup, padded, Direct(20, -7)), ComputeOnce(setup, padded, Direct(20, 0)));
    EXPECT_EQ(ComputeOnce(setup, padded, Compressed(20, 0)), ComputeOnce(setup, padded, Compressed(20, 1)));
    std::fill(padded.begin() + 700, padded.end(), 0);
    for (const bool derivative : {false, true}) {
        setup.derivative = derivative;
        EXPECT_EQ(ComputeOnce(setup, Frame(padded.begin(), padded.begin() + 700), Direct(256)),
                  ComputeOnce(setup, padded, Direct(256)));
    }
}

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

// The column computed in double precision from the definitions.
Model ModelColumn(const Frame& s, const ColumnChainSetup& setup, const ColumnControls& c,
                  const WindowTable& window) {
    const int n = setup.windowSize;
    const int nfft = setup.fftSize;
    std::vector<double> f(s.begin(), s.begin() + n);
    for (int k = 0; setup.derivative && k < n; ++k) { // halves of neighbour differences, the last 0
        f[k] = k + 1 < n ? (s[k + 1] - s[k]) / 2.0 : 0.0;
    }
    for (int k = 1; setup.smooth && k + 1 < n; ++k) { // in place, through the level check and the rows
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

// The chain against the model: dB rows may differ by 2e-3 half-decibels, linear rows by 1e-5 of the
// largest row (2e-3 for linear cepstra).
void ExpectAgreement(const ColumnChainSetup& setup, const ColumnControls& controls, const Frame& frame) {
    SpectrumAveraging averaging;
    ColumnChain chain(setup, averaging);
    const ColumnResult result = chain.Compute(frame, controls);
    const Model model = ModelColumn(frame, setup, controls, chain.Window());
    EXPECT_NEAR(result.minSample, model.minSample, 1e-2);
    EXPECT_NEAR(result.maxSample, model.maxSample, 1e-2);
    const bool linear = controls.amplitudeScale == AmplitudeScale::Linear;
    const double largest = *std::max_element(model.rows.begin(), model.rows.end());
    const double allowed = !linear ? 2e-3 : setup.cepstrum ? 2e-3 : 1e-5 * largest;
    ASSERT_EQ(chain.Column().size(), model.rows.size() - 1);
    for (std::size_t j = 0; j < chain.Column().size(); ++j) {
        ASSERT_NEAR(chain.Column()[j], model.rows[j], allowed)
            << "row " << j << ", window " << setup.windowType;
    }
    if (linear && !setup.cepstrum) {
        EXPECT_EQ(result.linearMin, 0.0f);
        EXPECT_NEAR(result.linearMax, largest, allowed);
    }
}

// Every window, step and row mode; then padded, derived, smoothed and cepstrum columns.
TEST(ReferenceColumn, EveryWindowStepRowModeAndStageAgreesWithADoubleDft) {
    const Frame frame = RandomFrame(512, 11);
    for (int type = 0; type <= 4; ++type) {
        for (const int step : {64, 100, 512, 700}) {
            const auto setup = ChainSetup(512, 512, static_cast<WindowType>(type), step);
            for (const auto& controls : {Direct(100, 40, 2), Compressed(60, 4, -1), Compressed(60, 2),
                                         Linear(Direct(100, 40)), Linear(Compressed(60, 4))}) {
                ExpectAgreement(setup, controls, frame);
            }
        }
    }
    const Frame padded = RandomFrame(1024, 12);
    auto derived = ChainSetup(1024, 600, WindowType::Hamming, 128);
    ExpectAgreement(derived, Direct(300), padded);
    derived.derivative = true;
    ExpectAgreement(derived, Compressed(100, 3), padded);
    derived.smooth = true;
    ExpectAgreement(derived, Linear(Direct(256, 7)), padded);
    derived.derivative = false;
    derived.cepstrum = true;
    ExpectAgreement(derived, Direct(200), padded);
    ExpectAgreement(derived, Linear(Compressed(100, 4)), padded);
}

// Silence sits on the floor of each scale (direct power 0 floored at 0.001, compressed rows from 1.0);
// rows whose bins lie beyond the last bin (past row 512, past a zoom base or compression beyond the
// bins) read as silent bins.
TEST(ReferenceColumn, SilenceAndRowsPastTheLastBinSitOnTheFloor) {
    const Frame silence(2048, 0);
    for (const int order : {10, 11}) {
        for (const int shift : {0, 3, -2}) {
            const auto setup = ChainSetup(1 << order, 1 << order, WindowType::Hanning, 256);
            ExpectAgreement(setup, Direct(256, 0, shift), silence);
            ExpectAgreement(setup, Compressed(128, 3, shift), silence);
            ExpectAgreement(setup, Compressed(128, 2, shift), silence);
        }
    }
    Frame frame = RandomFrame(1024, 13);
    for (std::size_t k = 0; k < frame.size(); ++k) { // most of the power in the last bin, 512
        frame[k] = static_cast<int16_t>(frame[k] / 2 + (k % 2 != 0 ? -10000 : 10000));
    }
    const auto setup = ChainSetup(1024, 1024, WindowType::Linear, 256);
    for (const auto& controls :
         {Direct(600), Direct(20, 100000), Compressed(200, 3), Compressed(4, 100000), Compressed(300, 2)}) {
        ExpectAgreement(setup, controls, frame);
    }
}

} // namespace
} // namespace ondrix
