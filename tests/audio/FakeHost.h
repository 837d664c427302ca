// A sound system with the devices a test names: fixed names, a default device and a predicate for
// the formats each device takes. Its devices capture the test ramp.
#pragma once

#include "audio/DeviceResult.h"
#include "audio/GeneratorInput.h"
#include "audio/HostAudio.h"
#include "audio/NullOutput.h"
#include "audio/TestRamp.h"

#include <functional>

namespace ondrix {

class FakeHost : public HostAudio {
public:
    std::vector<HostDevice> devices;
    int defaultInput = -1;
    int defaultOutput = -1;
    // Whether device index takes the rate with the channels; everything by default.
    std::function<bool(int index, int rate, int channels)> accepts = [](int, int, int) { return true; };
    // Result of opening a device that takes the format (a device that is listed but will not open).
    int openResult = device_result::kOk;
    int rescans = 0;

    // Adds a device with input and/or output channels; returns its index.
    int Add(const std::string& name, int inputs, int outputs) {
        const int index = static_cast<int>(devices.size());
        devices.push_back({.index = index,
                           .name = name,
                           .maxInputChannels = inputs,
                           .maxOutputChannels = outputs,
                           .defaultSampleRate = 44100,
                           .hostApi = 0});
        return index;
    }

    void Rescan() override { ++rescans; }
    std::vector<HostDevice> Devices() const override { return devices; }
    int DefaultInput() const override { return defaultInput; }
    int DefaultOutput() const override { return defaultOutput; }
    int QueryFormat(int index, bool, int rate, int channels) const override {
        return accepts(index, rate, channels) ? device_result::kOk : device_result::kBadFormat;
    }
    std::unique_ptr<InputDevice> MakeInput(int index) override {
        return std::make_unique<Device<GeneratorInput>>(
            *this, index, devices.at(index).name,
            [](const StreamFormat& f) { return std::make_unique<TestRamp>(f.channels); });
    }
    std::unique_ptr<OutputDevice> MakeOutput(int index) override {
        return std::make_unique<Device<NullOutput>>(*this, index, devices.at(index).name);
    }

private:
    // A built-in device that answers Open as the host says.
    template <class Base> class Device : public Base {
    public:
        template <class... Args>
        Device(const FakeHost& host, int index, Args&&... args)
            : Base(std::forward<Args>(args)...), host_(host), index_(index) {}
        int Open(const StreamFormat& format) override {
            if (const int code = host_.QueryFormat(index_, true, format.sampleRate, format.channels)) {
                return code;
            }
            return host_.openResult != device_result::kOk ? host_.openResult : Base::Open(format);
        }

    private:
        const FakeHost& host_;
        int index_;
    };
};

} // namespace ondrix
