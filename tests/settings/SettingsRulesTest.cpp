// The rules of the Quick Settings panel and the Basic Settings window: coupled picks, repaired typed
// edits, the checks before a run and the analysis settings derived from the windows.
#include "support/SettingsFixture.h"

#include <array>
#include <random>
#include <tuple>

namespace ondrix {
namespace {

using SettingsRulesTest = SettingsTest;

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
    form().Spin("UpDown2", 3);
    form().Spin("UpDown1", -5);
    form().Spin("UpDown3", 3);
    form().Spin("UpDown4", 4);
    ExpectTexts({{"Text2", "8"}, {"Text1", "-5"}, {"SetCH1", "3"}, {"SetCH2", "4"}});
    EXPECT_EQ(settings.Analysis().digitalGain, 8);
    EXPECT_TRUE(calls.empty());
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
    EXPECT_EQ(options0().ListIndex("WindowType"), 1);
    EXPECT_EQ(settings.InfoLines().at(4), "Scan Step  2048 =  2.048 msec   Skip  1536 samples every  512");
    EXPECT_EQ(settings.Analysis().digitalGain, 4);
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
    EXPECT_EQ(form().Text("FFTSize"), "2048");
    EXPECT_EQ(settings.Analysis().fftSize, 2048);
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
    EXPECT_EQ(form().ListIndex("WindowType"), 1);
    EXPECT_EQ(options0().ListIndex("WindowType"), 1); // the check also resets the Basic window's type
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

} // namespace
} // namespace ondrix
