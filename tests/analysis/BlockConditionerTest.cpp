#include "analysis/BlockConditioner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace ondrix {
namespace {

using Samples = std::vector<int16_t>;

Samples Conditioned(Samples samples, const BlockControls& controls, DitherType dither = DitherType::None,
                    double amplitude = 0.0, uint32_t seed = 1) {
    BlockConditioner(dither, amplitude, seed).condition(samples, controls);
    return samples;
}

TEST(BlockConditioner, OffsetAndGainSaturateAtTheSampleLimits) {
    const Samples edges = {-32768, 0, 32767};
    EXPECT_EQ(Conditioned(edges, {true, 100, 1}), (Samples{-32768, -100, 32667}));
    EXPECT_EQ(Conditioned(edges, {true, -100, 1}), (Samples{-32668, 100, 32767}));
    EXPECT_EQ(Conditioned(edges, {false, 100, 1}), edges);
    const Samples samples = {20000, -20000, 100, -32768, 32767};
    EXPECT_EQ(Conditioned(samples, {false, 0, 2}), (Samples{32767, -32768, 200, -32768, 32767}));
    EXPECT_EQ(Conditioned(samples, {false, 0, 1}), samples);
    EXPECT_EQ(Conditioned(samples, {false, 0, 0}), samples);
    EXPECT_EQ(Conditioned({10}, {true, 4, 3}), (Samples{18})); // offset first, then gain
}

TEST(BlockConditioner, TheMeasuredMeanIsReportedNotSubtracted) {
    BlockConditioner conditioner(DitherType::None, 0.0, 1);
    Samples block = {3, 4, 4, 3, 3, 4, 5, 2}; // 3.5 rounds half to even
    EXPECT_EQ(conditioner.condition(block, {true, 0, 1}), std::optional<int16_t>(4));
    EXPECT_EQ(block, (Samples{3, 4, 4, 3, 3, 4, 5, 2}));
    EXPECT_EQ(conditioner.condition(block, {false, 0, 1}), std::nullopt);
    EXPECT_EQ(conditioner.lastMean(), 4);
}

TEST(BlockConditioner, DitherIsRepeatableBoundedAndClamped) {
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
}

TEST(BlockConditioner, CorrelatedDitherCarriesItsMemoryAcrossBlocks) {
    // p starts at 0; q = r - 0.5 with r the top 24 bits of a 32-bit Mersenne twister over 2^24.
    std::mt19937 random(5);
    double p = 0.0;
    Samples expected;
    for (int i = 0; i < 64; ++i) {
        const double q = static_cast<double>(random() >> 8) * 0x1p-24 - 0.5;
        expected.push_back(static_cast<int16_t>(std::nearbyint((p + q) * 1000.0)));
        p = q;
    }
    BlockConditioner conditioner(DitherType::CorrelatedTriangular, 1000.0, 5);
    Samples first(40, 0);
    Samples second(24, 0);
    conditioner.condition(first, {});
    conditioner.condition(second, {});
    first.insert(first.end(), second.begin(), second.end());
    EXPECT_EQ(first, expected);
}

} // namespace
} // namespace ondrix
