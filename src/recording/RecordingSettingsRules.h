// The recording choices of the Basic Settings window: file size from an exact duration, the clock
// splits, the free space of the recording folder, the 2000 MB size limit and safe file-name parts.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace ondrix {

class Interaction;
class SettingsModel;
class VolumeSystem;

// Megabytes (of 1 048 576 bytes) of `minutes` of 16-bit sound, rounded to two decimals.
double RecordingMegabytes(double minutes, double sampleRate, double channelCount);

// The free-space label beside the recording folder: "( 1234 MB free on drive /home/)", or
// "( > 2GB free on drive /home/)" above 2 000 000 kB; empty when the volume cannot be examined.
std::string FreeSpaceText(std::optional<uint64_t> freeKB, const std::string& volume);

class RecordingSettingsRules {
public:
    RecordingSettingsRules(SettingsModel& settings, Interaction& interaction, VolumeSystem& volumes);
    RecordingSettingsRules(const RecordingSettingsRules&) = delete;
    RecordingSettingsRules& operator=(const RecordingSettingsRules&) = delete;

    // Hangs the rules on the Basic Settings window and shows the free space once.
    void Attach();
    // Measures the recording folder's volume again (the window is opened, a recording ended).
    void RefreshFreeSpace();

private:
    void OnAction(const std::string& name, bool clicked, bool typed);
    void SetExactTime();
    void SetSizeForMinutes(double minutes, const std::string& tooLargeMessage);
    void SplitOnTheHour();
    void SplitOnTheHalfHour();
    void LimitTypedSize();
    void CheckNamePart(const std::string& name);

    SettingsModel& settings_;
    Interaction& interaction_;
    VolumeSystem& volumes_;
    bool attached_ = false;
    std::map<std::string, std::string> acceptedNameParts_; // the last safe prefix, separator and postfix
};

} // namespace ondrix
