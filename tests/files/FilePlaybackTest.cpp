// The playback task: the output format of each variant and speed, the sound sent out (exactly the frames
// read, with the gain), the play list, jumps and pause during play, and a format the device refuses.
#include "audio/DeviceLists.h"
#include "audio/PortAudioHost.h"
#include "files/FilePlaybackLoop.h"
#include "files/PlayList.h"
#include "support/ByteFiles.h"
#include "support/FileTaskRig.h"
#include "support/PulseServer.h"
#include "support/TapOutput.h"
#include "support/ToneMeasure.h"

#include <thread>

namespace ondrix {
namespace {

std::vector<int16_t> Ramp(int64_t count, int from = 0) {
    std::vector<int16_t> samples(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<int16_t>((from + static_cast<int64_t>(i)) % 30000 - 15000);
    }
    return samples;
}

class FilePlaybackTest : public FileAnalysisRig {
protected:
    FilePlaybackTest() : FileAnalysisRig(200, 256) {
        devices.RefreshDeviceLists();
        RegisterFilePlaybackLoop(tasks.Loops(), playback);
        playback.hooks.note = [this](const std::string& line) { notes.push_back(line); };
        tasks.SelectTask(3);
        settings.Form1().SetText("BlockSize", "4096");
        playback.openOutput = [this](int, const StreamFormat& format) {
            auto device = std::make_unique<TapOutput>(played);
            device->Open(format);
            tap = device.get();
            rates.push_back(format.sampleRate);
            return OpenedOutput{0, std::move(device)};
        };
    }

    std::string Wav(const std::string& name, int channels, int rate, const std::vector<int16_t>& samples) {
        WriteWav16(folder.Path() + name, channels, static_cast<uint32_t>(rate), samples);
        return folder.Path() + name;
    }

    // Plays until the run ends by itself; the tap plays what is queued after the script's step.
    void PlayThrough(const std::function<void(int call)>& step = {}) {
        Run([&](int call) {
            if (step) {
                step(call);
            }
            if (tap == nullptr) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1)); // a real device plays meanwhile
            } else if (!settings.Form1().Checked("PauseButton")) {
                tap->PlayQueued();
            }
            return call < 5000;
        });
        tap = nullptr;
    }

    DeviceCatalog catalog{nullptr};
    DeviceLists devices{settings, catalog, dialogs};
    PlayList list;
    FilePlaybackContext playback{settings, tasks, dialogs, renderer, averaging, file, devices, list};
    TapOutput* tap = nullptr;
    std::vector<int16_t> played;
    std::vector<int> rates;
    std::vector<std::string> notes;
};

// Each variant sends exactly the frames of the file (a last partial block included, never a whole stale
// block), with the digital gain saturating, then ends by itself with "E".
TEST_F(FilePlaybackTest, SendsExactlyTheFramesReadInEveryVariant) {
    const std::vector<int16_t> mono = Ramp(10000);
    std::vector<int16_t> stereo, four, leftMinusRight, fourOut, loud(mono.size(), 20000), saturated;
    for (std::size_t i = 0; i < mono.size(); ++i) {
        const auto l = static_cast<int16_t>(mono[i] / 2), r = static_cast<int16_t>(-mono[i] / 3);
        stereo.insert(stereo.end(), {l, r});
        four.insert(four.end(), {l, r, static_cast<int16_t>(l + 1), static_cast<int16_t>(r - 1)});
        fourOut.insert(fourOut.end(), {static_cast<int16_t>(l + 1), r});
        saturated.push_back(32767);
    }
    leftMinusRight.resize(mono.size());
    ReduceToMono(stereo, 2, StereoChoice::LeftMinusRight, leftMinusRight);
    const struct {
        const char* name;
        int channels;
        const std::vector<int16_t>& samples;
        const char* stereoOption;
        const char* gain;
        int outputChannels;
        const std::vector<int16_t>& expected;
    } cases[] = {
        {"mono", 1, mono, "OptionCS0", "1", 1, mono},
        {"gain", 1, loud, "OptionCS0", "3", 1, saturated},
        {"stereo", 2, stereo, "OptionCS0", "1", 2, stereo},
        {"left-right", 2, stereo, "OptionCS4", "1", 1, leftMinusRight},
        {"four", 4, four, "OptionCS0", "1", 2, fourOut},
    };
    settings.Form1().SetText("SetCH1", "3");
    settings.Form1().SetText("SetCH2", "2");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        played.clear();
        settings.Options0().SetChecked(c.stereoOption, true);
        settings.Form1().SetText("Text2", c.gain);
        Open(Wav(std::string(c.name) + ".wav", c.channels, kRate, c.samples));
        PlayThrough();
        EXPECT_EQ(played, c.expected);
        EXPECT_EQ(
            std::tuple(playback.status.outputChannels, rates.back(), tasks.Running(), tasks.SessionStopped()),
            std::tuple(c.outputChannels, kRate, false, true));
        EXPECT_EQ(settings.Form1().Text("StatusLine").back(), 'E');
    }
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{});
}

