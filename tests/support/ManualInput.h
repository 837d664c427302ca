// A capture device the test fills by hand with whole blocks, on the test's own thread: by default a
// ramp over the interleaved values, or the values a test's signal gives.
#pragma once

#include "audio/InputDevice.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace ondrix {

class ManualInput : public InputDevice {
public:
    std::string Name() const override { return "Manual input"; }
    int Open(const StreamFormat& format) override {
        SetFormat(format);
        Ring().Configure(format.slotCount, format.framesPerSlot, format.channels);
        return 0;
    }
    int Start() override { return 0; }
    void Stop() override {}
    void Reset() override { Ring().Reset(); }
    void Close() override {}
    void PushBlocks(int count) {
        std::vector<int16_t> block(static_cast<std::size_t>(FramesPerSlot()) *
                                   static_cast<std::size_t>(Channels()));
        for (int b = 0; b < count; ++b) {
            for (int16_t& sample : block) {
                sample = signal(next_++);
            }
            Ring().Write(block.data(), static_cast<std::size_t>(FramesPerSlot()));
        }
    }
    void Vanish() { MarkFailed(); }

    // The value at a position of the interleaved stream.
    std::function<int16_t(int64_t position)> signal = [](int64_t position) {
        return static_cast<int16_t>(static_cast<uint16_t>(position));
    };

private:
    int64_t next_ = 0;
};

} // namespace ondrix
