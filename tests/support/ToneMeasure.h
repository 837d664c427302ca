// How strong one frequency is in a stretch of samples.
#pragma once

#include <cmath>
#include <numbers>
#include <vector>

namespace ondrix {

// Power of one frequency in the samples (Goertzel), scaled like the mean square of the samples: a pure
// sine at that frequency gives its whole mean square.
inline double PowerAt(const std::vector<double>& samples, double frequency, double sampleRate) {
    const double coefficient = 2.0 * std::cos(2.0 * std::numbers::pi * frequency / sampleRate);
    double s1 = 0.0, s2 = 0.0;
    for (double x : samples) {
        const double s0 = x + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const auto n = static_cast<double>(samples.size());
    return 2.0 * (s1 * s1 + s2 * s2 - coefficient * s1 * s2) / (n * n);
}

} // namespace ondrix
