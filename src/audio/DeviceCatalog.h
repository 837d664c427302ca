// Every input and output device in list order, what a position stands for, and opening by position.
#pragma once

#include "audio/HostAudio.h"
#include "audio/InputDevice.h"
#include "audio/OutputDevice.h"
#include "audio/StreamFormat.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ondrix {

enum class DeviceKind { SystemDefault, Host, TestSignal, TestRamp, NullOutput };

struct DeviceEntry {
    DeviceKind kind = DeviceKind::SystemDefault;
    std::string fullName;
    std::string listName; // what the lists show (ListName of the full name)
    int hostIndex = -1;   // the host's device number (the default device's for SystemDefault)
    int maxChannels = 0;  // input channels in the input list, output channels in the output list
    double defaultSampleRate = 0.0;
    int hostApi = -1;
};

struct OpenedInput {
    int code = 0;                        // 0 or a result code (DeviceResult.h)
    std::unique_ptr<InputDevice> device; // open when code is 0
};

struct OpenedOutput {
    int code = 0;
    std::unique_ptr<OutputDevice> device;
};

// Input list: position 0 the system default, then every host device with input channels in the
// host's order, then "Ondrix Test Signal" and "Ondrix Test Ramp". Output list: position 0, every host
// device with output channels, then "Ondrix Null Output". Position 0 stands for the host's default
// device when it is usable (it exists and takes its own default rate in mono), else for the first
// built-in device, so capture and playback always have something to run on.
class DeviceCatalog {
public:
    // Without a host only the built-in devices exist. The test signal's scene comes from sceneSeed.
    explicit DeviceCatalog(HostAudio* host, uint64_t sceneSeed = 1);

    // Looks for the host's devices again and rebuilds both lists.
    void Refresh();

    const std::vector<DeviceEntry>& Inputs() const { return inputs_; }
    const std::vector<DeviceEntry>& Outputs() const { return outputs_; }

    // The position of the last entry with the full name, or -1.
    int InputPosition(std::string_view fullName) const;
    int OutputPosition(std::string_view fullName) const;

    // The device a position stands for; position 0, and any position out of range, resolve as the
    // system default does.
    const DeviceEntry& ResolveInput(int position) const;
    const DeviceEntry& ResolveOutput(int position) const;

    // Whether the device at the position takes the format, without opening it: 0 or a result code.
    int QueryInputFormat(int position, int sampleRate, int channels) const;
    int QueryOutputFormat(int position, int sampleRate, int channels) const;

    // Opens the device at the position. A usable system default that still fails to open for any
    // reason but the format gives way to the built-in device.
    OpenedInput OpenInput(int position, const StreamFormat& format);
    OpenedOutput OpenOutput(int position, const StreamFormat& format);

private:
    void Build();
    int QueryFormat(const DeviceEntry& entry, bool input, int sampleRate, int channels) const;
    std::unique_ptr<InputDevice> MakeInput(const DeviceEntry& entry);
    std::unique_ptr<OutputDevice> MakeOutput(const DeviceEntry& entry);

    HostAudio* host_;
    uint64_t sceneSeed_;
    std::vector<DeviceEntry> inputs_;
    std::vector<DeviceEntry> outputs_;
    int defaultInput_ = 0; // position that position 0 resolves to
    int defaultOutput_ = 0;
};

} // namespace ondrix
