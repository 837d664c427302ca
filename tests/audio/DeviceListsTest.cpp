// The device lists, their names, reports and commands, and the catalog's choice of devices, on a fake
// sound system holding the devices each test names.
#include "audio/DeviceLists.h"
#include "audio/DeviceCommands.h"
#include "audio/DeviceNames.h"
#include "audio/DeviceReports.h"
#include "audio/DeviceResult.h"
#include "audio/GeneratorInput.h"
#include "audio/HostAudio.h"
#include "audio/NullOutput.h"
#include "audio/PortAudioSystem.h"
#include "audio/TestRamp.h"
#include "common/PrintLine.h"
#include "support/ScriptedInteraction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>

namespace ondrix {
namespace {

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
    EXPECT_EQ(settings.Form1().Text("Combo10"), kDefaultInputName);
    EXPECT_EQ(settings.Options0().Text("Combo10"), kDefaultInputName);
    EXPECT_EQ(settings.Options0().Text("Combo9"), kDefaultOutputName);
    EXPECT_EQ(std::pair(counts.inputs, counts.outputs), std::pair(4, 3));
    EXPECT_EQ(host.rescans, 1);
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
    EXPECT_EQ(waits, std::vector<double>{2.0});
    EXPECT_EQ(statusWhileWaiting, Lines{"Wait..."});
    EXPECT_EQ(settings.Form1().Text("StatusLine"), "Ready...");
    EXPECT_EQ(settings.Form1().ListIndex("Combo10"), 2);
    EXPECT_EQ(settings.Form1().Text("Combo10"), "USB Microphone");
    EXPECT_TRUE(interaction.messages.empty());
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
    EXPECT_EQ(settings.Form1().ListIndex("Combo10"), 3);
    EXPECT_EQ(lists.Catalog().ResolveInput(3).hostIndex, twin);
    EXPECT_EQ(lists.FindInputDevice(std::string(kTestRampName)), 5);
    EXPECT_TRUE(interaction.messages.empty());
    host.Add("Field Recorder", 2, 0); // seen only by the rebuild
    EXPECT_EQ(lists.FindInputDevice("Old Card"), 0);
    EXPECT_EQ(host.rescans, 2);
    EXPECT_EQ(settings.Form1().At("Combo10").items[4], "Field Recorder");
    EXPECT_EQ(settings.Form1().Text("Combo10"), kDefaultInputName);
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
    EXPECT_EQ(settings.Form1().Text("Combo10"), "Roland UA-5 (hw:2,0)");
    EXPECT_EQ(settings.Form1().Text("SampleRate"), "48000");
    EXPECT_EQ(settings.Analysis().channelCount, 2);
    EXPECT_EQ(settings.Form1().Text("StatusLine"), "UA5 Ready... Knob position48000");
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
    EXPECT_EQ(interaction.Texts(), Lines{"Roland UA-5 not connected"});
    EXPECT_EQ(settings.Form1().Text("StatusLine"), "Ready...");
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1], (Lines{" 0", " 8000", " 44100"}));
    EXPECT_EQ(settings.Analysis().channelCount, 1);
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
    EXPECT_EQ(empty.ResolveInput(0).kind, DeviceKind::TestSignal);
    EXPECT_EQ(empty.ResolveOutput(0).kind, DeviceKind::NullOutput);
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
