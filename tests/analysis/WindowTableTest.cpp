#include "analysis/WindowTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

namespace ondrix {
namespace {

std::unique_ptr<WindowTable> Built(int type, int length) {
    auto table = std::make_unique<WindowTable>();
    table->fill(-1.0f);
    BuildWindow(type, length, *table);
    return table;
}

TEST(WindowTable, GaussianRunsFromExpMinus8ToOneAtTheCentre) {
    const auto w = Built(4, 1024);
    EXPECT_FLOAT_EQ((*w)[0], static_cast<float>(std::exp(-8.0)));
    EXPECT_EQ((*w)[512], 1.0f);
    // Odd length: u = k - 2.5 rounds half to even, so k = 2 and 3 give u = 0 and k = 1 gives -2.
    const auto odd = Built(4, 5);
    EXPECT_EQ((*odd)[2], 1.0f);
    EXPECT_EQ((*odd)[3], 1.0f);
    EXPECT_FLOAT_EQ((*odd)[1], static_cast<float>(std::exp(-0.5 * (16.0 / 5) * (16.0 / 5))));
}

TEST(WindowTable, HanningIsSymmetricWithAZeroTail) {
    const auto w = Built(1, 1000);
    EXPECT_NEAR((*w)[500], 1.0f, 1e-6);
    for (int k = 1; k < 1000; ++k) {
        ASSERT_NEAR((*w)[k], (*w)[1000 - k], 2e-6) << k;
    }
    EXPECT_TRUE(std::all_of(w->begin() + 1000, w->end(), [](float v) { return v == 0.0f; }));
}

TEST(WindowTable, EveryTypeMatchesItsFormula) {
    const double x = 100 * (2 * std::numbers::pi / 512);
    EXPECT_EQ((*Built(0, 512))[100], 1.0f);
    EXPECT_NEAR((*Built(2, 512))[100], 0.54 - 0.46 * std::cos(x), 1e-6);
    EXPECT_NEAR((*Built(3, 512))[100],
                0.5 * (1 - 1.24 * std::cos(x) + 0.244 * std::cos(2 * x) - 0.00305 * std::cos(3 * x)), 1e-6);
    // An unknown type is the linear window; a length beyond the table is clamped to it.
    EXPECT_EQ((*Built(9, 8))[7], 1.0f);
    const auto full = Built(0, 100000);
    EXPECT_EQ((*full)[16383], 1.0f);
    EXPECT_EQ(full->back(), 0.0f);
}

} // namespace
} // namespace ondrix
