#include "audio/DeviceCommands.h"

#include <memory>

namespace ondrix {

void AttachDeviceCommands(MenuModel& menu, DeviceLists& lists, DeviceCommandHooks hooks) {
    const auto shared = std::make_shared<DeviceCommandHooks>(std::move(hooks));
    const auto report = [shared](const std::vector<std::string>& lines) {
        if (shared->showReport) {
            shared->showReport(lines);
        }
    };
    menu.SetHandler("RefreshAudioDevices",
                    [&lists, shared] { lists.RefreshAudioDevices(shared->waitWithEvents); });
    menu.SetHandler("CheckAudioDevices", [&lists, report] { report(lists.CheckAudioDevices()); });
    menu.SetHandler("CheckSamplingRates", [&lists, report] { report(lists.CheckSamplingRates()); });
    menu.SetHandler("MatchUA5", [&lists, shared] { lists.MatchUA5(shared->waitWithEvents); });
}

} // namespace ondrix
