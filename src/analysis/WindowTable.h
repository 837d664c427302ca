// The window table applied to every frame before its FFT.
#pragma once

#include "analysis/AnalysisLimits.h"

#include <array>

namespace ondrix {

using WindowTable = std::array<float, kWindowTableCapacity>;

// Window types, in the order of the "Window Type" list.
enum class WindowType { Linear = 0, Hanning = 1, Hamming = 2, KaiserBessel = 3, Gaussian = 4 };

// Fills entries 0..length-1 with the coefficients of the window type (an unknown type gives the linear
// window) and zeroes the rest. The length is clamped to 0..16384. No gain correction is applied.
void BuildWindow(int windowType, int length, WindowTable& table);

} // namespace ondrix
