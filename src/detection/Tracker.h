// The dominant-frequency tracker: the strongest display row inside a band of every column, its
// detection above a threshold, and the tracking log.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace ondrix {

class DetectionLog;

// Which loop a detector runs in: it sets the log's heading and columns. A stereo file played as
// "Stereo" has columns of its own; the live loop writes the same columns for one or two channels.
enum class DetectionLoop { RealTime, Playback, FileAnalysis, StereoPlayback };

// What the heading lines of both logs name: the run's parameters.
struct DetectionHeading {
    DetectionLoop loop = DetectionLoop::RealTime;
    std::string namePart; // the recording's base name in task 2, else empty
    std::string fileName; // the analysed file's name (file loops)
    double sampleRate = 48000.0;
    int fftSize = 512;
    int scanStep = 256;
};

struct TrackerSetup {
    int from = 2;            // first row of the band
    int to = 256;            // end row of the band, exclusive
    float threshold = 18.0f; // dB on the display scale
    double rowHz = 0.0;      // Hz per display row
    int baseRow = 0;         // the zoom base: the bin of row 0
    int rowStep = 1;         // rows of the chain per value: 2 in the halves of two channels
    int channel = 1;         // the Ch column
};

struct TrackResult {
    int row = -1; // the detected row counted from the bottom, -1 without a detection
    float frequency = 0.0f;
    float level = 0.0f;
};

class Tracker {
public:
    // Starts a session on columns of `rows` rows: the band is clamped to them. With a log, its two
    // heading lines are written.
    void Begin(const TrackerSetup& setup, int rows, const DetectionHeading& heading, DetectionLog* log);

    // One column: its number in the session, its time in seconds and the time of day for the log.
    TrackResult Column(std::span<const float> values, int64_t blockCount, double seconds,
                       std::string_view dayTime);

    int From() const { return from_; }
    int To() const { return to_; }
    int64_t TrackCount() const { return trackCount_; }

private:
    void WriteLine(int64_t blockCount, double seconds, std::string_view dayTime, const TrackResult& hit,
                   float deltaFreq);

    TrackerSetup setup_{};
    DetectionLoop loop_ = DetectionLoop::RealTime;
    DetectionLog* log_ = nullptr;
    int from_ = 0;
    int to_ = 0;
    int64_t trackCount_ = 0;
    int64_t lastHit_ = 0;
    float previousFrequency_ = 0.0f;
};

// The band as typed, clamped to the rows a column has: 0 <= from <= to <= rows.
void ClampBand(int& from, int& to, int rows);

} // namespace ondrix
