// The texts of the two device diagnostics: the device table and the accepted sampling rates.
#pragma once

#include "audio/DeviceCatalog.h"

#include <functional>
#include <string>
#include <vector>

namespace ondrix {

// "WaveIn Devices", one line per input position (device number = position - 1, the name, the
// maximum channels, the default sample rate and the host API number in print zones), a blank line,
// "WaveOut Devices" and the output lines. Position 0 names the device it stands for in brackets.
std::vector<std::string> DeviceTableLines(const DeviceCatalog& catalog);

// The device number, then every rate the predicate accepts of four series (4000-192000 step 1000,
// 11025-176400 step 11025, 2560-256000 step 2560, 4096-128000 step 2048): a new line after every 14
// accepted rates, counted across the series, and a new line after each series.
std::vector<std::string> SamplingRateLines(int deviceNumber, const std::function<bool(int rate)>& accepts);

} // namespace ondrix