// The output rate is the file rate times the play speed; a rate the device refuses is the device error
// and nothing plays. The built-in null output plays in real time to the end.
TEST_F(FilePlaybackTest, OutputRateFollowsThePlaySpeed) {
    const struct {
        int fileRate;
        const char* speed;
        int outputRate;
        const char* status;
    } cases[] = {
        {48000, "2", 96000, " Play Speed 2x   Play "},
        {8000, "0.1", 800, " Play Speed .1x   Play "},
        {44100, "1", 44100, " Play "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.speed);
        settings.Options0().SetText("cmbSpeedUp", c.speed);
        Open(Wav("speed.wav", 1, c.fileRate, Ramp(5000)));
        PlayThrough();
        EXPECT_EQ(rates.back(), c.outputRate);
        EXPECT_EQ(settings.Form1().Text("StatusLine").substr(0, std::string(c.status).size()), c.status);
    }
    playback.openOutput = {};
    Open(Wav("short.wav", 1, kRate, Ramp(4800)));
    PlayThrough();
    EXPECT_EQ(std::tuple(playback.status.blocks, settings.Form1().Text("StatusLine").back()),
              std::tuple(2, 'E'));
    settings.Options0().SetText("cmbSpeedUp", "8");
    Open(Wav("fast.wav", 1, 192000, Ramp(5000)));
    PlayThrough();
    EXPECT_EQ(dialogs.Texts(),
              std::vector<std::string>{"Couldn't open wave device due to Error  32 BADFORMAT"});
    EXPECT_EQ(std::tuple(playback.status.blocks, tasks.Running()), std::tuple(0, false));
}

// A play list plays its entries in order, each at its own rate, skipping one it cannot read, and ends
// after the last.
TEST_F(FilePlaybackTest, PlayListPlaysEveryEntryInOrder) {
    const std::vector<int16_t> a = Ramp(5000), b = Ramp(3000, 7000), c = Ramp(2000, 100);
    list.Set({Wav("a.wav", 1, kRate, a), folder.Path() + "missing.wav", Wav("b.wav", 1, kRate, b),
              Wav("c.wav", 1, 22050, c)});
    Open(list.Current());
    std::string lastLabel;
    PlayThrough([&](int) { lastLabel = settings.Form1().Text("Label4"); });
    std::vector<int16_t> expected = a;
    expected.insert(expected.end(), b.begin(), b.end());
    expected.insert(expected.end(), c.begin(), c.end());
    EXPECT_EQ(played, expected);
    EXPECT_EQ(rates, (std::vector<int>{kRate, 22050}));
    EXPECT_EQ(notes, std::vector<std::string>{"Play List: cannot play " + folder.Path() + "missing.wav"});
    EXPECT_EQ(std::tuple(file.name, playback.status.files), std::tuple(folder.Path() + "c.wav", 3));
    EXPECT_EQ(lastLabel.substr(0, 9 + file.name.size()), "PlayList " + file.name);
}

// A jump during play continues from the new position; pause holds the output until it is released.
TEST_F(FilePlaybackTest, JumpAndPauseActWhilePlaying) {
    const std::vector<int16_t> samples = Ramp(20000);
    Open(Wav("long.wav", 1, kRate, samples));
    std::size_t heldAt = 0;
    PlayThrough([&](int call) {
        if (call == 1) {
            file.filePos = 44 + 2 * 15000;
            settings.Form1().SetChecked("PauseButton", true);
            heldAt = played.size();
        }
        if (call == 4) {
            EXPECT_EQ(played.size(), heldAt);
            EXPECT_EQ(settings.Form1().Text("StatusLine").back(), 'P');
            settings.Form1().SetChecked("PauseButton", false);
        }
    });
    std::vector<int16_t> expected(samples.begin(), samples.begin() + 8192);
    expected.insert(expected.end(), samples.begin() + 15000, samples.end());
    EXPECT_EQ(played, expected);
}

// Real sound out and back: the file is played through PortAudio and ALSA's "pulse" device into a private
// server's null sink (16-bit, the file's rate, so nothing is resampled or scaled), whose monitor is
// recorded. A 1 kHz tone comes back at the speed's frequency, and a ramp played at speed 1 comes back
// unbroken.
class PulsePlaybackRealTime : public FileAnalysisRig {
protected:
    PulsePlaybackRealTime() : FileAnalysisRig(200, 256) {}

