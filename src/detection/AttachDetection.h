// The detectors wired into the hooks of the analysis loops.
#pragma once

#include <functional>
#include <string>

namespace ondrix {

struct FileAnalysisContext;
struct FilePlaybackContext;
struct RealTimeContext;
class SettingsModel;
class SpectrogramRenderer;

struct DetectionWiring {
    SettingsModel& settings;
    SpectrogramRenderer& renderer;
    RealTimeContext& realTime;
    FileAnalysisContext& fileAnalysis;
    FilePlaybackContext& playback;
    std::function<std::string()> recordingName; // the base name of the file being recorded, else empty
    std::string markerPath;                     // the marker file of the file tasks
};

// One detector set serves every loop (one run at a time); the hooks keep it alive. The file-analysis
// page's own picture change draws the markers again over the page.
void AttachDetection(const DetectionWiring& wiring);

} // namespace ondrix
