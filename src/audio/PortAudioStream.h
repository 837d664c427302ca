// One PortAudio stream in callback mode, input or output: format check, open, start, stop, close,
// and whether it ended by itself.
#pragma once

#include "audio/PortAudioSystem.h"
#include "audio/StreamFormat.h"

#include <atomic>

namespace ondrix {

class PortAudioStream {
public:
    enum class Direction { Input, Output };

    PortAudioStream(PortAudioSystem& system, PaDeviceIndex index, Direction direction);
    ~PortAudioStream() { Close(); }
    PortAudioStream(const PortAudioStream&) = delete;
    PortAudioStream& operator=(const PortAudioStream&) = delete;

    // Whether the device takes the format (Pa_IsFormatSupported, int16 samples): 0 or a result code.
    int Query(const StreamFormat& format) const;
    // Opens with PortAudio's own buffer size; both callbacks get `user`. 0 or a result code.
    int Open(const StreamFormat& format, PaStreamCallback* callback, PaStreamFinishedCallback* finished,
             void* user);
    int Start();
    // Stop lets PortAudio finish the buffers it holds; Abort drops them.
    void Stop();
    void Abort();
    void Close();

    bool IsOpen() const { return stream_ != nullptr; }
    // True from a Stop, Abort or Close on: the finished callback then reports no failure.
    bool Stopping() const { return stopping_.load(std::memory_order_acquire); }
    // Started and not stopped by us, but no longer running: the device went away.
    bool EndedByItself() const;
    // The time a sample takes from the callback to the device's output (0 when unknown or closed).
    double OutputLatency() const;

private:
    PaStreamParameters Parameters(const StreamFormat& format, const PaDeviceInfo& info) const;

    PortAudioSystem& system_;
    PaDeviceIndex index_;
    Direction direction_;
    PaStream* stream_ = nullptr;
    bool started_ = false;
    std::atomic<bool> stopping_{false};
};

} // namespace ondrix
