// Conditioning of freshly acquired samples before any column is computed from them.
#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <span>

namespace ondrix {

// Dither types, in the order of the three dither check boxes.
enum class DitherType {
    None = 0,
    Rectangular = 1,          // (r - 0.5) * d
    Triangular = 2,           // (r1 + r2 - 1) * d
    CorrelatedTriangular = 3, // (previous q + q) * d with q = r - 0.5, q carried from sample to sample
};

// Settings the user may change while a run goes on; read again for every block.
struct BlockControls {
    bool removeOffset = false;
    int32_t offsetValue = 0; // subtracted when removeOffset is set (the measured mean is only shown)
    int32_t digitalGain = 1; // applied when above 1
};

// The digital gain alone, saturating to int16 (the sound a playback sends out); a gain of 1 or less
// leaves the samples as they are.
void ApplyDigitalGain(std::span<int16_t> samples, int32_t gain);

// Offset removal, digital gain and dither, in this order, in place and saturating to int16. One object
// lives for one session: the dither memory starts at 0 and carries over from block to block.
class BlockConditioner {
public:
    BlockConditioner(DitherType ditherType, double ditherAmplitude, uint32_t seed);

    // Conditions the new samples of a block. Returns the mean of the samples as they arrived (rounded
    // half to even) when offset removal is on, for the offset label.
    std::optional<int16_t> condition(std::span<int16_t> samples, const BlockControls& controls);

    // The mean measured by the last block conditioned with offset removal on (0 before any).
    int16_t lastMean() const { return lastMean_; }

private:
    double nextUniform(); // uniform in [0, 1)
    void dither(std::span<int16_t> samples);

    DitherType ditherType_;
    double ditherAmplitude_;
    std::mt19937 random_;
    double ditherMemory_ = 0.0;
    int16_t lastMean_ = 0;
};

} // namespace ondrix
