// The system's sound devices as the device lists need them: enumeration, format queries and
// device creation. PortAudioHost is the program's; tests supply their own.
#pragma once

#include "audio/InputDevice.h"
#include "audio/OutputDevice.h"

#include <memory>
#include <string>
#include <vector>

namespace ondrix {

struct HostDevice {
    int index = -1; // the host's device number
    std::string name;
    int maxInputChannels = 0;
    int maxOutputChannels = 0;
    double defaultSampleRate = 0.0;
    int hostApi = -1; // number of the host API (ALSA, JACK, ...) serving the device
};

class HostAudio {
public:
    virtual ~HostAudio() = default;

    // Looks for devices again (plugged in or removed since the last look).
    virtual void Rescan() = 0;
    // Every device, in the host's order.
    virtual std::vector<HostDevice> Devices() const = 0;
    // The host's default devices, or -1 when there is none.
    virtual int DefaultInput() const = 0;
    virtual int DefaultOutput() const = 0;
    // Whether the device would open for the format, without opening it: 0 or a result code.
    virtual int QueryFormat(int index, bool input, int sampleRate, int channels) const = 0;
    virtual std::unique_ptr<InputDevice> MakeInput(int index) = 0;
    virtual std::unique_ptr<OutputDevice> MakeOutput(int index) = 0;
};

} // namespace ondrix
