// The values every acquisition, analysis and playback loop reads, derived from the settings
// controls before each run.
#pragma once

#include <cstdint>
#include <string>

namespace ondrix {

struct AnalysisSettings {
    int32_t sampleRate = 48000;
    int32_t fftSize = 512;
    int32_t channelCount = 1;
    float tapeSpeedRatio = 1.0f;
    float frequencyDivisionRatio = 1.0f;
    int32_t digitalGain = 1;
    int32_t amplitudeScale = 0; // 0 dB, 1 linear
    std::string recordingPath;  // ends in "/" unless empty
};

} // namespace ondrix
