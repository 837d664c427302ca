// The control model of a window, the menu commands and the inventory of the four settings windows; the
// analysis parameters and the recording duration shown on the Basic Settings window.
#include "settings/ControlModel.h"
#include "settings/AnalysisInfo.h"
#include "settings/MenuModel.h"
#include "settings/SettingsModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace ondrix {
namespace {

using Action = ControlModel::Action;
using Change = ControlModel::Change;

std::vector<Control> SmallWindow() {
    using K = ControlKind;
    return {
        {.name = "Size", .kind = K::List, .items = {"256", "512", "1024"}, .text = "512"},
        {.name = "Scale", .kind = K::List, .items = {"15 green", "15", "15"}, .text = "15"},
        {.name = "Field", .kind = K::Text, .text = "0"},
        {.name = "Flag", .kind = K::Check, .text = "0"},
        {.name = "A", .kind = K::Option, .text = "-1", .group = "g"},
        {.name = "B", .kind = K::Option, .text = "0", .group = "g"},
        {.name = "Other", .kind = K::Option, .text = "-1", .group = "h"},
        {.name = "Spin", .kind = K::Spin, .text = "0", .minimum = 0, .maximum = 10},
        {.name = "Go", .kind = K::Button, .caption = "Go"},
    };
}

class ControlModelTest : public ::testing::Test {
protected:
    ControlModelTest() : model(WindowId::Options0, SmallWindow()) {
        model.AddActionHandler(
            [this](const std::string& name, Action action) { actions.emplace_back(name, action); });
        model.AddListener([this](const std::string& name, Change what) { changes.emplace_back(name, what); });
    }

    ControlModel model;
    std::vector<std::pair<std::string, Action>> actions;
    std::vector<std::pair<std::string, Change>> changes;
};

// Handlers see what the user did (typed, picked, clicked, spun); bad picks, toggles, groups, ranges.
TEST_F(ControlModelTest, UserOperationsReachTheHandlersAsWhatTheUserDid) {
    model.Type("Size", "2048");
    EXPECT_FALSE(model.Pick("Size", 3) || model.Pick("Size", -1));
    EXPECT_EQ(model.Text("Size") + " " + std::to_string(model.ListIndex("Size")), "2048 -1");
    model.Pick("Size", 2);
    EXPECT_EQ(model.Text("Size") + " " + std::to_string(model.ListIndex("Size")), "1024 2");
    model.Type("Size", "1024");
    model.Click("Flag");
    const std::string once = model.Text("Flag");
    model.Click("Flag");
    EXPECT_EQ(once + model.Text("Flag"), "10");
    model.Click("B");
    EXPECT_EQ(model.Text("A") + model.Text("B") + model.Text("Other"), "0-1-1");
    model.Spin("Spin", 15);
    const std::string high = model.Text("Spin");
    model.Spin("Spin", -3);
    EXPECT_EQ(high + " " + model.Text("Spin"), "10 0");
    model.Click("Go");
    const std::vector<std::pair<std::string, Action>> expected = {
        {"Size", Action::Typed},   {"Size", Action::Picked},  {"Size", Action::Typed},
        {"Flag", Action::Clicked}, {"Flag", Action::Clicked}, {"B", Action::Clicked},
        {"Spin", Action::Spun},    {"Spin", Action::Spun},    {"Go", Action::Clicked}};
    EXPECT_EQ(actions, expected);
}

// Program writes notify listeners, never handlers; list positions, values and ranges follow the text.
TEST_F(ControlModelTest, ProgramWritesNotifyListenersButRunNoHandlers) {
    model.SetText("Size", "256");
    EXPECT_EQ(model.ListIndex("Size"), 0);
    model.SetEnabled("Field", false);
    model.SetVisible("Go", false);
    model.SetCaption("Go", "Stop");
    model.SetItems("Size", {"128", "256"});
    EXPECT_EQ(model.ListIndex("Size"), 1); // the new entries are searched for the kept text
    model.SetText("Size", "256");          // unchanged: no notification
    model.SetEnabled("Field", false);
    const std::vector<std::pair<std::string, Change>> expected = {{"Size", Change::Text},
                                                                  {"Field", Change::Enabled},
                                                                  {"Go", Change::Visible},
                                                                  {"Go", Change::Caption},
                                                                  {"Size", Change::Items}};
    EXPECT_EQ(changes, expected);
    model.SetText("Size", "256 ");
    EXPECT_EQ(model.ListIndex("Size"), -1);
    for (const int index : {2, -1}) { // of equal entries the one set, and none: the text stays
        model.SetListIndex("Scale", index);
        EXPECT_EQ(model.Text("Scale") + " " + std::to_string(model.ListIndex("Scale")),
                  "15 " + std::to_string(index));
    }
    model.SetChecked("A", true);
    EXPECT_EQ(model.Text("B"), "0");
    for (const auto& [text, value] : {std::pair{"4 Mbytes", 4}, {"2.5", 2}, {"3.5", 4}}) {
        model.SetText("Field", text);
        EXPECT_EQ(model.IntValue("Field"), value) << text;
    }
    model.SetNumber("Field", 2048);
    EXPECT_EQ(model.Text("Field"), "2048");
    model.SetNumber("Spin", 9);
    model.SetRange("Spin", 0, 5);
    EXPECT_EQ(model.Text("Spin"), "5");
    EXPECT_TRUE(actions.empty());
}

// A duplicate name in an inventory or an unknown name is an error, not a silent new control.
TEST(ControlModel, NamesAreUniqueAndKnown) {
    std::vector<Control> twice = {{.name = "X", .kind = ControlKind::Text},
                                  {.name = "X", .kind = ControlKind::List}};
    EXPECT_THROW(ControlModel(WindowId::Form1, twice), std::invalid_argument);
    ControlModel model(WindowId::Form1, {{.name = "X", .kind = ControlKind::Text}});
    EXPECT_FALSE(model.Has("Y"));
    EXPECT_THROW(model.Text("Y"), std::out_of_range);
    EXPECT_THROW(model.Type("Y", "1"), std::out_of_range);
}

// A command without an action stays disabled; enabling, disabling and running it notify the menus.
TEST(MenuModel, CommandsWithoutActionStayDisabled) {
    MenuModel menus;
    EXPECT_FALSE(menus.Trigger("SaveBuffer"));
    menus.SetEnabled("SaveBuffer", true);
    EXPECT_FALSE(menus.At("SaveBuffer").enabled);
    int runs = 0;
    std::vector<std::string> changed;
    menus.AddListener([&](const std::string& name) { changed.push_back(name); });
    menus.SetHandler("SaveBuffer", [&] { ++runs; });
    EXPECT_TRUE(menus.Trigger("SaveBuffer"));
    menus.SetEnabled("SaveBuffer", false);
    EXPECT_FALSE(menus.Trigger("SaveBuffer"));
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(changed, (std::vector<std::string>{"SaveBuffer", "SaveBuffer"}));
    EXPECT_THROW(menus.At("NoSuchCommand"), std::out_of_range);
}

std::uint64_t Fnv1a(std::string_view text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : text) {
        hash = (hash ^ c) * 1099511628211ull;
    }
    return hash;
}

