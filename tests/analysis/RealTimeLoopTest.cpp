// The real-time mono loop, run through the Start button with its collaborators wired as the program
// wires them: fails, pauses, clamps, messages, and real capture from the built-in ramp and PulseAudio.
#include "analysis/StereoColumns.h"
#include "audio/DeviceNames.h"
#include "audio/PortAudioHost.h"
#include "audio/PortAudioSystem.h"
#include "audio/TestRamp.h"
#include "common/NumberText.h"
#include "support/ManualInput.h"
#include "support/PulseServer.h"
#include "support/RealTimeLoopRig.h"
#include "support/ToneMeasure.h"

#include <QColor>
#include <gtest/gtest.h>

#include <algorithm>
#include <numbers>
#include <numeric>

namespace ondrix {
namespace {

// The ramp as every raw block should carry it: not one sample lost, repeated or reordered.
void ExpectUnbrokenRamp(const std::vector<int16_t>& captured) {
    for (std::size_t i = 0; i < captured.size(); ++i) {
        ASSERT_EQ(captured[i], static_cast<int16_t>(static_cast<uint16_t>(i))) << "sample " << i;
    }
}

// Runs on the manual device: the test decides when each block arrives.
class RealTimeLoopTest : public ::testing::Test, public RealTimeLoopRig {
protected:
    RealTimeLoopTest() : RealTimeLoopRig(nullptr) {
        devices.RefreshDeviceLists();
        renderer.SetGeometry(400, 256);
        context.openInput = [this](int, const StreamFormat& format) {
            auto device = std::make_unique<ManualInput>();
            device->Open(format);
            manual = device.get();
            return OpenedInput{0, std::move(device)};
        };
        Quick({{"BlockSize", "4096"}, {"FFTSize", "1024"}, {"WindowSize", "1024"}, {"ScanStep", "512"}});
        settings.Options2().SetText("Combo2", "4");
    }

