#include "files/FileOpener.h"

#include "TempFolder.h"
#include "files/FileDialog.h"
#include "recording/WavHeader.h"
#include "settings/MenuModel.h"
#include "settings/SettingsFiles.h"
#include "settings/SettingsModel.h"
#include "settings/TaskController.h"
#include "support/ScriptedInteraction.h"
#include "support/ScriptedPump.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace ondrix {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t Le32(const Bytes& b, std::size_t at) {
    return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
           static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

// A 16-bit WAV of `frames` frames of a ramp; `closed` false leaves the recorder's placeholder sizes.
void WriteWav(const std::string& path, int channels, uint32_t rate, int64_t frames, bool closed = true) {
    const uint64_t length = kWavHeaderBytes + static_cast<uint64_t>(frames) * channels * 2;
    const auto header = WavHeaderBytes(closed ? length : 0, channels, rate);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(header.data()), header.size());
    for (int64_t i = 0; i < frames * channels; ++i) {
        const auto sample = static_cast<int16_t>(i);
        out.put(static_cast<char>(sample & 0xFF)).put(static_cast<char>((sample >> 8) & 0xFF));
    }
}

// A run that records its set-up and clean-up, with the file current at each, and stops itself after
// `passes` passes (0: only when asked).
class JournalLoop : public Session {
public:
    JournalLoop(std::string name, TaskController& tasks, std::vector<std::string>& journal, int passes)
        : name_(std::move(name)), tasks_(tasks), journal_(journal), passes_(passes) {}
    void SetUp() override { journal_.push_back(name_ + " set-up " + Current()); }
    PassResult Pass() override {
        ++done_;
        if (done_ == passes_ || done_ > 10000) {
            tasks_.SetSessionStopped(true);
        }
        return PassResult::Busy;
    }
    void CleanUp() override { journal_.push_back(name_ + " clean-up " + Current()); }

private:
    std::string Current() const {
        return std::filesystem::path(tasks_.CurrentFileName()).filename().string();
    }
    std::string name_;
    TaskController& tasks_;
    std::vector<std::string>& journal_;
    int passes_;
    int done_ = 0;
};

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
    ControlModel& form() { return settings.Form1(); }
    ControlModel& basic() { return settings.Options0(); }
    void Answer(std::optional<std::string> name) { interaction.textAnswers.push_back(std::move(name)); }
    void RegisterLoop(LoopSlot slot, std::string name, int passes) {
        tasks.Loops().Register(slot, [this, name, passes] {
            return std::make_unique<JournalLoop>(name, tasks, journal, passes);
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

TEST_F(FileOpenerTest, StereoWavBecomesCurrentWithItsRateChannelsAndStatus) {
    const std::string wav = Path("take.wav");
    WriteWav(wav, 2, 48000, 48000); // 192 044 bytes: RIFF size 192 036 = 187.5 kB
    form().SetText("SampleRate", "8000");
    basic().SetText("SampleRate", "8000");
    opener.SetPlayListCount(0);

    opener.OpenFile(wav);

    EXPECT_TRUE(interaction.messages.empty());
    EXPECT_EQ(current.name, wav);
    EXPECT_EQ(tasks.CurrentFileName(), wav);
    EXPECT_EQ(current.info.type, kFileWav16);
    EXPECT_EQ(current.filePos, 0);
    EXPECT_EQ(current.lastPos, 0);
    EXPECT_EQ(opener.DurationText(), "00:00:00");
    EXPECT_EQ(form().Text("Label4"), wav + " 188kb 48000s/sec 2ch 16bit");
    EXPECT_EQ(form().Text("SampleRate"), "48000");
    EXPECT_EQ(basic().Text("SampleRate"), "48000");
    EXPECT_EQ(basic().Text("NchanCombo"), "2 - stereo");
    EXPECT_GE(updateForms, 1);
    // Task 1 gives way to task 3 without starting anything; its status text is the file's.
    EXPECT_EQ(tasks.SessionMode(), 3);
    EXPECT_TRUE(menu.At("FileAnalysisPlay").checked);
    EXPECT_FALSE(tasks.Running());

    // A play list shows its prefix; a long name loses its folder. Task 4 stays task 4.
    const std::string longName = std::string(100, 'n') + ".wav";
    WriteWav(Path(longName), 1, 22050, 100);
    tasks.SelectTask(4);
    opener.SetPlayListCount(2);
    opener.OpenFile(Path(longName));
    EXPECT_EQ(form().Text("Label4"), "PlayList ..\\" + longName + " 0kb 22050s/sec 1ch 16bit");
    EXPECT_EQ(basic().Text("NchanCombo"), "1 - mono");
    EXPECT_EQ(tasks.SessionMode(), 4);

    WriteWav(Path("four.wav"), 4, 96000, 10);
    opener.OpenFile(Path("four.wav"));
    EXPECT_TRUE(current.IsOpen());
    EXPECT_EQ(basic().Text("NchanCombo"), "4 - 4 channels");
    EXPECT_TRUE(interaction.messages.empty());
}

TEST_F(FileOpenerTest, RefusedFilesLeaveNoFileOpen) {
    const std::string good = Path("good.wav");
    WriteWav(good, 1, 8000, 10);
    WriteWav(Path("five.wav"), 5, 48000, 10);
    WriteWav(Path("three.wav"), 3, 48000, 10);
    std::ofstream(Path("notes.xyz")) << "not a sound";

    for (const char* name : {"five.wav", "three.wav"}) {
        SCOPED_TRACE(name);
        opener.OpenFile(good);
        ASSERT_TRUE(current.IsOpen());
        interaction.messages.clear();
        opener.OpenFile(Path(name));
        EXPECT_EQ(interaction.Texts(), std::vector<std::string>{"Number of channels not supported"});
        EXPECT_FALSE(current.IsOpen());
        EXPECT_EQ(tasks.CurrentFileName(), "");
        EXPECT_EQ(form().Text("Label4"), "");
    }

    interaction.messages.clear();
    opener.OpenFile(Path("notes.xyz"));
    const std::vector<std::string> texts = interaction.Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].rfind("Unknown File Extension (", 0), 0u) << texts[0];
    EXPECT_EQ(texts[1], "File format not supported");
    EXPECT_FALSE(current.IsOpen());
}

TEST_F(FileOpenerTest, RecordingNeverClosedIsRepairedOnOpening) {
    const std::string wav = Path("crashed.wav");
    WriteWav(wav, 2, 44100, 1000, false);
    const uint64_t length = std::filesystem::file_size(wav);
    std::vector<std::string> log;
    opener.SetLog([&log](const std::string& line) { log.push_back(line); });

    opener.OpenFile(wav);

    EXPECT_TRUE(interaction.messages.empty());
    ASSERT_TRUE(current.IsOpen());
    EXPECT_TRUE(current.info.repaired);
    const Bytes bytes = ReadBytes(wav);
    ASSERT_EQ(bytes.size(), length);
    EXPECT_EQ(Le32(bytes, 4), length - 8);
    EXPECT_EQ(Le32(bytes, 40), length - 44);
    EXPECT_EQ(current.info.dataEnd, static_cast<int64_t>(length));
    EXPECT_EQ(log.size(), 1u);
    EXPECT_EQ(form().Text("SampleRate"), "44100");
}

TEST_F(FileOpenerTest, LinkedPresetLoadsBeforeTheFileRate) {
    const std::string wav = Path("birds.wav");
    WriteWav(wav, 1, 32000, 10);
    form().SetText("WindowSize", "1024");
    form().SetText("SampleRate", "96000");
    ASSERT_TRUE(files.PresetSaveFile(wav + ".preset"));
    form().SetText("WindowSize", "512");

    basic().SetChecked("PresetAutoloadFlag", false);
    opener.OpenFile(wav);
    EXPECT_EQ(form().Text("WindowSize"), "512");

    basic().SetChecked("PresetAutoloadFlag", true);
    opener.OpenFile(wav);
    EXPECT_EQ(form().Text("StatusLine"), "Loaded Settings for " + wav);
    EXPECT_EQ(form().Text("WindowSize"), "1024");
    EXPECT_EQ(form().Text("SampleRate"), "32000");
}

TEST_F(FileOpenerTest, DialogAsksAgainForAnotherExtensionAndRemembersTheFolder) {
    const std::string folder = Path("sounds/");
    const std::string wav = folder + "a.WAV";
    WriteWav(wav, 1, 8000, 10);
    std::ofstream(folder + "a.txt") << "text";

    Answer(folder + "a.txt");
    Answer(wav);
    ASSERT_TRUE(menu.Trigger("OpenFilewav"));
    ASSERT_EQ(interaction.dialogs.size(), 2u);
    for (const FileDialogRequest& request : interaction.dialogs) {
        EXPECT_EQ(request.folder, temp.Path());
        EXPECT_EQ(request.patterns, std::vector<std::string>{"*.wav"});
    }
    EXPECT_EQ(current.name, wav);
    EXPECT_EQ(basic().Text("DefPlayPathField"), folder);

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
    EXPECT_EQ(chosen.size(), 2u);
    EXPECT_EQ(interaction.dialogs.size(), 6u);

    // "Open .mxx" opens an S48 file with its 256-byte header.
    std::ofstream(Path("z.S48"), std::ios::binary) << std::string(256 + 64, ' ');
    Answer(Path("z.S48"));
    ASSERT_TRUE(menu.Trigger("OpenFileMxx"));
    EXPECT_EQ(current.name, Path("z.S48"));
    EXPECT_EQ(current.info.type, kFileSxx);
    EXPECT_TRUE(interaction.textAnswers.empty());
    EXPECT_TRUE(interaction.messages.empty());

    EXPECT_TRUE(NameFitsExtension("/a/b.Dap", "dap"));
    EXPECT_FALSE(NameFitsExtension("/a/b.wav", "dap"));
    EXPECT_FALSE(NameFitsExtension("av", "wav"));
}

TEST_F(FileOpenerTest, CloseAllForgetsTheFileAndAppliesTheTaskAgain) {
    const std::string wav = Path("a.wav");
    WriteWav(wav, 2, 48000, 10);
    opener.OpenFile(wav);
    opener.SetPlayListCount(3);
    menu.SetChecked("FileAnalysisPlay", false);
    const int before = updateForms;

    ASSERT_TRUE(menu.Trigger("CloseFile"));

    EXPECT_FALSE(current.IsOpen());
    EXPECT_EQ(tasks.CurrentFileName(), "");
    EXPECT_EQ(form().Text("Label4"), "");
    EXPECT_EQ(opener.PlayListCount(), 0);
    EXPECT_GT(updateForms, before);
    EXPECT_TRUE(menu.At("FileAnalysisPlay").checked); // task 3 applied again
    EXPECT_EQ(tasks.SessionMode(), 3);

    // Selecting a real-time task closes the file too.
    opener.OpenFile(wav);
    ASSERT_TRUE(menu.Trigger("RealTimeAnalysis"));
    EXPECT_FALSE(current.IsOpen());
    EXPECT_EQ(tasks.CurrentFileName(), "");
}

TEST_F(FileOpenerTest, OpeningDuringARunStopsItAndOpensAfterItsCleanUp) {
    const std::string first = Path("first.wav");
    const std::string second = Path("second.wav");
    WriteWav(first, 1, 8000, 10);
    WriteWav(second, 2, 16000, 10);
    tasks.SelectTask(4);
    opener.OpenFile(first);
    RegisterLoop(LoopSlot::FileAnalysis, "analysis", 0);
    pump.onEvents = [this, &first, &second](int call) {
        if (call == 2) {
            // No dialog is offered while the loop runs.
            ASSERT_TRUE(menu.Trigger("OpenFilewav"));
        } else if (call == 3) {
            form().Click("PauseButton");
            opener.OpenFile(second);
            EXPECT_TRUE(tasks.SessionStopped());
            EXPECT_EQ(form().At("StartStop").caption, "Start");
            EXPECT_FALSE(form().Checked("PauseButton"));
            EXPECT_EQ(current.name, first); // nothing changes under the running loop
        }
    };

    form().Click("StartStop");

    EXPECT_EQ(journal,
              (std::vector<std::string>{"analysis set-up first.wav", "analysis clean-up first.wav"}));
    EXPECT_TRUE(interaction.dialogs.empty());
    EXPECT_FALSE(tasks.Running());
    EXPECT_EQ(current.name, second);
    EXPECT_EQ(tasks.CurrentFileName(), second);
    EXPECT_EQ(form().Text("SampleRate"), "16000");
    EXPECT_EQ(tasks.SessionMode(), 4);
}

TEST_F(FileOpenerTest, PlayAndAnalysisOnOpenRunBothTasksInTurn) {
    const std::string wav = Path("auto.wav");
    WriteWav(wav, 1, 8000, 10);
    RegisterLoop(LoopSlot::FilePlayback, "play", 1);
    RegisterLoop(LoopSlot::FileAnalysis, "analysis", 1);
    basic().SetChecked("ImmediatePlayCheck", true);
    basic().SetChecked("CheckAnalysisOnOpen", true);

    opener.OpenFile(wav);

    EXPECT_EQ(journal, (std::vector<std::string>{"play set-up auto.wav", "play clean-up auto.wav",
                                                 "analysis set-up auto.wav", "analysis clean-up auto.wav"}));
    EXPECT_EQ(tasks.SessionMode(), 4);
    EXPECT_TRUE(interaction.messages.empty());

    // Start in task 3 without a file asks for one through "Open .wav" and plays it once.
    basic().SetChecked("CheckAnalysisOnOpen", false);
    opener.CloseFile();
    tasks.SelectTask(3);
    journal.clear();
    Answer(wav);
    form().Click("StartStop");
    EXPECT_EQ(journal, (std::vector<std::string>{"play set-up auto.wav", "play clean-up auto.wav"}));
    EXPECT_EQ(interaction.dialogs.size(), 1u);
}

} // namespace
} // namespace ondrix