// Saved files list the saved controls in window order: a checksum of the names ("*": saved) per window,
// and a failure prints the order to compare with the last one. Spins start inside their ranges and each
// option group with exactly one option selected.
TEST(Inventory, EveryWindowKeepsItsControlOrderSavedSetAndStartState) {
    SettingsModel settings;
    const std::pair<WindowId, std::uint64_t> windows[] = {{WindowId::Form1, 6516200824651585744u},
                                                          {WindowId::Options0, 8089160013544988007u},
                                                          {WindowId::Options1, 225177634997560195u},
                                                          {WindowId::Options2, 2749744454981514439u}};
    for (auto [id, checksum] : windows) {
        const ControlModel& window = settings.Window(id);
        std::string names;
        std::map<std::string, int> selected;
        for (const Control& control : window.Controls()) {
            names += control.name + (control.IsSaved() ? "* " : " ");
            if (control.kind == ControlKind::Spin) {
                EXPECT_LE(control.minimum, window.IntValue(control.name)) << control.name;
                EXPECT_LE(window.IntValue(control.name), control.maximum) << control.name;
            }
            if (control.kind == ControlKind::Option) {
                EXPECT_FALSE(control.group.empty()) << control.name;
                selected[control.group] += window.Checked(control.name) ? 1 : 0;
            }
        }
        EXPECT_EQ(Fnv1a(names), checksum) << names;
        for (const auto& [group, count] : selected) {
            EXPECT_EQ(count, 1) << group;
        }
    }
}