    ManualInput* manual = nullptr;
};

// The step is limited to half the block by the settings check, a block below the FFT size is raised to
// it, and an absurd hand-edited block is limited before any device opens.
TEST_F(RealTimeLoopTest, StepAndFftLargerThanTheBlockAreClamped) {
    Quick({{"ScanStep", "8192"}});
    Session([](int) { return false; });
    EXPECT_EQ(settings.Form1().Text("ScanStep") + " " + settings.Form1().Text("StatusLine"), "2048 skip");

    Quick({{"BlockSize", "1024"}, {"FFTSize", "2048"}, {"WindowSize", "2048"}, {"ScanStep", "512"}});
    std::string description;
    Session([&](int) {
        description = settings.Form1().Text("Label4");
        return false;
    });
    EXPECT_EQ(
        std::tuple(settings.Form1().Text("BlockSize"), settings.Form1().Text("StatusLine"), description,
                   dialogs.messages.size()),
        std::tuple("2048", "overlap 75%", " 48000s/sec 1ch  Block  2048= 42.667msec  Display 4.267sec", 0u));

    Quick({{"BlockSize", "10000000"}});
    int framesOpened = 0;
    Session([&](int) {
        framesOpened = manual->FramesPerSlot();
        return false;
    });
    EXPECT_EQ(std::tuple(settings.Form1().Text("BlockSize"), framesOpened), std::tuple("131072", 131072));
}

// All four slots done at once count one fail (three do not), and every block is still analysed, in order.
// In the linear amplitude scale the status label reads the minimum and maximum of the last column.
TEST_F(RealTimeLoopTest, AllSlotsDoneAtOnceCountOneFailAndEveryBlockIsAnalysed) {
    settings.Options1().SetText("AmplitudeScale", "1 - Linear");
    settings.Options2().SetChecked("SpecFormCheck", true);
    std::vector<float> last;
    context.hooks.plotSpectrum = [&](std::span<const float> column) {
        last.assign(column.begin(), column.end());
    };
    std::string status;
    Session([&](int call) {
        manual->PushBlocks(call == 1 ? 3 : call == 2 ? 4 : 0);
        status = settings.Form1().Text("Label4");
        return call < 3;
    });
    // Fails, blocks and columns counted and shown.
    EXPECT_EQ(std::tuple(context.status.fails, context.status.blocks, context.status.columns,
                         settings.Form1().Text("L24"), settings.Form1().Text("Label21")),
              std::tuple(1, 7, 7 * 4096 / 512, "1", "4"));
    ASSERT_EQ(captured.size(), 7u * 4096);
    ExpectUnbrokenRamp(captured);
    EXPECT_EQ(settings.Form1().At("StartStop").caption, "Start");
    ASSERT_FALSE(last.empty());
    EXPECT_EQ(status, " 0" + NumberText(*std::max_element(last.begin(), last.end()), Precision::Single));
}

// A pause longer than the two slots last: the device drops three blocks, and the run counts one fail.
TEST_F(RealTimeLoopTest, APauseLongerThanTheSlotsCountsOneFail) {
    settings.Options2().SetText("Combo2", "2");
    Session([this](int call) {
        settings.Form1().SetChecked("PauseButton", call == 2);
        manual->PushBlocks(call == 1 ? 1 : call == 2 ? 5 : 0);
        return call < 5;
    });
    EXPECT_EQ(std::tuple(context.status.fails, context.status.blocks, context.status.droppedBlocks,
                         settings.Form1().Text("StatusLine").back()),
              std::tuple(1, 3, 3, 'P'));
}

// A format the device refuses ends the run with the error before capture; a device that vanishes
// mid-run ends it with a message.
TEST_F(RealTimeLoopTest, ARefusedFormatOrAVanishedDeviceEndsTheRunWithAMessage) {
    Quick({{"SampleRate", "2000000"}});
    Session([](int) { return true; });
    EXPECT_EQ(manual, nullptr);
    EXPECT_EQ(dialogs.Texts(),
              std::vector<std::string>{"Couldn't open wave device due to Error  32 BADFORMAT"});
    EXPECT_TRUE(tasks.SessionStopped() && settings.Form1().At("StartStop").caption == "Start");

    Quick({{"SampleRate", "48000"}});
    Session([this](int call) {
        if (call == 1) {
            manual->PushBlocks(1);
            manual->Vanish();
        }
        return call < 50;
    });
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_NE(dialogs.messages[1].text.find("stopped working"), std::string::npos);
    EXPECT_TRUE(tasks.SessionStopped() && !tasks.Running());
}

// The built-in ramp device on its own clock thread, through the real loop with drawing on, for 5 s: not
// one sample lost, repeated or reordered (16 slots of 4096 frames at 48000 samples/s).
TEST_F(RealTimeLoopTest, TheTestRampArrivesUnbrokenForFiveSeconds) {
    context.openInput = {};
    settings.Options2().SetText("Combo2", "16");
    SelectInput(kTestRampName);
    const std::size_t fiveSeconds = 5u * 48000;
    Session([&](int) { return captured.size() < fiveSeconds; });
    ASSERT_GE(captured.size(), fiveSeconds);
    ExpectUnbrokenRamp(captured);
    EXPECT_EQ(std::tuple(context.status.droppedBlocks, context.status.fails, context.status.columns,
                         dialogs.messages.size()),
              std::tuple(0, 0, static_cast<int64_t>(captured.size() / 512), 0u));
}

// Two channels of the ramp device: a short block is raised to 4096 values, the description says "2ch",
// and every frame arrives with its left and right values in place (the right runs 16384 ahead).
TEST_F(RealTimeLoopTest, TheStereoRampArrivesInterleavedAndUnbroken) {
    context.openInput = {};
    settings.Options2().SetText("Combo2", "16");
    settings.Options0().SetText("NchanCombo", "2 - stereo");
    SelectInput(kTestRampName);
    Quick({{"BlockSize", "2048"}});
    std::string described;
    Session([&](int) {
        described = settings.Form1().Text("Label4");
        return captured.size() < 2u * 48000;
    });
    EXPECT_EQ(
        std::tuple(settings.Form1().Text("BlockSize"), context.status.channelMode, context.status.fails),
        std::tuple("4096", "S", 0));
    EXPECT_NE(described.find("s/sec 2ch  Block  4096= 42.667msec"), std::string::npos) << described;
    for (std::size_t i = 0; i < captured.size(); ++i) {
        ASSERT_EQ(captured[i], TestRamp::ValueAt(i / 2, static_cast<int>(i % 2))) << "value " << i;
    }
    EXPECT_EQ(context.status.columns, static_cast<int64_t>(captured.size() / 2 / 512));
}

// Each display mode through the loop. The left channel carries bins 40 and 100, the right bin 100 only
// (FFT 512 on 256 rows: half rows 20 and 50); for each half, which of the two tone rows is dark in the
// "0 wb" scale ('X') or light ('.'). Red-blue shows the left-only tone blue ('B') and the tone in both
// channels red and blue ('M') in the lower half.
TEST_F(RealTimeLoopTest, EachStereoModeDrawsItsChannelsInTheirHalves) {
    settings.Options0().SetText("NchanCombo", "2 - stereo");
    Quick({{"FFTSize", "512"}, {"WindowSize", "512"}, {"ScanStep", "512"}, {"Combo7", "256"}});
    const auto tone = [](int64_t frame, int bin) {
        return 8000.0 * std::sin(2 * std::numbers::pi * bin * static_cast<double>(frame) / 512);
    };
    const struct {
        const char *option, *text;
        bool redBlue;
        std::string rows; // upper 20, upper 50, lower 20, lower 50
    } cases[] = {
        {"OptionCSS1", "S", false, "XX.X"},  {"OptionCSS2", "LL", false, "XXXX"},
        {"OptionCSS3", "RR", false, ".X.X"}, {"OptionCSS4", "MS", false, "XXX."},
        {"OptionCSS1", "S", true, "XXBM"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + (c.redBlue ? " RB" : ""));
        settings.Options0().SetChecked(c.option, true);
        settings.Options0().SetChecked("chkRedBlueDisplay", c.redBlue);
        bool pushed = false;
        Session([&](int) {
            manual->signal = [&](int64_t v) {
                const double left = tone(v / 2, 40) + tone(v / 2, 100);
                return static_cast<int16_t>(std::lround(v % 2 == 0 ? left : tone(v / 2, 100)));
            };
            manual->PushBlocks(pushed ? 0 : 4);
            return !std::exchange(pushed, true);
        });
        ASSERT_EQ(context.status.columns, 16);
        EXPECT_EQ(context.status.channelMode, c.text);
        const int top = renderer.Height() - 256;
        std::string rows;
        for (const int y : {top + 127 - 20, top + 127 - 50, top + 255 - 20, top + 255 - 50}) {
            const QColor pixel = renderer.Picture().pixelColor(12, y);
            if (c.redBlue && y > top + 127) {
                const bool red = pixel.red() > 128;
                const bool blue = pixel.blue() > 128;
                rows += red && blue ? 'M' : red ? 'R' : blue ? 'B' : '.';
            } else {
                rows += pixel.red() < 128 ? 'X' : '.';
            }
        }
        EXPECT_EQ(rows, c.rows);
    }
}

// Sum and difference stay in the 16-bit range and round ties to even; "Both Left" and "Both Right" show
// one channel twice. In red-blue the lower half is blue where only the left channel sounds and red where
// only the right one does.
TEST(StereoColumnsTest, ModesSaturateAndRedBlueTellsTheChannelsApart) {
    const struct {
        StereoDisplay display;
        std::vector<int16_t> in, out;
    } cases[] = {
        {StereoDisplay::SumDifference,
         {32767, -32768, 32767, 32767, 3, 1, 2, 1},
         {0, 32767, 32767, 0, 2, 1, 2, 0}},
        {StereoDisplay::BothLeft, {5, 9}, {5, 5}},
        {StereoDisplay::BothRight, {5, 9}, {9, 9}},
        {StereoDisplay::Stereo, {5, 9}, {5, 9}},
    };
    for (auto c : cases) {
        RearrangeStereo(c.in, c.display);
        EXPECT_EQ(c.in, c.out) << StereoDisplayText(c.display);
    }
    Palette palette;
    SpectrogramRenderer renderer(palette, 0xffc0c0c0u);
    renderer.SetGeometry(64, 256);
    renderer.BeginSession({.updateRate = 0, .rows = 256, .scrollMode = 0, .markers = {}});
    StereoColumns stereo({.fftSize = 512, .windowSize = 512, .windowType = 1, .scanStep = 256});
    stereo.Begin(4096, 256);
    std::vector<int16_t> block(4096);
    int columns = 0;
    for (int64_t b = 0; b < 4; ++b) {
        for (std::size_t k = 0; k < 2048; ++k) {
            const double n = static_cast<double>(b * 2048 + static_cast<int64_t>(k));
            block[2 * k] =
                static_cast<int16_t>(std::lround(12000 * std::sin(2 * std::numbers::pi * 40 * n / 512)));
            block[2 * k + 1] =
                static_cast<int16_t>(std::lround(12000 * std::sin(2 * std::numbers::pi * 100 * n / 512)));
        }
        columns += stereo.Take(
            block, {}, {.rows = 256, .direct = true},
            {.display = StereoDisplay::Stereo, .halfRows = 128, .zoomChannel = 2, .redBlue = true}, renderer);
    }
    ASSERT_EQ(columns, 32);
    const QColor leftOnly = renderer.Picture().pixelColor(columns - 1, 255 - 20);
    const QColor rightOnly = renderer.Picture().pixelColor(columns - 1, 255 - 50);
    EXPECT_EQ(std::tuple(leftOnly.blue(), leftOnly.red() < 64, rightOnly.red(), rightOnly.blue() < 64),
              std::tuple(255, true, 255, true));
}

// Capture through PortAudio from a private PulseAudio server playing 1 kHz: after half a second of
// settling, the tone's row holds every column's maximum for a second, and no block is lost.
// The real-time loop on ALSA's "pulse" input through PortAudio, with the start-up settings.
struct PulseLoop {
    PulseLoop() {
        rig.settings.ApplyInitialValues();
        rig.devices.RefreshDeviceLists();
        rig.SelectInput("pulse");
    }
    bool Ready() const { return system.Ok() && rig.catalog.InputPosition("pulse") > 0; }

