// "Ondrix Test Signal": a synthetic field recording at any sample rate, one or two channels. Three
// steady tones, a repeating downward FM sweep, short clicks, background noise and, now and then, a
// burst loud enough to overload (samples beyond +-32000). Frequencies are fractions of the sample
// rate, so every rate shows the whole scene. Everything is a function of the seed and the frame
// index: two scenes with one seed give the same samples.
#pragma once

#include "audio/SignalSource.h"

#include <array>
#include <cstdint>

namespace ondrix {

class TestScene : public SignalSource {
public:
    TestScene(int sampleRate, int channels, uint64_t seed = 1);

    void Render(uint64_t firstFrame, int16_t* out, int frameCount) const override;

    // The frames of one overload burst period and of a sweep period, for readers of the scene.
    uint64_t OverloadPeriod() const { return overloadPeriod_; }
    uint64_t SweepPeriod() const { return sweepPeriod_; }

private:
    struct Tone {
        uint32_t step; // phase step per frame, a full cycle being 2^32
        float gain[2]; // per channel
    };

    float Sample(uint64_t frame, int channel) const;
    float Sweep(uint64_t frame) const;
    float Click(uint64_t frame) const;
    float Overload(uint64_t frame) const;
    float Noise(uint64_t frame, int channel) const;

    int channels_;
    uint64_t seed_;
    std::array<Tone, 3> tones_{};
    uint64_t sweepPeriod_;
    uint64_t sweepLength_;
    double sweepStart_; // cycles per frame at the start and at the end of a sweep
    double sweepEnd_;
    uint64_t clickCell_;
    uint64_t clickLength_;
    uint64_t overloadPeriod_;
    uint64_t overloadLength_;
    uint32_t overloadStep_;
};

} // namespace ondrix
