// The CD player on real disc images: three tracks of known tones written by sox into a BIN/CUE pair.
#include "audio/PortAudioHost.h"
#include "audio/PortAudioSystem.h"
#include "cd/CdPlayerPanel.h"

#include "TempFolder.h"
#include "support/ByteFiles.h"
#include "support/PulseServer.h"
#include "support/ScriptedInteraction.h"
#include "support/ToneMeasure.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <numeric>
#include <thread>

namespace ondrix {
namespace {

struct Tone {
    int seconds;
    int frequency;
};
// Track 2 starts at 00:03 and track 3 at 00:10 of the disc.
const std::vector<Tone> kTracks = {{3, 440}, {7, 1000}, {4, 2500}};

// Writes disc.bin (the tones, raw CD audio) and disc.cue naming its tracks; the cue's path.
std::string WriteDisc(const std::string& folder, const std::vector<Tone>& tracks) {
    std::string cue = "FILE \"disc.bin\" BINARY\n";
    std::string parts;
    int start = 0;
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        const std::string raw = folder + "t" + std::to_string(i) + ".raw";
        const std::string command = "sox -n -r 44100 -c 2 -b 16 -e signed -L -t raw " + raw + " synth " +
                                    std::to_string(tracks[i].seconds) + " sine " +
                                    std::to_string(tracks[i].frequency) + " vol 0.5";
        EXPECT_EQ(std::system(command.c_str()), 0);
        parts += " " + raw;
        char index[96];
        std::snprintf(index, sizeof index, "  TRACK %02zu AUDIO\n    INDEX 01 %02d:%02d:00\n", i + 1,
                      start / 60, start % 60);
        cue += index;
        start += tracks[i].seconds;
    }
    EXPECT_EQ(std::system(("cat" + parts + " > " + folder + "disc.bin").c_str()), 0);
    WriteBytes(folder + "disc.cue", cue);
    return folder + "disc.cue";
}

class CdPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Installed("sox")) {
            GTEST_SKIP() << "sox is not installed (scripts/install-deps.sh installs it)";
        }
    }

    void Start(const std::string& source, CdEngine::OutputOpener opener = {}) {
        engine = std::make_unique<CdEngine>(MakeLibcdioSource(source), std::move(opener));
        panel = std::make_unique<CdPlayerPanel>(*engine, dialogs, [] { return position; });
        panel->Load();
        Update();
    }
    // The command carried out, then one status update shown.
    void Update() {
        engine->Sync();
        panel->StatusUpdate();
        engine->Sync();
        panel->StatusUpdate();
    }

    static inline int position = 0;
    TempFolder folder;
    ScriptedInteraction dialogs;
    std::unique_ptr<CdEngine> engine;
    std::unique_ptr<CdPlayerPanel> panel;
};

TEST_F(CdPlayerTest, TableOfContentsAndTheWrapRules) {
    Start(WriteDisc(folder.Path(), kTracks));
    EXPECT_EQ(panel->View().totalPlay, "Tracks: 3  Total time: 00:14:00");
    EXPECT_EQ(panel->View().timeWindow, "[01] 00:00");
    EXPECT_EQ(panel->View().trackTime, "Track time: 00:03:00");
    EXPECT_TRUE(panel->View().buttons);
    const std::vector<std::pair<std::function<void(CdPlayerPanel&)>, std::string>> steps = {
        {&CdPlayerPanel::PreviousTrack, "[03] 00:00 Track time: 00:04:00"}, // from the start of track 1
        {&CdPlayerPanel::NextTrack, "[01] 00:00 Track time: 00:03:00"},     // from the last track
        {&CdPlayerPanel::Rewind, "[01] 00:00 Track time: 00:03:00"},        // refused: before the disc
        {&CdPlayerPanel::FastForward, "[02] 00:02 Track time: 00:07:00"},
        {&CdPlayerPanel::PreviousTrack, "[02] 00:00 Track time: 00:07:00"}, // back to its start
        {&CdPlayerPanel::PreviousTrack, "[01] 00:00 Track time: 00:03:00"},
        {&CdPlayerPanel::NextTrack, "[02] 00:00 Track time: 00:07:00"},
        {&CdPlayerPanel::NextTrack, "[03] 00:00 Track time: 00:04:00"},
        {&CdPlayerPanel::FastForward, "[03] 00:00 Track time: 00:04:00"}, // refused: beyond the end
        {&CdPlayerPanel::Rewind, "[02] 00:02 Track time: 00:07:00"},
        {&CdPlayerPanel::StopButton, "[02] 00:00 Track time: 00:07:00"},
    };
    std::size_t errors = 0;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(i);
        steps[i].first(*panel);
        Update();
        EXPECT_EQ(panel->View().timeWindow + " " + panel->View().trackTime, steps[i].second);
        errors += i == 2 || i == 8 ? 1 : 0;
        EXPECT_EQ(dialogs.messages.size(), errors);
    }
    EXPECT_EQ(dialogs.Texts().at(0), "The position is outside the disc");
}

