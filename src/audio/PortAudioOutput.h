// A PortAudio playback stream in callback mode playing the queued playback slots.
#pragma once

#include "audio/OutputDevice.h"
#include "audio/PortAudioStream.h"

#include <string>

namespace ondrix {

// The callback only copies out of the ring (no allocation, lock, Qt or logging); silence when
// nothing is queued.
class PortAudioOutput : public OutputDevice {
public:
    PortAudioOutput(PortAudioSystem& system, PaDeviceIndex index, std::string name);
    ~PortAudioOutput() override { stream_.Close(); }

    std::string Name() const override { return name_; }
    int Open(const StreamFormat& format) override;
    int Start() override { return stream_.Start(); }
    void Stop() override { stream_.Stop(); }
    void Reset() override;
    void Close() override { stream_.Close(); }
    bool Failed() const override { return OutputDevice::Failed() || stream_.EndedByItself(); }
    double LatencySeconds() const override { return stream_.OutputLatency(); }

private:
    static int Callback(const void* input, void* output, unsigned long frames,
                        const PaStreamCallbackTimeInfo* time, PaStreamCallbackFlags flags, void* self);
    static void Finished(void* self);

    std::string name_;
    PortAudioStream stream_;
};

} // namespace ondrix
