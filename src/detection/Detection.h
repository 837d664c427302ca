// The detectors of one run as the window shows them: the settings read at its start, the shared column
// count and time stamp, the logs, the tracker's label and mark, the trigger's ticks and the markers.
#pragma once

#include "detection/DetectionLog.h"
#include "detection/Markers.h"
#include "detection/Tracker.h"
#include "detection/Trigger.h"

#include <array>
#include <cstdint>
#include <ctime>
#include <functional>
#include <span>
#include <string>

namespace ondrix {

class SettingsModel;
class SpectrogramRenderer;

// How the rows of one channel's columns map onto frequencies.
struct TrackRows {
    double rowHz = 0.0; // Hz per row of the chain
    int baseRow = 0;    // the bin of row 0
};

// What a loop fixes for its detectors at set-up.
struct DetectionRun {
    DetectionHeading heading;
    int rows = 256;        // rows of a column (of a half with two channels)
    double columnMs = 0.0; // ms per column
    double rowHz = 0.0;    // Hz per display row
    int baseRow = 0;       // the bin of row 0
    bool tracker = true;   // the loop carries a tracker
    bool trigger = true;   // the loop carries a trigger
    // Two channels: one tracker and one log (" CH 0", " CH 1") per channel, on the halves' columns, each
    // value two rows of the chain; each channel's rows, as the zoom choice leaves them.
    int channels = 1;
    std::array<TrackRows, 2> channelRows{};
};

class Detection {
public:
    // Colours of the trigger's ticks: an event starts, a loud spell goes on.
    static constexpr uint32_t kStartTick = 0xffff0000u;
    static constexpr uint32_t kContinueTick = 0xff00ffffu;

    using Clock = std::function<std::tm()>;
    Detection(SettingsModel& settings, SpectrogramRenderer& renderer, Clock clock);

    // Reads the settings and creates the logs that are asked for; a log that cannot be created is
    // reported on the status line and the run goes on without it.
    void Open(const DetectionRun& run);
    void Close();

    // A column of a continuous run (its time follows from its number); answers the row to mark, -1 for
    // none.
    int Track(std::span<const float> values);
    // A channel's column of a two-channel run, channel 0 first: both columns of a frame share its number.
    // The track label shows the channel tracked last.
    int TrackChannel(int channel, std::span<const float> values);
    // A column of a file page: its time is the page's start plus (column + 1) column periods.
    int TrackPageColumn(int64_t columnInPage, double pageSeconds, std::span<const float> values);
    // The column's peak-to-peak level, after the tracker.
    void TriggerColumn(float peakToPeak);

    // Reads the marker file, prints it on the picture and counts it on the head line; DrawMarkers prints
    // the records read again (a page drawn over them).
    void LoadMarkers(const std::string& path);
    void DrawMarkers();

    const std::string& TrackLogPath(int channel = 0) const { return trackLogs_.at(channel).Path(); }
    const std::string& TriggerLogPath() const { return triggerLog_.Path(); }

private:
    int TrackColumn(std::size_t channel, std::span<const float> values, double seconds);
    void NextColumn(bool byTracker);
    bool CreateLog(DetectionLog& log, const std::string& name, std::string_view extension);

    SettingsModel& settings_;
    SpectrogramRenderer& renderer_;
    Clock clock_;
    DetectionRun run_{};
    std::array<Tracker, 2> trackers_;
    Trigger trigger_;
    std::array<DetectionLog, 2> trackLogs_;
    DetectionLog triggerLog_;
    MarkerFile markers_;
    bool tracking_ = false;
    bool triggering_ = false;
    int colourShift_ = 0;
    int64_t blockCount_ = 0;
    bool counted_ = false; // the tracker has counted the current column
};

} // namespace ondrix