TEST_F(CdPlayerTest, DiscRemovedAndAnotherInserted) {
    const std::string cue = WriteDisc(folder.Path(), kTracks);
    Start(cue);
    std::filesystem::rename(cue, folder.Path() + "away.cue");
    Update();
    EXPECT_FALSE(panel->View().buttons);
    EXPECT_EQ(panel->View().totalPlay + panel->View().trackTime + panel->View().timeWindow, "");
    WriteDisc(folder.Path(), {{2, 300}, {5, 600}});
    Update();
    EXPECT_TRUE(panel->View().buttons);
    EXPECT_EQ(panel->View().totalPlay, "Tracks: 2  Total time: 00:07:00");
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{});
}

// No drive, a cue that is not one, a cue naming a missing image: the reason is shown once, the buttons
// stay disabled, every button is harmless.
TEST_F(CdPlayerTest, NoDiscPaths) {
    WriteBytes(folder.Path() + "bad.cue", std::string("\x7f\x45LF garbage\nTRACK zz AUDIO\n\xff\xfe", 27));
    WriteBytes(folder.Path() + "lost.cue",
               "FILE \"lost.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
    for (const std::string& source :
         {std::string("/nonexistent/cdrom"), folder.Path() + "bad.cue", folder.Path() + "lost.cue"}) {
        SCOPED_TRACE(source);
        dialogs.messages.clear();
        Start(source);
        for (auto press : {&CdPlayerPanel::Play, &CdPlayerPanel::NextTrack, &CdPlayerPanel::PreviousTrack,
                           &CdPlayerPanel::Rewind, &CdPlayerPanel::StopButton}) {
            (panel.get()->*press)();
        }
        Update();
        ASSERT_EQ(dialogs.messages.size(), 1U);
        EXPECT_NE(dialogs.Texts()[0].find(source), std::string::npos) << dialogs.Texts()[0];
        EXPECT_FALSE(panel->View().buttons);
        EXPECT_FALSE(panel->View().eject);
    }
}

TEST_F(CdPlayerTest, PulseRealTimeTrackTwoIsHeard) {
    if (!PulseServerAvailable() || !Installed("parec")) {
        GTEST_SKIP() << "PulseAudio, parec or sox is not installed (scripts/install-deps.sh installs them)";
    }
    TempFolder server;
    ASSERT_EQ(PulseScript("start " + server.Path() + " 44100 2"), 0);
    setenv("PULSE_SERVER", ("unix:" + server.Path() + "sock").c_str(), 1);
    {
        PortAudioSystem system;
        ASSERT_TRUE(system.Ok());
        PortAudioHost host(system);
        DeviceCatalog catalog(&host);
        position = catalog.OutputPosition("pulse");
        ASSERT_GT(position, 0) << "ALSA's pulse device is not listed";
        Start(WriteDisc(folder.Path(), kTracks),
              [&](int at, const StreamFormat& format) { return catalog.OpenOutput(at, format); });
        const std::string recorded = server.Path() + "heard.raw";
        ASSERT_EQ(PulseScript("record " + server.Path() + " 44100 2 " + recorded), 0);
        panel->NextTrack();
        panel->Play();
        Update();
        EXPECT_TRUE(panel->Playing());
        std::this_thread::sleep_for(std::chrono::milliseconds(2000));
        panel->Pause();
        Update();
        PulseScript("stop-record " + server.Path());
        EXPECT_EQ(panel->View().timeWindow.substr(0, 4), "[02]");
        const auto bytes = ReadBytes(recorded);
        std::vector<int16_t> heard(bytes.size() / 2);
        std::memcpy(heard.data(), bytes.data(), heard.size() * 2);
        std::vector<double> left;
        for (std::size_t i = 0; i < heard.size(); i += 2) {
            if (std::abs(heard[i]) > 1000 || !left.empty()) {
                left.push_back(heard[i]);
            }
        }
        ASSERT_GT(left.size(), 44100U / 4) << "less than a quarter second came back";
        left.resize(44100 / 4);
        const double meanSquare =
            std::inner_product(left.begin(), left.end(), left.begin(), 0.0) / left.size();
        EXPECT_GT(PowerAt(left, 1000, 44100), 0.9 * meanSquare);
        EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{});
        engine.reset();
    }
    PulseScript("stop " + server.Path());
    unsetenv("PULSE_SERVER");
}

} // namespace
} // namespace ondrix
