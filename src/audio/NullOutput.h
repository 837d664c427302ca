// A built-in output device that plays queued slots into nothing at the nominal rate, on a clock
// thread: playback runs in real time on a machine without a sound card.
#pragma once

#include "audio/BlockClock.h"
#include "audio/OutputDevice.h"

#include <string>

namespace ondrix {

class NullOutput : public OutputDevice {
public:
    explicit NullOutput(std::string name) : name_(std::move(name)) {}
    ~NullOutput() override { clock_.Stop(); }

    // 0 for 1 to 1 000 000 samples/s and one or two channels, else the bad-format code.
    static int QueryFormat(int sampleRate, int channels);

    std::string Name() const override { return name_; }
    int Open(const StreamFormat& format) override;
    int Start() override;
    void Stop() override { clock_.Stop(); }
    void Reset() override;
    void Close() override;

private:
    std::string name_;
    bool open_ = false;
    BlockClock clock_;
};

} // namespace ondrix
