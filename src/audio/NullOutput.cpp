#include "audio/NullOutput.h"

#include "audio/DeviceResult.h"
#include "audio/GeneratorInput.h"

namespace ondrix {

int NullOutput::QueryFormat(int sampleRate, int channels) {
    return GeneratorInput::QueryFormat(sampleRate, channels);
}

int NullOutput::Open(const StreamFormat& format) {
    Close();
    if (const int code = QueryFormat(format.sampleRate, format.channels); code != device_result::kOk) {
        return code;
    }
    if (format.slotCount < 1 || format.framesPerSlot < 1) {
        return device_result::kInvalidParam;
    }
    SetFormat(format);
    Ring().Configure(format.slotCount, format.framesPerSlot, format.channels);
    ClearFailed();
    open_ = true;
    return device_result::kOk;
}

int NullOutput::Start() {
    if (!open_) {
        return device_result::kInvalidHandle;
    }
    if (!clock_.Running()) {
        const StreamFormat& format = Format();
        const auto frames = static_cast<std::size_t>(format.framesPerSlot);
        // A late clock plays the missed time at once, like a card draining its buffer.
        clock_.Start(
            format.sampleRate, format.framesPerSlot, static_cast<uint64_t>(format.slotCount),
            [this, frames] { Ring().Read(nullptr, frames); }, [](uint64_t) {});
    }
    return device_result::kOk;
}

void NullOutput::Reset() {
    clock_.Stop();
    Ring().Reset();
}

void NullOutput::Close() {
    clock_.Stop();
    open_ = false;
}

} // namespace ondrix
