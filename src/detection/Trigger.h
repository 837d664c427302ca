// The peak-to-peak trigger: loud columns after a quiet spell start events; the first quiet column after
// a loud one ends it. Both can be logged.
#pragma once

#include "detection/Tracker.h"

#include <cstdint>

namespace ondrix {

class DetectionLog;

// The tick under the column: an event starts, a loud spell goes on, or quiet.
enum class TriggerTick { Quiet, Start, Continue };

struct TriggerResult {
    TriggerTick tick = TriggerTick::Quiet;
    int64_t event = 0;    // the event number, from 1
    float deltaMs = 0.0f; // at a start: the time since the previous start
};

class Trigger {
public:
    // Columns quieter than this many since the last loud one make the next loud one a new event.
    static constexpr int64_t kQuietColumns = 4;

    // Starts a session; with a log, its two heading lines are written.
    void Begin(float threshold, double columnMs, const DetectionHeading& heading, DetectionLog* log);

    // One column: its peak-to-peak level and its number in the session.
    TriggerResult Column(float peakToPeak, int64_t blockCount);

private:
    void WriteLine(int64_t blockCount, int64_t delta, float peakToPeak, bool start);

    float threshold_ = 2048.0f;
    double columnMs_ = 0.0;
    DetectionLog* log_ = nullptr;
    bool previousOn_ = false;
    int64_t lastAbove_ = 0;
    int64_t lastEvent_ = 0;
    int64_t event_ = 0;
};

} // namespace ondrix
