#include "audio/DeviceCatalog.h"

#include "audio/DeviceNames.h"
#include "audio/DeviceResult.h"
#include "audio/GeneratorInput.h"
#include "audio/NullOutput.h"
#include "audio/TestRamp.h"
#include "audio/TestScene.h"
#include "common/Rounding.h"

namespace ondrix {

namespace {

constexpr int kBuiltInChannels = 2;
constexpr double kBuiltInRate = 48000.0;

DeviceEntry BuiltIn(DeviceKind kind, std::string_view name) {
    return {.kind = kind,
            .fullName = std::string(name),
            .listName = ListName(name),
            .maxChannels = kBuiltInChannels,
            .defaultSampleRate = kBuiltInRate};
}

DeviceEntry HostEntry(const HostDevice& device, int channels) {
    return {.kind = DeviceKind::Host,
            .fullName = device.name,
            .listName = ListName(device.name),
            .hostIndex = device.index,
            .maxChannels = channels,
            .defaultSampleRate = device.defaultSampleRate,
            .hostApi = device.hostApi};
}

int PositionOfHost(const std::vector<DeviceEntry>& entries, int hostIndex) {
    for (std::size_t i = 1; i < entries.size(); ++i) {
        if (entries[i].kind == DeviceKind::Host && entries[i].hostIndex == hostIndex) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int PositionOfName(const std::vector<DeviceEntry>& entries, std::string_view fullName) {
    int position = -1;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].fullName == fullName) {
            position = static_cast<int>(i);
        }
    }
    return position;
}

int PositionOfKind(const std::vector<DeviceEntry>& entries, DeviceKind kind) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].kind == kind) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

// Opens the resolved device; a system default that fails for any reason but the format gives way
// to the built-in device.
template <class Opened, class Make>
Opened OpenResolved(const DeviceEntry& entry, const DeviceEntry& builtIn, bool fromDefault,
                    const StreamFormat& format, Make make) {
    Opened opened{device_result::kBadDeviceId, make(entry)};
    if (opened.device) {
        opened.code = opened.device->Open(format);
    }
    const bool unusable = opened.code != device_result::kOk && opened.code != device_result::kBadFormat;
    if (unusable && fromDefault && entry.kind == DeviceKind::Host) {
        opened = {device_result::kBadDeviceId, make(builtIn)};
        opened.code = opened.device->Open(format);
    }
    if (opened.code != device_result::kOk) {
        opened.device.reset();
    }
    return opened;
}

} // namespace

DeviceCatalog::DeviceCatalog(HostAudio* host, uint64_t sceneSeed) : host_(host), sceneSeed_(sceneSeed) {
    Build();
}

void DeviceCatalog::Refresh() {
    if (host_ != nullptr) {
        host_->Rescan();
    }
    Build();
}

void DeviceCatalog::Build() {
    inputs_.assign(1, {.kind = DeviceKind::SystemDefault,
                       .fullName = std::string(kDefaultInputName),
                       .listName = ListName(kDefaultInputName)});
    outputs_.assign(1, {.kind = DeviceKind::SystemDefault,
                        .fullName = std::string(kDefaultOutputName),
                        .listName = ListName(kDefaultOutputName)});
    if (host_ != nullptr) {
        for (const HostDevice& device : host_->Devices()) {
            if (device.maxInputChannels > 0) {
                inputs_.push_back(HostEntry(device, device.maxInputChannels));
            }
            if (device.maxOutputChannels > 0) {
                outputs_.push_back(HostEntry(device, device.maxOutputChannels));
            }
        }
    }
    inputs_.push_back(BuiltIn(DeviceKind::TestSignal, kTestSignalName));
    inputs_.push_back(BuiltIn(DeviceKind::TestRamp, kTestRampName));
    outputs_.push_back(BuiltIn(DeviceKind::NullOutput, kNullOutputName));

    // Position 0 stands for the host's default when that takes its own default rate in mono.
    const auto usable = [this](const std::vector<DeviceEntry>& entries, int hostIndex, bool input) {
        const int position = hostIndex < 0 ? -1 : PositionOfHost(entries, hostIndex);
        if (position < 0) {
            return -1;
        }
        const DeviceEntry& entry = entries[static_cast<std::size_t>(position)];
        const int rate = entry.defaultSampleRate > 0 ? RoundToInt32(entry.defaultSampleRate) : 48000;
        return host_->QueryFormat(hostIndex, input, rate, 1) == device_result::kOk ? position : -1;
    };
    defaultInput_ = PositionOfKind(inputs_, DeviceKind::TestSignal);
    defaultOutput_ = PositionOfKind(outputs_, DeviceKind::NullOutput);
    if (host_ != nullptr) {
        if (const int position = usable(inputs_, host_->DefaultInput(), true); position > 0) {
            defaultInput_ = position;
        }
        if (const int position = usable(outputs_, host_->DefaultOutput(), false); position > 0) {
            defaultOutput_ = position;
        }
    }
    // Position 0 shows the numbers of the device it stands for.
    for (auto [entries, target] :
         {std::pair{&inputs_, defaultInput_}, std::pair{&outputs_, defaultOutput_}}) {
        DeviceEntry& first = entries->front();
        const DeviceEntry& resolved = (*entries)[static_cast<std::size_t>(target)];
        first.hostIndex = resolved.hostIndex;
        first.maxChannels = resolved.maxChannels;
        first.defaultSampleRate = resolved.defaultSampleRate;
        first.hostApi = resolved.hostApi;
    }
}

