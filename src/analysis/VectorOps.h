// The vector arithmetic of the column chain: plain loops over contiguous spans, written so that the
// compiler vectorises them (selects instead of branches, reductions over independent lanes).
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>

// The per-frame loops are also built for AVX2 and picked when the processor runs it. The clones compute
// bit-identical results: contraction into fused multiply-adds is off in the analysis target.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
#define ONDRIX_VECTOR_LOOP [[gnu::target_clones("arch=x86-64-v3", "default")]]
#else
#define ONDRIX_VECTOR_LOOP
#endif

namespace ondrix::vec {

// dst[i] = src[i], exactly.
ONDRIX_VECTOR_LOOP inline void ConvertToFloat(std::span<const int16_t> src, std::span<float> dst) {
    for (std::size_t i = 0; i < src.size(); ++i) {
        dst[i] = static_cast<float>(src[i]);
    }
}

// dst[i] = src[i] * w[i], for the length of src.
ONDRIX_VECTOR_LOOP inline void ConvertAndMultiply(std::span<const int16_t> src, std::span<const float> w,
                                                  std::span<float> dst) {
    for (std::size_t i = 0; i < src.size(); ++i) {
        dst[i] = static_cast<float>(src[i]) * w[i];
    }
}

// x[i] = x[i] * w[i], for the length of x.
ONDRIX_VECTOR_LOOP inline void MultiplyInPlace(std::span<float> x, std::span<const float> w) {
    for (std::size_t i = 0; i < x.size(); ++i) {
        x[i] *= w[i];
    }
}

inline void ScaleInPlace(std::span<float> x, float factor) {
    for (float& v : x) {
        v *= factor;
    }
}

inline void AddInPlace(std::span<float> x, float value) {
    for (float& v : x) {
        v += value;
    }
}

// x[i] = max(x[i], floor).
ONDRIX_VECTOR_LOOP inline void ClampBelow(std::span<float> x, float floor) {
    for (float& v : x) {
        v = v > floor ? v : floor;
    }
}

// power[k] = re^2 + im^2 of the complex values stored as (re, im) pairs in bins, for the length of power.
ONDRIX_VECTOR_LOOP inline void PowerSpectrum(std::span<const float> bins, std::span<float> power) {
    for (std::size_t k = 0; k < power.size(); ++k) {
        const float re = bins[2 * k];
        const float im = bins[2 * k + 1];
        power[k] = re * re + im * im;
    }
}

// peaks[j] = the largest of floor and the powers of bins 2j and 2j + 1 (re^2 + im^2 of the (re, im) pairs
// in bins), for the length of peaks: the power spectrum and the peaks of rows of two bins in one pass.
ONDRIX_VECTOR_LOOP inline void PairPeaks(std::span<const float> bins, std::span<float> peaks, float floor) {
    for (std::size_t j = 0; j < peaks.size(); ++j) {
        const float* b = bins.data() + 4 * j;
        const float first = b[0] * b[0] + b[1] * b[1];
        const float second = b[2] * b[2] + b[3] * b[3];
        const float peak = first > floor ? first : floor;
        peaks[j] = second > peak ? second : peak;
    }
}

// The smallest and largest sample (integer reductions vectorise as they stand).
inline std::pair<int16_t, int16_t> MinMax(std::span<const int16_t> x) {
    int16_t low = INT16_MAX;
    int16_t high = INT16_MIN;
    for (const int16_t v : x) {
        low = v < low ? v : low;
        high = v > high ? v : high;
    }
    return {low, high};
}

// Float reductions run over eight independent lanes so that they map onto vector min/max instructions
// (a single running value would have to be kept in order).
inline constexpr std::size_t kLanes = 8;

// The smallest and largest of lowStart, highStart and the elements of x.
inline std::pair<float, float> MinMax(std::span<const float> x, float lowStart, float highStart) {
    float low[kLanes];
    float high[kLanes];
    for (std::size_t l = 0; l < kLanes; ++l) {
        low[l] = lowStart;
        high[l] = highStart;
    }
    std::size_t i = 0;
    for (; i + kLanes <= x.size(); i += kLanes) {
        for (std::size_t l = 0; l < kLanes; ++l) {
            const float v = x[i + l];
            low[l] = v < low[l] ? v : low[l];
            high[l] = v > high[l] ? v : high[l];
        }
    }
    for (; i < x.size(); ++i) {
        low[0] = x[i] < low[0] ? x[i] : low[0];
        high[0] = x[i] > high[0] ? x[i] : high[0];
    }
    for (std::size_t l = 1; l < kLanes; ++l) {
        low[0] = low[l] < low[0] ? low[l] : low[0];
        high[0] = high[l] > high[0] ? high[l] : high[0];
    }
    return {low[0], high[0]};
}

// The largest of start and the elements of x.
inline float Max(std::span<const float> x, float start) {
    float high[kLanes];
    for (float& h : high) {
        h = start;
    }
    std::size_t i = 0;
    for (; i + kLanes <= x.size(); i += kLanes) {
        for (std::size_t l = 0; l < kLanes; ++l) {
            const float v = x[i + l];
            high[l] = v > high[l] ? v : high[l];
        }
    }
    for (; i < x.size(); ++i) {
        high[0] = x[i] > high[0] ? x[i] : high[0];
    }
    for (std::size_t l = 1; l < kLanes; ++l) {
        high[0] = high[l] > high[0] ? high[l] : high[0];
    }
    return high[0];
}

// Natural logarithm of a positive, finite, normal float. x = 2^e * m with m in [sqrt(1/2), sqrt(2));
// ln m = 2 atanh(t) with t = (m - 1) / (m + 1), |t| < 0.1716, summed to the t^7 term (the next term is
// below 3e-8). Absolute error about 1e-7 plus the rounding of e * ln 2.
inline float FastLn(float x) {
    constexpr int32_t kSqrtHalfBits = 0x3f3504f3; // 0.70710677f
    const int32_t bits = std::bit_cast<int32_t>(x);
    const int32_t exponent = (bits - kSqrtHalfBits) >> 23;
    const float m = std::bit_cast<float>(bits - (exponent << 23));
    const float t = (m - 1.0f) / (m + 1.0f);
    const float t2 = t * t;
    const float series = 2.0f + t2 * (2.0f / 3.0f + t2 * (2.0f / 5.0f + t2 * (2.0f / 7.0f)));
    constexpr float kLn2 = 0.693147180559945f;
    return static_cast<float>(exponent) * kLn2 + t * series;
}

// x[i] = ln(x[i]) * multiplier - offset, for positive normal x[i]. (A loop of its own: fused with a
// constant floor, the compiler no longer vectorises it.)
ONDRIX_VECTOR_LOOP inline void LogScale(std::span<float> x, float multiplier, float offset) {
    for (float& v : x) {
        v = FastLn(v) * multiplier - offset;
    }
}

} // namespace ondrix::vec
