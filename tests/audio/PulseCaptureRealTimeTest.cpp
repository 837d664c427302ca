// Real capture through PortAudio: a private PulseAudio server with a null sink plays a 1 kHz tone,
// and the program records the sink's monitor through ALSA's "pulse" device.
#include "TempFolder.h"
#include "audio/DeviceCatalog.h"
#include "audio/PortAudioHost.h"

#include "support/PulseServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <string>

namespace ondrix {
namespace {

// Power of one frequency in the samples (Goertzel), scaled like the mean square of the samples:
// a pure sine at that frequency gives its whole mean square.
double PowerAt(const std::vector<double>& samples, double frequency, double sampleRate) {
    const double w = 2.0 * std::numbers::pi * frequency / sampleRate;
    const double coefficient = 2.0 * std::cos(w);
    double s1 = 0.0;
    double s2 = 0.0;
    for (double x : samples) {
        const double s0 = x + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    const auto n = static_cast<double>(samples.size());
    return 2.0 * power / (n * n);
}

class PulseCaptureRealTime : public ::testing::Test {
protected:
    void SetUp() override {
        if (!PulseServerAvailable()) {
            GTEST_SKIP() << "PulseAudio or sox is not installed (scripts/install-deps.sh installs them)";
        }
        ASSERT_EQ(PulseScript("start " + folder_.Path()), 0);
        started_ = true;
        setenv("PULSE_SERVER", ("unix:" + folder_.Path() + "sock").c_str(), 1);
        setenv("PULSE_SOURCE", "ondrix_null.monitor", 1);
        ASSERT_EQ(PulseScript("tone " + folder_.Path() + " 1000"), 0);
    }

    void TearDown() override {
        if (started_) {
            PulseScript("stop " + folder_.Path());
        }
        unsetenv("PULSE_SERVER");
        unsetenv("PULSE_SOURCE");
    }

    // Opens ALSA's "pulse" device, which records the null sink's monitor.
    OpenedInput OpenPulse(DeviceCatalog& catalog, const StreamFormat& format) {
        const int position = catalog.InputPosition("pulse");
        if (position <= 0) {
            ADD_FAILURE() << "ALSA's pulse device is not listed";
            return {};
        }
        return catalog.OpenInput(position, format);
    }

    TempFolder folder_;
    bool started_ = false;
};

TEST_F(PulseCaptureRealTime, RecordsAToneWithoutLosingBlocks) {
    // NB 8 slots of B 4800 frames (100 ms), mono, at 48000 samples/s.
    const StreamFormat format{.sampleRate = 48000, .channels = 1, .slotCount = 8, .framesPerSlot = 4800};
    constexpr int kSettleBlocks = 5; // the first half second, while the streams settle
    constexpr int kMeasuredBlocks = 10;

    PortAudioSystem system;
    ASSERT_TRUE(system.Ok());
    PortAudioHost host(system);
    DeviceCatalog catalog(&host);
    OpenedInput opened = OpenPulse(catalog, format);
    ASSERT_TRUE(opened.device);
    InputDevice& device = *opened.device;
    ASSERT_EQ(device.Start(), 0);

    std::vector<double> samples;
    for (int taken = 0; taken < kSettleBlocks + kMeasuredBlocks;) {
        ASSERT_TRUE(device.WaitForBlock(5000)) << "no block within 5 s";
        const int slot = device.NextSlot();
        ASSERT_TRUE(device.IsDone(slot));
        if (taken >= kSettleBlocks) {
            for (int16_t s : device.Slot(slot)) {
                samples.push_back(s);
            }
        }
        device.Requeue(slot);
        ++taken;
    }
    device.Stop();
    EXPECT_EQ(device.DroppedBlocks(), 0u);
    EXPECT_FALSE(device.Failed());
    device.Reset();
    device.Close();

    double meanSquare = 0.0;
    for (double x : samples) {
        meanSquare += x * x;
    }
    meanSquare /= static_cast<double>(samples.size());
    const double tone = PowerAt(samples, 1000.0, format.sampleRate);
    const double beside = PowerAt(samples, 1500.0, format.sampleRate);
    RecordProperty("rms", static_cast<int>(std::sqrt(meanSquare)));
    EXPECT_GT(meanSquare, 1000.0 * 1000.0) << "the tone is at half of full scale";
    EXPECT_GT(tone, 0.95 * meanSquare);
    EXPECT_LT(beside, 0.001 * meanSquare);
}

// The sound server vanishing mid-run is a device failure that the loop sees, woken by the device.
TEST_F(PulseCaptureRealTime, ADeviceThatGoesAwayIsReportedAsFailed) {
    const StreamFormat format{.sampleRate = 48000, .channels = 1, .slotCount = 8, .framesPerSlot = 4800};
    PortAudioSystem system;
    PortAudioHost host(system);
    DeviceCatalog catalog(&host);
    OpenedInput opened = OpenPulse(catalog, format);
    ASSERT_TRUE(opened.device);
    InputDevice& device = *opened.device;
    ASSERT_EQ(device.Start(), 0);
    ASSERT_TRUE(device.WaitForBlock(5000));
    PulseScript("stop " + folder_.Path());
    started_ = false;
    const auto bound = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!device.Failed() && std::chrono::steady_clock::now() < bound) {
        if (device.WaitForBlock(1000)) {
            device.Requeue(device.NextSlot());
        }
    }
    EXPECT_TRUE(device.Failed());
    EXPECT_FALSE(device.WaitForBlock(0));
    device.Close();
}

} // namespace
} // namespace ondrix
