// Result codes of device opens and format queries, and the text of a failed open.
#pragma once

#include <string>

namespace ondrix {

// The numbers the program has always reported (the classic multimedia result codes), so a message
// reads the same on every system. A PortAudio error maps to them as PortAudioSystem.h documents.
namespace device_result {
inline constexpr int kOk = 0;
inline constexpr int kError = 1;         // unspecified failure, host error
inline constexpr int kBadDeviceId = 2;   // no such device
inline constexpr int kAllocated = 4;     // device busy or unavailable
inline constexpr int kInvalidHandle = 5; // no open stream
inline constexpr int kNoDriver = 6;      // sound system not initialised, no host API
inline constexpr int kNoMemory = 7;      // out of memory
inline constexpr int kInvalidParam = 11; // a parameter the device cannot take (not a format)
inline constexpr int kBadFormat = 32;    // sample rate, channel count or sample format refused
} // namespace device_result

// "Couldn't open wave device due to Error " + the code with its leading blank, + " BADFORMAT" for 32.
std::string OpenErrorText(int code);

} // namespace ondrix
