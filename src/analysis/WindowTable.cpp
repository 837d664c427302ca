#include "analysis/WindowTable.h"

#include "common/Rounding.h"

#include <algorithm>
#include <cmath>

namespace ondrix {

void BuildWindow(int windowType, int length, WindowTable& table) {
    const int n = std::clamp(length, 0, kMaxFftSize);
    // The phase step is formed in single precision, as the window's published coefficients assume.
    const float twoPi = 3.1415926f + 3.1415926f;
    const float step = n > 0 ? twoPi / static_cast<float>(n) : 0.0f;
    for (int k = 0; k < n; ++k) {
        const double x = k * static_cast<double>(step);
        double w = 1.0;
        switch (static_cast<WindowType>(windowType)) {
        case WindowType::Hanning:
            w = 0.5 * (1.0 - std::cos(x));
            break;
        case WindowType::Hamming:
            w = 0.54 - 0.46 * std::cos(x);
            break;
        case WindowType::KaiserBessel:
            w = 0.5 * (1.0 - 1.24 * std::cos(x) + 0.244 * std::cos(2.0 * x) - 0.00305 * std::cos(3.0 * x));
            break;
        case WindowType::Gaussian: {
            const double u = RoundHalfEven(k - n / 2.0);
            const double z = 8.0 * u / n;
            w = std::exp(-0.5 * z * z);
            break;
        }
        default:
            break;
        }
        table[static_cast<std::size_t>(k)] = static_cast<float>(w);
    }
    std::fill(table.begin() + n, table.end(), 0.0f);
}

} // namespace ondrix
