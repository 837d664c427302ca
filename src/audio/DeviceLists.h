// The device lists of the settings windows and the commands acting on them: rebuilding the lists,
// finding a device by its name, the open-error message and the device diagnostics.
#pragma once

#include "audio/DeviceCatalog.h"
#include "common/Interaction.h"
#include "settings/SettingsModel.h"

#include <functional>
#include <string>
#include <vector>

namespace ondrix {

// Waits the given seconds while window events are still served (the session controller's wait).
using WaitWithEvents = std::function<void(double seconds)>;

// The input lists are FORM1 "Combo10" (the main one) and OPTIONS0 "Combo10"; the output list is
// OPTIONS0 "Combo9". A list position is a catalog position; the device number of the reports is
// position - 1, so the system default is -1.
class DeviceLists {
public:
    struct Counts {
        int inputs = 0; // devices after position 0
        int outputs = 0;
    };

    DeviceLists(SettingsModel& settings, DeviceCatalog& catalog, Interaction& interaction);
    DeviceLists(const DeviceLists&) = delete;
    DeviceLists& operator=(const DeviceLists&) = delete;

    DeviceCatalog& Catalog() { return catalog_; }

    // Looks for devices again and fills the three lists; each list then shows its position 0.
    Counts RefreshDeviceLists();

    // The position of the last entry of the main input list equal to the name, which the list then
    // selects. An unknown name shows the not-existent message, rebuilds the lists and gives 0.
    int FindInputDevice(const std::string& name);
    // The same on the output list.
    int FindOutputDevice(const std::string& name);

    // The message of a failed input open (exclamation). The caller then restores its session state.
    void ReportOpenError(int code);

    // Whether the device at the position takes the rate with the channels (rounded), unopened.
    int QueryInputFormat(int position, int sampleRate, double channels) const;

    // "Check Audio Devices": the lines to print on the cleared spectrogram picture.
    std::vector<std::string> CheckAudioDevices() const;
    // "Check Sampling Rates" for the selected input (position 0 when none is selected), mono; the
    // session's channel count is left at 1.
    std::vector<std::string> CheckSamplingRates();
    // "Refresh Audio Devices": lists rebuilt after a 2 s wait, the previous input selected again.
    void RefreshAudioDevices(const WaitWithEvents& wait);
    // "Match UA5": selects a Roland UA-5 and sets the sampling rate its knob is at.
    void MatchUA5(const WaitWithEvents& wait);

private:
    int FindDevice(ControlModel& window, std::string_view list, const std::string& name,
                   const std::string& message);
    void SetStatus(std::string_view text);

    SettingsModel& settings_;
    DeviceCatalog& catalog_;
    Interaction& interaction_;
};

} // namespace ondrix
