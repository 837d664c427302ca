#include "detection/Detection.h"

#include "common/Clock.h"
#include "common/NumberText.h"
#include "common/Paths.h"
#include "common/Rounding.h"
#include "display/SpectrogramRenderer.h"
#include "settings/SettingsModel.h"

namespace ondrix {

namespace {

constexpr std::string_view kTrackExtension = ".track.txt";
constexpr std::string_view kTriggerExtension = ".trig.txt";

} // namespace

Detection::Detection(SettingsModel& settings, SpectrogramRenderer& renderer, Clock clock)
    : settings_(settings), renderer_(renderer), clock_(std::move(clock)) {}

void Detection::Open(const DetectionRun& run) {
    Close();
    run_ = run;
    blockCount_ = 0;
    counted_ = false;
    const ControlModel& form = settings_.Form1();
    const ControlModel& advanced = settings_.Options1();
    colourShift_ = form.IntValue("Text1");
    tracking_ = run.tracker && form.Checked("Check2");
    triggering_ = run.trigger && advanced.Checked("TriggerFlag");
    const bool trackLog = tracking_ && advanced.Checked("TrackToFileFlag");
    const bool triggerLog = triggering_ && advanced.Checked("TriggerToFileFlag");

    // One stamp for both logs of the run.
    const std::string stamp = settings_.Options0().Checked("AddTimeStamp") ? FileTimeStamp(clock_()) : "";
    const std::string folder = advanced.Text("DefLogPath");
    const std::string& namePart = run.heading.namePart;
    const int channels = run.channels == 2 ? 2 : 1;
    for (int c = 0; c < channels; ++c) {
        const auto k = static_cast<std::size_t>(c);
        if (trackLog) {
            CreateLog(trackLogs_[k],
                      DetectionLogName(folder, advanced.Text("TrackLogFileField"), namePart, stamp,
                                       channels == 2 ? c : -1, kTrackExtension),
                      kTrackExtension);
        }
        const TrackRows rows = channels == 2 ? run.channelRows[k] : TrackRows{run.rowHz, run.baseRow};
        trackers_[k].Begin({.from = advanced.IntValue("TrackFromField"),
                            .to = advanced.IntValue("TrackToField"),
                            .threshold = static_cast<float>(advanced.Value("TrackTresholdField")),
                            .rowHz = rows.rowHz,
                            .baseRow = rows.baseRow,
                            .rowStep = channels,
                            .channel = c + 1},
                           run.rows, run.heading, &trackLogs_[k]);
    }
    if (triggerLog) {
        CreateLog(triggerLog_,
                  DetectionLogName(folder, advanced.Text("TriggerLogFileField"), namePart, stamp, -1,
                                   kTriggerExtension),
                  kTriggerExtension);
    }
    trigger_.Begin(static_cast<float>(advanced.Value("TriggerTresholdField")), run.columnMs, run.heading,
                   &triggerLog_);
}

bool Detection::CreateLog(DetectionLog& log, const std::string& name, std::string_view extension) {
    if (IsFolderWritable(FolderOfPath(name)) && log.Create(UnusedLogName(name, extension))) {
        return true;
    }
    settings_.Form1().SetText("StatusLine", "Cannot write the log file " + name);
    return false;
}

void Detection::Close() {
    for (DetectionLog& log : trackLogs_) {
        log.Close();
    }
    triggerLog_.Close();
    tracking_ = false;
    triggering_ = false;
}

void Detection::NextColumn(bool byTracker) {
    if (byTracker || !counted_) {
        ++blockCount_;
    }
    counted_ = byTracker;
}

int Detection::Track(std::span<const float> values) {
    NextColumn(true);
    return TrackColumn(0, values, static_cast<double>(blockCount_) * run_.columnMs / 1000.0);
}

int Detection::TrackChannel(int channel, std::span<const float> values) {
    if (channel <= 0) {
        NextColumn(true);
    }
    return TrackColumn(channel > 0 ? 1 : 0, values,
                       static_cast<double>(blockCount_) * run_.columnMs / 1000.0);
}

int Detection::TrackPageColumn(int64_t columnInPage, double pageSeconds, std::span<const float> values) {
    NextColumn(true);
    return TrackColumn(0, values,
                       pageSeconds + static_cast<double>(columnInPage + 1) * run_.columnMs / 1000.0);
}

int Detection::TrackColumn(std::size_t channel, std::span<const float> values, double seconds) {
    if (!tracking_) {
        return -1;
    }
    const DetectionLoop loop = run_.heading.loop;
    const bool dayTime = trackLogs_[channel].IsOpen() &&
                         (loop == DetectionLoop::RealTime || loop == DetectionLoop::StereoPlayback);
    const TrackResult hit = trackers_[channel].Column(values, blockCount_, seconds,
                                                      dayTime ? ShortTimeText(clock_()) : std::string());
    settings_.Form1().SetText("Label5", NumberText(hit.frequency, Precision::Single) + " Hz " +
                                            NumberText(RoundTo(hit.level - colourShift_, 2)) + " dB");
    return hit.row;
}

void Detection::TriggerColumn(float peakToPeak) {
    if (!triggering_) {
        return;
    }
    NextColumn(false);
    const TriggerResult result = trigger_.Column(peakToPeak, blockCount_);
    uint32_t tick = renderer_.InactiveBorderColour();
    if (result.tick == TriggerTick::Start) {
        tick = kStartTick;
        settings_.Form1().SetText("Label5", NumberText(static_cast<double>(result.event)) +
                                                NumberText(result.deltaMs, Precision::Single) +
                                                NumberText(peakToPeak, Precision::Single));
    } else if (result.tick == TriggerTick::Continue) {
        tick = kContinueTick;
    }
    renderer_.DrawTick(tick);
}

void Detection::LoadMarkers(const std::string& path) {
    markers_ = Markers::Read(path);
    if (!markers_.found) {
        return;
    }
    DrawMarkers();
    settings_.Form1().SetText("HeadLine", NumberText(static_cast<double>(markers_.count)) + " Markers");
}

void Detection::DrawMarkers() {
    if (!markers_.lines.empty()) {
        renderer_.PrintText(markers_.lines);
    }
}

} // namespace ondrix
