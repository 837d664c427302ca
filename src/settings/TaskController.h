// The four tasks of the main window, the Start/Stop action that runs their loops, and the session state
// the loops read.
#pragma once

#include "settings/EventPump.h"
#include "settings/LoopRegistry.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ondrix {

class Interaction;
class MenuModel;
class SettingsModel;

// What the tasks ask of the display and the file handling. Unset hooks do nothing.
struct TaskHooks {
    // Clear the spectrogram picture (every task switch).
    std::function<void()> clearPicture;
    // Make the picture keep its drawing when covered, from the Redraw check (every Start/Stop click).
    std::function<void(bool)> setPersistentRedraw;
    // "Close all": forget the open file (tasks 1 and 2 are selected).
    std::function<void()> closeAllFiles;
    // "Open .wav": let the user choose a file and open it (Start in task 3 without a file).
    std::function<void()> openWav;
    // Reset the file view's refresh state, as "Refresh" does (Start in task 4).
    std::function<void()> resetFileView;
};

// Owns SessionMode, SessionStopped and CurrentFileName. Everything runs on the window thread: a loop runs
// inside StartStop and processes events through the pump after every pass, so a click during a run arrives
// here with the run's StartStop below it on the call stack. Handlers that must wait for the run to end
// queue their continuation (RequestStopThen) instead of waiting. Once the program ends (Shutdown), no run
// starts again, whichever handler asks and however deep it sits.
//
// Bindings made by the constructor: the task menu commands and "Enable Quick Settings RT" on the menu
// model; clicks (ControlModel::Click) on StartStop, Command23 and QuickRecButton of the main window.
class TaskController {
public:
    static constexpr uint32_t kRecordingColour = 0xFF0000;    // StartStop in task 2 and while recording
    static constexpr std::chrono::milliseconds kIdleWait{10}; // longest wait for an event after an idle pass

    TaskController(SettingsModel& settings, MenuModel& menu, Interaction& interaction, EventPump& pump);
    TaskController(const TaskController&) = delete;
    TaskController& operator=(const TaskController&) = delete;

    TaskHooks& Hooks() { return hooks_; }    // hooks the app connects
    LoopRegistry& Loops() { return loops_; } // where the loops register

    int16_t SessionMode() const { return sessionMode_; }       // the task: 1..4
    void SetSessionMode(int16_t mode) { sessionMode_ = mode; } // the task number alone (start-up)
    bool SessionStopped() const { return sessionStopped_; }    // true: no loop runs, or it is asked to end
    // Loops: true ends the run. Once the program ends nothing clears it again.
    void SetSessionStopped(bool stopped) { sessionStopped_ = stopped || shuttingDown_; }
    bool Running() const { return running_; } // a session is between its set-up and the end of its clean-up
    int RunsStarted() const { return runsStarted_; } // runs begun since the program started

    bool PauseButton() const;  // the Pause button is down: loops hold analysis
    bool RecPauseFlag() const; // "Rec Pause" is down: recording loops hold the file

    // The open sound file; empty when none.
    const std::string& CurrentFileName() const { return currentFileName_; }
    void SetCurrentFileName(std::string path) { currentFileName_ = std::move(path); }

    // Applies a task to the main window (menu checks, pause and file-position controls, navigation frame);
    // SessionMode is not changed.
    void SetTaskMode(int16_t mode);
    // The task menu commands 1..4: SessionMode, SetTaskMode, status label, StartStop, default block size.
    // Other numbers are ignored.
    void SelectTask(int16_t mode);

    // Idle: runs the loop of the current task until it ends. Running: asks the loop to end.
    void StartStop();
    // Toggles tasks 1 and 2; during a run, stops it first and toggles after its clean-up.
    void QuickRecButton();
    // "Enable Quick Settings RT": enables the Quick Settings panel, also during a run.
    void EnableQuick();

    // Returns after `seconds` on a monotonic clock, processing events meanwhile (at least once).
    void WaitWithEvents(float seconds);
    // Running: raises the stop and runs `then` after the run's clean-up and idle captions. Idle: runs it now.
    void RequestStopThen(std::function<void()> then);
    // Start after `seconds` of serving events, unless a run began meanwhile (a click, the --start switch) or
    // one is going: a delayed start is never a Stop, nor a second run.
    void StartAfterWait(float seconds);
    // The program ends: the run stops at its next pass, no run starts from now on, and `then` runs once the
    // run has cleaned up (now when none runs).
    void Shutdown(std::function<void()> then);

private:
    void RunTask(int16_t mode);
    void RunLoop(int16_t mode, int channelCount);
    void ShowIdle();
    void SetDefaultBlockSize(const char* defaultList);

    SettingsModel& settings_;
    MenuModel& menu_;
    Interaction& interaction_;
    EventPump& pump_;
    TaskHooks hooks_;
    LoopRegistry loops_;
    int16_t sessionMode_ = 1;
    bool sessionStopped_ = true;
    bool running_ = false;
    bool shuttingDown_ = false;
    int runsStarted_ = 0;
    std::string currentFileName_;
    std::vector<std::function<void()>> continuations_;
};

} // namespace ondrix
