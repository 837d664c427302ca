#include "settings/WindowTypes.h"

#include <array>

namespace ondrix {

float WindowBandwidthFactor(int windowTypeIndex) {
    static constexpr std::array<float, 5> kFactors = {1.00f, 1.44f, 1.30f, 1.71f, 1.79f};
    if (windowTypeIndex < 0 || windowTypeIndex >= static_cast<int>(kFactors.size())) {
        return 0.0f;
    }
    return kFactors[static_cast<std::size_t>(windowTypeIndex)];
}

} // namespace ondrix
