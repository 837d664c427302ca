// The program put together: the models, the display, the tasks, the dialogs and the windows bound to them.
#pragma once

#include "analysis/RealTimeContext.h"
#include "analysis/SpectrumAveraging.h"
#include "audio/DeviceCatalog.h"
#include "audio/DeviceLists.h"
#include "audio/PortAudioHost.h"
#include "audio/PortAudioSystem.h"
#include "display/LayoutRefresh.h"
#include "display/Palette.h"
#include "display/SpectrogramRenderer.h"
#include "settings/MenuModel.h"
#include "settings/SettingsModel.h"
#include "settings/TaskController.h"
#include "ui/QtEventPump.h"
#include "ui/QtInteraction.h"

#include <QSocketNotifier>
#include <QTimer>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ondrix {

class AdvancedSettingsWindow;
class BasicSettingsWindow;
class MainWindow;
class SpecialSettingsWindow;

struct ApplicationOptions {
    std::optional<std::string> home = {};    // the --home folder
    std::vector<std::string> arguments = {}; // the command line after the options: a sound file, "/REC", ...
};

// Needs a QApplication. Owns everything the windows show; the windows own no state of their own.
class Application {
public:
    explicit Application(ApplicationOptions options);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    SettingsModel& Settings() { return settings_; }
    MenuModel& Menus() { return menus_; }
    Palette& SharedPalette() { return palette_; }
    SpectrogramRenderer& Renderer() { return renderer_; }
    QtInteraction& Dialogs() { return interaction_; }
    TaskController& Tasks() { return *tasks_; }
    MainWindow& Main() { return *main_; }
    BasicSettingsWindow& Basic() { return *basic_; }
    AdvancedSettingsWindow& Advanced() { return *advanced_; }
    SpecialSettingsWindow& Special() { return *special_; }

    // The per-user program folder (ends in "/").
    const std::string& ProgramFolder() const { return programFolder_; }
    const std::vector<std::string>& Arguments() const { return options_.arguments; }
    const DisplayLayout& Layout() const { return layout_; }

    // Decides the picture width for the screen, lays the display out for it and shows the main window.
    void Show();

    // Re-lays out the main window's display for the current settings and picture width.
    void UpdateForm();
    // Clears the spectrogram picture to the lowest colour of the scale and repaints it.
    void ClearPicture();

    // Settings menu: Basic Settings starts from the Quick Settings and shows their analysis parameters.
    void OpenBasicSettings();
    // Exit: a running loop stops and cleans up first, then the program ends.
    void ExitProgram();
    // Presses Start once the event loop runs (the --start switch).
    void StartWhenShown();

    DeviceLists& Devices() { return *devices_; }
    const RealTimeStatus& LastRunStatus() const { return realTime_->status; }

private:
    void ConnectHooks();
    void AttachMenuCommands();
    void StartUp();
    void ShowColourScale(WindowId window, int scale);
    void SetUpSound();
    void WatchCapture(int fd);
    bool MayCloseMainWindow();

    ApplicationOptions options_;
    std::string programFolder_;
    SettingsModel settings_;
    MenuModel menus_;
    Palette palette_;
    Palette basicPalette_; // the Basic Settings colour bar: a working copy does not recolour the display
    SpectrogramRenderer renderer_;
    QtEventPump pump_;
    QtInteraction interaction_;
    std::unique_ptr<TaskController> tasks_;
    // Sound: PortAudio when it starts, the built-in devices always.
    std::unique_ptr<PortAudioSystem> audioSystem_;
    std::unique_ptr<PortAudioHost> host_;
    std::unique_ptr<DeviceCatalog> catalog_;
    std::unique_ptr<DeviceLists> devices_;
    SpectrumAveraging averaging_; // kept for the program's lifetime: the hold modes span runs
    std::unique_ptr<RealTimeContext> realTime_;
    std::unique_ptr<QSocketNotifier> captureNotifier_;
    DisplayLayout layout_;
    int pictureWidth_ = 0; // W, decided for the screen when the main window is shown
    std::unique_ptr<MainWindow> main_;
    BasicSettingsWindow* basic_ = nullptr; // the settings windows belong to the main window
    AdvancedSettingsWindow* advanced_ = nullptr;
    SpecialSettingsWindow* special_ = nullptr;
    QTimer repaintTimer_;
    bool closing_ = false;
};

} // namespace ondrix
