// Real capture through PortAudio: a private PulseAudio server with a null sink plays a 1 kHz tone, and
// the program records the sink's monitor through ALSA's "pulse" device.
#include "audio/DeviceCatalog.h"
#include "audio/PortAudioHost.h"
#include "support/PulseServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <numbers>

namespace ondrix {
namespace {

// Power of one frequency in the samples (Goertzel), scaled like the mean square of the samples: a pure
// sine at that frequency gives its whole mean square.
double PowerAt(const std::vector<double>& samples, double frequency, double sampleRate) {
    const double coefficient = 2.0 * std::cos(2.0 * std::numbers::pi * frequency / sampleRate);
    double s1 = 0.0;
    double s2 = 0.0;
    for (double x : samples) {
        const double s0 = x + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const auto n = static_cast<double>(samples.size());
    return 2.0 * (s1 * s1 + s2 * s2 - coefficient * s1 * s2) / (n * n);
}

// The tone arrives whole (after half a second of settling, one second holds the tone and nothing beside
// it, no block dropped), the device stops and closes cleanly; then a second device sees the server
// vanish mid-run as a failure, woken by the device.
TEST(PulseCaptureRealTime, RecordsAToneAndReportsTheServerGoingAway) {
    PulseTone tone(1000);
    if (!PulseServerAvailable()) {
        GTEST_SKIP() << "PulseAudio or sox is not installed (scripts/install-deps.sh installs them)";
    }
    ASSERT_TRUE(tone.Playing());
    // NB 8 slots of B 4800 frames (100 ms), mono, at 48000 samples/s.
    const StreamFormat format{.sampleRate = 48000, .channels = 1, .slotCount = 8, .framesPerSlot = 4800};
    PortAudioSystem system;
    ASSERT_TRUE(system.Ok());
    PortAudioHost host(system);
    DeviceCatalog catalog(&host);
    const int pulse = catalog.InputPosition("pulse");
    ASSERT_GT(pulse, 0) << "ALSA's pulse device is not listed";

    OpenedInput opened = catalog.OpenInput(pulse, format);
    ASSERT_TRUE(opened.device);
    ASSERT_EQ(opened.device->Start(), 0);
    std::vector<double> samples;
    for (int taken = 0; taken < 15; ++taken) {
        ASSERT_TRUE(opened.device->WaitForBlock(5000)) << "no block within 5 s";
        const int slot = opened.device->NextSlot();
        ASSERT_TRUE(opened.device->IsDone(slot));
        if (taken >= 5) {
            samples.insert(samples.end(), opened.device->Slot(slot).begin(), opened.device->Slot(slot).end());
        }
        opened.device->Requeue(slot);
    }
    opened.device->Stop();
    EXPECT_EQ(opened.device->DroppedBlocks(), 0u);
    EXPECT_FALSE(opened.device->Failed());
    opened.device->Reset();
    opened.device->Close();
    double meanSquare = 0.0;
    for (double x : samples) {
        meanSquare += x * x / static_cast<double>(samples.size());
    }
    EXPECT_GT(meanSquare, 1000.0 * 1000.0) << "the tone is at half of full scale";
    EXPECT_GT(PowerAt(samples, 1000.0, format.sampleRate), 0.95 * meanSquare);
    EXPECT_LT(PowerAt(samples, 1500.0, format.sampleRate), 0.001 * meanSquare);

    opened = catalog.OpenInput(pulse, format);
    ASSERT_TRUE(opened.device);
    ASSERT_EQ(opened.device->Start(), 0);
    ASSERT_TRUE(opened.device->WaitForBlock(5000));
    tone.StopServer();
    const auto bound = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!opened.device->Failed() && std::chrono::steady_clock::now() < bound) {
        if (opened.device->WaitForBlock(1000)) {
            opened.device->Requeue(opened.device->NextSlot());
        }
    }
    EXPECT_TRUE(opened.device->Failed());
    EXPECT_FALSE(opened.device->WaitForBlock(0));
    opened.device->Close();
}

} // namespace
} // namespace ondrix
