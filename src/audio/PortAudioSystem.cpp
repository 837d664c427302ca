#include "audio/PortAudioSystem.h"

#include "audio/DeviceResult.h"

#include <atomic>
#include <stdexcept>

namespace ondrix {

namespace {
std::atomic<bool> alive{false};
} // namespace

int DeviceResultOf(PaError error) {
    namespace r = device_result;
    switch (error) {
    case paNoError:
        return r::kOk;
    case paInvalidSampleRate:
    case paInvalidChannelCount:
    case paSampleFormatNotSupported:
        return r::kBadFormat;
    case paInvalidDevice:
        return r::kBadDeviceId;
    case paDeviceUnavailable:
        return r::kAllocated;
    case paInsufficientMemory:
        return r::kNoMemory;
    case paNotInitialized:
    case paHostApiNotFound:
    case paInvalidHostApi:
        return r::kNoDriver;
    case paBadStreamPtr:
    case paStreamIsStopped:
    case paStreamIsNotStopped:
        return r::kInvalidHandle;
    case paInvalidFlag:
    case paBadIODeviceCombination:
    case paNullCallback:
    case paIncompatibleHostApiSpecificStreamInfo:
    case paBufferTooBig:
    case paBufferTooSmall:
    case paCanNotReadFromAnOutputOnlyStream:
    case paCanNotWriteToAnInputOnlyStream:
        return r::kInvalidParam;
    default:
        return r::kError;
    }
}

PortAudioSystem::PortAudioSystem() {
    if (alive.exchange(true)) {
        throw std::logic_error("PortAudio is already owned");
    }
    status_ = Pa_Initialize();
}

PortAudioSystem::~PortAudioSystem() {
    if (status_ == paNoError) {
        Pa_Terminate();
    }
    alive.store(false);
}

bool PortAudioSystem::Rescan() {
    if (openStreams_ > 0) {
        return false;
    }
    if (status_ == paNoError) {
        Pa_Terminate();
    }
    status_ = Pa_Initialize();
    return status_ == paNoError;
}

} // namespace ondrix
