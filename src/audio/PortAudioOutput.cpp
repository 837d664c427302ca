#include "audio/PortAudioOutput.h"

#include "audio/DeviceResult.h"

#include <new>

namespace ondrix {

PortAudioOutput::PortAudioOutput(PortAudioSystem& system, PaDeviceIndex index, std::string name)
    : name_(std::move(name)), stream_(system, index, PortAudioStream::Direction::Output) {}

int PortAudioOutput::Open(const StreamFormat& format) {
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
    return stream_.Open(format, &Callback, &Finished, this);
}

void PortAudioOutput::Reset() {
    stream_.Abort();
    Ring().Reset();
}

int PortAudioOutput::Callback(const void*, void* output, unsigned long frames,
                              const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags, void* self) {
    static_cast<PortAudioOutput*>(self)->Ring().Read(static_cast<int16_t*>(output), frames);
    return paContinue;
}

void PortAudioOutput::Finished(void* self) {
    auto* device = static_cast<PortAudioOutput*>(self);
    if (!device->stream_.Stopping()) {
        device->MarkFailed();
    }
}

} // namespace ondrix
