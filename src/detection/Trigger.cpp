#include "detection/Trigger.h"

#include "common/NumberText.h"
#include "common/PrintLine.h"
#include "detection/DetectionLog.h"

namespace ondrix {

void Trigger::Begin(float threshold, double columnMs, const DetectionHeading& heading, DetectionLog* log) {
    threshold_ = threshold;
    columnMs_ = columnMs;
    log_ = log != nullptr && log->IsOpen() ? log : nullptr;
    previousOn_ = false;
    lastAbove_ = 0;
    lastEvent_ = 0;
    event_ = 0;
    if (log_ == nullptr) {
        return;
    }
    PrintLine line;
    line.Item(heading.namePart)
        .NextZone()
        .Item(heading.loop == DetectionLoop::RealTime ? std::string_view("RT ") : heading.fileName)
        .Item(LogItemText(heading.sampleRate))
        .Item(LogItemText(heading.fftSize))
        .Item(LogItemText(heading.scanStep))
        .Item(" Treshold")
        .Item(LogItemText(threshold, Precision::Single));
    log_->WriteLine(line.Text());
    log_->WriteLine(ZoneFields({"N", "Count", "DeltaCount", "Time ms", "Delta ms", "PP"}));
}

TriggerResult Trigger::Column(float peakToPeak, int64_t blockCount) {
    TriggerResult out;
    if (peakToPeak > threshold_) {
        if (blockCount - lastAbove_ > kQuietColumns) {
            const int64_t delta = blockCount - lastEvent_;
            ++event_;
            WriteLine(blockCount, delta, peakToPeak, true);
            out.tick = TriggerTick::Start;
            out.deltaMs = static_cast<float>(static_cast<double>(delta) * columnMs_);
            lastEvent_ = blockCount;
        } else {
            out.tick = TriggerTick::Continue;
        }
        lastAbove_ = blockCount;
        previousOn_ = true;
    } else {
        if (previousOn_) {
            WriteLine(blockCount, blockCount - lastEvent_, 0.0f, false);
        }
        previousOn_ = false;
    }
    out.event = event_;
    return out;
}

void Trigger::WriteLine(int64_t blockCount, int64_t delta, float peakToPeak, bool start) {
    if (log_ == nullptr) {
        return;
    }
    const auto count = static_cast<double>(blockCount);
    const auto d = static_cast<double>(delta);
    PrintLine line;
    line.Item(LogItemText(static_cast<double>(event_)))
        .NextZone()
        .Item(LogItemText(count))
        .NextZone()
        .Item(LogItemText(d))
        .NextZone()
        .Item(LogItemText(static_cast<float>(count * columnMs_), Precision::Single))
        .NextZone()
        .Item(LogItemText(static_cast<float>(d * columnMs_), Precision::Single))
        .NextZone()
        .Item(start ? LogItemText(peakToPeak, Precision::Single) : LogItemText(0));
    log_->WriteLine(line.Text());
}

} // namespace ondrix
