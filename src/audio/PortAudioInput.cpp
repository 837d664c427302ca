#include "audio/PortAudioInput.h"

#include "audio/DeviceResult.h"

#include <new>

namespace ondrix {

PortAudioInput::PortAudioInput(PortAudioSystem& system, PaDeviceIndex index, std::string name)
    : name_(std::move(name)), stream_(system, index, PortAudioStream::Direction::Input) {}

int PortAudioInput::Open(const StreamFormat& format) {
    stream_.Close();
    if (format.slotCount < 1 || format.framesPerSlot < 1) {
        return device_result::kInvalidParam;
    }
    if (const int code = stream_.Query(format); code != device_result::kOk) {
        return code;
    }
    try {
        Ring().Configure(format.slotCount, format.framesPerSlot, format.channels);
    } catch (const std::bad_alloc&) {
        return device_result::kNoMemory;
    }
    SetFormat(format);
    ClearFailed();
    overflows_.store(0);
    return stream_.Open(format, &Callback, &Finished, this);
}

void PortAudioInput::Reset() {
    stream_.Abort();
    Ring().Reset();
}

int PortAudioInput::Callback(const void* input, void*, unsigned long frames, const PaStreamCallbackTimeInfo*,
                             PaStreamCallbackFlags flags, void* self) {
    auto* device = static_cast<PortAudioInput*>(self);
    if ((flags & paInputOverflow) != 0) {
        device->overflows_.fetch_add(1, std::memory_order_relaxed);
    }
    device->Ring().Write(static_cast<const int16_t*>(input), frames);
    return paContinue;
}

void PortAudioInput::Finished(void* self) {
    auto* device = static_cast<PortAudioInput*>(self);
    if (!device->stream_.Stopping()) {
        device->MarkFailed();
    }
}

} // namespace ondrix