    PortAudioSystem system;
    PortAudioHost host{system};
    RealTimeLoopRig rig{&host};
};

TEST(PulseLoopRealTime, AToneLandsInItsRowWithNoFails) {
    PulseTone tone(1000);
    if (!PulseServerAvailable()) {
        GTEST_SKIP() << "PulseAudio or sox is not installed (scripts/install-deps.sh installs them)";
    }
    ASSERT_TRUE(tone.Playing());
    PulseLoop pulse;
    ASSERT_TRUE(pulse.Ready()) << "PortAudio or ALSA's pulse device is missing";
    RealTimeLoopRig& rig = pulse.rig;
    // One row per bin: row k is bin k (46.875 Hz); 1000 Hz lies in bin 21.3.
    rig.Quick({{"BlockSize", "4800"},
               {"FFTSize", "1024"},
               {"WindowSize", "1024"},
               {"ScanStep", "512"},
               {"Combo7", "512"}});
    rig.settings.Form1().SetChecked("Check2", true);
    rig.settings.Options2().SetText("Combo2", "8");

    const int64_t settle = 48000 / 2 / 512;
    const int64_t wanted = settle + 48000 / 512;
    int64_t columns = 0;
    int64_t toneOnTop = 0;
    rig.context.hooks.track = [&](std::span<const float> column) {
        if (++columns > settle) {
            toneOnTop += std::max_element(column.begin(), column.end()) - column.begin() == 21 ? 1 : 0;
        }
        return -1;
    };
    rig.Session([&](int) { return columns < wanted && rig.dialogs.messages.empty(); });

    EXPECT_TRUE(rig.dialogs.messages.empty()) << rig.dialogs.messages.front().text;
    EXPECT_GE(columns, wanted);
    EXPECT_EQ(toneOnTop, columns - settle);
    EXPECT_EQ(rig.context.status.fails + rig.context.status.droppedBlocks, 0);
}

// Two channels from a private PulseAudio server playing 1 kHz on the left only and 5 kHz on the right
// only: each channel of the last second carries its own tone and not the other, and no block is lost.
TEST(PulseLoopRealTime, EachChannelCarriesItsOwnTone) {
    PulseTone tone(1000, 5000);
    if (!PulseServerAvailable()) {
        GTEST_SKIP() << "PulseAudio or sox is not installed (scripts/install-deps.sh installs them)";
    }
    ASSERT_TRUE(tone.Playing());
    PulseLoop pulse;
    ASSERT_TRUE(pulse.Ready()) << "PortAudio or ALSA's pulse device is missing";
    RealTimeLoopRig& rig = pulse.rig;
    rig.settings.Options0().SetText("NchanCombo", "2 - stereo");
    rig.Quick({{"BlockSize", "9600"},
               {"FFTSize", "1024"},
               {"WindowSize", "1024"},
               {"ScanStep", "512"},
               {"Combo7", "256"}});
    rig.settings.Options2().SetText("Combo2", "8");
    rig.Session(
        [&](int) { return rig.captured.size() < 2u * 48000 * 3 / 2 && rig.dialogs.messages.empty(); });
    EXPECT_TRUE(rig.dialogs.messages.empty()) << rig.dialogs.messages.front().text;
    ASSERT_GE(rig.captured.size(), 2u * 48000 * 3 / 2);
    EXPECT_EQ(rig.context.status.fails + rig.context.status.droppedBlocks, 0);
    const struct {
        int channel;
        double own, other;
    } channels[] = {{0, 1000.0, 5000.0}, {1, 5000.0, 1000.0}};
    for (const auto& c : channels) {
        std::vector<double> second;
        for (std::size_t i = rig.captured.size() - 2 * 48000 + static_cast<std::size_t>(c.channel);
             i < rig.captured.size(); i += 2) {
            second.push_back(rig.captured[i]);
        }
        const double meanSquare = std::inner_product(second.begin(), second.end(), second.begin(), 0.0) /
                                  static_cast<double>(second.size());
        EXPECT_GT(PowerAt(second, c.own, 48000), 0.9 * meanSquare) << "channel " << c.channel;
        EXPECT_LT(PowerAt(second, c.other, 48000), 0.01 * meanSquare) << "channel " << c.channel;
    }
    // In the picture, for a second of columns: the darkest (loudest) row of the upper half is the 1 kHz
    // row, that of the lower half the 5 kHz row. A half's row j shows the bins of full rows 2j and 2j + 1.
    const int rows = 256;
    const int half = rows / 2;
    const double halfRowHz = 48000.0 / 1024 * (512.0 / rows) * 2;
    const int top = rig.renderer.Height() - rows;
    const int columns = static_cast<int>(std::min<int64_t>(rig.context.status.columns, rig.renderer.Width()));
    ASSERT_GE(columns, 48000 / 512 + 8);
    for (int x = columns - 48000 / 512; x < columns; ++x) {
        for (const auto& c : channels) {
            int loudest = 0;
            int darkest = 256;
            for (int j = 0; j < half; ++j) {
                const int gray = qGray(rig.renderer.Picture().pixel(x, top + half * (c.channel + 1) - 1 - j));
                if (gray < darkest) {
                    std::tie(darkest, loudest) = std::tuple(gray, j);
                }
            }
            ASSERT_NEAR(loudest * halfRowHz, c.own, halfRowHz) << "column " << x << ", channel " << c.channel;
        }
    }
}

} // namespace
} // namespace ondrix