    // Plays the file at the speed and returns what the sink's monitor heard.
    std::vector<int16_t> PlayAndRecord(const std::string& path, const char* speed) {
        const std::string recorded = server.Path() + "heard.raw";
        std::filesystem::remove(recorded);
        EXPECT_EQ(PulseScript("record " + server.Path() + " 48000 1 " + recorded), 0);
        settings.Options0().SetText("cmbSpeedUp", speed);
        Open(path);
        Run([&](int call) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return call < 20000;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(200)); // the server's latency
        PulseScript("stop-record " + server.Path());
        const Bytes bytes = ReadBytes(recorded);
        std::vector<int16_t> heard(bytes.size() / 2);
        std::memcpy(heard.data(), bytes.data(), heard.size() * 2);
        return heard;
    }

    TempFolder server;
};

TEST_F(PulsePlaybackRealTime, ToneFollowsTheSpeedAndTheRampComesBackUnbroken) {
    if (!PulseServerAvailable() || !Installed("parec")) {
        GTEST_SKIP() << "PulseAudio, parec or sox is not installed (scripts/install-deps.sh installs them)";
    }
    ASSERT_EQ(PulseScript("start " + server.Path() + " 48000 1"), 0);
    setenv("PULSE_SERVER", ("unix:" + server.Path() + "sock").c_str(), 1);
    PortAudioSystem system;
    ASSERT_TRUE(system.Ok());
    PortAudioHost host(system);
    DeviceCatalog catalog(&host);
    DeviceLists devices(settings, catalog, dialogs);
    devices.RefreshDeviceLists();
    const int pulse = catalog.OutputPosition("pulse");
    ASSERT_GT(pulse, 0) << "ALSA's pulse device is not listed";
    settings.Options0().SetText("Combo9", catalog.Outputs()[static_cast<std::size_t>(pulse)].listName);
    PlayList list;
    FilePlaybackContext playback{settings, tasks, dialogs, renderer, averaging, file, devices, list};
    RegisterFilePlaybackLoop(tasks.Loops(), playback);
    tasks.SelectTask(3);
    settings.Form1().SetText("BlockSize", "4096");

    std::vector<int16_t> tone(kRate);
    for (std::size_t i = 0; i < tone.size(); ++i) {
        tone[i] = static_cast<int16_t>(
            std::lround(12000.0 * std::sin(2.0 * std::numbers::pi * 1000.0 * i / kRate)));
    }
    WriteWav16(folder.Path() + "tone.wav", 1, kRate, tone);
    for (const auto& [speed, frequency] : {std::pair{"1", 1000.0}, {"2", 2000.0}, {"0.5", 500.0}}) {
        SCOPED_TRACE(speed);
        const std::vector<int16_t> heard = PlayAndRecord(folder.Path() + "tone.wav", speed);
        const auto start =
            std::find_if(heard.begin(), heard.end(), [](int16_t s) { return std::abs(s) > 1000; });
        ASSERT_GT(heard.end() - start, kRate / 4) << "less than a quarter second came back";
        const std::vector<double> stretch(start + kRate / 20, start + kRate / 4);
        const double meanSquare = std::inner_product(stretch.begin(), stretch.end(), stretch.begin(), 0.0) /
                                  static_cast<double>(stretch.size());
        EXPECT_GT(PowerAt(stretch, frequency, kRate), 0.9 * meanSquare);
    }
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{});

    std::vector<int16_t> ramp(kRate);
    for (std::size_t i = 0; i < ramp.size(); ++i) {
        ramp[i] = static_cast<int16_t>(1000 + i);
    }
    WriteWav16(folder.Path() + "ramp.wav", 1, kRate, ramp);
    const std::vector<int16_t> heard = PlayAndRecord(folder.Path() + "ramp.wav", "1");
    // The monitor drops the first fragment of a new stream (pacat's too): the ramp must come back from
    // within its first quarter second to its last sample, each sample once.
    const auto start = std::find_if(heard.begin(), heard.end(), [](int16_t s) { return s != 0; });
    ASSERT_NE(start, heard.end()) << "nothing came back";
    const auto first = std::find(ramp.begin(), ramp.begin() + kRate / 4, *start);
    ASSERT_NE(first, ramp.begin() + kRate / 4) << "the start was lost";
    ASSERT_GE(heard.end() - start, ramp.end() - first) << "the end was lost";
    EXPECT_TRUE(std::equal(first, ramp.end(), start));
    PulseScript("stop " + server.Path());
    unsetenv("PULSE_SERVER");
}

} // namespace
} // namespace ondrix
