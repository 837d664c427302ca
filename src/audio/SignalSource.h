// The sound of a built-in input device, as a function of the frame index.
#pragma once

#include <cstdint>

namespace ondrix {

class SignalSource {
public:
    virtual ~SignalSource() = default;
    // Fills frameCount interleaved frames starting at stream frame firstFrame. The same frames always
    // give the same samples, so frames given up while late are simply never rendered.
    virtual void Render(uint64_t firstFrame, int16_t* out, int frameCount) const = 0;
};

} // namespace ondrix
