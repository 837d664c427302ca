#include "audio/DeviceLists.h"
#include "FakeHost.h"
#include "audio/DeviceCommands.h"
#include "audio/DeviceNames.h"
#include "audio/DeviceReports.h"
#include "audio/DeviceResult.h"
#include "audio/PortAudioSystem.h"
#include "common/PrintLine.h"
#include "support/ScriptedInteraction.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace ondrix {
namespace {

class DeviceListsTest : public ::testing::Test {
protected:
    DeviceListsTest() {
        mic = host.Add("USB Microphone", 2, 0);
        host.Add("HDA Intel: ALC892 Analog (hw:0,0)", 2, 2);
        host.Add("Speakers", 0, 2);
    }

    // The lists as start-up leaves them.
    DeviceLists& Lists() {
        lists.RefreshDeviceLists();
        return lists;
    }

    const std::vector<std::string>& Items(ControlModel& window, std::string_view list) {
        return window.At(list).items;
    }

    FakeHost host;
    int mic = 0;
    SettingsModel settings;
    DeviceCatalog catalog{&host};
    ScriptedInteraction interaction;
    DeviceLists lists{settings, catalog, interaction};
};

TEST(DeviceNames, ListNameIsCutAtAControlCharacterOrAfter48Characters) {
    EXPECT_EQ(ListName("Line In\x01garbage"), "Line In");
    EXPECT_EQ(ListName("Mic {left} ~x"), "Mic {left} "); // 125 "}" is kept, 126 "~" cuts
    EXPECT_EQ(ListName("Caf\xc3\xa9 Mic"), "Caf");
    const std::string longName(60, 'a');
    EXPECT_EQ(ListName(longName), std::string(48, 'a'));
    EXPECT_EQ(ListName(std::string(47, 'b') + "\x7f"), std::string(47, 'b'));
    EXPECT_EQ(ListName(""), "");
}

TEST_F(DeviceListsTest, RefreshFillsTheThreeListsAndShowsPositionZero) {
    settings.Form1().SetText("Combo10", "old");
    const DeviceLists::Counts counts = lists.RefreshDeviceLists();
    const std::vector<std::string> inputs{std::string(kDefaultInputName), "USB Microphone",
                                          "HDA Intel: ALC892 Analog (hw:0,0)", std::string(kTestSignalName),
                                          std::string(kTestRampName)};
    const std::vector<std::string> outputs{std::string(kDefaultOutputName),
                                           "HDA Intel: ALC892 Analog (hw:0,0)", "Speakers",
                                           std::string(kNullOutputName)};
    EXPECT_EQ(Items(settings.Form1(), "Combo10"), inputs);
    EXPECT_EQ(Items(settings.Options0(), "Combo10"), inputs);
    EXPECT_EQ(Items(settings.Options0(), "Combo9"), outputs);
    EXPECT_EQ(settings.Form1().Text("Combo10"), kDefaultInputName);
    EXPECT_EQ(settings.Options0().Text("Combo10"), kDefaultInputName);
    EXPECT_EQ(settings.Options0().Text("Combo9"), kDefaultOutputName);
    EXPECT_EQ(counts.inputs, 4);
    EXPECT_EQ(counts.outputs, 3);
    EXPECT_EQ(host.rescans, 1);

    // A name with a control character is listed cut.
    host.Add(std::string("Hydrophone\tpreamp"), 1, 0);
    lists.RefreshDeviceLists();
    EXPECT_EQ(Items(settings.Form1(), "Combo10")[3], "Hydrophone");
}

TEST_F(DeviceListsTest, FindInputDeviceTakesTheLastEqualEntry) {
    const int twin = host.Add("USB Microphone", 1, 0);
    Lists();
    EXPECT_EQ(lists.FindInputDevice("USB Microphone"), 3);
    EXPECT_EQ(settings.Form1().ListIndex("Combo10"), 3);
    EXPECT_EQ(lists.Catalog().ResolveInput(3).hostIndex, twin);
    EXPECT_EQ(lists.FindInputDevice(std::string(kTestRampName)), 5);
    EXPECT_TRUE(interaction.messages.empty());
}

TEST_F(DeviceListsTest, UnknownDeviceNamesShowTheMessageRebuildTheListsAndGivePositionZero) {
    Lists();
    host.Add("Field Recorder", 2, 0); // seen only by the rebuild
    EXPECT_EQ(lists.FindInputDevice("Old Card"), 0);
    ASSERT_EQ(interaction.messages.size(), 1u);
    EXPECT_EQ(interaction.messages[0].text, "Sound Input Device [Old Card] not existent or not connected\r\n"
                                            "Please select one among those listed in the Quick or Basic "
                                            "Settings panels\r\nthen save the updated configuration");
    EXPECT_EQ(interaction.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(host.rescans, 2);
    EXPECT_EQ(Items(settings.Form1(), "Combo10")[3], "Field Recorder");
    EXPECT_EQ(settings.Form1().Text("Combo10"), kDefaultInputName);

    EXPECT_EQ(lists.FindOutputDevice("Headphones"), 0);
    ASSERT_EQ(interaction.messages.size(), 2u);
    EXPECT_EQ(interaction.messages[1].text,
              "Sound Output Device [Headphones] not existent or not connected\r\n"
              "Please select one among those listed in the Basic Settings panel");
    EXPECT_EQ(settings.Options0().Text("Combo9"), kDefaultOutputName);
    EXPECT_EQ(lists.FindOutputDevice("Speakers"), 2);
    EXPECT_EQ(interaction.messages.size(), 2u);
}

TEST(DeviceResult, OpenErrorTextsAndPortAudioCodes) {
    EXPECT_EQ(OpenErrorText(32), "Couldn't open wave device due to Error  32 BADFORMAT");
    EXPECT_EQ(OpenErrorText(4), "Couldn't open wave device due to Error  4");
    EXPECT_EQ(DeviceResultOf(paInvalidSampleRate), 32);
    EXPECT_EQ(DeviceResultOf(paInvalidChannelCount), 32);
    EXPECT_EQ(DeviceResultOf(paSampleFormatNotSupported), 32);
    EXPECT_EQ(DeviceResultOf(paNoError), 0);
    EXPECT_EQ(DeviceResultOf(paDeviceUnavailable), 4);
    EXPECT_EQ(DeviceResultOf(paUnanticipatedHostError), 1);
}

TEST_F(DeviceListsTest, ReportOpenErrorShowsTheMessage) {
    lists.ReportOpenError(32);
    ASSERT_EQ(interaction.messages.size(), 1u);
    EXPECT_EQ(interaction.messages[0].text, "Couldn't open wave device due to Error  32 BADFORMAT");
    EXPECT_EQ(interaction.messages[0].icon, MessageIcon::Exclamation);
}

TEST(SamplingRateLines, FourteenRatesPerLineCountedAcrossTheSeries) {
    // Ten of the first series, six of the second, none of the third, two of the fourth.
    const std::vector<int> taken{4000,  5000,  6000,  7000,  8000,  9000,  10000, 11000, 12000,
                                 13000, 11025, 22050, 33075, 44100, 55125, 66150, 4096,  6144};
    const auto accepts = [&](int rate) { return std::find(taken.begin(), taken.end(), rate) != taken.end(); };
    const std::vector<std::string> lines = SamplingRateLines(-1, accepts);
    const std::vector<std::string> expected{
        "-1",
        " 4000 5000 6000 7000 8000 9000 10000 11000 12000 13000",
        " 11025 22050 33075 44100", // the 14th accepted rate ends the line
        " 55125 66150",
        " 4096 6144",
    };
    EXPECT_EQ(lines, expected);

    int count = 0;
    const std::vector<std::string> all = SamplingRateLines(0, [&](int) { return ++count > 0; });
    EXPECT_EQ(count, 189 + 16 + 100 + 61);
    EXPECT_EQ(all.front(), " 0");
    EXPECT_EQ(all[1].substr(0, 20), " 4000 5000 6000 7000");
    EXPECT_EQ(all.back(), " 124928 126976"); // 366 accepted rates: 26 full lines, then two
}

TEST_F(DeviceListsTest, CheckSamplingRatesAsksTheSelectedDeviceInMono) {
    Lists();
    host.accepts = [&](int index, int rate, int channels) {
        return index == mic && channels == 1 && rate == 8000;
    };
    settings.Analysis().channelCount = 2;
    lists.FindInputDevice("USB Microphone");
    EXPECT_EQ(lists.CheckSamplingRates(), (std::vector<std::string>{" 0", " 8000"}));
    EXPECT_EQ(settings.Analysis().channelCount, 1);
}

TEST_F(DeviceListsTest, CheckAudioDevicesListsBothDirections) {
    host.defaultInput = mic;
    const std::vector<std::string> lines = Lists().CheckAudioDevices();
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

TEST_F(DeviceListsTest, RefreshAudioDevicesWaitsThenSelectsThePreviousInputAgain) {
    Lists();
    lists.FindInputDevice("USB Microphone");
    std::vector<std::string> statusWhileWaiting;
    std::vector<double> waits;
    const WaitWithEvents wait = [&](double seconds) {
        waits.push_back(seconds);
        statusWhileWaiting.push_back(settings.Form1().Text("StatusLine"));
    };
    host.devices.insert(host.devices.begin(), {.index = 9, .name = "New Card", .maxInputChannels = 2});
    lists.RefreshAudioDevices(wait);
    EXPECT_EQ(waits, std::vector<double>{2.0});
    EXPECT_EQ(statusWhileWaiting, std::vector<std::string>{"Wait..."});
    EXPECT_EQ(settings.Form1().Text("StatusLine"), "Ready...");
    EXPECT_EQ(settings.Form1().ListIndex("Combo10"), 2);
    EXPECT_EQ(settings.Form1().Text("Combo10"), "USB Microphone");
    EXPECT_TRUE(interaction.messages.empty());

    // The device is gone: the message, and the system default.
    host.devices.erase(host.devices.begin() + 1);
    lists.RefreshAudioDevices(wait);
    ASSERT_EQ(interaction.messages.size(), 1u);
    EXPECT_EQ(settings.Form1().Text("Combo10"), kDefaultInputName);
}

TEST_F(DeviceListsTest, MatchUA5SelectsTheInterfaceAndReportsTheKnobRate) {
    const int ua5 = host.Add("Roland UA-5 (hw:2,0)", 2, 2);
    host.accepts = [&](int index, int rate, int channels) {
        return index == ua5 && channels == 2 && (rate == 44100 || rate == 48000);
    };
    Lists();
    std::vector<double> waits;
    lists.MatchUA5([&](double seconds) { waits.push_back(seconds); });
    EXPECT_EQ(waits, (std::vector<double>{3.0, 2.0, 2.0, 2.0, 2.0}));
    EXPECT_EQ(settings.Form1().Text("Combo10"), "Roland UA-5 (hw:2,0)");
    EXPECT_EQ(settings.Form1().Text("SampleRate"), "48000");
    EXPECT_EQ(settings.Analysis().channelCount, 2);
    EXPECT_EQ(settings.Form1().Text("StatusLine"), "UA5 Ready... Knob position48000");

    // Refusing every rate leaves the sampling rate as it was.
    host.accepts = [](int, int, int) { return false; };
    settings.Form1().SetText("SampleRate", "22050");
    lists.MatchUA5({});
    EXPECT_EQ(settings.Form1().Text("StatusLine"), "UA5 Ready... Knob position22050");
    EXPECT_TRUE(interaction.messages.empty());
}

TEST_F(DeviceListsTest, MatchUA5WithoutTheInterfaceSaysSo) {
    Lists();
    lists.MatchUA5({});
    ASSERT_EQ(interaction.messages.size(), 1u);
    EXPECT_EQ(interaction.messages[0].text, "Roland UA-5 not connected");
    EXPECT_EQ(interaction.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(settings.Form1().Text("StatusLine"), "Ready...");
}

TEST_F(DeviceListsTest, UtilitiesCommandsAreAttachedToTheMenu) {
    Lists();
    MenuModel menu;
    std::vector<std::vector<std::string>> reports;
    AttachDeviceCommands(menu, lists, {.waitWithEvents = {}, .showReport = [&](const auto& lines) {
                                           reports.push_back(lines);
                                       }});
    EXPECT_TRUE(menu.Trigger("CheckAudioDevices"));
    EXPECT_TRUE(menu.Trigger("CheckSamplingRates"));
    EXPECT_TRUE(menu.Trigger("RefreshAudioDevices"));
    EXPECT_TRUE(menu.Trigger("MatchUA5"));
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0][0], "WaveIn Devices");
    EXPECT_EQ(reports[1][0], "-1");
    EXPECT_EQ(interaction.Texts(), std::vector<std::string>{"Roland UA-5 not connected"});
}

TEST(DeviceCatalog, PositionZeroFallsBackToTheTestSignalWhenTheSystemHasNoUsableInput) {
    FakeHost host;
    DeviceCatalog empty(&host);
    EXPECT_EQ(empty.ResolveInput(0).kind, DeviceKind::TestSignal);
    EXPECT_EQ(empty.ResolveOutput(0).kind, DeviceKind::NullOutput);
    OpenedInput opened =
        empty.OpenInput(0, {.sampleRate = 48000, .channels = 1, .slotCount = 2, .framesPerSlot = 256});
    ASSERT_EQ(opened.code, 0);
    EXPECT_EQ(opened.device->Name(), kTestSignalName);

    // A default that refuses even its own rate in mono is not usable.
    const int card = host.Add("default", 2, 2);
    host.defaultInput = card;
    host.accepts = [](int, int, int) { return false; };
    DeviceCatalog refusing(&host);
    EXPECT_EQ(refusing.ResolveInput(0).kind, DeviceKind::TestSignal);

    // A usable default that refuses the format reports it; one that will not open gives way.
    host.accepts = [](int, int rate, int) { return rate <= 48000; };
    DeviceCatalog usable(&host);
    EXPECT_EQ(usable.ResolveInput(0).hostIndex, card);
    EXPECT_EQ(
        usable.OpenInput(0, {.sampleRate = 96000, .channels = 1, .slotCount = 2, .framesPerSlot = 256}).code,
        device_result::kBadFormat);
    EXPECT_EQ(usable.QueryInputFormat(0, 96000, 1), device_result::kBadFormat);
    EXPECT_EQ(usable.QueryInputFormat(3, 1'000'000, 2), 0); // the test ramp
    EXPECT_EQ(usable.QueryInputFormat(3, 1'000'001, 2), device_result::kBadFormat);
    host.openResult = device_result::kAllocated;
    opened = usable.OpenInput(0, {.sampleRate = 48000, .channels = 2, .slotCount = 2, .framesPerSlot = 256});
    ASSERT_EQ(opened.code, 0);
    EXPECT_EQ(opened.device->Name(), kTestSignalName);
    // Chosen by name, the same device reports its error.
    EXPECT_EQ(
        usable.OpenInput(1, {.sampleRate = 48000, .channels = 2, .slotCount = 2, .framesPerSlot = 256}).code,
        device_result::kAllocated);
}

} // namespace
} // namespace ondrix
