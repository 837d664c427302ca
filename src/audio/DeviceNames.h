// Names of the built-in entries of the device lists, and the cut form a list shows.
#pragma once

#include <string>
#include <string_view>

namespace ondrix {

// Position 0 of the lists: whatever the system calls its default device.
inline constexpr std::string_view kDefaultInputName = "System Default Input";
inline constexpr std::string_view kDefaultOutputName = "System Default Output";
// The built-in devices, last in the lists.
inline constexpr std::string_view kTestSignalName = "Ondrix Test Signal";
inline constexpr std::string_view kTestRampName = "Ondrix Test Ramp";
inline constexpr std::string_view kNullOutputName = "Ondrix Null Output";

// A device's name as the lists show it: cut at the first character whose code is below 32 or above
// 125, looking at no more than the first 48 characters.
std::string ListName(std::string_view fullName);

} // namespace ondrix
