// "Ondrix Test Ramp": frame n carries n modulo 65536 as a signed 16-bit value, the right channel n +
// 16384, so a reader can tell a lost, repeated, reordered or swapped sample from the values alone.
#pragma once

#include "audio/SignalSource.h"

namespace ondrix {

class TestRamp : public SignalSource {
public:
    explicit TestRamp(int channels) : channels_(channels < 2 ? 1 : 2) {}

    static constexpr uint64_t kRightOffset = 16384;

    static int16_t ValueAt(uint64_t frame, int channel = 0) {
        return static_cast<int16_t>(static_cast<uint16_t>(frame + (channel == 1 ? kRightOffset : 0)));
    }

    void Render(uint64_t firstFrame, int16_t* out, int frameCount) const override;

private:
    int channels_;
};

} // namespace ondrix
