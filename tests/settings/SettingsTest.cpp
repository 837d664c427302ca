// The rules of the Quick and Basic Settings (coupled picks, repaired edits, checks before a run, derived
// analysis settings) and the files of the settings: control states, presets and default paths.
#include "support/SettingsFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace ondrix {
namespace {

using SettingsRulesTest = SettingsTest;
using SettingsFilesTest = SettingsTest;

// A pick keeps window <= FFT <= block >= 2 x step, also in random picks on both windows; Basic picks
// couple that window and lay out nothing.
TEST_F(SettingsRulesTest, PicksCoupleFftWindowBlockAndStep) {
    using Pick = std::pair<std::string, std::string>;
    const std::tuple<Texts, Pick, Texts> cases[] = {
        {{{"BlockSize", "4096"}}, {"FFTSize", "16384"}, {{"BlockSize", "16384"}, {"WindowSize", "512"}}},
        {{{"BlockSize", "4096"}}, {"ScanStep", "8192"}, {{"BlockSize", "16384"}}},
        {{{"BlockSize", "3000"}}, {"ScanStep", "1024"}, {{"BlockSize", "3000"}}}, // fits already
        {{{"BlockSize", "off"}}, {"ScanStep", "384"}, {{"BlockSize", "1024"}}},   // still ends
        {{{"FFTSize", "8192"}, {"WindowSize", "8192"}, {"ScanStep", "4096"}},
         {"BlockSize", "2048"},
         {{"FFTSize", "2048"}, {"WindowSize", "2048"}, {"ScanStep", "1024"}}},
        {{{"BlockSize", "1024"}}, {"WindowSize", "2048"}, {{"FFTSize", "2048"}, {"BlockSize", "2048"}}},
        // A typed FFT size is rounded by the next pick of another list.
        {{{"BlockSize", "8192"}, {"FFTSize", "3072"}}, {"BlockSize", "4096"}, {{"FFTSize", "2048"}}},
        {{}, {"OPTIONS0.SampleRate", "96000"}, {{"OPTIONS0.BlockSize", "8192"}}},
        {{{"FFTSize", "6144"}, {"OPTIONS0.FFTSize", "8192"}},
         {"OPTIONS0.BlockSize", "4096"},
         {{"OPTIONS0.FFTSize", "4096"}, {"FFTSize", "4096"}, {"BlockSize", "8192"}}},
    };
    for (const auto& [before, pick, after] : cases) {
        SCOPED_TRACE(pick.first + " " + pick.second);
        files.ApplyBuiltInPreset(BuiltInPreset::Default);
        SetTexts(before);
        calls.clear();
        PickEntry(pick.first, pick.second);
        ExpectTexts(after);
        EXPECT_EQ(calls.size(), pick.first.starts_with("OPTIONS0.") ? 0u : 1u); // a re-layout
    }
    EXPECT_EQ(settings.InfoLines().at(0), "Sampling rate  96000 samples/sec  Channels  1");
    PickEntry("FFTSize", "16384");
    EXPECT_EQ(settings.Analysis().fftSize, 16384);
    std::mt19937 random(7);
    for (ControlModel* window : {&form(), &options0()}) {
        for (int round = 0; round < 400; ++round) {
            const char* list = std::array{"BlockSize", "FFTSize", "WindowSize", "ScanStep"}[random() % 4];
            ASSERT_TRUE(window->Pick(list, static_cast<int>(random() % window->At(list).items.size())));
            const double block = window->Value("BlockSize"), fft = window->Value("FFTSize");
            EXPECT_TRUE(window->Value("WindowSize") <= fft && fft <= block &&
                        2 * window->Value("ScanStep") <= block)
                << window->Prefix() << " after " << list;
        }
    }
}

// Colour scale picks build the palette of the window picked in, by the entry's position. Spins write into
// their fields (the gain at once); only the zoom spin and check lay out again.
TEST_F(SettingsRulesTest, ColourScalePicksBuildThePaletteOfTheirWindowAndSpinsWriteIntoTheirFields) {
    form().Pick("Combo8", 5);
    PickEntry("OPTIONS0.ColourScale", "15 green");
    EXPECT_EQ(calls, (std::vector<std::string>{"FORM1 palette 5", "UpdateForm", "OPTIONS0 palette 15"}));
    calls.clear();
    for (const auto& [spin, by] :
         {std::pair{"UpDown2", 3}, {"UpDown1", -5}, {"UpDown3", 3}, {"UpDown4", 4}}) {
        form().Spin(spin, by);
    }
    ExpectTexts({{"Text2", "8"}, {"Text1", "-5"}, {"SetCH1", "3"}, {"SetCH2", "4"}});
    EXPECT_EQ(std::tuple(settings.Analysis().digitalGain, calls.size()), std::tuple(8, 0u));
    form().Spin("UpDown5", 0);
    form().Click("ZoomFlag");
    EXPECT_EQ(calls, (std::vector<std::string>{"UpdateForm", "UpdateForm"}));
}

// Typed edits couple nothing: the Basic window and the offset repair what they cannot use.
TEST_F(SettingsRulesTest, TypedEditsAreRepairedWithoutCoupling) {
    options0().Type("FFTSize", "16384"); // above the block: typing does not couple
    EXPECT_EQ(options0().Text("BlockSize"), "8192");
    // The control typed in, the text typed and the text it shows then.
    const std::tuple<std::string, const char*, const char*> typed[] = {
        {"OPTIONS0.SampleRate", "5", "32000"},
        {"OPTIONS0.SampleRate", "2000000", "1000000"},
        {"OPTIONS0.FFTSize", "abc", "512"},
        {"OPTIONS0.WindowType", "  ", "Hanning"},
        {"OPTIONS0.ColourScale", "0 wb", "0"},
        {"OPTIONS0.ColourScale", "1 bw", "1 bw"},
        {"OPTIONS0.DisplayHeight", "?", "256"},
        {"OPTIONS0.ScanStep", "4096", "4096"},
        {"OPTIONS0.BlockSize", "none", "4096"},
        {"Text5", "40000", "0"},
        {"Text5", "-32768", "0"},
        {"Text5", "-32767", "-32767"},
        {"Text5", "32767.5", "0"},
        {"FFTSize", "8192", "8192"},
        {"BlockSize", "1024", "1024"},
        {"FFTSize", "3072", "3072"},
        {"Text2", "4", "4"}};
    for (auto [key, text, shown] : typed) {
        SCOPED_TRACE(key + " typed " + text);
        ControlModel& window = WindowOf(key);
        window.Type(key, text);
        EXPECT_EQ(window.Text(key), shown);
    }
    // A repaired block halves a step that no longer fits; typing on the Quick panel couples nothing.
    ExpectTexts({{"OPTIONS0.ScanStep", "2048"}, {"FFTSize", "3072"}, {"BlockSize", "1024"}});
    EXPECT_EQ(std::tuple(options0().ListIndex("WindowType"), settings.InfoLines().at(4),
                         settings.Analysis().digitalGain),
              std::tuple(1, "Scan Step  2048 =  2.048 msec   Skip  1536 samples every  512", 4));
    EXPECT_EQ(calls, std::vector<std::string>(3, "UpdateForm")); // one for each typed Quick list
}

// "Apply" copies the Basic Settings to the Quick panel as spelt; opening the window copies them back.
TEST_F(SettingsRulesTest, ApplyCopiesTheBasicSettingsToTheQuickPanel) {
    const Texts basic = {{"OPTIONS0.BlockSize", "16384"},         {"OPTIONS0.SampleRate", "96000"},
                         {"OPTIONS0.ColourScale", "5 bw +sharp"}, {"OPTIONS0.RamBufferSize", "160 Mbytes"},
                         {"OPTIONS0.Combo10", "USB microphone"},  {"OPTIONS0.DisplayHeight", "512"},
                         {"OPTIONS0.NchanCombo", "2 - stereo"}};
    SetTexts(basic);
    PickEntry("OPTIONS0.WindowType", "Hamming");
    options0().Click("ApplyButton");
    EXPECT_EQ(calls, (std::vector<std::string>{"Hide", "UpdateForm", "Restore", "UpdateForm"}));
    const Texts quick = {{"BlockSize", "16384"},    {"SampleRate", "96000"},   {"WindowType", "Hamming"},
                         {"Combo8", "5 bw +sharp"}, {"Combo12", "160 Mbytes"}, {"Combo10", "USB microphone"},
                         {"Combo7", "512"}};
    ExpectTexts(quick);
    EXPECT_EQ(form().ListIndex("WindowType"), 2);

    form().SetText("ScanStep", "240");
    settings.CopyQuickToBasic();
    ExpectTexts({{"OPTIONS0.ScanStep", "240"}, {"OPTIONS0.NchanCombo", "2 - stereo"}});
}

// The checks before a run: FFT rounded down and raised to twice the height, step halved, texts repaired.
TEST_F(SettingsRulesTest, QuickCheckRepairsTheQuickSettings) {
    form().Type("FFTSize", "3072");
    settings.PublicSettings();
    EXPECT_EQ(std::tuple(form().Text("FFTSize"), settings.Analysis().fftSize), std::tuple("2048", 2048));
    const std::pair<const char*, const char*> rounding[] = {
        {"5120", "4096"}, {"6144", "4096"}, {"10240", "8192"}, {"12288", "8192"}, {"4096", "4096"}};
    for (auto [typed, rounded] : rounding) {
        form().SetText("FFTSize", typed);
        settings.CheckFFTsize();
        EXPECT_EQ(form().Text("FFTSize"), rounded) << typed;
    }
    settings.SetMaxSpectrogramHeight(512);
    SetTexts({{"FFTSize", "256"}, {"BlockSize", "4096"}, {"ScanStep", "4096"}});
    settings.PublicSettings();
    ExpectTexts({{"FFTSize", "1024"}, {"ScanStep", "2048"}});
    EXPECT_EQ(settings.Analysis().fftSize, 1024);

    const Texts unreadable = {{"BlockSize", "abc"}, {"SampleRate", "x"},  {"FFTSize", ""},
                              {"WindowSize", "-"},  {"WindowType", "  "}, {"ScanStep", "none"},
                              {"Combo7", "?"},      {"Combo8", "-3"},     {"OPTIONS0.WindowType", "Linear"}};
    SetTexts(unreadable);
    settings.SetMaxSpectrogramHeight(128);
    settings.PublicSettings();
    const Texts repaired = {
        {"BlockSize", "4096"},     {"SampleRate", "48000"}, {"FFTSize", "256"}, {"WindowSize", "512"},
        {"WindowType", "Hanning"}, {"ScanStep", "512"},     {"Combo7", "128"},  {"Combo8", "0"}};
    ExpectTexts(repaired);
    // The check also resets the Basic window's type.
    EXPECT_EQ(std::tuple(form().ListIndex("WindowType"), options0().ListIndex("WindowType")),
              std::tuple(1, 1));
}

// The analysis settings derived from the windows; the four working folders are created.
TEST_F(SettingsRulesTest, PublicSettingsDerivesTheAnalysisSettings) {
    const Texts fromWindows = {{"SampleRate", "44100.5"},
                               {"Text2", "8"},
                               {"OPTIONS0.NchanCombo", "2 - stereo"},
                               {"OPTIONS1.TapeSpeedCombo", "0.125"},
                               {"OPTIONS1.FrequencyDivisionCombo", "10"},
                               {"OPTIONS1.AmplitudeScale", "1 - Linear"},
                               {"OPTIONS0.DefPlayPathField", Path("play")}};
    SetTexts(fromWindows);
    settings.PublicSettings();
    const AnalysisSettings& a = settings.Analysis();
    EXPECT_EQ(std::tuple(a.sampleRate, a.fftSize, a.channelCount, a.digitalGain, a.amplitudeScale),
              std::tuple(44100, 512, 2, 8, 1));
    EXPECT_EQ(std::pair(a.tapeSpeedRatio, a.frequencyDivisionRatio), std::pair(0.125f, 10.0f));
    EXPECT_EQ(a.recordingPath, Path("rec/"));
    for (const char* folder : {"play", "rec", "shots", "logs"}) {
        EXPECT_TRUE(std::filesystem::is_directory(Path(folder))) << folder;
    }
    // A ratio of 0 or no number would reach every time and frequency shown: it reads as 1, written back.
    SetTexts({{"OPTIONS1.TapeSpeedCombo", "0"}, {"OPTIONS1.FrequencyDivisionCombo", "x"}});
    settings.PublicSettings();
    EXPECT_EQ(std::tuple(a.tapeSpeedRatio, a.frequencyDivisionRatio,
                         settings.Options1().Text("TapeSpeedCombo"),
                         settings.Options1().Text("FrequencyDivisionCombo")),
              std::tuple(1.0f, 1.0f, "1", "1"));
}

// The start-up values replace what a session left; an unreadable height list falls back.
TEST_F(SettingsRulesTest, InitialValuesRestoreTheStartUpState) {
    settings.SetMaxSpectrogramHeight(512);
    PickEntry("WindowType", "Gaussian");
    SetTexts({{"Text2", "16"},
              {"StatusLine", "Busy"},
              {"OPTIONS0.FileModeCombo", "3 - multiple file"},
              {"OPTIONS2.Combo2", "64"}});
    form().SetChecked("Check1", true);
    form().SetEnabled("ZoomFlag", true);
    form().SetVisible("Frame4CH", true);
    options1().SetChecked("RTCursorFlag", false);

    settings.ApplyInitialValues();
    const Texts startUp = {
        {"WindowType", "Hanning"}, {"Combo7", "512"}, {"Text2", "1"},
        {"StatusLine", ""},        {"L25", "0"},      {"OPTIONS0.FileModeCombo", "2 - single file recording"},
        {"OPTIONS2.Combo2", "2"}};
    ExpectTexts(startUp);
    EXPECT_EQ(
        (std::array{form().Checked("Check1"), form().At("ZoomFlag").enabled, form().At("Frame4CH").visible,
                    form().At("Text4").enabled, options1().Checked("RTCursorFlag")}),
        (std::array{false, false, false, false, true}));

    options1().SetText("MaxSpectrogramHeight", "512");
    EXPECT_EQ(settings.ReadMaxSpectrogramHeight(), 512);
    options1().SetText("MaxSpectrogramHeight", "abc");
    EXPECT_EQ(settings.ReadMaxSpectrogramHeight(), SettingsModel::kDefaultMaxSpectrogramHeight);
}

// Moves every saved control away from its value: lists to their next entry, texts to a text holding
// "." and "=", checks toggled, spins up by one, and the last option of each group selected.
void ChangeEverything(ControlModel& window) {
    for (const Control& control : window.Controls()) {
        if (!control.IsSaved()) {
            continue;
        }
        if (control.kind == ControlKind::List && !control.items.empty()) {
            window.SetListIndex(control.name,
                                (control.listIndex + 1) % static_cast<int>(control.items.size()));
        } else if (control.kind == ControlKind::List || control.kind == ControlKind::Text) {
            window.SetText(control.name, "v." + control.name + " = x ");
        } else if (control.kind == ControlKind::Check) {
            window.SetChecked(control.name, !window.Checked(control.name));
        } else if (control.kind == ControlKind::Option) {
            window.SetChecked(control.name, true);
        } else {
            window.SetNumber(control.name, window.IntValue(control.name) + 1);
        }
    }
}

// Every saved control, changed, comes back from its file and saves to the same bytes; one re-layout.
TEST_F(SettingsFilesTest, EverySavedControlComesBackAndSavesToTheSameBytes) {
    const std::map<std::string, std::string> before = SavedState();
    ASSERT_TRUE(files.SaveControlState(Path("before.ini")));
    for (WindowId id : {WindowId::Form1, WindowId::Options0, WindowId::Options1, WindowId::Options2}) {
        ChangeEverything(settings.Window(id));
    }
    // A state the typed edits of a load keep (the first colour entry would be read back as "0").
    options0().SetText("ColourScale", "7 sepia");
    settings.BasicSettingsCheck();
    const std::map<std::string, std::string> after = SavedState();
    EXPECT_GT(std::ranges::count_if(
                  after, [&](const auto& entry) { return entry.second != before.at(entry.first); }),
              static_cast<long>(after.size() * 9 / 10));
    ASSERT_TRUE(files.SaveControlState(Path("after.ini")));
    ASSERT_TRUE(files.LoadControlState(Path("before.ini")));
    EXPECT_EQ(SavedState(), before);
    EXPECT_EQ(UpdateForms(), 1) << "a load re-lays out once, not once per value";
    ASSERT_TRUE(files.LoadControlState(Path("after.ini")));
    EXPECT_EQ(SavedState(), after);
    ASSERT_TRUE(files.SaveControlState(Path("again.ini")));
    EXPECT_EQ(ReadFile(Path("again.ini")), ReadFile(Path("after.ini")));
    EXPECT_TRUE(interaction.messages.empty());
}

// Names pad to the next print zone, lines end in CR LF, no value starts a line, session states stay out.
TEST_F(SettingsFilesTest, LinesPadTheNameToTheNextZoneAndEndInCrLf) {
    options1().SetText("TapeSpeedCombo", "0.5");
    form().SetChecked("ZoomFlag", true);
    form().SetNumber("UpDown1", -3);
    form().SetText("Text1", "7\nFORM1.Text5 = 99"); // a line break must not start a line of its own
    ASSERT_TRUE(files.SaveControlState(Path("state.ini")));
    const std::string text = ReadFile(Path("state.ini"));
    // 23 characters pad to column 28, exactly 14 still move one zone on, 13 pad to 14.
    for (const char* line :
         {"FORM1.BlockSize             = 8192\r\n", "FORM1.FFTSize = 512\r\n",
          "FORM1.Text1   = 7 FORM1.Text5 = 99\r\n", "FORM1.ZoomFlag              =  1\r\n",
          "FORM1.Check1  =  0\r\n", "FORM1.UpDown1 = -3\r\n", "OPTIONS0.OptionCS0          = -1\r\n",
          "OPTIONS0.OptionCS1          =  0\r\n", "OPTIONS1.TapeSpeedCombo     = 0.5\r\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line;
    }
    EXPECT_EQ(text.find("FORM1.BlockSize"), 0u);
    EXPECT_TRUE(text.ends_with("\r\nOPTIONS2.Combo2             = 2\r\n"));
    EXPECT_EQ(std::ranges::count(text, '\n'), std::ranges::count(text, '\r'));
    for (const char* absent : {"PauseButton", "RecPauseFlag", "StatusLine", "ApplyButton", "SpecFormCheck"}) {
        EXPECT_EQ(text.find(absent), std::string::npos) << absent;
    }
}

// Bad, unknown, binary and overlong lines are skipped, the rest applies (lists as typed); devices fail.
TEST_F(SettingsFilesTest, LinesThatCannotBeAppliedAreSkippedAndListsCountAsTyped) {
    std::string text = "options1.TapeSpeedCombo     = 4\r\n"  // window in lower case
                       "OPTIONS1.TapeSpeedCombo no value\r\n" // a dot but no "="
                       "OPTIONS1=.TapeSpeedCombo 8\r\n"       // "=" before the dot
                       "OPTIONS9.Text1 = 5\r\nFORM1.NoSuchControl = 5\r\n"
                       "FORM1.PauseButton = 1\r\nFORM1.StatusLine = x\r\nOPTIONS2.SpecFormCheck = 1\r\n";
    text += std::string("\0\xff.\x01=\x80\n\n\r", 8);                // binary garbage, empty lines
    text += "OPTIONS1.Text1 = " + std::string(100000, '9') + "\r\n"; // longer than any line of the format
    // What follows still applies; names lose trailing blanks, values leading ones. A pick of this
    // scan step would double the block, a typed Basic Settings rate is checked.
    text += "OPTIONS1.Combo9      =      8\rOPTIONS1.TriggerSpecOption=-1\nFORM1.BlockSize = 4096\r\n"
            "FORM1.ScanStep = 8192\r\nOPTIONS0.SampleRate = 5\r\nOPTIONS2.Combo2 = 16\r\nFORM1.Text2";
    WriteFile(Path("state.ini"), text);
    std::map<std::string, std::string> expected = SavedState();
    ASSERT_TRUE(files.LoadControlState(Path("state.ini")));
    for (auto [key, text] : Texts{{"OPTIONS1.Combo9", "8"},
                                  {"OPTIONS1.TriggerWaveOption", "0"},
                                  {"OPTIONS1.TriggerSpecOption", "-1"},
                                  {"FORM1.BlockSize", "4096"},
                                  {"FORM1.ScanStep", "8192"},
                                  {"OPTIONS0.SampleRate", "32000"},
                                  {"OPTIONS2.Combo2", "16"}}) {
        expected[key] = text;
    }
    EXPECT_EQ(SavedState(), expected);
    EXPECT_EQ(form().Text("PauseButton") + form().Text("StatusLine"), "0");

    // Megabytes without a line end, lines beyond the line limit, a device: nothing applies.
    WriteFile(Path("long.ini"), "OPTIONS1.Text1 = " + std::string(6 << 20, '7'));
    std::string many(200000, '\n');
    WriteFile(Path("many.ini"), many + "OPTIONS1.Text1 = 1\r\n");
    EXPECT_TRUE(files.LoadControlState(Path("long.ini")) && files.LoadControlState(Path("many.ini")) &&
                !files.LoadControlState("/dev/zero"));
    EXPECT_EQ(options1().Text("Text1"), "255");
    EXPECT_EQ(interaction.Texts(), std::vector<std::string>{"User Defaults not available"});
}

// Advanced "Reset" and "Undo latest" restore the saved state; the user default saves, loads, deletes.
TEST_F(SettingsFilesTest, UndoAndTheUserDefault) {
    files.OnAdvancedSettingsOpened();
    options1().SetText("TapeSpeedCombo", "8");
    options1().Click("ResetButton");
    EXPECT_EQ(options1().Text("TapeSpeedCombo"), "1");
    form().SetText("Text1", "12");
    EXPECT_TRUE(menus.Trigger("UndoLatest"));
    EXPECT_EQ(form().Text("Text1"), "0");
    options1().SetText("Text12", "440");
    options1().Click("SaveDefControls");
    EXPECT_EQ(form().Text("StatusLine"), "Saved Def Controls.");
    options1().SetText("Text12", "0");
    options1().Click("ResetControls");
    EXPECT_EQ(options1().Text("Text12"), "440");
    options1().Click("DeleteDefaultButton");
    EXPECT_FALSE(Exists(files.Files().UserDefault()));
    options1().Click("ResetControls");
    EXPECT_EQ(options1().Text("Text12"), "440");
    EXPECT_EQ(interaction.Texts(),
              (std::vector<std::string>{
                  "Restored previous settings",
                  "Restored previous settings... only the very latest changes have been undone",
                  "User Defaults not available"}));
}

// The Quick Settings far from every preset, so each value a preset writes shows.
class PresetTest : public SettingsTest {
protected:
    PresetTest() {
        const Texts far = {{"BlockSize", "2048"},    {"SampleRate", "16000"},
                           {"FFTSize", "1024"},      {"WindowSize", "256"},
                           {"ScanStep", "64"},       {"Combo7", "200"},
                           {"Combo8", "7 sepia"},    {"Combo10", "Mic"},
                           {"Combo12", "64 Mbytes"}, {"OPTIONS0.NchanCombo", "2 - stereo"}};
        SetTexts(far);
        form().SetListIndex("WindowType", 3);
        form().SetChecked("ZoomFlag", true);
    }

    std::string Panel() {
        std::string texts;
        for (const char* name : {"BlockSize", "SampleRate", "FFTSize", "WindowSize", "WindowType", "ScanStep",
                                 "Combo8", "Combo12", "ZoomFlag"}) {
            texts += form().Text(name) + "|";
        }
        return texts + options0().Text("NchanCombo");
    }
};

const std::string kPanelPreset = "2048\r\n16000\r\n1024\r\n256\r\nKaiser-Bessel\r\n64\r\n7 sepia\r\nMic\r\n"
                                 "64 Mbytes\r\n 1\r\n2 - stereo\r\n";

// A preset writes the panel ("*" leaves one), keeps the state before in "temp.preset"; missing fails.
TEST_F(PresetTest, AStarLeavesItsSettingAndTempPresetKeepsTheStateBefore) {
    WriteFile(Path("b.preset"), "4096\r\n*\r\n2048\r\n1024\r\nGaussian\r\n128\r\n10 colour\r\nLine In\r\n"
                                "8 Mbytes\r\n 0\r\n*\r\n");
    ASSERT_TRUE(files.PresetLoadFile(Path("b.preset")));
    EXPECT_EQ(Panel(), "4096|16000|2048|1024|Gaussian|128|10 colour|8 Mbytes|0|2 - stereo");
    EXPECT_EQ(form().Text("Combo10"), "Line In");
    EXPECT_EQ(form().Text("Combo7"), "200") << "the display height is no part of a preset";
    EXPECT_EQ(calls, std::vector<std::string>{"UpdateForm"}); // once, and no palette is built
    EXPECT_EQ(ReadFile(files.Files().TempPreset()), kPanelPreset);
    ASSERT_TRUE(files.PresetLoadFile(files.Files().TempPreset()));
    ASSERT_TRUE(files.PresetSaveFile(Path("again.preset")));
    EXPECT_EQ(ReadFile(Path("again.preset")), kPanelPreset);
    EXPECT_FALSE(files.PresetLoadFile(Path("missing.preset")));
    EXPECT_EQ(UpdateForms(), 2);
}

// "Reset to default" types the built-in row unless "default.preset" exists; Basic "Reset" deletes it.
TEST_F(PresetTest, ResetToDefaultTypesTheFirstRowUnlessDefaultPresetExists) {
    files.ApplyBuiltInPreset(BuiltInPreset::Default);
    EXPECT_EQ(Panel(), "8192|48000|512|512|Hanning|512|0|off|0|1 - mono (left)");
    EXPECT_EQ(std::tuple(form().ListIndex("WindowType"), form().Text("Combo10"), calls),
              std::tuple(1, "Mic", std::vector<std::string>{"UpdateForm"}));
    WriteFile(files.Files().DefaultPreset(),
              "32768\r\n*\r\n*\r\n*\r\n*\r\n*\r\n3 bw sharp\r\n*\r\n*\r\n 1\r\n*\r\n");
    form().SetText("Combo12", "64 Mbytes");
    menus.Trigger("PresetDefault");
    EXPECT_EQ(Panel(), "32768|48000|512|512|Hanning|512|3 bw sharp|64 Mbytes|1|1 - mono (left)");
    options0().Click("ResetButton");
    EXPECT_FALSE(Exists(files.Files().DefaultPreset()));
    EXPECT_EQ(options0().Text("BlockSize") + " " + options0().Text("RamBufferSize"), "8192 off");
}

// The built-in presets write their own columns only, each laying out once.
TEST_F(PresetTest, BuiltInPresetsWriteTheirColumnsOnly) {
    menus.Trigger("PresetUltraMIc250");
    EXPECT_EQ(Panel(), "65536|250000|1024|256|Kaiser-Bessel|64|7 sepia|64 Mbytes|1|1 - mono");
    menus.Trigger("Stereo32");
    EXPECT_EQ(Panel(), "65536|32000|1024|256|Kaiser-Bessel|64|7 sepia|64 Mbytes|1|2 - stereo");
    form().SetChecked("ZoomFlag", false);
    menus.Trigger("PresetVLF");
    EXPECT_EQ(Panel(), "8192|8000|8192|2048|Kaiser-Bessel|128|10|8 Mbytes|1|1 - mono (left)");
    EXPECT_EQ(UpdateForms(), 3);
}

// Saved presets get ".preset" in the chosen folder; "Link to .wav" saves beside the sound; Basic "Load".
TEST_F(PresetTest, SavedPresetsGetTheirExtensionAndLinkedOnesFollowTheSoundFile) {
    Answer(Path("quiet"));
    menus.Trigger("PresetSave");
    EXPECT_EQ(ReadFile(Path("quiet.preset")), kPanelPreset);
    EXPECT_EQ(interaction.dialogs.back().folder, temp.Path());
    options0().SetChecked("ProgPathFlag", true);
    Answer(Path("LOUD.PRESET"));
    menus.Trigger("PresetSave");
    EXPECT_EQ(interaction.dialogs.back().folder, files.Files().folder);
    EXPECT_TRUE(Exists(Path("LOUD.PRESET")));
    Answer(Path("*"));
    menus.Trigger("PresetSave");
    EXPECT_FALSE(Exists(Path("*.preset")));

    // "Link to .wav": the Basic Settings take effect and are saved beside the sound file.
    WriteFile(Path("bat.wav"), "RIFF");
    options0().SetText("SampleRate", "250000");
    Answer(Path("bat.wav"));
    options0().Click("LinkToWavButton");
    EXPECT_EQ(form().Text("SampleRate"), "250000");
    EXPECT_EQ(ReadFile(Path("bat.wav.preset")).substr(0, 16), "8192\r\n250000\r\n51");

    // The Basic Settings "Load": into the Quick Settings and back into the window.
    Answer(Path("quiet.preset"));
    options0().Click("LoadButton");
    EXPECT_EQ(options0().Text("SampleRate"), "16000");
}

// Default paths are four items in any line form; unwritable folders are refused; a new one is made.
TEST_F(SettingsFilesTest, DefaultPathsAreFourItemsAndSetPathTakesOnlyWritableFolders) {
    options1().SetText("DefLogPath", "/l/");
    options0().Click("SaveDefaultPathsButton");
    EXPECT_EQ(ReadFile(files.Files().DefaultPaths()),
              temp.Path() + "\r\n" + temp.Path() + "rec/\r\n" + temp.Path() + "shots/\r\n/l/\r\n");
    WriteFile(files.Files().DefaultPaths(), " /p/ \n\n/s/,/x/\n"); // a blank item keeps its folder
    ASSERT_TRUE(files.LoadDefaultPaths());
    ExpectTexts({{"OPTIONS0.DefPlayPathField", "/p/"},
                 {"OPTIONS0.FileRecPathField", Path("rec/")},
                 {"OPTIONS1.DefSavePath", "/s/"},
                 {"OPTIONS1.DefLogPath", "/x/"}});

    // A path below a file can never be a folder, whoever runs the test.
    WriteFile(Path("file"), "x");
    const std::string refused = Path("file/sub");
    for (const char* button : {"SetSavePathButton", "SetLogPathButton"}) {
        Answer(refused);
        options1().Click(button);
    }
    Answer(refused);
    options0().Click("SetRecPathButton");
    EXPECT_EQ(interaction.Texts(),
              (std::vector<std::string>{refused + "/ is read only", refused + "/ is read only"}));
    ExpectTexts({{"OPTIONS1.DefSavePath", "/s/"}, {"OPTIONS0.FileRecPathField", Path("rec/")}});
    Answer(refused);
    options0().Click("SetPlayPathButton");
    EXPECT_EQ(options0().Text("DefPlayPathField"), refused + "/");

    // A new folder is created and tested in place; the test file does not stay.
    Answer(Path("new"));
    options0().Click("SetRecPathButton");
    EXPECT_EQ(options0().Text("FileRecPathField"), temp.Path() + "new/");
    EXPECT_TRUE(std::filesystem::is_directory(Path("new")) && std::filesystem::is_empty(Path("new")));
}

} // namespace
} // namespace ondrix
