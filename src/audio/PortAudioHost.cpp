#include "audio/PortAudioHost.h"

#include "audio/PortAudioInput.h"
#include "audio/PortAudioOutput.h"

namespace ondrix {

namespace {

std::string DeviceName(int index) {
    const PaDeviceInfo* info = Pa_GetDeviceInfo(index);
    return info != nullptr && info->name != nullptr ? info->name : "";
}

} // namespace

std::vector<HostDevice> PortAudioHost::Devices() const {
    std::vector<HostDevice> devices;
    if (!system_.Ok()) {
        return devices;
    }
    const int count = Pa_GetDeviceCount();
    for (int i = 0; i < count; ++i) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
        if (info == nullptr) {
            continue;
        }
        devices.push_back({.index = i,
                           .name = info->name != nullptr ? info->name : "",
                           .maxInputChannels = info->maxInputChannels,
                           .maxOutputChannels = info->maxOutputChannels,
                           .defaultSampleRate = info->defaultSampleRate,
                           .hostApi = info->hostApi});
    }
    return devices;
}

int PortAudioHost::DefaultInput() const {
    return system_.Ok() ? Pa_GetDefaultInputDevice() : -1;
}

int PortAudioHost::DefaultOutput() const {
    return system_.Ok() ? Pa_GetDefaultOutputDevice() : -1;
}

int PortAudioHost::QueryFormat(int index, bool input, int sampleRate, int channels) const {
    const auto direction = input ? PortAudioStream::Direction::Input : PortAudioStream::Direction::Output;
    const PortAudioStream stream(system_, index, direction);
    return stream.Query({.sampleRate = sampleRate, .channels = channels});
}

std::unique_ptr<InputDevice> PortAudioHost::MakeInput(int index) {
    return std::make_unique<PortAudioInput>(system_, index, DeviceName(index));
}

std::unique_ptr<OutputDevice> PortAudioHost::MakeOutput(int index) {
    return std::make_unique<PortAudioOutput>(system_, index, DeviceName(index));
}

} // namespace ondrix
