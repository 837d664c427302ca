#include "audio/TestScene.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ondrix {

namespace {

constexpr int kTableBits = 12;
constexpr uint32_t kTableSize = 1u << kTableBits;

// One cycle of a sine, indexed by the top bits of a 32-bit phase.
const std::array<float, kTableSize>& SineTable() {
    static const std::array<float, kTableSize> table = [] {
        std::array<float, kTableSize> t{};
        for (uint32_t i = 0; i < kTableSize; ++i) {
            t[i] = static_cast<float>(std::sin(2.0 * std::numbers::pi * i / kTableSize));
        }
        return t;
    }();
    return table;
}

float SineOfPhase(uint32_t phase) {
    return SineTable()[phase >> (32 - kTableBits)];
}

// The splitmix64 finaliser: a well-mixed 64-bit value from any 64-bit input.
uint64_t Mix(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// A value in [0, 1) from a hash.
double Unit(uint64_t hash) {
    return static_cast<double>(hash >> 11) * 0x1.0p-53;
}

uint64_t Frames(double seconds, int sampleRate) {
    return std::max<uint64_t>(1, static_cast<uint64_t>(std::llround(seconds * sampleRate)));
}

uint32_t PhaseStep(double cyclesPerFrame) {
    return static_cast<uint32_t>(std::llround(cyclesPerFrame * 4294967296.0));
}

} // namespace

TestScene::TestScene(int sampleRate, int channels, uint64_t seed)
    : channels_(channels < 2 ? 1 : 2), seed_(Mix(seed)) {
    sampleRate = std::max(sampleRate, 1);
    // Steady tones at about 6 %, 17 % and 33 % of the rate, moved a little by the seed.
    const double places[3] = {0.06, 0.17, 0.33};
    // The first tone only on the left, the second only on the right: a swap of channels shows.
    const float left[3] = {1200.0f, 0.0f, 400.0f};
    const float right[3] = {0.0f, 900.0f, 300.0f};
    for (std::size_t i = 0; i < tones_.size(); ++i) {
        const double jitter = 0.9 + 0.2 * Unit(Mix(seed_ + i));
        tones_[i] = {PhaseStep(places[i] * jitter), {left[i], right[i]}};
    }
    sweepPeriod_ = Frames(0.4, sampleRate);
    sweepLength_ = std::min(Frames(0.05, sampleRate), sweepPeriod_);
    sweepStart_ = 0.42;
    sweepEnd_ = 0.10;
    clickCell_ = Frames(0.02, sampleRate);
    clickLength_ = std::min(Frames(0.0005, sampleRate), clickCell_);
    overloadPeriod_ = Frames(2.5, sampleRate);
    overloadLength_ = std::min(Frames(0.03, sampleRate), overloadPeriod_);
    overloadStep_ = PhaseStep(0.01);
}

void TestScene::Render(uint64_t firstFrame, int16_t* out, int frameCount) const {
    for (int i = 0; i < frameCount; ++i) {
        const uint64_t frame = firstFrame + static_cast<uint64_t>(i);
        for (int c = 0; c < channels_; ++c) {
            const float value = std::clamp(std::nearbyint(Sample(frame, c)), -32768.0f, 32767.0f);
            *out++ = static_cast<int16_t>(value);
        }
    }
}

float TestScene::Sample(uint64_t frame, int channel) const {
    float sum = 0.0f;
    for (const Tone& tone : tones_) {
        sum += tone.gain[channel] * SineOfPhase(static_cast<uint32_t>(frame * tone.step));
    }
    const float sweep = Sweep(frame);
    sum += channel == 0 ? sweep : 0.6f * sweep;
    sum += Click(frame);
    sum += Overload(frame);
    sum += Noise(frame, channel);
    return sum;
}

// A call every 0.4 s: 50 ms falling from 42 % to 10 % of the rate under a half-sine envelope.
float TestScene::Sweep(uint64_t frame) const {
    const uint64_t t = frame % sweepPeriod_;
    if (t >= sweepLength_) {
        return 0.0f;
    }
    const double x = static_cast<double>(t);
    const double length = static_cast<double>(sweepLength_);
    const double cycles = sweepStart_ * x + (sweepEnd_ - sweepStart_) * x * x / (2.0 * length);
    const double fraction = cycles - std::floor(cycles);
    const double envelope = std::sin(std::numbers::pi * x / length);
    return static_cast<float>(5000.0 * envelope * std::sin(2.0 * std::numbers::pi * fraction));
}

// One 20 ms cell in eight holds a click: a 0.5 ms ringing decay at a quarter of the rate.
float TestScene::Click(uint64_t frame) const {
    const uint64_t cell = frame / clickCell_;
    const uint64_t hash = Mix(seed_ ^ (cell * 0xD1B54A32D192ED03ull));
    if (hash % 8 != 0) {
        return 0.0f;
    }
    const uint64_t start = (hash >> 8) % (clickCell_ - clickLength_ + 1);
    const uint64_t k = frame % clickCell_;
    if (k < start || k >= start + clickLength_) {
        return 0.0f;
    }
    const uint64_t step = k - start;
    const float decay = 1.0f - static_cast<float>(step) / static_cast<float>(clickLength_);
    const float amplitude = 8000.0f + static_cast<float>((hash >> 40) % 8000);
    static constexpr float kRing[4] = {1.0f, 0.0f, -1.0f, 0.0f};
    return amplitude * decay * decay * kRing[step % 4];
}

// Every 2.5 s, at a place the seed picks, 30 ms of a low tone far beyond full scale.
float TestScene::Overload(uint64_t frame) const {
    const uint64_t period = frame / overloadPeriod_;
    const uint64_t hash = Mix(seed_ ^ (period * 0x8CB92BA72F3D8DD7ull));
    const uint64_t start = hash % (overloadPeriod_ - overloadLength_ + 1);
    const uint64_t t = frame % overloadPeriod_;
    if (t < start || t >= start + overloadLength_) {
        return 0.0f;
    }
    return 40000.0f * SineOfPhase(static_cast<uint32_t>(frame * overloadStep_));
}

// Triangular noise of +-300, independent per channel.
float TestScene::Noise(uint64_t frame, int channel) const {
    const uint64_t hash = Mix(seed_ ^ Mix(frame * 2 + static_cast<uint64_t>(channel)));
    const auto a = static_cast<float>(hash & 0xFFFFFFFFu) * 0x1.0p-32f;
    const auto b = static_cast<float>(hash >> 32) * 0x1.0p-32f;
    return 300.0f * (a + b - 1.0f);
}

} // namespace ondrix
