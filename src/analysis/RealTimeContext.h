// What a real-time loop works with: the settings, the task state, the devices, the renderer, and the
// hooks through which the RAM buffer, the recorder, the detectors and the window take part in a run.
#pragma once

#include "audio/DeviceCatalog.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace ondrix {

class DeviceLists;
class Interaction;
class SettingsModel;
class SpectrogramRenderer;
class SpectrumAveraging;
class TaskController;

// Called where a run hands on its blocks and columns. Unset hooks do nothing.
struct RealTimeHooks {
    // The window: wake the event wait when the capture device signals a block (fd), -1 when the run ends;
    // capture running (dialogs must not stall it); the picture changed (once per block).
    std::function<void(int fd)> watchCapture;
    std::function<void(bool running)> captureRunning;
    std::function<void()> pictureChanged;

    // RAM buffer: set up at the start of a run for its blocks (answers what the run's description says of
    // it), then every raw block.
    std::function<std::string(int blockValues, int channels, uint32_t rate)> ramBufferSetUp;
    std::function<void(std::span<const int16_t> block)> ramBufferAppend;

    // Recording (task 2): the file is prepared before capture (false ends the run, e.g. no disk space),
    // started, fed every raw block with the "Rec Pause" state, and closed at clean-up.
    std::function<bool()> prepareRecording;
    std::function<void()> startRecording;
    std::function<void(std::span<const int16_t> block, bool paused)> recordBlock;
    std::function<void()> endRecording;
    // A line for the session log while recording ("Fail", "Pausing...", "Resuming...").
    std::function<void(const std::string& message)> recordingLog;

    // Detection: logs opened at set-up and closed at clean-up; the tracker gets every column while
    // "Track" is checked and answers the row to mark (-1 for none); the trigger gets the frame's
    // peak-to-peak level.
    std::function<void()> openDetectionLogs;
    std::function<int(std::span<const float> column)> track;
    // Two channels: each channel's halved column, channel 0 first (no trigger in that loop).
    std::function<int(int channel, std::span<const float> column)> trackChannel;
    std::function<void(float peakToPeak)> trigger;
    std::function<void()> closeDetectionLogs;

    // The spectrum window, when it was enabled at the start of the run.
    std::function<bool()> spectrumWindowEnabled;
    std::function<void(std::span<const float> column)> plotSpectrum;
};

// What the last run measured; kept after it stops (status replies read it).
struct RealTimeStatus {
    int64_t fails = 0;
    int64_t overloads = 0;     // overloaded columns since the run or the last restart of the counts
    int64_t overloadsFrom = 0; // the chain's count when the counts last restarted
    int64_t columns = 0;
    int64_t blocks = 0;
    int64_t droppedBlocks = 0; // blocks the device itself gave up
    double binWidth = 0.0;     // Hz per FFT bin
    double columnMs = 0.0;     // ms per column
    std::string channelMode;   // "M" for the mono loop; "S", "LL", "RR", "MS" for two channels
    int channels = 1;

    // The fail and overload counters start from zero again (a recording's next file).
    void RestartCounts() {
        fails = 0;
        overloadsFrom += overloads;
        overloads = 0;
    }
};

struct RealTimeContext {
    SettingsModel& settings;
    TaskController& tasks;
    DeviceLists& devices;
    Interaction& interaction;
    SpectrogramRenderer& renderer;
    SpectrumAveraging& averaging;
    RealTimeHooks hooks{};
    RealTimeStatus status{};
    // Opens the capture device at a list position; unset: the device catalog's.
    std::function<OpenedInput(int position, const StreamFormat& format)> openInput{};
    uint32_t ditherSeed = 1;
};

} // namespace ondrix
