// Reading the picture: the axes and the measuring cursor of the main window's picture, and the spectrum
// window fed by the analysis loops.
#pragma once

#include <functional>
#include <string>

namespace ondrix {

struct FileAnalysisContext;
struct FilePlaybackContext;
class MainWindow;
struct RealTimeContext;
class Palette;
class SettingsModel;
class SpectrogramRenderer;
class TaskController;
struct CurrentFile;

struct MeasurementWiring {
    SettingsModel& settings;
    TaskController& tasks;
    const Palette& palette;
    const SpectrogramRenderer& renderer;
    const CurrentFile& file;
    MainWindow& main;
    std::function<std::string()> recordingFile; // the file being recorded, else empty
    RealTimeContext& realTime;
    FileAnalysisContext& fileAnalysis;
    FilePlaybackContext& playback;
};

// The axes follow every layout change of the picture; mouse presses and moves on the picture read it and
// write the cursor log. The spectrum window opens at the first column a run plots ("Enable SpecForm"
// set at its start) and keeps its traces across runs. Cursor and plot live as long as the handlers.
void AttachMeasurement(const MeasurementWiring& wiring);

} // namespace ondrix