// The six lines: overlap or skipped samples; a single-precision bandwidth factor (60.937, not .938).
TEST(AnalysisInfo, LinesForOverlapSkipAndBandwidth) {
    // Rate, channels, FFT size, window size, window type and its list position, scan step.
    AnalysisInfoInput input{48000, 1, 1024, 1024, "Hanning", 1, 512};
    const std::vector<std::string> expected = {
        "Sampling rate  48000 samples/sec  Channels  1",   "FFT size  1024 =  21.333 msec",
        "Window Size  1024 =  21.333 msec   Type Hanning", "Frequency resolution  46.875  Bandwidth  67.5 Hz",
        "Scan Step  512 =  10.667 msec   Overlap  50%",    "FFT x sec  93.75 x channel",
    };
    EXPECT_EQ(AnalysisInfoLines(input), expected);
    input.scanStep = 2048;
    const std::vector<std::string> lines = AnalysisInfoLines(input);
    EXPECT_EQ(lines[4], "Scan Step  2048 =  42.667 msec   Skip  1024 samples every  1024");
    EXPECT_EQ(lines[5], "FFT x sec  23.438 x channel");
    input.windowTypeIndex = 2;
    input.windowTypeText = "Hamming";
    EXPECT_EQ(AnalysisInfoLines(input)[3], "Frequency resolution  46.875  Bandwidth  60.937 Hz");
    input.windowTypeIndex = -1;
    input.windowTypeText = "hanning";
    EXPECT_EQ(AnalysisInfoLines(input)[3], "Frequency resolution  46.875  Bandwidth  0 Hz");
}

// Zero or huge settings (typed by the user) never print "inf" or "nan"; zero prints zeros. One file of
// the maximum size lasts so long at the rate and channel count; none at no channels.
TEST(AnalysisInfo, ZeroOrHugeValuesNeverPrintInfinityAndRecordingDuration) {
    for (double bad : {0.0, DBL_MAX}) {
        std::vector<std::string> lines = AnalysisInfoLines({bad, bad, bad, bad, "", 1, bad});
        lines.push_back(RecDurationText(bad, bad, bad));
        for (const std::string& line : lines) {
            for (const char* word : {"inf", "INF", "nan", "NAN"}) {
                EXPECT_EQ(line.find(word), std::string::npos) << line;
            }
        }
    }
    const std::vector<std::string> zero = AnalysisInfoLines({});
    EXPECT_EQ(zero[1], "FFT size  0 =  0 msec");
    EXPECT_EQ(zero[4], "Scan Step  0 =  0 msec   Overlap  0%");
    EXPECT_EQ(RecDurationText(680, 48000, 1), "= 02:03:47.400");
    EXPECT_EQ(RecDurationText(2000, 44100, 2), "= 03:18:08.600");
    EXPECT_EQ(RecDurationText(680, 48000, 0), "= 00:00:00.000");
    EXPECT_EQ(RecDurationText(-5, 48000, 1), "= 00:00:00.000");
}

// The Basic window shows its own info and file duration; split choices only for multiple files.
TEST(AnalysisInfo, BasicWindowShowsItsInfoDurationAndSplitChoices) {
    SettingsModel settings;
    ControlModel& basic = settings.Options0();
    basic.SetText("FFTSize", "1024");
    basic.SetText("WindowSize", "1024");
    basic.Type("NchanCombo", "2 - stereo");
    const std::vector<std::string> lines = settings.InfoLines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "Sampling rate  48000 samples/sec  Channels  2");
    EXPECT_EQ(lines[2], "Window Size  1024 =  21.333 msec   Type Hanning");
    EXPECT_EQ(basic.Text("AnalysisParameters").substr(0, lines[0].size() + 1), lines[0] + "\n");
    EXPECT_EQ(basic.Text("RecDurationLabel"), "= 01:01:53.700");
    basic.Type("FileMaxSizeCombo", "1 MB");
    EXPECT_EQ(basic.Text("RecDurationLabel"), "= 00:00:05.500");

    auto splitChoices = [&] {
        return std::ranges::count_if(std::vector<std::string>{"Split00", "Split30", "SpanDiskCheck"},
                                     [&](const std::string& name) { return basic.At(name).enabled; });
    };
    basic.Pick("FileModeCombo", 2);
    EXPECT_EQ(splitChoices(), 3);
    basic.Type("FileModeCombo", "1 - circular");
    EXPECT_EQ(splitChoices(), 0);
    // Without window hooks (no windows at all) "Apply" and a colour pick still run their rules.
    basic.Click("ApplyButton");
    settings.Form1().Pick("Combo8", 1);
    EXPECT_EQ(settings.Form1().Text("FFTSize"), "1024");
}

} // namespace
} // namespace ondrix
