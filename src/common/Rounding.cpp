#include "common/Rounding.h"

#include "common/NumberText.h"

#include <cmath>
#include <limits>

namespace ondrix {

namespace {

template <typename Int> Int RoundSaturated(double x) {
    if (std::isnan(x)) {
        return 0;
    }
    const double rounded = RoundHalfEven(x);
    if (rounded <= static_cast<double>(std::numeric_limits<Int>::min())) {
        return std::numeric_limits<Int>::min();
    }
    // The maximum of int64 is not representable as a double; compare against 2^63.
    if (rounded >= -static_cast<double>(std::numeric_limits<Int>::min())) {
        return std::numeric_limits<Int>::max();
    }
    return static_cast<Int>(rounded);
}

} // namespace

double RoundHalfEven(double x) {
    return std::nearbyint(x);
}

int32_t RoundToInt32(double x) {
    return RoundSaturated<int32_t>(x);
}

int64_t RoundToInt64(double x) {
    return RoundSaturated<int64_t>(x);
}

int32_t TextToInt32(std::string_view text) {
    return RoundToInt32(TextValue(text));
}

double RoundTo(double x, int n) {
    double scale = 1.0;
    for (int i = 0; i < n; ++i) {
        scale *= 10.0;
    }
    return std::trunc(x * scale + 0.5) / scale;
}

int Log2Floor(int64_t n) {
    int halvings = 0;
    while (n > 1) {
        n /= 2;
        ++halvings;
    }
    return halvings;
}

} // namespace ondrix