int DeviceCatalog::InputPosition(std::string_view fullName) const {
    return PositionOfName(inputs_, fullName);
}

int DeviceCatalog::OutputPosition(std::string_view fullName) const {
    return PositionOfName(outputs_, fullName);
}

const DeviceEntry& DeviceCatalog::ResolveInput(int position) const {
    if (position <= 0 || position >= static_cast<int>(inputs_.size())) {
        position = defaultInput_;
    }
    return inputs_[static_cast<std::size_t>(position)];
}

const DeviceEntry& DeviceCatalog::ResolveOutput(int position) const {
    if (position <= 0 || position >= static_cast<int>(outputs_.size())) {
        position = defaultOutput_;
    }
    return outputs_[static_cast<std::size_t>(position)];
}

int DeviceCatalog::QueryFormat(const DeviceEntry& entry, bool input, int sampleRate, int channels) const {
    switch (entry.kind) {
    case DeviceKind::Host:
        return host_ != nullptr ? host_->QueryFormat(entry.hostIndex, input, sampleRate, channels)
                                : device_result::kNoDriver;
    case DeviceKind::TestSignal:
    case DeviceKind::TestRamp:
        return GeneratorInput::QueryFormat(sampleRate, channels);
    case DeviceKind::NullOutput:
        return NullOutput::QueryFormat(sampleRate, channels);
    case DeviceKind::SystemDefault:
        break;
    }
    return device_result::kBadDeviceId;
}

int DeviceCatalog::QueryInputFormat(int position, int sampleRate, int channels) const {
    return QueryFormat(ResolveInput(position), true, sampleRate, channels);
}

int DeviceCatalog::QueryOutputFormat(int position, int sampleRate, int channels) const {
    return QueryFormat(ResolveOutput(position), false, sampleRate, channels);
}

std::unique_ptr<InputDevice> DeviceCatalog::MakeInput(const DeviceEntry& entry) {
    switch (entry.kind) {
    case DeviceKind::Host:
        return host_ != nullptr ? host_->MakeInput(entry.hostIndex) : nullptr;
    case DeviceKind::TestSignal:
        return std::make_unique<GeneratorInput>(
            entry.fullName, [seed = sceneSeed_](const StreamFormat& format) {
                return std::make_unique<TestScene>(format.sampleRate, format.channels, seed);
            });
    case DeviceKind::TestRamp:
        return std::make_unique<GeneratorInput>(entry.fullName, [](const StreamFormat& format) {
            return std::make_unique<TestRamp>(format.channels);
        });
    case DeviceKind::NullOutput:
    case DeviceKind::SystemDefault:
        break;
    }
    return nullptr;
}

std::unique_ptr<OutputDevice> DeviceCatalog::MakeOutput(const DeviceEntry& entry) {
    switch (entry.kind) {
    case DeviceKind::Host:
        return host_ != nullptr ? host_->MakeOutput(entry.hostIndex) : nullptr;
    case DeviceKind::NullOutput:
        return std::make_unique<NullOutput>(entry.fullName);
    case DeviceKind::TestSignal:
    case DeviceKind::TestRamp:
    case DeviceKind::SystemDefault:
        break;
    }
    return nullptr;
}

OpenedInput DeviceCatalog::OpenInput(int position, const StreamFormat& format) {
    const bool fromDefault = position <= 0 || position >= static_cast<int>(inputs_.size());
    const DeviceEntry& builtIn =
        inputs_[static_cast<std::size_t>(PositionOfKind(inputs_, DeviceKind::TestSignal))];
    return OpenResolved<OpenedInput>(ResolveInput(position), builtIn, fromDefault, format,
                                     [this](const DeviceEntry& entry) { return MakeInput(entry); });
}

OpenedOutput DeviceCatalog::OpenOutput(int position, const StreamFormat& format) {
    const bool fromDefault = position <= 0 || position >= static_cast<int>(outputs_.size());
    const DeviceEntry& builtIn =
        outputs_[static_cast<std::size_t>(PositionOfKind(outputs_, DeviceKind::NullOutput))];
    return OpenResolved<OpenedOutput>(ResolveOutput(position), builtIn, fromDefault, format,
                                      [this](const DeviceEntry& entry) { return MakeOutput(entry); });
}

} // namespace ondrix
