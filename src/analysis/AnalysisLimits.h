// Fixed capacities of the analysis buffers; every size the chain accepts is clamped to fit them.
#pragma once

#include <cstddef>

namespace ondrix {

inline constexpr int kMaxFftSize = 16384;

// Window coefficients, indices 0..16384; entries at and beyond the window length are 0.
inline constexpr std::size_t kWindowTableCapacity = kMaxFftSize + 1;

// One frame, then its FFT in place: N/2 + 1 complex bins take N + 2 floats.
inline constexpr std::size_t kWorkBufferCapacity = kMaxFftSize + 4;

// One column of rows 0..8196: the displayed rows 0..R-1 plus row R, which the averaging and the
// cepstrum also read.
inline constexpr std::size_t kColumnCapacity = kMaxFftSize / 2 + 5;

// The largest display row count R, so that rows 0..R fit in a column.
inline constexpr int kMaxDisplayRows = static_cast<int>(kColumnCapacity) - 1;

} // namespace ondrix
