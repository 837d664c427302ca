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
#include "files/CurrentFile.h"
#include "files/FileAnalysisLoop.h"
#include "files/FileNavigation.h"
#include "files/FileOpener.h"
#include "files/FilePlaybackLoop.h"
#include "recording/RamBufferCommands.h"
#include "recording/Recorder.h"
#include "recording/RecordingSettingsRules.h"
#include "recording/Volumes.h"
#include "settings/MenuModel.h"
#include "settings/ScreenLayout.h"
#include "settings/SettingsFiles.h"
#include "settings/SettingsModel.h"
#include "settings/TaskController.h"
#include "ui/QtEventPump.h"
#include "ui/QtInteraction.h"
#include "ui/SnapshotCommands.h"

#include <QSocketNotifier>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ondrix {

class AdvancedSettingsWindow;
class BasicSettingsWindow;
class MainWindow;
class RemoteControl;
class SpecialSettingsWindow;

struct ApplicationOptions {
    std::optional<std::string> home = {};    // the --home folder
    std::vector<std::string> arguments = {}; // the command line after the options: a sound file, "/REC", ...
    bool splash = true;                      // show the splash window (never on the offscreen platform)
    std::optional<int> screenWidth = {};     // the screen width the layout is made for; else the screen's
    Interaction* interaction = nullptr;      // the dialogs to use instead of the Qt ones (tests)
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
    // The dialogs everything is shown with: the Qt ones, or those given in the options.
    Interaction& Ui() { return *ui_; }
    SettingsFiles& Files() { return *files_; }
    TaskController& Tasks() { return *tasks_; }
    MainWindow& Main() { return *main_; }
    SnapshotCommands& Snapshots() { return *snapshots_; }
    BasicSettingsWindow& Basic() { return *basic_; }
    AdvancedSettingsWindow& Advanced() { return *advanced_; }
    SpecialSettingsWindow& Special() { return *special_; }

    // The per-user program folder (ends in "/").
    const std::string& ProgramFolder() const { return programFolder_; }
    // The session log of the day the program started: program folder + "RecLog YYYYMMDD.Log".
    const std::string& SessionLog() const { return sessionLog_; }
    // Where start-up put the main window for the width of the screen.
    WindowPlacement Placement() const { return placement_; }
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
    // "Exit", closing the main window: asks "Are you sure you want to terminate the program ?" (No is the
    // default); Yes quits. A run goes on while the question is open.
    void ExitProgram();
    // Ends the program without a question: a running loop stops and cleans up first, then the windows
    // close and the event loop ends (signals, --quit-after, a confirmed exit).
    void Quit();
    bool Quitting() const { return quitting_; }
    // Presses Start once the event loop runs (the --start switch).
    void StartWhenShown();

    // Opens a sound file for analysis (the command line's file) through the file opener; tests may put
    // another opener in its place.
    void SetFileOpener(std::function<void(const std::string& path)> opener) {
        fileOpener_ = std::move(opener);
    }
    void OpenFile(const std::string& path);

    DeviceLists& Devices() { return *devices_; }
    const RealTimeStatus& LastRunStatus() const { return realTime_->status; }

private:
    void ConnectHooks();
    void AttachMenuCommands();
    void StartUp();
    void ShowSplash();
    void AppendStatus(std::string_view text);
    int ScreenWidth() const;
    void RunCommandLine();
    void CloseAll();
    void ShowColourScale(WindowId window, int scale);
    void SetUpSound();
    void SetUpFiles();
    void WatchWakeFd(int fd);
    void ConnectRecorder();
    void ConnectRamBuffer();
    bool MayCloseMainWindow();

    ApplicationOptions options_;
    std::string programFolder_;
    std::string sessionLog_;
    SettingsModel settings_;
    MenuModel menus_;
    Palette palette_;
    Palette basicPalette_; // the Basic Settings colour bar: a working copy does not recolour the display
    SpectrogramRenderer renderer_;
    QtEventPump pump_;
    QtInteraction interaction_;
    Interaction* ui_ = nullptr; // interaction_ unless the options give other dialogs
    std::unique_ptr<TaskController> tasks_;
    std::unique_ptr<SettingsFiles> files_;
    // Sound: PortAudio when it starts, the built-in devices always.
    std::unique_ptr<PortAudioSystem> audioSystem_;
    std::unique_ptr<PortAudioHost> host_;
    std::unique_ptr<DeviceCatalog> catalog_;
    std::unique_ptr<DeviceLists> devices_;
    SpectrumAveraging averaging_; // kept for the program's lifetime: the hold modes span runs
    std::unique_ptr<RealTimeContext> realTime_;
    std::unique_ptr<QSocketNotifier> wakeNotifier_; // the running loop's device
    LocalVolumes volumes_;
    std::unique_ptr<Recorder> recorder_; // the recording of a task-2 run
    std::string recordingCaption_; // the status caption of a recording run, shown again at a file switch
    std::unique_ptr<RamBufferCommands> ramBuffer_; // the last minutes of live input, across runs
    std::unique_ptr<RecordingSettingsRules> recordingRules_;
    CurrentFile currentFile_; // the sound file of tasks 3 and 4
    std::unique_ptr<FileOpener> opener_;
    std::unique_ptr<FileNavigation> navigation_;
    std::unique_ptr<FileAnalysisContext> fileAnalysis_;
    std::unique_ptr<FilePlaybackContext> playback_;
    DisplayLayout layout_;
    int pictureWidth_ = 0; // W, decided for the screen when the main window is shown
    std::unique_ptr<MainWindow> main_;
    std::unique_ptr<SnapshotCommands> snapshots_; // pictures of the window as files, clipboard and print
    BasicSettingsWindow* basic_ = nullptr;        // the settings windows belong to the main window
    AdvancedSettingsWindow* advanced_ = nullptr;
    SpecialSettingsWindow* special_ = nullptr;
    QTimer repaintTimer_;
    WindowPlacement placement_ = WindowPlacement::Normal;
    std::function<void(const std::string&)> fileOpener_;
    bool exitAsked_ = false; // the exit question is open
    bool quitting_ = false;  // the program is ending (a run may still be cleaning up)
    bool closing_ = false;   // the main window may close

    // Commands in UDP datagrams (the "Remote Control" settings); destroyed first, before what it drives.
    std::unique_ptr<RemoteControl> remote_;
};

} // namespace ondrix
