// The "Analysis parameters" text of the Basic Settings window and its recording-duration label.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ondrix {

struct AnalysisInfoInput {
    double sampleRate = 0; // fs
    double channelCount = 0;
    double fftSize = 0;    // N
    double windowSize = 0; // W
    std::string_view windowTypeText;
    int windowTypeIndex = -1;
    double scanStep = 0; // S
};

// The six lines, numbers in their message form (leading blank when non-negative). A quotient whose
// divisor is 0, or that does not fit a double, prints as 0.
std::vector<std::string> AnalysisInfoLines(const AnalysisInfoInput& input);

// "= " and the time one file of maxMegabytes holds at 16-bit samples, as hh:mm:ss.mmm rounded to
// tenths of a second; "= 00:00:00.000" when the rate or channel count leaves nothing to compute.
std::string RecDurationText(double maxMegabytes, double sampleRate, double channelCount);

} // namespace ondrix
