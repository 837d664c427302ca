// A built-in input device: a signal source rendered block by block on a clock thread at the nominal
// rate, into the same slots and under the same drop rule as a sound card's callback.
#pragma once

#include "audio/BlockClock.h"
#include "audio/InputDevice.h"
#include "audio/SignalSource.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ondrix {

class GeneratorInput : public InputDevice {
public:
    static constexpr int kMaxSampleRate = 1'000'000;

    // Makes the device's sound for an opened format.
    using SourceFactory = std::function<std::unique_ptr<SignalSource>(const StreamFormat& format)>;

    GeneratorInput(std::string name, SourceFactory makeSource);
    ~GeneratorInput() override;

    // 0 for 1 to 1 000 000 samples/s and one or two channels, else the bad-format code.
    static int QueryFormat(int sampleRate, int channels);

    std::string Name() const override { return name_; }
    int Open(const StreamFormat& format) override;
    int Start() override;
    void Stop() override;
    void Reset() override;
    void Close() override;

private:
    void RenderBlock() noexcept;
    void Release();

    std::string name_;
    SourceFactory makeSource_;
    std::unique_ptr<SignalSource> source_;
    std::vector<int16_t> block_;
    uint64_t nextFrame_ = 0; // stream frame of the next block; owned by the clock thread while running
    BlockClock clock_;
};

} // namespace ondrix
