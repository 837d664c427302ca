// How samples flow: slot rings, built-in signals and clock, built-in devices in real time judged by the test
// ramp, real capture from a private PulseAudio server; the device lists, reports, commands and catalog.
#include "audio/BlockClock.h"
#include "audio/CaptureRing.h"
#include "audio/DeviceCatalog.h"
#include "audio/DeviceCommands.h"
#include "audio/DeviceLists.h"
#include "audio/DeviceNames.h"
#include "audio/DeviceReports.h"
#include "audio/DeviceResult.h"
#include "audio/GeneratorInput.h"
#include "audio/HostAudio.h"
#include "audio/NullOutput.h"
#include "audio/PlaybackRing.h"
#include "audio/PortAudioHost.h"
#include "audio/PortAudioSystem.h"
#include "audio/TestRamp.h"
#include "audio/TestScene.h"
#include "common/PrintLine.h"
#include "support/PulseServer.h"
#include "support/ScriptedInteraction.h"
#include "support/ToneMeasure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <numbers>
#include <numeric>
#include <thread>
#include <vector>

namespace ondrix {
namespace {

using Samples = std::vector<int16_t>;

// Stereo frames first.. : the left sample counts up, the right one is its negative.
Samples Frames(int first, int count) {
    Samples frames;
    for (int i = first; i < first + count; ++i) {
        frames.insert(frames.end(), {static_cast<int16_t>(i), static_cast<int16_t>(-i)});
    }
    return frames;
}

// Writes frames first.. in pieces of `piece` frames, the way a callback's buffers arrive.
void Write(CaptureRing& ring, int first, int count, int piece) {
    for (int done = 0; done < count; done += piece) {
        const Samples frames = Frames(first + done, std::min(piece, count - done));
        ring.Write(frames.data(), frames.size() / 2);
    }
}

// Slots fill in ring order across writes of any length, signal the wake-up, take a callback without
// data as silence. A full ring drops whole blocks (a block it could only half write too) and resumes at a
// block boundary in the next slot in ring order, never skipping ahead to a later free slot; Reset starts
// over.
TEST(CaptureRing, FillsSlotsInRingOrderAndAFullRingDropsWholeBlocks) {
    CaptureRing ring;
    const auto slot = [&ring](int i) { return Samples(ring.Slot(i).begin(), ring.Slot(i).end()); };
    ring.Configure(3, 8, 2); // NB 3, B 8, stereo
    Write(ring, 0, 20, 3);
    EXPECT_TRUE(ring.IsDone(0) && ring.IsDone(1) && !ring.IsDone(2)); // 4 of 8 frames in slot 2 so far
    EXPECT_EQ(std::tuple(slot(0), slot(1)), std::tuple(Frames(0, 8), Frames(8, 8)));
    EXPECT_TRUE(ring.Wake().Wait(0));
    ring.Requeue(0);
    EXPECT_EQ(ring.NextSlot(), 1);
    Write(ring, 20, 12, 5); // completes slot 2, then fills slot 0 again
    EXPECT_EQ(std::tuple(slot(2), slot(0), ring.DroppedBlocks()),
              std::tuple(Frames(16, 8), Frames(24, 8), 0u));
    ring.Requeue(1);
    ring.Write(nullptr, 8);
    EXPECT_EQ(slot(1), Samples(16, 0));

    ring.Configure(2, 4, 2);
    Write(ring, 0, 8, 8); // both slots done
    Write(ring, 8, 6, 3); // block 2 dropped, block 3 half written (dropped too)
    EXPECT_EQ(ring.DroppedBlocks(), 1u);
    ring.Requeue(0);       // free again in the middle of a dropped block: that block stays dropped
    Write(ring, 14, 2, 1); // the rest of block 3
    EXPECT_EQ(std::tuple(ring.DroppedBlocks(), ring.IsDone(0)), std::tuple(2u, false));
    Write(ring, 16, 4, 3); // block 4 lands in slot 0; slot 1 is untouched while done
    EXPECT_TRUE(ring.IsDone(0));
    EXPECT_EQ(std::tuple(slot(0), slot(1)), std::tuple(Frames(16, 4), Frames(4, 4)));
    Write(ring, 20, 4, 4); // slot 1 is next and still done: dropped
    EXPECT_EQ(ring.DroppedBlocks(), 3u);
    ring.Requeue(0);
    Write(ring, 24, 4, 4); // slot 0 is free, but slot 1 is next: dropped
    EXPECT_EQ(std::tuple(ring.DroppedBlocks(), ring.IsDone(0)), std::tuple(4u, false));
    ring.Reset();
    EXPECT_EQ(std::tuple(ring.AnyDone(), ring.NextSlot()), std::tuple(false, 0));
    Write(ring, 100, 4, 4);
    EXPECT_EQ(slot(0), Frames(100, 4));
}

// Playback: silence before anything is queued (not an underrun), slots in the order queued with a short
// last block, silence and one underrun when the queue runs dry; Reset frees every slot.
TEST(PlaybackRing, PlaysSlotsInTheOrderQueuedThenSilence) {
    PlaybackRing ring;
    ring.Configure(2, 4, 1);
    EXPECT_TRUE(ring.IsDone(0) && ring.IsDone(1));
    Samples out(6, 99);
    ring.Read(out.data(), 6);
    EXPECT_EQ(std::tuple(out, ring.Underruns()), std::tuple(Samples(6, 0), 0u));
    std::iota(ring.Slot(1).begin(), ring.Slot(1).end(), 1);
    std::iota(ring.Slot(0).begin(), ring.Slot(0).end(), 5);
    EXPECT_TRUE(ring.Queue(1, 4));
    EXPECT_FALSE(ring.Queue(1, 4)); // not done yet
    EXPECT_TRUE(ring.Queue(0, 3));  // a short last block
    out.assign(3, 0);
    ring.Read(out.data(), 3);
    EXPECT_EQ(std::tuple(out, ring.IsDone(1)), std::tuple(Samples{1, 2, 3}, false));
    out.assign(6, 99);
    ring.Read(out.data(), 6);
    EXPECT_EQ(std::tuple(out, ring.IsDone(1) && ring.IsDone(0), ring.Underruns()),
              std::tuple(Samples{4, 5, 6, 7, 0, 0}, true, 1u));
    EXPECT_TRUE(ring.Wake().Wait(0));
    ring.Queue(1, 4);
    ring.Reset();
    EXPECT_TRUE(ring.IsDone(1));
    ring.Read(out.data(), 2);
    EXPECT_EQ(out[0], 0);
}

Samples Render(const SignalSource& source, uint64_t first, int frames, int channels) {
    Samples out(static_cast<std::size_t>(frames * channels));
    source.Render(first, out.data(), frames);
    return out;
}

// The scene repeats from its seed whatever the cut, its channels differ, and at every rate it carries
// sound well above silence with a short overload burst in every overload period. The ramp carries the
// frame number, wrapping, in every channel; the clock converts exactly and does not overflow over a day
// at 1 000 000 samples/s.
TEST(BuiltInSignals, SceneIsDeterministicWithSoundAndOverloadsRampAndClockCountExactly) {
    const TestScene scene(48000, 2, 7);
    const Samples whole = Render(scene, 1000, 9600, 2);
    EXPECT_EQ(Render(TestScene(48000, 2, 7), 1000, 9600, 2), whole);
    EXPECT_NE(Render(TestScene(48000, 2, 8), 1000, 9600, 2), whole);
    Samples pieces = Render(scene, 1000, 1234, 2);
    const Samples rest = Render(scene, 2234, 9600 - 1234, 2);
    pieces.insert(pieces.end(), rest.begin(), rest.end());
    EXPECT_EQ(pieces, whole);
    bool differ = false; // the two channels carry different mixes
    for (std::size_t i = 0; i < whole.size(); i += 2) {
        differ = differ || whole[i] != whole[i + 1];
    }
    EXPECT_TRUE(differ);
    for (const int rate : {8000, 48000, 1'000'000}) {
        const TestScene mono(rate, 1, 3);
        const auto frames = static_cast<int>(mono.OverloadPeriod());
        const Samples samples = Render(mono, 0, frames, 1);
        const auto overloads =
            std::count_if(samples.begin(), samples.end(), [](int16_t s) { return std::abs(s) > 32000; });
        EXPECT_GT(overloads, 0) << rate;
        EXPECT_LT(overloads, frames / 20) << rate; // a short burst, not a clipped recording
        const double energy = std::inner_product(samples.begin(), samples.end(), samples.begin(), 0.0);
        EXPECT_GT(energy / frames, 500.0 * 500.0) << rate; // tones, sweep and noise
    }
    EXPECT_EQ(Render(TestRamp(2), 65534, 4, 2), (Samples{-2, 16382, -1, 16383, 0, 16384, 1, 16385}));
    EXPECT_EQ(TestRamp::ValueAt(32768), -32768);
    using std::chrono::nanoseconds;
    EXPECT_EQ(BlockClock::FramesToTime(48000, 48000), nanoseconds(1'000'000'000));
    EXPECT_EQ(BlockClock::FramesToTime(1, 1'000'000), nanoseconds(1000));
    EXPECT_EQ(BlockClock::FramesToTime(3'600'000'000ull * 10, 1'000'000), nanoseconds(36'000'000'000'000));
    EXPECT_EQ(BlockClock::BlocksDone(nanoseconds(999'999'999), 48000, 4800), 9u);
    EXPECT_EQ(BlockClock::BlocksDone(nanoseconds(1'000'000'000), 48000, 4800), 10u);
    EXPECT_EQ(BlockClock::BlocksDone(nanoseconds(86'400'000'000'000), 1'000'000, 1'000'000), 86'400u);
}

constexpr int kWaitMs = 5000; // a bound that only a broken device reaches

// Waits on the device's wake-up until `done` holds or the bound passes; whether it holds.
template <class Device> bool WaitUntil(const Device& device, const std::function<bool()>& done) {
    const auto bound = std::chrono::steady_clock::now() + std::chrono::milliseconds(2 * kWaitMs);
    while (!done() && std::chrono::steady_clock::now() < bound) {
        device.WaitForBlock(50);
    }
    return done();
}

// Follows the ramp through the blocks a consumer takes: every block must be whole, start at a block
// boundary and continue the previous one or follow a gap of whole blocks, which count as lost.
struct RampFollower {
    int frames, channels;
    uint16_t next = 0;
    uint64_t blocks = 0, lost = 0;
    // Takes the next slot in ring order and queues it again.
    void TakeFrom(InputDevice& device) {
        const int slot = device.NextSlot();
        const std::span<const int16_t> samples = device.Slot(slot);
        ASSERT_EQ(samples.size(), static_cast<std::size_t>(frames * channels));
        const auto first = static_cast<uint16_t>(samples[0]);
        for (std::size_t i = 0; i < samples.size(); ++i) {
            ASSERT_EQ(samples[i], TestRamp::ValueAt(first + i / static_cast<std::size_t>(channels),
                                                    static_cast<int>(i % static_cast<std::size_t>(channels))))
                << "block " << blocks << " sample " << i;
        }
        const auto gap = static_cast<uint16_t>(first - next); // frames skipped, modulo the ramp's period
        ASSERT_EQ(gap % frames, 0) << "a block not on a block boundary, block " << blocks;
        lost += static_cast<uint64_t>(gap / frames);
        next = static_cast<uint16_t>(first + frames);
        ++blocks;
        device.Requeue(slot);
    }
    // Takes `count` more blocks as they come, in ring order, `pause` after each. After Stop (count 0): the
    // blocks still waiting, then nothing more.
    void Consume(InputDevice& device, uint64_t count, const std::function<void()>& pause = {}) {
        const uint64_t target = blocks + count;
        while (!::testing::Test::HasFatalFailure() &&
               (count == 0 ? device.IsDone(device.NextSlot()) : blocks < target)) {
            ASSERT_TRUE(count == 0 || device.WaitForBlock(kWaitMs)) << "no block within the bound";
            ASSERT_TRUE(device.IsDone(device.NextSlot()))
                << "a block is done, but not the next in ring order";
            TakeFrom(device);
            if (pause) {
                pause();
            }
        }
        EXPECT_TRUE(count > 0 || !device.WaitForBlock(0));
    }
};

OpenedInput OpenRamp(const StreamFormat& format) {
    static DeviceCatalog catalog(nullptr);
    OpenedInput opened = catalog.OpenInput(catalog.InputPosition(kTestRampName), format);
    EXPECT_EQ(opened.code, 0);
    EXPECT_EQ(opened.device->Start(), 0);
    return opened;
}

// A consumer that keeps up takes every block: not one sample lost, repeated or reordered (8 slots of
// 1024 mono frames at 48000/s for 1.5 s; 16 slots of 16384 stereo frames at 1 000 000/s for 2 s).
TEST(RampRealTime, EverySampleArrivesAtTheLowestAndHighestRates) {
    const StreamFormat low{.sampleRate = 48000, .channels = 1, .slotCount = 8, .framesPerSlot = 1024};
    const StreamFormat high{.sampleRate = 1'000'000, .channels = 2, .slotCount = 16, .framesPerSlot = 16384};
    for (const auto& [format, blocks] : {std::pair{low, 70}, {high, 122}}) {
        SCOPED_TRACE(format.sampleRate);
        OpenedInput opened = OpenRamp(format);
        RampFollower ramp{format.framesPerSlot, format.channels};
        ramp.Consume(*opened.device, blocks);
        opened.device->Stop();
        ramp.Consume(*opened.device, 0);
        EXPECT_EQ(std::tuple(opened.device->DroppedBlocks(), ramp.lost, opened.device->Failed()),
                  std::tuple(0u, 0u, false));
        opened.device->Reset();
        opened.device->Close();
    }
}

// A consumer that stops taking blocks: the device drops whole blocks and counts them; the ramp resumes
// at a block boundary, and every frame lost is in the count.
TEST(RampRealTime, ASlowConsumerLosesWholeCountedBlocks) {
    const StreamFormat format{.sampleRate = 48000, .channels = 1, .slotCount = 4, .framesPerSlot = 512};
    OpenedInput opened = OpenRamp(format);
    InputDevice& device = *opened.device;
    RampFollower ramp{format.framesPerSlot, format.channels};
    ASSERT_TRUE(WaitUntil(device, [&] { return device.DroppedBlocks() >= 3; })); // taking nothing
    ramp.Consume(device, 4);
    EXPECT_EQ(ramp.lost, 0u) << "the full ring holds the four oldest blocks";
    ramp.Consume(device, 10);
    EXPECT_GE(ramp.lost, 3u);
    // Then a consumer slower than the device for a while, then keeping up again, so the last drop lies
    // before the last block taken and shows as a gap.
    ramp.Consume(device, 20, [] { std::this_thread::sleep_for(std::chrono::milliseconds(25)); });
    ramp.Consume(device, 10);
    device.Stop();
    ramp.Consume(device, 0);
    EXPECT_EQ(ramp.lost, device.DroppedBlocks());
    device.Close();
}

// The null output plays what is queued, slot after slot, and frees each slot once played.
TEST(NullOutputRealTime, PlaysQueuedSlotsInTurn) {
    NullOutput output("null");
    ASSERT_EQ(output.Open({.sampleRate = 48000, .channels = 2, .slotCount = 2, .framesPerSlot = 480}), 0);
    ASSERT_EQ(output.Start(), 0);
    for (int queued = 0; queued < 20;) {
        ASSERT_TRUE(output.WaitForBlock(kWaitMs));
        for (int slot = 0; slot < output.SlotCount(); ++slot) {
            if (output.IsDone(slot)) {
                std::fill(output.Slot(slot).begin(), output.Slot(slot).end(), static_cast<int16_t>(queued++));
                ASSERT_TRUE(output.Queue(slot, output.FramesPerSlot()));
            }
        }
    }
    EXPECT_TRUE(WaitUntil(output, [&] { return output.IsDone(0) && output.IsDone(1); })); // all played
    output.Reset();
    output.Close();
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
    EXPECT_EQ(std::tuple(opened.device->DroppedBlocks(), opened.device->Failed()), std::tuple(0u, false));
    opened.device->Reset();
    opened.device->Close();
    const double meanSquare = std::inner_product(samples.begin(), samples.end(), samples.begin(), 0.0) /
                              static_cast<double>(samples.size());
    EXPECT_GT(meanSquare, 1000.0 * 1000.0) << "the tone is at half of full scale";
    EXPECT_GT(PowerAt(samples, 1000.0, format.sampleRate), 0.95 * meanSquare);
    EXPECT_LT(PowerAt(samples, 1500.0, format.sampleRate), 0.001 * meanSquare);
    opened = catalog.OpenInput(pulse, format);
    ASSERT_TRUE(opened.device);
    ASSERT_EQ(opened.device->Start(), 0);
    ASSERT_TRUE(opened.device->WaitForBlock(5000));
    tone.StopServer();
    EXPECT_TRUE(WaitUntil(*opened.device, [&] {
        if (opened.device->IsDone(opened.device->NextSlot())) {
            opened.device->Requeue(opened.device->NextSlot());
        }
        return opened.device->Failed();
    }));
    EXPECT_FALSE(opened.device->WaitForBlock(0));
    opened.device->Close();
}

using Lines = std::vector<std::string>;

// Fixed devices, a default input and a predicate for the formats each takes; its inputs capture the
// test ramp, or do not open at all (a listed device that is busy or gone).
class FakeHost : public HostAudio {
public:
    std::vector<HostDevice> devices;
    int defaultInput = -1;
    std::function<bool(int index, int rate, int channels)> accepts = [](int, int, int) { return true; };
    bool opens = true;
    int rescans = 0;
    int Add(const std::string& name, int inputs, int outputs) {
        devices.push_back({static_cast<int>(devices.size()), name, inputs, outputs, 44100, 0});
        return devices.back().index;
    }
    void Rescan() override { ++rescans; }
    std::vector<HostDevice> Devices() const override { return devices; }
    int DefaultInput() const override { return defaultInput; }
    int DefaultOutput() const override { return -1; }
    int QueryFormat(int index, bool, int rate, int channels) const override {
        return accepts(index, rate, channels) ? device_result::kOk : device_result::kBadFormat;
    }
    std::unique_ptr<InputDevice> MakeInput(int index) override {
        auto ramp = [](const StreamFormat& f) { return std::make_unique<TestRamp>(f.channels); };
        return opens ? std::make_unique<GeneratorInput>(devices.at(index).name, ramp) : nullptr;
    }
    std::unique_ptr<OutputDevice> MakeOutput(int index) override {
        return std::make_unique<NullOutput>(devices.at(index).name);
    }
};

class DeviceListsTest : public ::testing::Test {
protected:
    DeviceListsTest() {
        mic = host.Add("USB Microphone", 2, 0);
        host.Add("HDA Intel: ALC892 Analog (hw:0,0)", 2, 2);
        host.Add("Speakers", 0, 2);
    }
    FakeHost host;
    int mic = 0;
    SettingsModel settings;
    DeviceCatalog catalog{&host};
    ScriptedInteraction interaction;
    DeviceLists lists{settings, catalog, interaction};
};

// A list name is cut at a control character or a byte beyond "}" (a "~", DEL or UTF-8), or after 48.
TEST(DeviceNames, ListNameIsCutAtAControlCharacterOrAfter48Characters) {
    EXPECT_EQ(ListName("Line In\x01garbage"), "Line In");
    EXPECT_EQ(ListName("Mic {left} ~x"), "Mic {left} ");
    EXPECT_EQ(ListName("Caf\xc3\xa9 Mic"), "Caf");
    EXPECT_EQ(ListName(std::string(60, 'a')), std::string(48, 'a'));
    EXPECT_EQ(ListName(std::string(47, 'b') + "\x7f"), std::string(47, 'b'));
    EXPECT_EQ(ListName(""), "");
}

// The two input lists and the output list hold the system default, the devices and the built-in ones, and
// show position 0; a name with a control character is listed cut. Refreshing the devices waits two seconds
// showing "Wait...", then selects the previous input again at its new position, or the system default with
// the message once it is gone.
TEST_F(DeviceListsTest, RefreshFillsTheListsAndSelectsThePreviousInputAgain) {
    settings.Form1().SetText("Combo10", "old");
    const DeviceLists::Counts counts = lists.RefreshDeviceLists();
    const Lines inputs{std::string(kDefaultInputName), "USB Microphone", "HDA Intel: ALC892 Analog (hw:0,0)",
                       std::string(kTestSignalName), std::string(kTestRampName)};
    EXPECT_EQ(settings.Form1().At("Combo10").items, inputs);
    EXPECT_EQ(settings.Options0().At("Combo10").items, inputs);
    EXPECT_EQ(settings.Options0().At("Combo9").items,
              (Lines{std::string(kDefaultOutputName), "HDA Intel: ALC892 Analog (hw:0,0)", "Speakers",
                     std::string(kNullOutputName)}));
    EXPECT_EQ(std::tuple(settings.Form1().Text("Combo10"), settings.Options0().Text("Combo10"),
                         settings.Options0().Text("Combo9"), counts.inputs, counts.outputs, host.rescans),
              std::tuple(kDefaultInputName, kDefaultInputName, kDefaultOutputName, 4, 3, 1));
    host.Add(std::string("Hydrophone\tpreamp"), 1, 0);
    lists.RefreshDeviceLists();
    EXPECT_EQ(settings.Form1().At("Combo10").items[3], "Hydrophone");
    lists.FindInputDevice("USB Microphone");
    std::vector<double> waits;
    Lines statusWhileWaiting;
    const WaitWithEvents wait = [&](double seconds) {
        waits.push_back(seconds);
        statusWhileWaiting.push_back(settings.Form1().Text("StatusLine"));
    };
    host.devices.insert(host.devices.begin(), {.index = 9, .name = "New Card", .maxInputChannels = 2});
    lists.RefreshAudioDevices(wait);
    EXPECT_EQ(std::tuple(waits, statusWhileWaiting), std::tuple(std::vector<double>{2.0}, Lines{"Wait..."}));
    EXPECT_EQ(std::tuple(settings.Form1().Text("StatusLine"), settings.Form1().ListIndex("Combo10"),
                         settings.Form1().Text("Combo10"), interaction.messages.size()),
              std::tuple("Ready...", 2, "USB Microphone", 0u));
    host.devices.erase(host.devices.begin() + 1);
    lists.RefreshAudioDevices(wait);
    ASSERT_EQ(interaction.messages.size(), 1u);
    EXPECT_EQ(settings.Form1().Text("Combo10"), kDefaultInputName);
}

// Of two equal names the last is taken, and it opens that device. An unknown saved name shows its message,
// rebuilds the lists and selects position 0, for inputs and outputs; an open error shows its message too.
TEST_F(DeviceListsTest, FindDeviceTakesTheLastEqualNameOrShowsTheMessageForAnUnknownOne) {
    const int twin = host.Add("USB Microphone", 1, 0);
    lists.RefreshDeviceLists();
    EXPECT_EQ(lists.FindInputDevice("USB Microphone"), 3);
    EXPECT_EQ(std::tuple(settings.Form1().ListIndex("Combo10"), lists.Catalog().ResolveInput(3).hostIndex),
              std::tuple(3, twin));
    EXPECT_EQ(lists.FindInputDevice(std::string(kTestRampName)), 5);
    EXPECT_TRUE(interaction.messages.empty());
    host.Add("Field Recorder", 2, 0); // seen only by the rebuild
    EXPECT_EQ(lists.FindInputDevice("Old Card"), 0);
    EXPECT_EQ(
        std::tuple(host.rescans, settings.Form1().At("Combo10").items[4], settings.Form1().Text("Combo10")),
        std::tuple(2, "Field Recorder", kDefaultInputName));
    EXPECT_EQ(lists.FindOutputDevice("Headphones"), 0);
    EXPECT_EQ(settings.Options0().Text("Combo9"), kDefaultOutputName);
    EXPECT_EQ(lists.FindOutputDevice("Speakers"), 2);
    lists.ReportOpenError(32);
    EXPECT_EQ(OpenErrorText(4), "Couldn't open wave device due to Error  4"); // the name only for 32
    EXPECT_EQ((std::array{DeviceResultOf(paInvalidSampleRate), DeviceResultOf(paNoError),
                          DeviceResultOf(paDeviceUnavailable), DeviceResultOf(paUnanticipatedHostError)}),
              (std::array{32, 0, 4, 1})); // PortAudio's errors as the classic result codes
    EXPECT_EQ(interaction.Texts(), (Lines{"Sound Input Device [Old Card] not existent or not connected\r\n"
                                          "Please select one among those listed in the Quick or Basic "
                                          "Settings panels\r\nthen save the updated configuration",
                                          "Sound Output Device [Headphones] not existent or not connected\r\n"
                                          "Please select one among those listed in the Basic Settings panel",
                                          "Couldn't open wave device due to Error  32 BADFORMAT"}));
    for (const auto& message : interaction.messages) {
        EXPECT_EQ(message.icon, MessageIcon::Exclamation);
    }
}

// Fourteen accepted rates to a line, counted across the series (ten of the first, six of the second, none
// of the third, two of the fourth); the whole series is 366 rates.
TEST(SamplingRateLines, FourteenRatesPerLineCountedAcrossTheSeries) {
    const std::vector<int> taken{4000,  5000,  6000,  7000,  8000,  9000,  10000, 11000, 12000,
                                 13000, 11025, 22050, 33075, 44100, 55125, 66150, 4096,  6144};
    const auto accepts = [&](int rate) { return std::find(taken.begin(), taken.end(), rate) != taken.end(); };
    EXPECT_EQ(SamplingRateLines(-1, accepts),
              (Lines{"-1", " 4000 5000 6000 7000 8000 9000 10000 11000 12000 13000",
                     " 11025 22050 33075 44100", " 55125 66150", " 4096 6144"}));
    int count = 0;
    const Lines all = SamplingRateLines(0, [&](int) { return ++count > 0; });
    EXPECT_EQ(count, 189 + 16 + 100 + 61);
    EXPECT_EQ(all.front(), " 0");
    EXPECT_EQ(all[1].substr(0, 20), " 4000 5000 6000 7000");
    EXPECT_EQ(all.back(), " 124928 126976"); // 26 full lines, then two
}

// With the UA-5 the match selects the interface in stereo at the highest rate it takes (the knob), after a
// 3 s wait and one of 2 s per rate tried; a rate refused leaves the rate alone.
TEST_F(DeviceListsTest, MatchUA5SelectsTheInterfaceAndReportsTheKnobRate) {
    const int ua5 = host.Add("Roland UA-5 (hw:2,0)", 2, 2);
    host.accepts = [&](int index, int rate, int channels) {
        return index == ua5 && channels == 2 && (rate == 44100 || rate == 48000);
    };
    lists.RefreshDeviceLists();
    std::vector<double> waits;
    lists.MatchUA5([&](double seconds) { waits.push_back(seconds); });
    EXPECT_EQ(waits, (std::vector<double>{3.0, 2.0, 2.0, 2.0, 2.0}));
    EXPECT_EQ(std::tuple(settings.Form1().Text("Combo10"), settings.Form1().Text("SampleRate"),
                         settings.Analysis().channelCount, settings.Form1().Text("StatusLine")),
              std::tuple("Roland UA-5 (hw:2,0)", "48000", 2, "UA5 Ready... Knob position48000"));
    host.accepts = [](int, int, int) { return false; };
    settings.Form1().SetText("SampleRate", "22050");
    lists.MatchUA5({});
    EXPECT_EQ(settings.Form1().Text("StatusLine"), "UA5 Ready... Knob position22050");
    EXPECT_TRUE(interaction.messages.empty());
}

// The Utilities commands reach the lists through the menu. The device report lists inputs then outputs in
// zoned fields, the defaults named by their devices; the rate check asks the selected device in mono and
// leaves the run in mono (a line per series).
TEST_F(DeviceListsTest, UtilitiesCommandsReportTheDevicesAndTheirRates) {
    host.defaultInput = mic;
    host.accepts = [&](int index, int rate, int channels) {
        return index == mic && channels == 1 && (rate == 8000 || rate == 44100);
    };
    lists.RefreshDeviceLists();
    lists.FindInputDevice("USB Microphone");
    settings.Analysis().channelCount = 2;
    MenuModel menu;
    std::vector<Lines> reports;
    AttachDeviceCommands(menu, lists, {{}, [&](const auto& lines) { reports.push_back(lines); }});
    for (const char* command :
         {"CheckAudioDevices", "CheckSamplingRates", "RefreshAudioDevices", "MatchUA5"}) {
        EXPECT_TRUE(menu.Trigger(command)) << command;
    }
    EXPECT_EQ(std::tuple(interaction.Texts(), settings.Form1().Text("StatusLine"),
                         settings.Analysis().channelCount),
              std::tuple(Lines{"Roland UA-5 not connected"}, "Ready...", 1));
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1], (Lines{" 0", " 8000", " 44100"}));
    const Lines& lines = reports[0];
    ASSERT_EQ(lines.size(), 1u + 5u + 1u + 1u + 4u);
    EXPECT_EQ(lines[0], "WaveIn Devices");
    EXPECT_EQ(lines[1].substr(0, 14), "-1            ");
    EXPECT_NE(lines[1].find("System Default Input (USB Microphone)"), std::string::npos);
    EXPECT_EQ(lines[2], ZoneFields({" 0", "USB Microphone", " 2", " 44100", " 0"}));
    EXPECT_EQ(lines[6], "");
    EXPECT_EQ(lines[7], "WaveOut Devices");
    EXPECT_NE(lines[8].find("System Default Output (Ondrix Null Output)"), std::string::npos);
    EXPECT_EQ(lines[11], ZoneFields({" 2", "Ondrix Null Output", " 2", " 48000", "-1"}));
}

// Position 0 is the system's default input when it takes its own rate in mono, else the test signal; a
// usable default reports a format it refuses, gives way when it will not open, and reports that when
// chosen by name.
TEST(DeviceCatalog, PositionZeroFallsBackToTheTestSignalWhenTheSystemHasNoUsableInput) {
    const auto format = [](int rate, int channels) {
        return StreamFormat{.sampleRate = rate, .channels = channels, .slotCount = 2, .framesPerSlot = 256};
    };
    FakeHost host;
    DeviceCatalog empty(&host);
    EXPECT_EQ(std::tuple(empty.ResolveInput(0).kind, empty.ResolveOutput(0).kind),
              std::tuple(DeviceKind::TestSignal, DeviceKind::NullOutput));
    OpenedInput opened = empty.OpenInput(0, format(48000, 1));
    ASSERT_EQ(opened.code, 0);
    EXPECT_EQ(opened.device->Name(), kTestSignalName);
    const int card = host.Add("default", 2, 2);
    host.defaultInput = card;
    host.accepts = [](int, int, int) { return false; };
    EXPECT_EQ(DeviceCatalog(&host).ResolveInput(0).kind, DeviceKind::TestSignal);
    host.accepts = [](int, int rate, int) { return rate <= 48000; };
    DeviceCatalog usable(&host);
    EXPECT_EQ(usable.ResolveInput(0).hostIndex, card);
    EXPECT_EQ(usable.OpenInput(0, format(2'000'000, 1)).code, device_result::kBadFormat);
    EXPECT_EQ(usable.QueryInputFormat(0, 96000, 1), device_result::kBadFormat);
    EXPECT_EQ(usable.QueryInputFormat(3, 1'000'000, 2), 0); // the test ramp
    EXPECT_EQ(usable.QueryInputFormat(3, 1'000'001, 2), device_result::kBadFormat);
    host.opens = false;
    opened = usable.OpenInput(0, format(48000, 2));
    ASSERT_EQ(opened.code, 0);
    EXPECT_EQ(opened.device->Name(), kTestSignalName);
    EXPECT_EQ(usable.OpenInput(1, format(48000, 2)).code, device_result::kBadDeviceId);
}

} // namespace
} // namespace ondrix
