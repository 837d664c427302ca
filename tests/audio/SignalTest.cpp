#include "audio/BlockClock.h"
#include "audio/TestRamp.h"
#include "audio/TestScene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace ondrix {
namespace {

std::vector<int16_t> Render(const SignalSource& source, uint64_t first, int frames, int channels) {
    std::vector<int16_t> out(static_cast<std::size_t>(frames * channels));
    source.Render(first, out.data(), frames);
    return out;
}

TEST(TestScene, IsDeterministicFromItsSeedAndIndependentOfHowItIsCut) {
    const TestScene scene(48000, 2, 7);
    const TestScene same(48000, 2, 7);
    const TestScene other(48000, 2, 8);
    const std::vector<int16_t> whole = Render(scene, 1000, 9600, 2);
    EXPECT_EQ(Render(same, 1000, 9600, 2), whole);
    EXPECT_NE(Render(other, 1000, 9600, 2), whole);

    std::vector<int16_t> pieces = Render(scene, 1000, 1234, 2);
    const std::vector<int16_t> rest = Render(scene, 2234, 9600 - 1234, 2);
    pieces.insert(pieces.end(), rest.begin(), rest.end());
    EXPECT_EQ(pieces, whole);

    // The two channels carry different mixes, and mono is the left channel's mix.
    bool differ = false;
    for (std::size_t i = 0; i < whole.size(); i += 2) {
        differ = differ || whole[i] != whole[i + 1];
    }
    EXPECT_TRUE(differ);
}

TEST(TestScene, HasSoundEverywhereAndOverloadsNowAndThen) {
    for (const int rate : {8000, 48000, 1'000'000}) {
        const TestScene scene(rate, 1, 3);
        const auto frames = static_cast<int>(scene.OverloadPeriod());
        const std::vector<int16_t> samples = Render(scene, 0, frames, 1);
        const auto overloads =
            std::count_if(samples.begin(), samples.end(), [](int16_t s) { return std::abs(s) > 32000; });
        EXPECT_GT(overloads, 0) << rate;
        EXPECT_LT(overloads, frames / 20) << rate; // a short burst, not a clipped recording
        double energy = 0.0;
        for (int16_t s : samples) {
            energy += static_cast<double>(s) * s;
        }
        EXPECT_GT(energy / frames, 500.0 * 500.0) << rate; // tones, sweep and noise: well above silence
    }
}

TEST(TestRamp, CarriesTheFrameNumberInEveryChannel) {
    const TestRamp ramp(2);
    const std::vector<int16_t> samples = Render(ramp, 65534, 4, 2);
    EXPECT_EQ(samples, (std::vector<int16_t>{-2, -2, -1, -1, 0, 0, 1, 1}));
    EXPECT_EQ(TestRamp::ValueAt(32768), -32768);
}

TEST(BlockClock, ConvertsBetweenFramesAndTimeExactly) {
    using std::chrono::nanoseconds;
    EXPECT_EQ(BlockClock::FramesToTime(48000, 48000), nanoseconds(1'000'000'000));
    EXPECT_EQ(BlockClock::FramesToTime(1, 1'000'000), nanoseconds(1000));
    EXPECT_EQ(BlockClock::FramesToTime(3'600'000'000ull * 10, 1'000'000), nanoseconds(36'000'000'000'000));
    EXPECT_EQ(BlockClock::BlocksDone(nanoseconds(999'999'999), 48000, 4800), 9u);
    EXPECT_EQ(BlockClock::BlocksDone(nanoseconds(1'000'000'000), 48000, 4800), 10u);
    // A day at 1 000 000 samples/s does not overflow.
    EXPECT_EQ(BlockClock::BlocksDone(nanoseconds(86'400'000'000'000), 1'000'000, 1'000'000), 86'400u);
}

} // namespace
} // namespace ondrix
