// The four device commands of the Utilities menu, attached to the menu model.
#pragma once

#include "audio/DeviceLists.h"
#include "settings/MenuModel.h"

#include <functional>
#include <string>
#include <vector>

namespace ondrix {

struct DeviceCommandHooks {
    // The session controller's wait that keeps serving window events.
    WaitWithEvents waitWithEvents;
    // Clears the spectrogram picture and prints the lines on it.
    std::function<void(const std::vector<std::string>& lines)> showReport;
};

// "Refresh Audio Devices", "Check Audio Devices", "Check Sampling Rates" and "Match UA5". The lists
// and the hooks must outlive the menu's use of them.
void AttachDeviceCommands(MenuModel& menu, DeviceLists& lists, DeviceCommandHooks hooks);

} // namespace ondrix
