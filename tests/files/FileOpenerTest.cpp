// Opening sound files: recognition, status texts, refusals, repair, linked presets, dialogs, and
// opening while a run is going.
#include "files/FileOpener.h"

#include "TempFolder.h"
#include "files/FileDialog.h"
#include "settings/MenuModel.h"
#include "settings/SettingsFiles.h"
#include "settings/SettingsModel.h"
#include "settings/TaskController.h"
#include "support/JournalSession.h"
#include "support/ScriptedInteraction.h"
#include "support/ScriptedPump.h"
#include "support/SoundFileBytes.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ondrix {
namespace {

class FileOpenerTest : public ::testing::Test {
protected:
    FileOpenerTest() {
        std::filesystem::create_directories(temp.Path() + "program");
        std::filesystem::create_directories(temp.Path() + "sounds");
        settings.Options0().SetText("DefPlayPathField", temp.Path());
        settings.Hooks().updateForm = [this] { ++updateForms; };
        opener.AttachFileCommands(menu);
        tasks.SelectTask(1);
    }

    std::string Path(const std::string& name) const { return temp.Path() + name; }
    // A silent 16-bit WAV in the temporary folder; `closed` false leaves the placeholder sizes.
    std::string Wav(const std::string& name, int channels, uint32_t rate, int frames, bool closed = true) {
        WriteWav16(Path(name), channels, rate, std::vector<int16_t>(static_cast<size_t>(frames * channels)),
                   closed);
        return Path(name);
    }
    ControlModel& form() { return settings.Form1(); }
    ControlModel& basic() { return settings.Options0(); }
    void Answer(std::optional<std::string> name) { interaction.textAnswers.push_back(std::move(name)); }
    // A run that stops itself after `passes` passes (0: only when asked), noting the file current in its
    // first pass and at its clean-up.
    void RegisterLoop(LoopSlot slot, int passes) {
        tasks.Loops().Register(slot, [this, passes] {
            const auto note = [this] {
                journal.push_back(std::filesystem::path(tasks.CurrentFileName()).filename().string());
            };
            auto session = std::make_unique<JournalSession>(
                tasks, journal,
                [note](int pass) {
                    if (pass == 1)
                        note();
                },
                passes);
            session->onCleanUp = note;
            return session;
        });
    }

