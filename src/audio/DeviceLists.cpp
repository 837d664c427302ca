#include "audio/DeviceLists.h"

#include "audio/DeviceReports.h"
#include "audio/DeviceResult.h"
#include "common/NumberText.h"
#include "common/Rounding.h"

namespace ondrix {

namespace {

constexpr std::string_view kInputList = "Combo10";
constexpr std::string_view kOutputList = "Combo9";
constexpr std::string_view kStatusLine = "StatusLine";
constexpr std::string_view kSampleRate = "SampleRate";
constexpr std::string_view kUa5Name = "UA-5";

std::vector<std::string> ListNames(const std::vector<DeviceEntry>& entries) {
    std::vector<std::string> names;
    names.reserve(entries.size());
    for (const DeviceEntry& entry : entries) {
        names.push_back(entry.listName);
    }
    return names;
}

void Wait(const WaitWithEvents& wait, double seconds) {
    if (wait) {
        wait(seconds);
    }
}

} // namespace

DeviceLists::DeviceLists(SettingsModel& settings, DeviceCatalog& catalog, Interaction& interaction)
    : settings_(settings), catalog_(catalog), interaction_(interaction) {}

void DeviceLists::SetStatus(std::string_view text) {
    settings_.Form1().SetText(kStatusLine, text);
}

DeviceLists::Counts DeviceLists::RefreshDeviceLists() {
    catalog_.Refresh();
    const std::vector<std::string> inputs = ListNames(catalog_.Inputs());
    for (ControlModel* window : {&settings_.Form1(), &settings_.Options0()}) {
        window->SetItems(kInputList, inputs);
        window->SetListIndex(kInputList, 0);
    }
    settings_.Options0().SetItems(kOutputList, ListNames(catalog_.Outputs()));
    settings_.Options0().SetListIndex(kOutputList, 0);
    return {static_cast<int>(catalog_.Inputs().size()) - 1, static_cast<int>(catalog_.Outputs().size()) - 1};
}

int DeviceLists::FindDevice(ControlModel& window, std::string_view list, const std::string& name,
                            const std::string& message) {
    int position = -1;
    const std::vector<std::string>& entries = window.At(list).items;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i] == name) {
            position = static_cast<int>(i);
        }
    }
    if (position < 0) {
        interaction_.ShowMessage(message, MessageIcon::Exclamation);
        RefreshDeviceLists();
        position = 0;
    }
    window.SetListIndex(list, position);
    return position;
}

int DeviceLists::FindInputDevice(const std::string& name) {
    const std::string message =
        "Sound Input Device [" + name + "] not existent or not connected\r\n" +
        "Please select one among those listed in the Quick or Basic Settings panels\r\n" +
        "then save the updated configuration";
    return FindDevice(settings_.Form1(), kInputList, name, message);
}

int DeviceLists::FindOutputDevice(const std::string& name) {
    const std::string message = "Sound Output Device [" + name + "] not existent or not connected\r\n" +
                                "Please select one among those listed in the Basic Settings panel";
    return FindDevice(settings_.Options0(), kOutputList, name, message);
}

void DeviceLists::ReportOpenError(int code) {
    interaction_.ShowMessage(OpenErrorText(code), MessageIcon::Exclamation);
}

int DeviceLists::QueryInputFormat(int position, int sampleRate, double channels) const {
    return catalog_.QueryInputFormat(position, sampleRate, RoundToInt32(channels));
}

std::vector<std::string> DeviceLists::CheckAudioDevices() const {
    return DeviceTableLines(catalog_);
}

std::vector<std::string> DeviceLists::CheckSamplingRates() {
    int position = settings_.Form1().ListIndex(kInputList);
    if (position < 0) {
        position = 0;
    }
    std::vector<std::string> lines = SamplingRateLines(
        position - 1, [&](int rate) { return QueryInputFormat(position, rate, 1) == device_result::kOk; });
    settings_.Analysis().channelCount = 1;
    return lines;
}

void DeviceLists::RefreshAudioDevices(const WaitWithEvents& wait) {
    SetStatus("Wait...");
    const std::string selected = settings_.Form1().Text(kInputList);
    Wait(wait, 2.0);
    RefreshDeviceLists();
    SetStatus("Ready...");
    FindInputDevice(selected);
}

void DeviceLists::MatchUA5(const WaitWithEvents& wait) {
    SetStatus("Wait... Searching for UA5");
    Wait(wait, 3.0);
    RefreshDeviceLists();

    ControlModel& form1 = settings_.Form1();
    int found = -1;
    const std::vector<std::string>& entries = form1.At(kInputList).items;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].find(kUa5Name) != std::string::npos) {
            found = static_cast<int>(i);
        }
    }
    if (found < 0) {
        interaction_.ShowMessage("Roland UA-5 not connected", MessageIcon::Exclamation,
                                 [this] { SetStatus("Ready..."); });
        return;
    }

    SetStatus("UA5... Checking settings...");
    form1.SetListIndex(kInputList, found);
    const int position = FindInputDevice(form1.Text(kInputList));
    settings_.Analysis().channelCount = 2;
    // The interface answers for the rate its knob is set to; it is asked in four rounds, so the
    // knob's rate is the one written last.
    for (int round = 0; round < 4; ++round) {
        Wait(wait, 2.0);
        for (const int rate : {44100, 48000, 96000}) {
            if (QueryInputFormat(position, rate, 2) == device_result::kOk) {
                form1.Type(kSampleRate, BareNumberText(rate));
            }
        }
    }
    SetStatus("UA5 Ready... Knob position" + form1.Text(kSampleRate));
}

} // namespace ondrix
