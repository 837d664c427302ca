// Equivalent noise bandwidth of the analysis windows, by "Window Type" list index.
#pragma once

namespace ondrix {

// Bandwidth in bins: 0 Linear 1.00, 1 Hanning 1.44, 2 Hamming 1.30, 3 Kaiser-Bessel 1.71,
// 4 Gaussian 1.79; any other index gives 0. Single precision, as the bandwidth text expects.
float WindowBandwidthFactor(int windowTypeIndex);

} // namespace ondrix
