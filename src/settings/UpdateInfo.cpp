// The "Analysis parameters" of the Basic Settings window, read from that window's lists.
#include "settings/AnalysisInfo.h"
#include "settings/SettingsModel.h"

namespace ondrix {

std::vector<std::string> SettingsModel::UpdateInfo() {
    ControlModel& b = options0_;
    const BasicSettingNames& n = kBasicSettings;
    AnalysisInfoInput input;
    input.sampleRate = b.Value(n.sampleRate);
    input.channelCount = b.Value(kChannelCount);
    input.fftSize = b.Value(n.fftSize);
    input.windowSize = b.Value(n.windowSize);
    input.windowTypeText = b.Text(n.windowType);
    input.windowTypeIndex = b.ListIndex(n.windowType);
    input.scanStep = b.Value(n.scanStep);
    infoLines_ = AnalysisInfoLines(input);

    std::string picture;
    for (const std::string& line : infoLines_) {
        picture += picture.empty() ? line : "\n" + line;
    }
    b.SetText("AnalysisParameters", picture);
    b.SetText("RecDurationLabel",
              RecDurationText(b.Value("FileMaxSizeCombo"), input.sampleRate, input.channelCount));

    // Clock-aligned splitting and disk spanning exist only for multiple-file recording.
    const bool multipleFiles = b.IntValue("FileModeCombo") == 3;
    for (std::string_view name : {"Split00", "Split30", "SpanDiskCheck"}) {
        b.SetEnabled(name, multipleFiles);
    }
    return infoLines_;
}

} // namespace ondrix
