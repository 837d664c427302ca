// A PortAudio capture stream in callback mode feeding the capture slots.
#pragma once

#include "audio/InputDevice.h"
#include "audio/PortAudioStream.h"

#include <atomic>
#include <string>

namespace ondrix {

// The callback only copies into the ring (no allocation, lock, Qt or logging); PortAudio's buffer
// size is its own choice and the ring accumulates it into blocks of B frames.
class PortAudioInput : public InputDevice {
public:
    PortAudioInput(PortAudioSystem& system, PaDeviceIndex index, std::string name);
    ~PortAudioInput() override { stream_.Close(); }

    std::string Name() const override { return name_; }
    int Open(const StreamFormat& format) override;
    int Start() override { return stream_.Start(); }
    void Stop() override { stream_.Stop(); }
    void Reset() override;
    void Close() override { stream_.Close(); }
    bool Failed() const override { return InputDevice::Failed() || stream_.EndedByItself(); }

    // Host buffers that overflowed, losing samples before they reached the callback.
    uint64_t HostOverflows() const { return overflows_.load(std::memory_order_relaxed); }

private:
    static int Callback(const void* input, void* output, unsigned long frames,
                        const PaStreamCallbackTimeInfo* time, PaStreamCallbackFlags flags, void* self);
    static void Finished(void* self);

    std::string name_;
    PortAudioStream stream_;
    std::atomic<uint64_t> overflows_{0};
};

} // namespace ondrix
