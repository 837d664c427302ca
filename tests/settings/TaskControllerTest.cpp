// The tasks, Start/Stop and the run framework: which loop runs, what the window shows around a run, and
// that no click, continuation or quit nests or restarts a run; the command line and "rates.ini" (the
// screen-width layout and the program folder are tested with the whole application).
#include "settings/TaskController.h"
#include "TempFolder.h"
#include "settings/CommandLine.h"
#include "settings/MenuModel.h"
#include "settings/RatesFile.h"
#include "settings/SettingsModel.h"
#include "support/ByteFiles.h"
#include "support/JournalSession.h"
#include "support/ScriptedInteraction.h"
#include "support/ScriptedPump.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>
#include <vector>

namespace ondrix {
namespace {

using Journal = std::vector<std::string>;

class TaskControllerTest : public ::testing::Test {
protected:
    TaskControllerTest() {
        settings.Options0().SetText("FileRecPathField", "/data/rec/");
        settings.Hooks().updateForm = [this] { journal.push_back("UpdateForm"); };
        TaskHooks& hooks = tasks.Hooks();
        hooks.clearPicture = [this] { journal.push_back("clear picture"); };
        hooks.closeAllFiles = [this] { journal.push_back("close all"); };
        hooks.resetFileView = [this] { journal.push_back("reset file view"); };
        tasks.SelectTask(1);
        journal.clear();
    }

    ControlModel& form() { return settings.Form1(); }
    void Register(
        LoopSlot slot, std::function<void(int)> onPass = {}, int lastPass = 0,
        std::function<void()> onCleanUp = [] {}, int idleFrom = 0) {
        tasks.Loops().Register(slot, [=, this] {
            auto session = std::make_unique<JournalSession>(tasks, journal, onPass, lastPass);
            session->onCleanUp = onCleanUp;
            session->idleFrom = idleFrom;
            return session;
        });
    }
    // `before`, the journal of a run of the task with so many passes, and `after`.
    static Journal Run(int task, int passes, Journal before = {}, const Journal& after = {}) {
        before.push_back("set up in task " + std::to_string(task));
        for (int pass = 1; pass <= passes; ++pass) {
            before.push_back("pass " + std::to_string(pass));
        }
        before.push_back("clean up");
        before.insert(before.end(), after.begin(), after.end());
        return before;
    }
    void ExpectIdle(const std::string& caption) {
        EXPECT_EQ(std::tuple(tasks.SessionStopped(), tasks.Running(), form().At("StartStop").caption,
                             form().Text("Label4"), form().At("Frame1").enabled,
                             form().Checked("PauseButton")),
                  std::tuple(true, false, caption, "", true, false));
    }

