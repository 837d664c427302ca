#include "audio/TestRamp.h"

namespace ondrix {

void TestRamp::Render(uint64_t firstFrame, int16_t* out, int frameCount) const {
    for (int i = 0; i < frameCount; ++i) {
        for (int c = 0; c < channels_; ++c) {
            *out++ = ValueAt(firstFrame + static_cast<uint64_t>(i), c);
        }
    }
}

} // namespace ondrix
