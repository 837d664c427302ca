#include "analysis/VectorOps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace ondrix {
namespace {

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

} // namespace
} // namespace ondrix
