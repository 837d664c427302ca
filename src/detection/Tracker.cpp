#include "detection/Tracker.h"

#include "common/Clock.h"
#include "common/NumberText.h"
#include "common/PrintLine.h"
#include "detection/DetectionLog.h"

#include <algorithm>

namespace ondrix {

namespace {

std::string Item(double value, Precision precision = Precision::Double) {
    return LogItemText(value, precision);
}

// The data columns of each loop, as the second heading line names them.
std::string ColumnNames(DetectionLoop loop) {
    switch (loop) {
    case DetectionLoop::RealTime:
        return ZoneFields({"Ch", "DayTime", "RelTime", "GapCount", "TrackCount", "BlockCount", "Time(s)",
                           "Frequency", "Level", "DeltaFreq"});
    case DetectionLoop::Playback:
        return ZoneFields({"Ch", "RealTime", "RelTime", "GapCount", "TrackCount", "BlockCount", "Time(s)",
                           "Frequency", "Level", "DeltaFreq"});
    case DetectionLoop::StereoPlayback:
        return ZoneFields({"Ch", "Time", "R-Time", "BlockCount", "GapCount", "TrackCount", "Frequency",
                           "Level", "DeltaFreq"});
    case DetectionLoop::FileAnalysis:
        break;
    }
    return ZoneFields({"RealTime", "RelativeTime", "GapCount", "TrackCount", "BlockCount", "Time(s)",
                       "Frequency", "Level"});
}

} // namespace

void ClampBand(int& from, int& to, int rows) {
    rows = std::max(rows, 0);
    from = std::clamp(from, 0, rows);
    to = std::clamp(to, from, rows);
}

void Tracker::Begin(const TrackerSetup& setup, int rows, const DetectionHeading& heading, DetectionLog* log) {
    setup_ = setup;
    loop_ = heading.loop;
    log_ = log != nullptr && log->IsOpen() ? log : nullptr;
    from_ = setup.from;
    to_ = setup.to;
    ClampBand(from_, to_, rows);
    trackCount_ = 0;
    lastHit_ = 0;
    previousFrequency_ = 0.0f;
    if (log_ == nullptr) {
        return;
    }
    PrintLine line;
    if (loop_ == DetectionLoop::RealTime || loop_ == DetectionLoop::StereoPlayback) {
        line.Item(heading.namePart).NextZone().Item("RT ");
    } else {
        line.Item(heading.fileName).NextZone().Item(heading.namePart).NextZone();
    }
    line.Item(Item(heading.sampleRate))
        .Item(Item(heading.fftSize))
        .Item(Item(heading.scanStep))
        .NextZone()
        .Item("track ")
        .Item(Item(from_))
        .Item(Item(to_))
        .Item(" Treshold")
        .Item(Item(setup.threshold, Precision::Single));
    log_->WriteLine(line.Text());
    log_->WriteLine(ColumnNames(loop_));
}

TrackResult Tracker::Column(std::span<const float> values, int64_t blockCount, double seconds,
                            std::string_view dayTime) {
    int from = from_;
    int to = to_;
    ClampBand(from, to, static_cast<int>(std::min<std::size_t>(values.size(), 1u << 30)));
    TrackResult out;
    if (from >= to) {
        trackCount_ = 0;
        return out;
    }
    // The first maximum of the band.
    const auto band = values.subspan(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
    const auto peak = std::max_element(band.begin(), band.end());
    const int i = static_cast<int>(peak - band.begin());
    out.level = *peak / 2.0f;
    // A half's row stands for two rows of the chain: its frequency is that of the lower one.
    out.frequency = static_cast<float>((setup_.rowStep * (from + i) + setup_.baseRow) * setup_.rowHz);
    const float deltaFreq = out.frequency - previousFrequency_;
    previousFrequency_ = out.frequency;
    if (i > 0 && out.level > setup_.threshold) {
        out.row = from + i;
        if (log_ != nullptr) {
            ++trackCount_;
            WriteLine(blockCount, seconds, dayTime, out, deltaFreq);
            lastHit_ = blockCount;
        }
    } else {
        trackCount_ = 0;
    }
    return out;
}

void Tracker::WriteLine(int64_t blockCount, double seconds, std::string_view dayTime, const TrackResult& hit,
                        float deltaFreq) {
    PrintLine line;
    if (loop_ == DetectionLoop::StereoPlayback) {
        line.Item(Item(setup_.channel))
            .NextZone()
            .Item(dayTime)
            .NextZone()
            .Item(SecondsToClock(seconds))
            .NextZone()
            .Item(Item(static_cast<double>(blockCount)))
            .NextZone()
            .Item(Item(static_cast<double>(blockCount - lastHit_ - 1)))
            .NextZone()
            .Item(Item(static_cast<double>(trackCount_)))
            .NextZone()
            .Item(Item(hit.frequency, Precision::Single))
            .NextZone()
            .Item(Item(hit.level, Precision::Single))
            .NextZone()
            .Item(Item(deltaFreq, Precision::Single));
        log_->WriteLine(line.Text());
        return;
    }
    if (loop_ != DetectionLoop::FileAnalysis) {
        line.Item(Item(setup_.channel)).NextZone();
    }
    line.Item(loop_ == DetectionLoop::RealTime ? dayTime : std::string_view("----"))
        .NextZone()
        .Item(SecondsToClock(seconds))
        .NextZone()
        .Item(Item(static_cast<double>(blockCount - lastHit_ - 1)))
        .NextZone()
        .Item(Item(static_cast<double>(trackCount_)))
        .NextZone()
        .Item(Item(static_cast<double>(blockCount)))
        .NextZone()
        .Item(Item(seconds))
        .NextZone()
        .Item(Item(hit.frequency, Precision::Single))
        .NextZone()
        .Item(Item(hit.level, Precision::Single));
    if (loop_ != DetectionLoop::FileAnalysis) {
        line.NextZone().Item(Item(deltaFreq, Precision::Single));
    }
    log_->WriteLine(line.Text());
}

} // namespace ondrix
