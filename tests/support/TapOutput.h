// An output device for tests of playback: it plays only when the test says so.
#pragma once

#include "audio/OutputDevice.h"

#include <string>
#include <vector>

namespace ondrix {

// An output that plays when the test says so: everything queued is taken frame by frame, so the test
// sees exactly the sound sent out.
class TapOutput : public OutputDevice {
public:
    explicit TapOutput(std::vector<int16_t>& played) : played_(played) {}
    std::string Name() const override { return "Tap"; }
    int Open(const StreamFormat& format) override {
        SetFormat(format);
        Ring().Configure(format.slotCount, format.framesPerSlot, format.channels);
        return 0;
    }
    int Start() override { return 0; }
    void Stop() override {}
    void Reset() override { Ring().Reset(); }
    void Close() override {}
    void PlayQueued() {
        std::vector<int16_t> frame(static_cast<std::size_t>(Channels()));
        while (!IsDone(0) || !IsDone(1)) {
            Ring().Read(frame.data(), 1);
            played_.insert(played_.end(), frame.begin(), frame.end());
        }
    }

private:
    std::vector<int16_t>& played_;
};

} // namespace ondrix
