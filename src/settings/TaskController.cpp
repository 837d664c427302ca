#include "settings/TaskController.h"

#include "common/Interaction.h"
#include "settings/MenuModel.h"
#include "settings/SettingsModel.h"

#include <algorithm>
#include <array>

namespace ondrix {

namespace {

// The task menu commands, by task number - 1.
constexpr std::array<const char*, 4> kTaskCommands = {"RealTimeAnalysis", "RealTimeRecording",
                                                      "FileAnalysisPlay", "FileAnalysis"};

} // namespace

TaskController::TaskController(SettingsModel& settings, MenuModel& menu, Interaction& interaction,
                               EventPump& pump)
    : settings_(settings), menu_(menu), interaction_(interaction), pump_(pump) {
    for (int16_t mode = 1; mode <= 4; ++mode) {
        menu_.SetHandler(kTaskCommands[mode - 1], [this, mode] { SelectTask(mode); });
    }
    menu_.SetHandler("EnableQuick", [this] { EnableQuick(); });
    settings_.Form1().DeclareActions({"StartStop", "Command23", "QuickRecButton"});
    settings_.Form1().AddActionHandler([this](const std::string& name, ControlModel::Action action) {
        if (action != ControlModel::Action::Clicked) {
            return;
        }
        if (name == "StartStop" || name == "Command23") {
            StartStop();
        } else if (name == "QuickRecButton") {
            QuickRecButton();
        }
    });
}

bool TaskController::PauseButton() const {
    return settings_.Form1().Checked("PauseButton");
}

bool TaskController::RecPauseFlag() const {
    return settings_.Form1().Checked("RecPauseFlag");
}

void TaskController::SetTaskMode(int16_t mode) {
    ControlModel& form = settings_.Form1();
    for (const char* command : kTaskCommands) {
        menu_.SetChecked(command, false);
    }
    form.SetVisible("RecPauseFlag", false);
    form.SetChecked("RecPauseFlag", false);
    form.SetEnabled("GoToS", false);
    if (hooks_.clearPicture) {
        hooks_.clearPicture();
    }
    settings_.UpdateForm();
    form.SetText("L25", "");
    form.SetText("CounterLabel", "");
    if (mode >= 1 && mode <= 4) {
        menu_.SetChecked(kTaskCommands[mode - 1], true);
    }
    switch (mode) {
    case 1:
        form.SetEnabled("QuickRecButton", true);
        form.SetEnabled("Text4", false);
        break;
    case 2:
        form.SetVisible("RecPauseFlag", true);
        form.SetEnabled("QuickRecButton", true);
        form.SetEnabled("Text4", false);
        break;
    case 3:
        form.SetEnabled("GoToS", true);
        form.SetEnabled("Text4", true);
        form.SetEnabled("QuickRecButton", false);
        break;
    case 4:
        form.SetEnabled("GoToS", false);
        form.SetEnabled("Text4", false);
        form.SetEnabled("QuickRecButton", false);
        break;
    default:
        break;
    }
    form.SetVisible("Frame4", mode == 4);
}

void TaskController::SelectTask(int16_t mode) {
    if (mode < 1 || mode > 4) {
        return;
    }
    ControlModel& form = settings_.Form1();
    sessionMode_ = mode;
    SetTaskMode(mode);
    if ((mode == 1 || mode == 2) && hooks_.closeAllFiles) {
        hooks_.closeAllFiles();
    }
    switch (mode) {
    case 1:
        form.SetText("Label4", "Real-Time display");
        form.SetBackground("StartStop", std::nullopt);
        form.SetCaption("StartStop", "Start");
        SetDefaultBlockSize("DefBlockSizeRTACombo");
        break;
    case 2:
        SetDefaultBlockSize("DefBlockSizeRecCombo");
        form.SetText("Label4", "Recording to " + settings_.Options0().Text("FileRecPathField"));
        form.SetBackground("StartStop", kRecordingColour);
        form.SetCaption("StartStop", "REC Start");
        break;
    case 3:
        form.SetText("Label4", "File Play");
        form.SetBackground("StartStop", std::nullopt);
        form.SetCaption("StartStop", "Start");
        SetDefaultBlockSize("DefBlockSizePbkCombo");
        break;
    default:
        form.SetText("Label4", "File Analysis");
        form.SetBackground("StartStop", std::nullopt);
        form.SetCaption("StartStop", "Start");
        break;
    }
}

// Every task compares the recording default with the block size, whichever default it then sets. The
// size is written as typed: the display is laid out again and the Quick Settings check runs at once.
void TaskController::SetDefaultBlockSize(const char* defaultList) {
    const ControlModel& advanced = settings_.Options1();
    ControlModel& form = settings_.Form1();
    if (advanced.Value("DefBlockSizeRecCombo") > form.Value(kQuickSettings.blockSize)) {
        form.Type(kQuickSettings.blockSize, advanced.Text(defaultList));
    }
}

void TaskController::StartStop() {
    if (hooks_.setPersistentRedraw) {
        hooks_.setPersistentRedraw(settings_.Options1().Checked("RedrawFlag"));
    }
    // A click during a run (or while it cleans up) reaches here from the run's event processing: it only
    // ends the run, whose own StartStop below on the stack then finishes.
    if (running_ || !sessionStopped_ || shuttingDown_) {
        ShowIdle();
        return;
    }
    ControlModel& form = settings_.Form1();
    form.SetEnabled("Frame1", false);
    form.SetChecked("PauseButton", false);
    if (sessionMode_ == 2) {
        form.SetCaption("StartStop", "REC Stop");
        form.SetBackground("StartStop", kRecordingColour);
    } else {
        form.SetCaption("StartStop", "Stop");
        form.SetBackground("StartStop", std::nullopt);
    }
    RunTask(sessionMode_);
    ShowIdle();
    // A continuation may start a new run; what that run queues is its own.
    std::vector<std::function<void()>> pending;
    pending.swap(continuations_);
    for (const std::function<void()>& then : pending) {
        then();
    }
}

void TaskController::RunTask(int16_t mode) {
    switch (mode) {
    case 1:
    case 2:
        RunLoop(mode, settings_.Options0().IntValue(kChannelCount));
        break;
    case 3: {
        // Playback may put the file's rate into the Basic Settings; the user's rate comes back afterwards.
        const std::string sampleRate = settings_.Options0().Text(kBasicSettings.sampleRate);
        if (currentFileName_.empty() && hooks_.openWav) {
            const int runsBefore = runsStarted_;
            hooks_.openWav();
            // Opening may have played the file already ("Play on Open"): do not play it a second time.
            if (runsStarted_ != runsBefore) {
                return;
            }
        }
        if (currentFileName_.empty()) {
            return;
        }
        RunLoop(mode, 0);
        // Written as typed, so the Basic Settings check and its analysis parameters follow it.
        settings_.Options0().Type(kBasicSettings.sampleRate, sampleRate);
        break;
    }
    case 4:
        // Without a file the user chooses one first; the loop ends at once when none was chosen.
        if (currentFileName_.empty() && hooks_.openWav) {
            hooks_.openWav();
        }
        if (hooks_.resetFileView) {
            hooks_.resetFileView();
        }
        RunLoop(mode, 0);
        break;
    default:
        break;
    }
}

void TaskController::RunLoop(int16_t mode, int channelCount) {
    const std::optional<LoopSlot> slot = LoopRegistry::SlotFor(mode, channelCount);
    // The program may have begun to end while a file was chosen for the run.
    if (!slot || shuttingDown_) {
        return;
    }
    const std::unique_ptr<Session> session = loops_.Create(*slot);
    if (!session) {
        std::string text = menu_.At(kTaskCommands[mode - 1]).caption;
        if (*slot == LoopSlot::RealTimeStereo) {
            text += " with two channels";
        }
        interaction_.ShowMessage(text + " is not available yet", MessageIcon::Information);
        return;
    }
    ++runsStarted_;
    running_ = true;
    sessionStopped_ = false;
    session->SetUp();
    while (!sessionStopped_) {
        const PassResult result = session->Pass();
        if (result == PassResult::Idle && !sessionStopped_) {
            pump_.WaitForEvents(kIdleWait);
        } else {
            pump_.ProcessEvents();
        }
    }
    session->CleanUp();
    running_ = false;
}

void TaskController::ShowIdle() {
    ControlModel& form = settings_.Form1();
    sessionStopped_ = true;
    form.SetCaption("StartStop", sessionMode_ == 2 ? "REC Start" : "Start");
    form.SetText("Label4", "");
    form.SetChecked("PauseButton", false);
    form.SetEnabled("Frame1", true);
}

void TaskController::QuickRecButton() {
    RequestStopThen([this] {
        if (sessionMode_ == 1) {
            SelectTask(2);
        } else if (sessionMode_ == 2) {
            SelectTask(1);
        }
    });
}

void TaskController::EnableQuick() {
    settings_.Form1().SetEnabled("Frame1", true);
}

void TaskController::WaitWithEvents(float seconds) {
    using Clock = std::chrono::steady_clock;
    const auto length = std::chrono::duration<double>(std::max(seconds, 0.0f));
    const Clock::time_point deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(length);
    do {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        pump_.WaitForEvents(std::max(left, std::chrono::milliseconds{0}));
    } while (Clock::now() < deadline);
}

void TaskController::StartAfterWait(float seconds) {
    const int runsBefore = runsStarted_;
    WaitWithEvents(seconds);
    if (runsStarted_ == runsBefore && !running_) {
        StartStop();
    }
}

void TaskController::Shutdown(std::function<void()> then) {
    shuttingDown_ = true;
    sessionStopped_ = true;
    RequestStopThen(std::move(then));
}

void TaskController::RequestStopThen(std::function<void()> then) {
    if (running_) {
        sessionStopped_ = true;
        continuations_.push_back(std::move(then));
    } else if (then) {
        then();
    }
}

} // namespace ondrix
