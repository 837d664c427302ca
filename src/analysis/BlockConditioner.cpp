#include "analysis/BlockConditioner.h"

#include "common/Rounding.h"

#include <algorithm>
#include <limits>

namespace ondrix {

namespace {

int16_t SaturateToInt16(int64_t value) {
    return static_cast<int16_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()));
}

int16_t RoundToInt16(double value) {
    return SaturateToInt16(RoundToInt32(value));
}

} // namespace

void ApplyDigitalGain(std::span<int16_t> samples, int32_t gain) {
    if (gain > 1) {
        for (int16_t& s : samples) {
            s = SaturateToInt16(int64_t{s} * gain);
        }
    }
}

BlockConditioner::BlockConditioner(DitherType ditherType, double ditherAmplitude, uint32_t seed)
    : ditherType_(ditherType), ditherAmplitude_(ditherAmplitude), random_(seed) {}

std::optional<int16_t> BlockConditioner::condition(std::span<int16_t> samples,
                                                   const BlockControls& controls) {
    std::optional<int16_t> mean;
    if (controls.removeOffset && !samples.empty()) {
        int64_t sum = 0;
        for (const int16_t s : samples) {
            sum += s;
        }
        lastMean_ = RoundToInt16(static_cast<double>(sum) / static_cast<double>(samples.size()));
        mean = lastMean_;
        for (int16_t& s : samples) {
            s = SaturateToInt16(int64_t{s} - controls.offsetValue);
        }
    }
    ApplyDigitalGain(samples, controls.digitalGain);
    dither(samples);
    return mean;
}

double BlockConditioner::nextUniform() {
    // 24 random bits, so every value is exact in single precision as well.
    return static_cast<double>(random_() >> 8) * 0x1p-24;
}

void BlockConditioner::dither(std::span<int16_t> samples) {
    const double d = ditherAmplitude_;
    switch (ditherType_) {
    case DitherType::Rectangular:
        for (int16_t& s : samples) {
            s = RoundToInt16(s + (nextUniform() - 0.5) * d);
        }
        break;
    case DitherType::Triangular:
        for (int16_t& s : samples) {
            const double r1 = nextUniform();
            const double r2 = nextUniform();
            s = RoundToInt16(s + (r1 + r2 - 1.0) * d);
        }
        break;
    case DitherType::CorrelatedTriangular:
        for (int16_t& s : samples) {
            const double q = nextUniform() - 0.5;
            s = RoundToInt16(s + (ditherMemory_ + q) * d);
            ditherMemory_ = q;
        }
        break;
    default:
        break;
    }
}

} // namespace ondrix
