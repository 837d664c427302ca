#include "recording/RecordingSettingsRules.h"

#include "common/Interaction.h"
#include "common/NumberText.h"
#include "common/Rounding.h"
#include "recording/FileNaming.h"
#include "recording/Recorder.h"
#include "recording/Volumes.h"
#include "settings/SettingNames.h"
#include "settings/SettingsModel.h"

#include <array>

namespace ondrix {

namespace {

constexpr const char* kSize = "FileMaxSizeCombo";
constexpr const char* kFolder = "FileRecPathField";
constexpr const char* kSetTooLong = "2GB files size exceeded - set shorter";
constexpr const char* kSplitTooLong = "2GB file size exceeded - split shorter";

// A file split on the hour holds one minute more than the hour, so a late split still fits.
constexpr double kHourSplitMinutes = 61;
constexpr double kHalfHourSplitMinutes = 31;
// Above this much free space the label only says "> 2GB".
constexpr uint64_t kLabelLimitKB = 2000000;

constexpr std::array<const char*, 3> kNameParts = {"FileRecNameField", "FSep", "FileNamePostfix"};

} // namespace

double RecordingMegabytes(double minutes, double sampleRate, double channelCount) {
    return RoundTo(minutes * 60.0 * sampleRate * channelCount * 2.0 / 1048576.0, 2);
}

std::string FreeSpaceText(std::optional<uint64_t> freeKB, const std::string& volume) {
    if (!freeKB) {
        return {};
    }
    const std::string amount = *freeKB <= kLabelLimitKB
                                   ? NumberText(static_cast<double>(RoundToInt64(*freeKB / 1000.0))) + " MB"
                                   : std::string(" > 2GB");
    return "(" + amount + " free on drive " + volume + ")";
}

RecordingSettingsRules::RecordingSettingsRules(SettingsModel& settings, Interaction& interaction,
                                               VolumeSystem& volumes)
    : settings_(settings), interaction_(interaction), volumes_(volumes) {}

void RecordingSettingsRules::Attach() {
    if (attached_) {
        return;
    }
    attached_ = true;
    ControlModel& basic = settings_.Options0();
    for (const char* part : kNameParts) {
        acceptedNameParts_[part] = basic.Text(part);
    }
    basic.AddListener([this](const std::string& name, ControlModel::Change what) {
        if (what != ControlModel::Change::Text) {
            return;
        }
        if (name == kFolder) {
            RefreshFreeSpace();
        } else if (const auto part = acceptedNameParts_.find(name); part != acceptedNameParts_.end()) {
            // Loaded settings count as accepted when they are safe.
            if (CheckFileNameOptions(FileNameOptionsFromSettings(settings_)).empty()) {
                part->second = settings_.Options0().Text(name);
            }
        }
    });
    basic.DeclareAction("Command11");
    basic.AddActionHandler([this](const std::string& name, ControlModel::Action action) {
        OnAction(name, action == ControlModel::Action::Clicked, action == ControlModel::Action::Typed);
    });
    RefreshFreeSpace();
}

void RecordingSettingsRules::OnAction(const std::string& name, bool clicked, bool typed) {
    const ControlModel& basic = settings_.Options0();
    if (clicked && name == "Command11") {
        SetExactTime();
    } else if (clicked && name == "Split00" && basic.Checked("Split00")) {
        SplitOnTheHour();
    } else if (clicked && name == "Split30" && basic.Checked("Split30")) {
        SplitOnTheHalfHour();
    } else if (typed && name == kSize) {
        LimitTypedSize();
    } else if (typed && acceptedNameParts_.contains(name)) {
        CheckNamePart(name);
    }
}

void RecordingSettingsRules::SetExactTime() {
    interaction_.AskText("Exact duration in minutes", "", [this](std::optional<std::string> answer) {
        const double minutes = answer ? TextValue(*answer) : 0.0;
        if (minutes > 0) {
            SetSizeForMinutes(minutes, kSetTooLong);
        }
    });
}

// Sets the size list to `minutes` of sound at the window's rate and channels; a size above the limit
// shows the message and becomes "2000".
void RecordingSettingsRules::SetSizeForMinutes(double minutes, const std::string& tooLargeMessage) {
    ControlModel& basic = settings_.Options0();
    const double megabytes =
        RecordingMegabytes(minutes, basic.Value(kBasicSettings.sampleRate), basic.Value(kChannelCount));
    if (megabytes > kMaxFileMegabytes) {
        basic.SetText(kSize, "2000");
        settings_.UpdateInfo();
        interaction_.ShowMessage(tooLargeMessage, MessageIcon::Exclamation);
        return;
    }
    basic.SetText(kSize, BareNumberText(megabytes) + " MB");
    settings_.UpdateInfo();
}

void RecordingSettingsRules::SplitOnTheHour() {
    ControlModel& basic = settings_.Options0();
    basic.SetChecked("Split30", false);
    const double megabytes = RecordingMegabytes(kHourSplitMinutes, basic.Value(kBasicSettings.sampleRate),
                                                basic.Value(kChannelCount));
    if (megabytes <= kMaxFileMegabytes) {
        basic.SetText(kSize, BareNumberText(megabytes) + " MB");
        settings_.UpdateInfo();
        return;
    }
    // An hour does not fit in one file: split on the half hour instead.
    interaction_.ShowMessage(kSplitTooLong, MessageIcon::Exclamation);
    basic.SetChecked("Split30", true);
    SplitOnTheHalfHour();
}

void RecordingSettingsRules::SplitOnTheHalfHour() {
    settings_.Options0().SetChecked("Split00", false);
    SetSizeForMinutes(kHalfHourSplitMinutes, kSplitTooLong);
}

// A size typed above the limit would make the sizes of a WAV header overflow: it becomes 2000.
void RecordingSettingsRules::LimitTypedSize() {
    ControlModel& basic = settings_.Options0();
    if (basic.Value(kSize) > kMaxFileMegabytes) {
        basic.SetText(kSize, "2000 MB");
        settings_.UpdateInfo();
        interaction_.ShowMessage(kSetTooLong, MessageIcon::Exclamation);
    }
}

// A prefix, separator or postfix that cannot be part of a file name is refused: the message, then the
// last accepted text comes back.
void RecordingSettingsRules::CheckNamePart(const std::string& name) {
    ControlModel& basic = settings_.Options0();
    const std::string problem = CheckFileNameOptions(FileNameOptionsFromSettings(settings_));
    if (problem.empty()) {
        acceptedNameParts_[name] = basic.Text(name);
        return;
    }
    basic.SetText(name, acceptedNameParts_[name]);
    interaction_.ShowMessage(problem, MessageIcon::Exclamation);
}

void RecordingSettingsRules::RefreshFreeSpace() {
    const std::string folder = settings_.Options0().Text(kFolder);
    std::string text;
    if (!folder.empty()) {
        text = FreeSpaceText(volumes_.FreeKB(folder), volumes_.VolumeOf(folder));
    }
    settings_.Options0().SetText("FreeSpaceLabel", text);
}

} // namespace ondrix
