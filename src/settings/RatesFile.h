// "rates.ini": the sampling rates the settings windows offer.
#pragma once

#include <string>

namespace ondrix {

class SettingsModel;

// Replaces the entries of both sampling-rate lists (Quick Settings and Basic Settings) with the items of
// the file, in file order; an item ends at a comma or a line end, and empty items are skipped. The list
// texts stay as they are. False, with the lists unchanged, when the file cannot be read.
bool LoadRatesFile(const std::string& path, SettingsModel& settings);

} // namespace ondrix