    SettingsModel settings;
    MenuModel menu;
    ScriptedInteraction interaction;
    ScriptedPump pump;
    TaskController tasks{settings, menu, interaction, pump};
    Journal journal;
};

// Each task sets its menu check, status, caption, colour and own controls; real-time ones close files.
TEST_F(TaskControllerTest, EachTaskSetsItsMenuCheckStatusCaptionColourAndControls) {
    const char* commands[] = {"RealTimeAnalysis", "RealTimeRecording", "FileAnalysisPlay", "FileAnalysis"};
    // Status, caption, colour, and which of "Rec Pause" (shown), GoToS, Text4, QuickRecButton (enabled) and
    // the navigation frame (shown) the task has.
    const std::tuple<const char*, const char*, std::optional<uint32_t>, std::array<bool, 5>> expected[] = {
        {"Real-Time display", "Start", std::nullopt, {false, false, false, true, false}},
        {"Recording to /data/rec/", "REC Start", 0xFF0000, {true, false, false, true, false}},
        {"File Play", "Start", std::nullopt, {false, true, true, false, false}},
        {"File Analysis", "Start", std::nullopt, {false, false, false, false, true}}};
    for (int16_t mode = 1; mode <= 4; ++mode) {
        const auto& [status, caption, colour, controls] = expected[mode - 1];
        SCOPED_TRACE(mode);
        form().SetChecked("RecPauseFlag", true);
        form().SetText("L25", "12");
        form().SetText("CounterLabel", "7");
        journal.clear();
        ASSERT_TRUE(menu.Trigger(commands[mode - 1]));
        EXPECT_EQ(tasks.SessionMode(), mode);
        for (const char* command : commands) {
            EXPECT_EQ(menu.At(command).checked, command == commands[mode - 1]) << command;
        }
        EXPECT_EQ(std::tuple(form().Text("Label4"), form().At("StartStop").caption,
                             form().At("StartStop").background),
                  std::tuple(status, caption, colour));
        EXPECT_EQ((std::array<bool, 5>{form().At("RecPauseFlag").visible, form().At("GoToS").enabled,
                                       form().At("Text4").enabled, form().At("QuickRecButton").enabled,
                                       form().At("Frame4").visible}),
                  controls);
        EXPECT_EQ(form().Text("RecPauseFlag") + form().Text("L25") + form().Text("CounterLabel"), "0");
        // The real-time tasks also write their default block size, as typed: a second re-layout.
        EXPECT_EQ(journal, (mode <= 2 ? Journal{"clear picture", "UpdateForm", "close all", "UpdateForm"}
                                      : Journal{"clear picture", "UpdateForm"}));
    }
}

// Selecting a task writes its default block size when the block is below the recording default.
TEST_F(TaskControllerTest, TaskSelectionSetsTheDefaultBlockSizeAsWritten) {
    auto blockAfter = [this](int16_t mode, const char* blockSize) {
        form().SetText("BlockSize", blockSize);
        tasks.SelectTask(mode);
        return form().Text("BlockSize");
    };
    // Defaults: real-time 4096, recording 16384, playback 8192; every task compares the recording default
    // (below it even a smaller default is set).
    const std::tuple<int16_t, const char*, const char*> cases[] = {
        {1, "2048", "4096"},   {1, "8192", "4096"}, {1, "32768", "32768"}, {2, "2048", "16384"},
        {2, "16384", "16384"}, {3, "2048", "8192"}, {3, "32768", "32768"}, {4, "2048", "2048"}};
    for (const auto& [mode, typed, set] : cases) {
        EXPECT_EQ(blockAfter(mode, typed), set) << mode << " " << typed;
    }
    settings.Options1().SetText("DefBlockSizeRecCombo", "2048");
    EXPECT_EQ(blockAfter(1, "1024"), "4096");
    EXPECT_EQ(blockAfter(2, "2048"), "2048");
}

// A second click stops the run once ("Stop" and a disabled panel during it, all idle again after); "Quick
// Rec" stops it too and switches the real-time tasks after the clean-up, or at once when idle; file tasks
// ignore it.
TEST_F(TaskControllerTest, SecondClickOrQuickRecStopsARunOnceAndQuickRecSwitchesAfterTheCleanUp) {
    Register(LoopSlot::RealTimeMono);
    for (int16_t from : {1, 2}) {
        SCOPED_TRACE(from);
        const int16_t to = 3 - from;
        tasks.SelectTask(from);
        journal.clear();
        pump.calls = 0;
        std::vector<std::string> seen;
        pump.onEvents = [&](int call) {
            seen.push_back(form().At("StartStop").caption + (form().At("Frame1").enabled ? " enabled" : ""));
            EXPECT_TRUE(tasks.Running() && !tasks.SessionStopped());
            if (call == 3 || call == 5) {
                form().Click(call == 3 ? "StartStop" : "QuickRecButton");
            }
        };
        form().SetChecked("PauseButton", true);
        form().Click("StartStop");
        ExpectIdle(from == 2 ? "REC Start" : "Start");
        tasks.StartStop();
        Journal expected = Run(from, 2, Run(from, 3), {"clear picture", "UpdateForm", "close all"});
        if (to == 2) {
            expected.push_back("UpdateForm"); // the recording block size, typed
        }
        EXPECT_EQ(journal, expected);
        EXPECT_EQ(seen, std::vector<std::string>(5, from == 2 ? "REC Stop" : "Stop"));
        EXPECT_EQ(std::tuple(tasks.SessionMode(), tasks.SessionStopped(), form().At("StartStop").caption,
                             form().Text("Label4")),
                  std::tuple(to, true, to == 2 ? "REC Start" : "Start",
                             to == 2 ? "Recording to /data/rec/" : "Real-Time display"));
        tasks.QuickRecButton(); // idle: at once
        EXPECT_EQ(tasks.SessionMode(), from);
    }
    for (int16_t mode : {3, 4}) {
        tasks.SelectTask(mode);
        tasks.QuickRecButton();
        EXPECT_EQ(tasks.SessionMode(), mode);
    }
}

// The file-analysis loop waits for a new position (an idle pass) and ends at the end of the file.
TEST_F(TaskControllerTest, ALoopEndingItselfReturnsToIdleAndIdlePassesWaitForEvents) {
    Register(
        LoopSlot::FileAnalysis, {}, 3, [] {}, 2); // idle from pass 2, ends itself in pass 3
    tasks.SelectTask(4);
    journal.clear();
    form().Click("Command23");
    EXPECT_EQ(journal, Run(4, 3, {"reset file view"}));
    EXPECT_EQ(std::tuple(pump.calls, pump.waits), std::tuple(3, 1)); // a wait in pass 2 only: pass 3 stopped
    ExpectIdle("Start");
}

// A continuation runs once the run is over and idle, and may start a new run; with no run, at once.
TEST_F(TaskControllerTest, ContinuationsRunAfterTheIdleStateAndMayStartANewRun) {
    int runs = 0;
    Register(
        LoopSlot::RealTimeMono,
        [this, &runs](int pass) {
            if (pass == 1 && ++runs == 1) {
                // A remote "record now": stop, then switch to recording and start again.
                tasks.RequestStopThen([this] {
                    journal.push_back("continue, stopped " + std::to_string(tasks.SessionStopped()));
                    tasks.SelectTask(2);
                    tasks.StartStop();
                });
            }
        },
        2);
    tasks.StartStop();
    EXPECT_EQ(journal,
              Run(2, 2,
                  Run(1, 1, {},
                      {"continue, stopped 1", "clear picture", "UpdateForm", "close all", "UpdateForm"})));
    ExpectIdle("REC Start");
    bool ranAtOnce = false;
    tasks.RequestStopThen([&] { ranAtOnce = true; });
    EXPECT_TRUE(ranAtOnce);
}

// The clean-up processes events while it closes the device: a click then starts no nested run. After a
// quit nothing starts or keeps a run: no continuation, delayed start, click or loop.
TEST_F(TaskControllerTest, NoClickDuringTheCleanUpNorHandlerAfterShutdownStartsOrKeepsARun) {
    Register(LoopSlot::RealTimeMono, {}, 1, [this] { form().Click("StartStop"); });
    tasks.StartStop();
    EXPECT_EQ(journal, Run(1, 1));
    ExpectIdle("Start");
    journal.clear();
    pump.calls = 0;
    Register(LoopSlot::RealTimeMono, [this](int) {
        tasks.RequestStopThen([this] { tasks.StartStop(); });
        tasks.Shutdown([this] { journal.push_back("quit"); });
        tasks.SetSessionStopped(false);
    });
    pump.onEvents = [this](int call) {
        if (call == 1) {
            form().Click("StartStop");
        }
    };
    tasks.StartAfterWait(0.0f); // a click during the wait starts the run, which quits in its first pass
    form().Click("StartStop");
    EXPECT_EQ(journal, Run(1, 1, {}, {"quit"}));
    EXPECT_EQ(tasks.RunsStarted(), 2);
    ExpectIdle("Start");
}

// The channel count chooses the loop; a count without a loop starts nothing and says so, once per start.
TEST_F(TaskControllerTest, ChannelCountChoosesTheLoopAndAMissingLoopIsReported) {
    Register(LoopSlot::RealTimeMono, {}, 1);
    ControlModel& basic = settings.Options0();
    basic.SetText("NchanCombo", "3");
    tasks.StartStop(); // starts nothing, says nothing
    basic.SetText("NchanCombo", "2 - stereo");
    tasks.SelectTask(2);
    tasks.StartStop();
    tasks.SelectTask(1);
    tasks.StartStop();
    EXPECT_EQ(tasks.RunsStarted(), 0);
    EXPECT_EQ(
        interaction.Texts(),
        (std::vector<std::string>{"Real-Time Analysis + Recording with two channels is not available yet",
                                  "Real-Time Analysis with two channels is not available yet"}));
    EXPECT_EQ(interaction.messages[0].icon, MessageIcon::Information);
    ExpectIdle("Start");
    basic.SetText("NchanCombo", "1 - mono (left)");
    journal.clear();
    tasks.StartStop();
    EXPECT_EQ(journal, Run(1, 1));
}

// Playback without a file asks for one, plays it in the same click and restores the typed rate.
TEST_F(TaskControllerTest, PlaybackOpensAFileWhenNoneIsOpenAndRestoresTheSampleRate) {
    ControlModel& basic = settings.Options0();
    basic.SetText("SampleRate", "48000");
    Register(
        LoopSlot::FilePlayback, [&](int) { basic.SetText("SampleRate", "22050"); }, 1); // the file's rate
    tasks.SelectTask(3);
    std::optional<std::string> chosen; // (an opening that plays at once: see the file opener's tests)
    tasks.Hooks().openWav = [&] {
        journal.push_back("open .wav");
        tasks.SetCurrentFileName(chosen.value_or(""));
    };
    journal.clear();
    tasks.StartStop(); // cancelled
    EXPECT_EQ(journal, (Journal{"open .wav"}));
    ExpectIdle("Start");
    journal.clear();
    chosen = "/data/a.wav";
    basic.SetText("AnalysisParameters", "");
    tasks.StartStop(); // the file plays in the same click
    EXPECT_EQ(journal, Run(3, 1, {"open .wav"}));
    EXPECT_EQ(basic.Text("SampleRate"), "48000");
    // Restored as typed: the analysis parameters shown are those of the restored rate.
    const std::string shown = basic.Text("AnalysisParameters");
    settings.UpdateInfo();
    EXPECT_FALSE(shown.empty());
    EXPECT_EQ(shown, basic.Text("AnalysisParameters"));
    ExpectIdle("Start");
}

// Pause and "Enable Quick Settings" act during a run; the persistent redraw follows its flag at both ends.
TEST_F(TaskControllerTest, PauseRedrawAndQuickSettingsDuringARun) {
    std::vector<bool> redraw;
    tasks.Hooks().setPersistentRedraw = [&](bool on) { redraw.push_back(on); };
    settings.Options1().SetChecked("RedrawFlag", false);
    pump.onEvents = [this](int call) {
        if (call == 1) {
            form().Click("PauseButton");
            EXPECT_TRUE(tasks.PauseButton());
            EXPECT_FALSE(form().At("Frame1").enabled);
            ASSERT_TRUE(menu.Trigger("EnableQuick"));
            EXPECT_TRUE(form().At("Frame1").enabled);
        } else {
            tasks.StartStop();
        }
    };
    Register(LoopSlot::RealTimeMono);
    tasks.StartStop();
    EXPECT_EQ(redraw, (std::vector<bool>{false, false}));
    ExpectIdle("Start");
}

// Waiting processes events even for no time and never waits longer than asked.
TEST_F(TaskControllerTest, WaitWithEventsNeverWaitsLongerThanAsked) {
    tasks.WaitWithEvents(0.0f);
    EXPECT_EQ(std::tuple(pump.waits, pump.longestWait.count()), std::tuple(1, 0)); // events even for no time
    tasks.WaitWithEvents(0.01f);
    EXPECT_GE(pump.waits, 2);
    EXPECT_LE(pump.longestWait.count(), 10);
}

// /PPT, /AUTO, /REC come off the end in that order, any case; names with blanks stay whole.
TEST(CommandLineTest, SwitchesAreTakenOffTheEndInOrderWithoutRegardToCase) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"/tmp/a.wav/REC"}, "R|/tmp/a.wav"},
        {{"/Rec"}, "R|"},
        {{"/tmp/a.wav/ppt"}, "P|/tmp/a.wav"},
        {{"/tmp/a.wav/PPT/Auto/REC"}, "RAP|/tmp/a.wav"},
        {{"/tmp/a.wav/REC/AUTO"}, "A|/tmp/a.wav/REC"},
        {{"/tmp/a.wav", "/REC", "/AUTO"}, "A|/tmp/a.wav /REC"},
        {{"/tmp/a.wav"}, "|/tmp/a.wav"},
        {{"  /tmp/a.wav/REC  "}, "R|/tmp/a.wav"},
        {{" ", "/tmp/a.wav", "/REC", " "}, "R|/tmp/a.wav"},
        // Inside one argument nothing after a switch is taken off: the blank stays in the name.
        {{"/tmp/a.wav /REC"}, "R|/tmp/a.wav "},
        {{"/tmp/my file.wav", "/REC"}, "R|/tmp/my file.wav"},
        {{"/tmp/my file.wav", "/ppt", "/auto", "/Rec"}, "RAP|/tmp/my file.wav"},
        {{"/tmp/my", "file.wav/AUTO"}, "A|/tmp/my file.wav"},
        {{"REC"}, "|REC"},
    };
    for (const auto& [arguments, expected] : cases) {
        const CommandLine line = ParseCommandLine(arguments);
        EXPECT_FALSE(line.empty);
        EXPECT_EQ(std::string(line.record ? "R" : "") + (line.autoRun ? "A" : "") + (line.ppt ? "P" : "") +
                      "|" + line.file,
                  expected);
    }
    EXPECT_TRUE(ParseCommandLine({}).empty);
    EXPECT_TRUE(ParseCommandLine({""}).empty);
}

// "rates.ini" items (commas, any line end) replace both rate lists, texts kept; empty empties them.
TEST(RatesFileTest, ItemsReplaceBothSampleRateListsInFileOrder) {
    TempFolder temp;
    SettingsModel settings;
    const std::string path = temp.Path() + "rates.ini";
    EXPECT_FALSE(LoadRatesFile(path, settings));
    const std::vector<std::string> builtIn = settings.Form1().At("SampleRate").items;
    WriteFile(path, "96000\r\n 11025 , 8000\n\n22050\r384000\r\n");
    ASSERT_TRUE(LoadRatesFile(path, settings));
    const std::vector<std::string> expected = {"96000", "11025", "8000", "22050", "384000"};
    EXPECT_NE(builtIn, expected);
    EXPECT_EQ(std::tuple(settings.Form1().At("SampleRate").items, settings.Options0().At("SampleRate").items,
                         settings.Form1().Text("SampleRate")),
              std::tuple(expected, expected, "48000"));
    WriteFile(path, "");
    ASSERT_TRUE(LoadRatesFile(path, settings));
    EXPECT_TRUE(settings.Form1().At("SampleRate").items.empty() &&
                settings.Options0().At("SampleRate").items.empty());
}

} // namespace
} // namespace ondrix
