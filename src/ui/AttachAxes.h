// The axes and the measuring cursor of the main window's picture, wired to the settings, the task and the
// open sound file.
#pragma once

#include <functional>
#include <string>

namespace ondrix {

class MainWindow;
class Palette;
class SettingsModel;
class SpectrogramRenderer;
class TaskController;
struct CurrentFile;

struct AxesWiring {
    SettingsModel& settings;
    TaskController& tasks;
    const Palette& palette;
    const SpectrogramRenderer& renderer;
    const CurrentFile& file;
    MainWindow& main;
    std::function<std::string()> recordingFile; // the file being recorded, else empty
};

// The axes follow every layout change of the picture; mouse presses and moves on the picture read it and
// write the cursor log. The cursor lives as long as the picture's handlers.
void AttachAxes(const AxesWiring& wiring);

} // namespace ondrix
