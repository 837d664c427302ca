#include "audio/PortAudioStream.h"

#include "audio/DeviceResult.h"

namespace ondrix {

PortAudioStream::PortAudioStream(PortAudioSystem& system, PaDeviceIndex index, Direction direction)
    : system_(system), index_(index), direction_(direction) {}

PaStreamParameters PortAudioStream::Parameters(const StreamFormat& format, const PaDeviceInfo& info) const {
    // Capture and playback here run in blocks of many milliseconds: the safe latency suits them.
    const PaTime latency =
        direction_ == Direction::Input ? info.defaultHighInputLatency : info.defaultHighOutputLatency;
    return {index_, format.channels, paInt16, latency, nullptr};
}

int PortAudioStream::Query(const StreamFormat& format) const {
    if (!system_.Ok()) {
        return DeviceResultOf(system_.Status());
    }
    const PaDeviceInfo* info = Pa_GetDeviceInfo(index_);
    if (info == nullptr) {
        return device_result::kBadDeviceId;
    }
    const PaStreamParameters parameters = Parameters(format, *info);
    const bool input = direction_ == Direction::Input;
    return DeviceResultOf(Pa_IsFormatSupported(input ? &parameters : nullptr, input ? nullptr : &parameters,
                                               format.sampleRate));
}

int PortAudioStream::Open(const StreamFormat& format, PaStreamCallback* callback,
                          PaStreamFinishedCallback* finished, void* user) {
    Close();
    if (const int code = Query(format); code != device_result::kOk) {
        return code;
    }
    const PaStreamParameters parameters = Parameters(format, *Pa_GetDeviceInfo(index_));
    const bool input = direction_ == Direction::Input;
    const PaError error = Pa_OpenStream(
        &stream_, input ? &parameters : nullptr, input ? nullptr : &parameters, format.sampleRate,
        paFramesPerBufferUnspecified, paClipOff | paDitherOff, callback, user);
    if (error != paNoError) {
        stream_ = nullptr;
        return DeviceResultOf(error);
    }
    system_.StreamOpened();
    Pa_SetStreamFinishedCallback(stream_, finished);
    return device_result::kOk;
}

int PortAudioStream::Start() {
    if (stream_ == nullptr) {
        return device_result::kInvalidHandle;
    }
    if (started_) {
        return device_result::kOk;
    }
    stopping_.store(false, std::memory_order_release);
    const PaError error = Pa_StartStream(stream_);
    started_ = error == paNoError;
    return DeviceResultOf(error);
}

void PortAudioStream::Stop() {
    if (stream_ != nullptr && started_) {
        stopping_.store(true, std::memory_order_release);
        Pa_StopStream(stream_);
        started_ = false;
    }
}

void PortAudioStream::Abort() {
    if (stream_ != nullptr && started_) {
        stopping_.store(true, std::memory_order_release);
        Pa_AbortStream(stream_);
        started_ = false;
    }
}

void PortAudioStream::Close() {
    if (stream_ == nullptr) {
        return;
    }
    stopping_.store(true, std::memory_order_release);
    Pa_CloseStream(stream_); // aborts a running stream first
    stream_ = nullptr;
    started_ = false;
    system_.StreamClosed();
}

bool PortAudioStream::EndedByItself() const {
    return started_ && !Stopping() && Pa_IsStreamActive(stream_) != 1;
}

double PortAudioStream::OutputLatency() const {
    const PaStreamInfo* info = stream_ != nullptr ? Pa_GetStreamInfo(stream_) : nullptr;
    return info != nullptr ? info->outputLatency : 0.0;
}

} // namespace ondrix