    TempFolder temp;
    SettingsModel settings;
    MenuModel menu;
    ScriptedInteraction interaction;
    ScriptedPump pump;
    TaskController tasks{settings, menu, interaction, pump};
    SettingsFiles files{settings, interaction, ProgramFiles{temp.Path() + "program/"}};
    CurrentFile current;
    FileOpener opener{settings,    files,   tasks,
                      interaction, current, [this] { return FileFormatSettingsFrom(settings.Options1()); }};
    std::vector<std::string> journal;
    int updateForms = 0;
};

// An opened file becomes current with its rate, channels and status line; task 1 gives way to task 3.
TEST_F(FileOpenerTest, StereoWavBecomesCurrentWithItsRateChannelsAndStatus) {
    const std::string wav = Wav("take.wav", 2, 48000, 48000); // RIFF size 192 036 = 187.5 kB
    form().SetText("SampleRate", "8000");
    basic().SetText("SampleRate", "8000");
    opener.Files().Clear();
    opener.OpenFile(wav);
    EXPECT_EQ(std::tuple(current.name, tasks.CurrentFileName(), current.info.type,
                         current.filePos + current.lastPos),
              std::tuple(wav, wav, kFileWav16, 0));
    EXPECT_EQ(form().Text("Label4"), wav + " 188kb 48000s/sec 2ch 16bit");
    EXPECT_EQ(std::tuple(opener.DurationText(), form().Text("SampleRate"), basic().Text("SampleRate"),
                         basic().Text("NchanCombo")),
              std::tuple("00:00:00", "48000", "48000", "2 - stereo"));
    EXPECT_GE(updateForms, 1);
    EXPECT_EQ(std::tuple(tasks.SessionMode(), menu.At("FileAnalysisPlay").checked, tasks.Running()),
              std::tuple(3, true, false));
    // A single file ends a play list; a long name loses its folder. Task 4 stays task 4.
    const std::string longName = std::string(100, 'n') + ".wav";
    tasks.SelectTask(4);
    opener.Files().Set({"a.wav", "b.wav"});
    opener.OpenFile(Wav(longName, 1, 22050, 100));
    EXPECT_EQ(form().Text("Label4"), "..\\" + longName + " 0kb 22050s/sec 1ch 16bit");
    EXPECT_EQ(opener.PlayListCount(), 0);
    EXPECT_EQ(basic().Text("NchanCombo"), "1 - mono");
    EXPECT_EQ(tasks.SessionMode(), 4);
    opener.OpenFile(Wav("four.wav", 4, 96000, 10));
    EXPECT_EQ(std::tuple(current.IsOpen(), basic().Text("NchanCombo"), interaction.messages.size()),
              std::tuple(true, "4 - 4 channels", 0u));
}

// Three or five channels and unknown types are refused and leave no file open.
TEST_F(FileOpenerTest, RefusedFilesLeaveNoFileOpen) {
    const std::string good = Wav("good.wav", 1, 8000, 10);
    for (const int channels : {5, 3}) {
        SCOPED_TRACE(channels);
        opener.OpenFile(good);
        ASSERT_TRUE(current.IsOpen());
        interaction.messages.clear();
        opener.OpenFile(Wav("refused.wav", channels, 48000, 10));
        EXPECT_EQ(interaction.Texts(), std::vector<std::string>{"Number of channels not supported"});
        EXPECT_EQ(std::tuple(current.IsOpen(), tasks.CurrentFileName(), form().Text("Label4")),
                  std::tuple(false, "", ""));
    }
    interaction.messages.clear();
    std::ofstream(Path("notes.xyz")) << "not a sound";
    opener.OpenFile(Path("notes.xyz"));
    EXPECT_EQ(interaction.Texts(),
              (std::vector<std::string>{"Unknown File Extension (" + Path("notes.xyz") + " > XYZ)",
                                        "File format not supported"}));
    EXPECT_FALSE(current.IsOpen());
}

// A recording that was never closed gets its sizes written on opening, and one log line.
TEST_F(FileOpenerTest, RecordingNeverClosedIsRepairedOnOpening) {
    const std::string wav = Wav("crashed.wav", 2, 44100, 1000, false);
    std::vector<std::string> log;
    opener.SetLog([&log](const std::string& line) { log.push_back(line); });
    opener.OpenFile(wav);
    EXPECT_TRUE(interaction.messages.empty());
    EXPECT_EQ(ReadBytes(wav), ReadBytes(Wav("closed.wav", 2, 44100, 1000)));
    EXPECT_EQ(std::tuple(current.IsOpen(), current.info.repaired, current.info.dataEnd, log.size(),
                         form().Text("SampleRate")),
              std::tuple(true, true, 44 + 4000, 1u, "44100"));
}

// A preset saved beside the file loads before the file's own rate is applied, and only when asked for.
TEST_F(FileOpenerTest, LinkedPresetLoadsBeforeTheFileRate) {
    const std::string wav = Wav("birds.wav", 1, 32000, 10);
    form().SetText("WindowSize", "1024");
    form().SetText("SampleRate", "96000");
    ASSERT_TRUE(files.PresetSaveFile(wav + ".preset"));
    form().SetText("WindowSize", "512");
    basic().SetChecked("PresetAutoloadFlag", false);
    opener.OpenFile(wav);
    EXPECT_EQ(form().Text("WindowSize"), "512");
    basic().SetChecked("PresetAutoloadFlag", true);
    opener.OpenFile(wav);
    EXPECT_EQ(std::tuple(form().Text("StatusLine"), form().Text("WindowSize"), form().Text("SampleRate")),
              std::tuple("Loaded Settings for " + wav, "1024", "32000"));
}

// The open dialog asks again for a name of another extension, and remembers the folder of a file taken.
TEST_F(FileOpenerTest, DialogAsksAgainForAnotherExtensionAndRemembersTheFolder) {
    const std::string folder = Path("sounds/");
    const std::string wav = Wav("sounds/a.WAV", 1, 8000, 10);
    std::ofstream(folder + "a.txt") << "text";
    Answer(folder + "a.txt");
    Answer(wav);
    ASSERT_TRUE(menu.Trigger("OpenFilewav"));
    ASSERT_EQ(interaction.dialogs.size(), 2u);
    for (const FileDialogRequest& request : interaction.dialogs) {
        EXPECT_EQ(request.folder, temp.Path());
    }
    EXPECT_EQ(std::tuple(current.name, basic().Text("DefPlayPathField")), std::tuple(wav, folder));
    // Any name passes "m??"; a missing file or a cancel opens nothing and keeps the folder.
    std::vector<std::string> chosen;
    const auto take = [&chosen](const std::string& name) { chosen.push_back(name); };
    for (const char* name : {"x.M16", "y.s48"}) {
        std::ofstream(Path(name)) << "header";
        Answer(Path(name));
        opener.OpenFileDialog("m??", take);
    }
    EXPECT_EQ(chosen, (std::vector<std::string>{Path("x.M16"), Path("y.s48")}));
    EXPECT_EQ(interaction.dialogs.back().patterns, std::vector<std::string>{"*.m??"});
    EXPECT_EQ(basic().Text("DefPlayPathField"), temp.Path());
    Answer(Path("missing.wav"));
    opener.OpenFileDialog("wav", take);
    Answer(std::nullopt);
    opener.OpenFileDialog("wav", take);
    EXPECT_EQ(std::tuple(chosen.size(), interaction.dialogs.size()), std::tuple(2u, 6u));
    // "Open .mxx" opens an S48 file with its 256-byte header.
    std::ofstream(Path("z.S48"), std::ios::binary) << std::string(256 + 64, ' ');
    Answer(Path("z.S48"));
    ASSERT_TRUE(menu.Trigger("OpenFileMxx"));
    EXPECT_EQ(std::tuple(current.name, current.info.type), std::tuple(Path("z.S48"), kFileSxx));
    EXPECT_TRUE(interaction.textAnswers.empty() && interaction.messages.empty());
    EXPECT_TRUE(NameFitsExtension("/a/b.Dap", "dap") && !NameFitsExtension("/a/b.wav", "dap") &&
                !NameFitsExtension("av", "wav"));
    // "Open other formats" takes a FLAC, and asks again for a name of none of its formats.
    if (!SoxInstalled()) {
        GTEST_SKIP() << "sox is not installed (scripts/install-deps.sh installs it)";
    }
    const std::string flac = Path("sounds/b.flac");
    ASSERT_TRUE(SoxConvert(Wav("sounds/b.wav", 2, 8000, 100), flac));
    Answer(folder + "a.txt");
    Answer(flac);
    ASSERT_TRUE(menu.Trigger("OpenFileOther"));
    EXPECT_EQ(std::tuple(current.name, current.info.type, current.info.dataEnd, form().Text("Label4")),
              std::tuple(flac, kFileOtherFormat, 400, flac + " 0kb 8000s/sec 2ch 16bit"));
    const std::vector<std::string>& patterns = interaction.dialogs.back().patterns;
    EXPECT_EQ(std::tuple(patterns.front(), patterns.back(), interaction.dialogs.size()),
              std::tuple("*.flac", "*.wav", 9u));
}

// "Close all" and a real-time task forget the file; the file task is applied again.
TEST_F(FileOpenerTest, CloseAllForgetsTheFileAndAppliesTheTaskAgain) {
    const std::string wav = Wav("a.wav", 2, 48000, 10);
    opener.OpenFile(wav);
    opener.Files().Set({"a.wav", "b.wav", "c.wav"});
    menu.SetChecked("FileAnalysisPlay", false);
    const int before = updateForms;
    ASSERT_TRUE(menu.Trigger("CloseFile"));
    EXPECT_EQ(
        std::tuple(current.IsOpen(), tasks.CurrentFileName(), form().Text("Label4"), opener.PlayListCount()),
        std::tuple(false, "", "", 0));
    EXPECT_GT(updateForms, before);
    EXPECT_EQ(std::tuple(menu.At("FileAnalysisPlay").checked, tasks.SessionMode()), std::tuple(true, 3));
    opener.OpenFile(wav);
    ASSERT_TRUE(menu.Trigger("RealTimeAnalysis"));
    EXPECT_EQ(std::tuple(current.IsOpen(), tasks.CurrentFileName()), std::tuple(false, ""));
}

// Opening during a run stops it and opens after its clean-up, never under the running loop.
TEST_F(FileOpenerTest, OpeningDuringARunStopsItAndOpensAfterItsCleanUp) {
    const std::string first = Wav("first.wav", 1, 8000, 10);
    const std::string second = Wav("second.wav", 2, 16000, 10);
    tasks.SelectTask(4);
    opener.OpenFile(first);
    RegisterLoop(LoopSlot::FileAnalysis, 0);
    pump.onEvents = [this, &first, &second](int call) {
        if (call == 2) {
            ASSERT_TRUE(menu.Trigger("OpenFilewav")); // no dialog while the loop runs
        } else if (call == 3) {
            form().Click("PauseButton");
            opener.OpenFile(second);
            EXPECT_EQ(std::tuple(tasks.SessionStopped(), form().At("StartStop").caption,
                                 form().Checked("PauseButton"), current.name),
                      std::tuple(true, "Start", false, first));
        }
    };
    form().Click("StartStop");
    EXPECT_EQ(journal, (std::vector<std::string>{"set up in task 4", "pass 1", "first.wav", "pass 2",
                                                 "pass 3", "first.wav", "clean up"}));
    EXPECT_TRUE(interaction.dialogs.empty());
    EXPECT_EQ(std::tuple(tasks.Running(), current.name, tasks.CurrentFileName(), form().Text("SampleRate"),
                         tasks.SessionMode()),
              std::tuple(false, second, second, "16000", 4));
}

// "Play on open" and "analysis on open" run both tasks in turn; Start without a file asks for one.
TEST_F(FileOpenerTest, PlayAndAnalysisOnOpenRunBothTasksInTurn) {
    const std::string wav = Wav("auto.wav", 1, 8000, 10);
    RegisterLoop(LoopSlot::FilePlayback, 1);
    RegisterLoop(LoopSlot::FileAnalysis, 1);
    basic().SetChecked("ImmediatePlayCheck", true);
    basic().SetChecked("CheckAnalysisOnOpen", true);
    opener.OpenFile(wav);
    const std::vector<std::string> play = {"set up in task 3", "pass 1", "auto.wav", "auto.wav", "clean up"};
    std::vector<std::string> both = play;
    both.insert(both.end(), {"set up in task 4", "pass 1", "auto.wav", "auto.wav", "clean up"});
    EXPECT_EQ(journal, both);
    EXPECT_EQ(tasks.SessionMode(), 4);
    EXPECT_TRUE(interaction.messages.empty());
    basic().SetChecked("CheckAnalysisOnOpen", false);
    opener.CloseFile();
    tasks.SelectTask(3);
    journal.clear();
    Answer(wav);
    form().Click("StartStop");
    EXPECT_EQ(journal, play);
    EXPECT_EQ(interaction.dialogs.size(), 1u);
}

// "Play List": one file is refused with a hint; several are printed numbered, become the list, and the
// first is opened.
TEST_F(FileOpenerTest, PlayListQueuesSeveralFilesAndOpensTheFirst) {
    std::vector<std::string> printed;
    opener.SetPictureText([&](const std::vector<std::string>& lines) { printed = lines; });
    const std::string a = Wav("sounds/a.wav", 1, 8000, 10), b = Wav("b.wav", 1, 8000, 10);
    interaction.multiFileAnswers = {{a}, {a, b, Path("c.wav")}};
    ASSERT_TRUE(menu.Trigger("SetPlayList"));
    EXPECT_EQ(std::tuple(interaction.Texts(), current.IsOpen(), opener.PlayListCount()),
              std::tuple(std::vector<std::string>{"Use Open .wav to play a file"}, false, 0));
    ASSERT_TRUE(menu.Trigger("SetPlayList"));
    EXPECT_EQ(printed, (std::vector<std::string>{" 1 a.wav", " 2 b.wav", " 3 c.wav"}));
    EXPECT_EQ(interaction.Texts().back(), "PlayList 3");
    EXPECT_EQ(std::tuple(current.name, opener.PlayListCount(), basic().Text("DefPlayPathField")),
              std::tuple(a, 3, Path("sounds/")));
    EXPECT_EQ(form().Text("Label4").substr(0, 9), "PlayList ");
}

} // namespace
} // namespace ondrix
