// The system's sound devices through PortAudio.
#pragma once

#include "audio/HostAudio.h"
#include "audio/PortAudioSystem.h"

namespace ondrix {

class PortAudioHost : public HostAudio {
public:
    explicit PortAudioHost(PortAudioSystem& system) : system_(system) {}

    void Rescan() override { system_.Rescan(); }
    std::vector<HostDevice> Devices() const override;
    int DefaultInput() const override;
    int DefaultOutput() const override;
    int QueryFormat(int index, bool input, int sampleRate, int channels) const override;
    std::unique_ptr<InputDevice> MakeInput(int index) override;
    std::unique_ptr<OutputDevice> MakeOutput(int index) override;

private:
    PortAudioSystem& system_;
};

} // namespace ondrix
