#include "ChainTestSupport.h"

#include <gtest/gtest.h>

namespace ondrix {
namespace {

using namespace ondrix::chaintest;

TEST(ColumnClamp, SessionSizesAreClampedToTheBuffers) {
    SpectrumAveraging averaging;
    const ColumnChain big(ChainSetup(65536, 70000, WindowType::Hanning, 0), averaging);
    EXPECT_EQ(big.Setup().fftSize, 16384);
    EXPECT_EQ(big.Setup().windowSize, 16384);
    EXPECT_EQ(big.Setup().scanStep, 1);
    EXPECT_EQ(big.Order(), 14);
    const ColumnChain odd(ChainSetup(1000, 1000, WindowType::Hanning, 256), averaging); // rounded down
    EXPECT_EQ(odd.Setup().fftSize, 512);
    EXPECT_EQ(odd.Setup().windowSize, 512);
    const ColumnChain none(ChainSetup(0, 0, WindowType::Hanning, 256), averaging);
    EXPECT_EQ(none.Setup().fftSize, 2);
    EXPECT_EQ(none.Setup().windowSize, 1);
}

TEST(ColumnClamp, RowsMapOneToOneUnlessTheFftHasMoreThanTwiceTheirBins) {
    EXPECT_TRUE(DirectRows(1024, 512, false));
    EXPECT_FALSE(DirectRows(1024, 511, false));
    EXPECT_TRUE(DirectRows(16384, 100, true));
    EXPECT_EQ(CompressionFactor(1024, 200), 3); // 2.56
    EXPECT_EQ(CompressionFactor(16384, 256), 32);
    EXPECT_EQ(CompressionFactor(1024, 2048), 1); // round(0.25) = 0 would divide nothing
    EXPECT_EQ(CompressionFactor(1024, 0), 1);
}

TEST(ColumnClamp, RowsBeyondTheColumnCapacityAreDropped) {
    for (const auto& controls : {Direct(100000), Compressed(100000, 3)}) {
        const auto column = ComputeOnce(ChainSetup(16384, 16384, WindowType::Hanning, 256),
                                        Sine(16384, 1000, 16384, 20000.0), controls);
        EXPECT_EQ(column.result.rows, kMaxDisplayRows);
        EXPECT_EQ(column.values.size(), static_cast<std::size_t>(kMaxDisplayRows));
    }
    EXPECT_TRUE(ComputeOnce(ChainSetup(1024, 1024, WindowType::Hanning, 256), {}, Direct(-5)).values.empty());
}

TEST(ColumnClamp, RowsPastTheLastBinReadAsSilence) {
    const auto setup = ChainSetup(1024, 1024, WindowType::Linear, 256);
    std::vector<int16_t> loud(1024, 20000); // alternating signs: all power in the last bin, 512
    for (std::size_t k = 1; k < loud.size(); k += 2) {
        loud[k] = -20000;
    }
    const auto silentFrom = [](const std::vector<float>& column, std::size_t first, float floor) {
        for (std::size_t j = first; j < column.size(); ++j) {
            ASSERT_NEAR(column[j], floor, 1e-4) << j;
        }
    };
    auto column = ComputeOnce(setup, loud, Direct(600)).values;
    EXPECT_GT(column[512], 0.0f);
    silentFrom(column, 513, -120.0f);
    silentFrom(ComputeOnce(setup, loud, Direct(20, 100000)).values, 0, -120.0f);
    EXPECT_EQ(ComputeOnce(setup, loud, Direct(20, -7)).values,
              ComputeOnce(setup, loud, Direct(20, 0)).values);
    // 200 compressed rows of 3 bins end at bin 512 in row 170; later rows hold the floor 1.0.
    column = ComputeOnce(setup, loud, Compressed(200, 3)).values;
    EXPECT_GT(column[170], 0.0f);
    silentFrom(column, 171, -60.0f);
    // A compression below 1 acts as 1; one beyond the bins puts them all into row 0.
    EXPECT_EQ(ComputeOnce(setup, loud, Compressed(20, 0)).values,
              ComputeOnce(setup, loud, Compressed(20, 1)).values);
    column = ComputeOnce(setup, loud, Compressed(4, 100000)).values;
    EXPECT_GT(column[0], 0.0f);
    silentFrom(column, 1, -60.0f);
}

TEST(ColumnClamp, AShortFrameReadsAsZeroPadded) {
    for (const bool derivative : {false, true}) {
        auto setup = ChainSetup(1024, 1024, WindowType::Hanning, 256);
        setup.derivative = derivative;
        std::vector<int16_t> padded = Sine(1024, 30.5, 1024, 10000.0);
        std::fill(padded.begin() + 700, padded.end(), 0);
        const std::vector<int16_t> shorter(padded.begin(), padded.begin() + 700);
        EXPECT_EQ(ComputeOnce(setup, shorter, Direct(256)).values,
                  ComputeOnce(setup, padded, Direct(256)).values);
    }
}

} // namespace
} // namespace ondrix
