// PortAudio's initialisation, owned once by the program, and its error codes in the program's terms.
#pragma once

#include <portaudio.h>

namespace ondrix {

// PortAudio error -> result code (DeviceResult.h):
//   paNoError                                                        -> 0
//   paInvalidSampleRate, paInvalidChannelCount,
//   paSampleFormatNotSupported                                       -> 32 (BADFORMAT)
//   paInvalidDevice                                                  -> 2
//   paDeviceUnavailable                                              -> 4 (busy)
//   paInsufficientMemory                                             -> 7
//   paNotInitialized, paHostApiNotFound, paInvalidHostApi            -> 6
//   paBadStreamPtr, paStreamIsStopped, paStreamIsNotStopped          -> 5
//   paInvalidFlag, paBadIODeviceCombination, paNullCallback,
//   paIncompatibleHostApiSpecificStreamInfo, paBufferTooBig,
//   paBufferTooSmall, paCanNotReadFromAnOutputOnlyStream,
//   paCanNotWriteToAnInputOnlyStream                                 -> 11
//   anything else (paUnanticipatedHostError, paInternalError, ...)   -> 1
int DeviceResultOf(PaError error);

// Pa_Initialize on construction, Pa_Terminate on destruction; one instance at a time (a second one
// throws std::logic_error). PortAudio sees new devices only when initialised again, so Rescan
// re-initialises, unless a stream is open, which would not survive it.
class PortAudioSystem {
public:
    PortAudioSystem();
    ~PortAudioSystem();
    PortAudioSystem(const PortAudioSystem&) = delete;
    PortAudioSystem& operator=(const PortAudioSystem&) = delete;

    // PortAudio's state after the last (re)initialisation: paNoError when usable.
    PaError Status() const { return status_; }
    bool Ok() const { return status_ == paNoError; }

    // True when devices were enumerated again.
    bool Rescan();

    // Kept by the streams, so a rescan never pulls PortAudio from under an open one.
    void StreamOpened() { ++openStreams_; }
    void StreamClosed() { --openStreams_; }
    int OpenStreams() const { return openStreams_; }

private:
    PaError status_ = paNotInitialized;
    int openStreams_ = 0;
};

} // namespace ondrix
