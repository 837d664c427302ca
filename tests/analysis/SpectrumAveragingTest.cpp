#include "analysis/SpectrumAveraging.h"
#include "analysis/AnalysisLimits.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace ondrix {
namespace {

using Column = std::vector<float>;

TEST(SpectrumAveraging, HoldMaxReplacesOnlyStrictlyLargerRows) {
    SpectrumAveraging averaging;
    Column column = {1.0f, 5.0f, 2.0f};
    averaging.holdMax(column);
    column = {1.0f, 6.0f, 1.0f};
    averaging.holdMax(column);
    EXPECT_EQ(column, (Column{1.0f, 6.0f, 2.0f}));
    column = {-0.0f}; // equal is not larger: the held +0 stays
    SpectrumAveraging().holdMax(column);
    EXPECT_FALSE(std::signbit(column[0]));
}

TEST(SpectrumAveraging, HoldMaxDecayFallsGeometricallyAfterAPeak) {
    SpectrumAveraging averaging;
    Column column = {1000.0f};
    averaging.holdMaxDecay(column, 0.99f);
    float expected = 1000.0f;
    for (int k = 1; k <= 5; ++k) {
        column = {0.0f};
        averaging.holdMaxDecay(column, 0.99f);
        expected *= 0.99f;
        EXPECT_EQ(column[0], expected);
    }
    EXPECT_NEAR(column[0], 1000.0 * std::pow(0.99, 5), 1e-3);
}

TEST(SpectrumAveraging, AveragesRiseFromZeroAndSubtractionFallsToZero) {
    SpectrumAveraging averaging;
    Column column = {100.0f};
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
    // Each mode keeps its own memory; rows past the capacity are left alone.
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

} // namespace
} // namespace ondrix
