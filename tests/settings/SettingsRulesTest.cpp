#include "TempFolder.h"
#include "settings/SettingsModel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace ondrix {
namespace {

int EntryIndex(const ControlModel& window, std::string_view name, std::string_view entry) {
    const std::vector<std::string>& items = window.At(name).items;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i] == entry) {
            return static_cast<int>(i);
        }
    }
    ADD_FAILURE() << name << " has no entry " << entry;
    return -1;
}

// Working folders inside a temporary folder, and a record of what the rules asked of the windows.
class SettingsRulesTest : public ::testing::Test {
protected:
    SettingsRulesTest() {
        options0().SetText("DefPlayPathField", temp.Path() + "play");
        options0().SetText("FileRecPathField", temp.Path() + "rec");
        options1().SetText("DefSavePath", temp.Path() + "snapshots");
        options1().SetText("DefLogPath", temp.Path() + "logs");
        SettingsHooks& hooks = settings.Hooks();
        hooks.updateForm = [this] { calls.push_back("UpdateForm"); };
        hooks.colourScalePicked = [this](WindowId window, int scale) {
            calls.push_back(std::string(WindowPrefix(window)) + " palette " + std::to_string(scale));
        };
        hooks.hideBasicSettings = [this] { calls.push_back("Hide"); };
        hooks.restoreSpectrogram = [this] { calls.push_back("Restore"); };
    }

    ControlModel& form() { return settings.Form1(); }
    ControlModel& options0() { return settings.Options0(); }
    ControlModel& options1() { return settings.Options1(); }

    void PickEntry(ControlModel& window, std::string_view name, std::string_view entry) {
        ASSERT_TRUE(window.Pick(name, EntryIndex(window, name, entry)));
    }

    TempFolder temp;
    SettingsModel settings;
    std::vector<std::string> calls;
};

// --- Coupling of picks -----------------------------------------------------------------------

TEST_F(SettingsRulesTest, PickedFftSizeAboveTheBlockRaisesTheBlock) {
    form().SetText("BlockSize", "4096");
    PickEntry(form(), "FFTSize", "16384");
    EXPECT_EQ(form().Text("BlockSize"), "16384");
    EXPECT_EQ(form().Text("WindowSize"), "512");
    EXPECT_EQ(calls, std::vector<std::string>{"UpdateForm"});
    EXPECT_EQ(settings.Analysis().fftSize, 16384);
}

TEST_F(SettingsRulesTest, PickedScanStepDoublesTheBlockUntilHalfOfItCovers) {
    form().SetText("BlockSize", "4096");
    PickEntry(form(), "ScanStep", "8192");
    EXPECT_EQ(form().Text("BlockSize"), "16384");
    // A step that already fits leaves the block alone.
    form().SetText("BlockSize", "3000");
    PickEntry(form(), "ScanStep", "1024");
    EXPECT_EQ(form().Text("BlockSize"), "3000");
}

TEST_F(SettingsRulesTest, PickedScanStepWithAnUnreadableBlockStillEnds) {
    form().SetText("BlockSize", "off");
    PickEntry(form(), "ScanStep", "384");
    EXPECT_EQ(form().Text("BlockSize"), "1024");
}

TEST_F(SettingsRulesTest, PickedBlockSizeLowersFftWindowAndStep) {
    form().SetText("FFTSize", "8192");
    form().SetText("WindowSize", "8192");
    form().SetText("ScanStep", "4096");
    PickEntry(form(), "BlockSize", "2048");
    EXPECT_EQ(form().Text("FFTSize"), "2048");
    EXPECT_EQ(form().Text("WindowSize"), "2048");
    EXPECT_EQ(form().Text("ScanStep"), "1024");
}

TEST_F(SettingsRulesTest, PickedWindowSizeRaisesFftAndBlock) {
    form().SetText("BlockSize", "1024");
    PickEntry(form(), "WindowSize", "2048");
    EXPECT_EQ(form().Text("FFTSize"), "2048");
    EXPECT_EQ(form().Text("BlockSize"), "2048");
}

TEST_F(SettingsRulesTest, TypingOnTheQuickPanelOnlyRelaysOut) {
    form().SetText("FFTSize", "8192");
    form().Type("BlockSize", "1024");
    EXPECT_EQ(form().Text("FFTSize"), "8192");
    form().Type("FFTSize", "3072");
    EXPECT_EQ(form().Text("FFTSize"), "3072");
    EXPECT_EQ(calls, (std::vector<std::string>{"UpdateForm", "UpdateForm"}));

    // A pick of another list then rounds the typed FFT size.
    form().SetText("BlockSize", "8192");
    PickEntry(form(), "BlockSize", "4096");
    EXPECT_EQ(form().Text("FFTSize"), "2048");
}

TEST_F(SettingsRulesTest, PicksKeepWindowFftBlockAndStepConsistent) {
    // Pick every entry of the four coupled lists in a scrambled but fixed order, on both windows.
    for (ControlModel* window : {&form(), &options0()}) {
        const std::vector<std::string> lists = {"BlockSize", "FFTSize", "WindowSize", "ScanStep"};
        unsigned seed = 7;
        for (int round = 0; round < 400; ++round) {
            seed = seed * 1103515245u + 12345u;
            const std::string& list = lists[(seed >> 8) % lists.size()];
            const std::size_t count = window->At(list).items.size();
            ASSERT_TRUE(window->Pick(list, static_cast<int>((seed >> 16) % count)));
            const double block = window->Value("BlockSize");
            const double fft = window->Value("FFTSize");
            EXPECT_LE(window->Value("WindowSize"), fft) << window->Prefix() << " after " << list;
            EXPECT_LE(fft, block) << window->Prefix() << " after " << list;
            EXPECT_LE(2 * window->Value("ScanStep"), block) << window->Prefix() << " after " << list;
        }
    }
}

TEST_F(SettingsRulesTest, ColourScalePicksBuildThePaletteOfTheirWindow) {
    form().Pick("Combo8", 5);
    options0().Pick("ColourScale", EntryIndex(options0(), "ColourScale", "15 green"));
    EXPECT_EQ(calls, (std::vector<std::string>{"FORM1 palette 5", "UpdateForm", "OPTIONS0 palette 15"}));
}

// --- The Basic Settings window ---------------------------------------------------------------

TEST_F(SettingsRulesTest, BasicPicksCoupleThatWindowAndRoundTheQuickFftSize) {
    form().SetText("FFTSize", "6144");
    options0().SetText("FFTSize", "8192");
    PickEntry(options0(), "BlockSize", "4096");
    EXPECT_EQ(options0().Text("FFTSize"), "4096");
    EXPECT_EQ(form().Text("FFTSize"), "4096");
    EXPECT_EQ(form().Text("BlockSize"), "8192");
    EXPECT_TRUE(calls.empty()); // the Basic window updates its own text, not the main window
    EXPECT_EQ(settings.InfoLines().at(0), "Sampling rate  48000 samples/sec  Channels  1");
}

TEST_F(SettingsRulesTest, BasicSampleRatePickOnlyUpdatesTheInfo) {
    PickEntry(options0(), "SampleRate", "96000");
    EXPECT_EQ(settings.InfoLines().at(0), "Sampling rate  96000 samples/sec  Channels  1");
    EXPECT_EQ(options0().Text("BlockSize"), "8192");
}

TEST_F(SettingsRulesTest, BasicTypedEditsAreRepairedWithoutCoupling) {
    ControlModel& basic = options0();
    basic.Type("SampleRate", "5");
    EXPECT_EQ(basic.Text("SampleRate"), "32000");
    basic.Type("SampleRate", "2000000");
    EXPECT_EQ(basic.Text("SampleRate"), "1000000");
    basic.Type("FFTSize", "abc");
    EXPECT_EQ(basic.Text("FFTSize"), "512");
    basic.Type("FFTSize", "16384"); // above the block: typing does not couple
    EXPECT_EQ(basic.Text("BlockSize"), "8192");
    basic.Type("WindowType", "  ");
    EXPECT_EQ(basic.Text("WindowType"), "Hanning");
    EXPECT_EQ(basic.ListIndex("WindowType"), 1);
    basic.Type("ColourScale", "0 wb");
    EXPECT_EQ(basic.Text("ColourScale"), "0");
    basic.Type("ColourScale", "1 bw");
    EXPECT_EQ(basic.Text("ColourScale"), "1 bw");
    basic.Type("DisplayHeight", "?");
    EXPECT_EQ(basic.Text("DisplayHeight"), "256");
    basic.Type("ScanStep", "4096");
    basic.Type("BlockSize", "none");
    EXPECT_EQ(basic.Text("BlockSize"), "4096");
    EXPECT_EQ(basic.Text("ScanStep"), "2048");
    EXPECT_EQ(settings.InfoLines().at(4), "Scan Step  2048 =  2.048 msec   Skip  1536 samples every  512");
    EXPECT_TRUE(calls.empty());
}

TEST_F(SettingsRulesTest, ApplyCopiesTheBasicSettingsToTheQuickPanel) {
    ControlModel& basic = options0();
    basic.SetText("BlockSize", "16384");
    basic.SetText("SampleRate", "96000");
    PickEntry(basic, "WindowType", "Hamming");
    basic.SetText("ColourScale", "5 bw +sharp");
    basic.SetText("RamBufferSize", "160 Mbytes");
    basic.SetText("Combo10", "USB microphone");
    basic.SetText("DisplayHeight", "512");
    basic.SetText("NchanCombo", "2 - stereo");
    basic.Click("ApplyButton");

    EXPECT_EQ(calls, (std::vector<std::string>{"Hide", "UpdateForm", "Restore", "UpdateForm"}));
    EXPECT_EQ(form().Text("BlockSize"), "16384");
    EXPECT_EQ(form().Text("SampleRate"), "96000");
    EXPECT_EQ(form().Text("WindowType"), "Hamming");
    EXPECT_EQ(form().ListIndex("WindowType"), 2);
    EXPECT_EQ(form().Text("Combo8"), "5 bw +sharp"); // kept although the Quick list spells it otherwise
    EXPECT_EQ(form().Text("Combo12"), "160 Mbytes");
    EXPECT_EQ(form().Text("Combo10"), "USB microphone");
    EXPECT_EQ(form().Text("Combo7"), "512");

    // Opening the window copies the other way.
    form().SetText("ScanStep", "240");
    settings.CopyQuickToBasic();
    EXPECT_EQ(basic.Text("ScanStep"), "240");
    EXPECT_EQ(basic.Text("NchanCombo"), "2 - stereo");
}

// --- Checks and the derived analysis settings ------------------------------------------------

TEST_F(SettingsRulesTest, TypedFftSizeIsRoundedWhenTheSettingsAreRead) {
    form().Type("FFTSize", "3072");
    settings.PublicSettings();
    EXPECT_EQ(form().Text("FFTSize"), "2048");
    EXPECT_EQ(settings.Analysis().fftSize, 2048);
    for (const auto& [typed, rounded] : std::vector<std::pair<std::string, std::string>>{
             {"5120", "4096"}, {"6144", "4096"}, {"10240", "8192"}, {"12288", "8192"}, {"4096", "4096"}}) {
        form().SetText("FFTSize", typed);
        settings.CheckFFTsize();
        EXPECT_EQ(form().Text("FFTSize"), rounded) << typed;
    }
}

TEST_F(SettingsRulesTest, QuickCheckRaisesTheFftSizeToTwiceTheSpectrogramHeight) {
    settings.SetMaxSpectrogramHeight(512);
    form().SetText("FFTSize", "256");
    settings.PublicSettings();
    EXPECT_EQ(form().Text("FFTSize"), "1024");
    EXPECT_EQ(settings.Analysis().fftSize, 1024);
}

TEST_F(SettingsRulesTest, QuickCheckRepairsUnreadableTexts) {
    options0().SetText("WindowType", "Linear");
    form().SetText("BlockSize", "abc");
    form().SetText("SampleRate", "x");
    form().SetText("FFTSize", "");
    form().SetText("WindowSize", "-");
    form().SetText("WindowType", "  ");
    form().SetText("ScanStep", "none");
    form().SetText("Combo7", "?");
    form().SetText("Combo8", "-3");
    settings.SetMaxSpectrogramHeight(128);
    settings.PublicSettings();
    EXPECT_EQ(form().Text("BlockSize"), "4096");
    EXPECT_EQ(form().Text("SampleRate"), "48000");
    EXPECT_EQ(form().Text("FFTSize"), "256");
    EXPECT_EQ(form().Text("WindowSize"), "512");
    EXPECT_EQ(form().Text("WindowType"), "Hanning");
    EXPECT_EQ(form().ListIndex("WindowType"), 1);
    EXPECT_EQ(options0().ListIndex("WindowType"), 1); // the check also resets the Basic window's type
    EXPECT_EQ(form().Text("ScanStep"), "512");
    EXPECT_EQ(form().Text("Combo7"), "128");
    EXPECT_EQ(form().Text("Combo8"), "0");
}

TEST_F(SettingsRulesTest, QuickCheckHalvesAStepLargerThanHalfTheBlock) {
    form().SetText("BlockSize", "4096");
    form().SetText("ScanStep", "4096");
    settings.QuickSettingsCheck();
    EXPECT_EQ(form().Text("ScanStep"), "2048");
}

TEST_F(SettingsRulesTest, PublicSettingsDerivesTheAnalysisSettings) {
    form().SetText("SampleRate", "44100.5");
    form().SetText("Text2", "8");
    options0().SetText("NchanCombo", "2 - stereo");
    options1().SetText("TapeSpeedCombo", "0.125");
    options1().SetText("FrequencyDivisionCombo", "10");
    options1().SetText("AmplitudeScale", "1 - Linear");
    settings.PublicSettings();
    const AnalysisSettings& analysis = settings.Analysis();
    EXPECT_EQ(analysis.sampleRate, 44100);
    EXPECT_EQ(analysis.fftSize, 512);
    EXPECT_EQ(analysis.channelCount, 2);
    EXPECT_EQ(analysis.tapeSpeedRatio, 0.125f);
    EXPECT_EQ(analysis.frequencyDivisionRatio, 10.0f);
    EXPECT_EQ(analysis.digitalGain, 8);
    EXPECT_EQ(analysis.amplitudeScale, 1);
    EXPECT_EQ(analysis.recordingPath, temp.Path() + "rec/");
    EXPECT_EQ(options0().Text("FileRecPathField"), temp.Path() + "rec/");
}

TEST_F(SettingsRulesTest, QuickCheckCreatesTheFourWorkingFolders) {
    settings.PublicSettings();
    for (const char* folder : {"play", "rec", "snapshots", "logs"}) {
        EXPECT_TRUE(std::filesystem::is_directory(temp.Path() + folder)) << folder;
    }
}

// --- Spins and fields of the Quick panel -----------------------------------------------------

TEST_F(SettingsRulesTest, SpinsWriteIntoTheirFields) {
    form().Spin("UpDown2", 3);
    EXPECT_EQ(form().Text("Text2"), "8");
    EXPECT_EQ(settings.Analysis().digitalGain, 8);
    form().Spin("UpDown1", -5);
    EXPECT_EQ(form().Text("Text1"), "-5");
    form().Spin("UpDown3", 3);
    form().Spin("UpDown4", 4);
    EXPECT_EQ(form().Text("SetCH1"), "3");
    EXPECT_EQ(form().Text("SetCH2"), "4");
    EXPECT_TRUE(calls.empty());
    form().Spin("UpDown5", 0);
    form().Click("ZoomFlag");
    EXPECT_EQ(calls, (std::vector<std::string>{"UpdateForm", "UpdateForm"}));
}

TEST_F(SettingsRulesTest, TypedGainIsTakenAtOnce) {
    form().Type("Text2", "4");
    EXPECT_EQ(settings.Analysis().digitalGain, 4);
}

TEST_F(SettingsRulesTest, TypedOffsetOutsideSixteenBitsIsReset) {
    form().Type("Text5", "40000");
    EXPECT_EQ(form().Text("Text5"), "0");
    form().Type("Text5", "-32768");
    EXPECT_EQ(form().Text("Text5"), "0");
    form().Type("Text5", "-32767");
    EXPECT_EQ(form().Text("Text5"), "-32767");
    form().Type("Text5", "32767.5");
    EXPECT_EQ(form().Text("Text5"), "0");
}

// --- Start-up ----------------------------------------------------------------------------------

TEST_F(SettingsRulesTest, InitialValuesRestoreTheStartUpState) {
    settings.SetMaxSpectrogramHeight(512);
    PickEntry(form(), "WindowType", "Gaussian");
    form().SetText("Text2", "16");
    form().SetChecked("Check1", true);
    form().SetEnabled("ZoomFlag", true);
    form().SetVisible("Frame4CH", true);
    form().SetText("StatusLine", "Busy");
    options0().SetText("FileModeCombo", "3 - multiple file");
    options1().SetChecked("RTCursorFlag", false);
    settings.Options2().SetText("Combo2", "64");

    settings.ApplyInitialValues();
    EXPECT_EQ(form().Text("WindowType"), "Hanning");
    EXPECT_EQ(form().Text("Combo7"), "512");
    EXPECT_EQ(form().Text("Text2"), "1");
    EXPECT_FALSE(form().Checked("Check1"));
    EXPECT_FALSE(form().At("ZoomFlag").enabled);
    EXPECT_FALSE(form().At("Frame4CH").visible);
    EXPECT_FALSE(form().At("Text4").enabled);
    EXPECT_EQ(form().Text("StatusLine"), "");
    EXPECT_EQ(form().Text("L25"), "0");
    EXPECT_EQ(options0().Text("FileModeCombo"), "2 - single file recording");
    EXPECT_TRUE(options1().Checked("RTCursorFlag"));
    EXPECT_EQ(settings.Options2().Text("Combo2"), "2");
}

TEST_F(SettingsRulesTest, SpectrogramHeightIsReadFromTheAdvancedList) {
    options1().SetText("MaxSpectrogramHeight", "512");
    EXPECT_EQ(settings.ReadMaxSpectrogramHeight(), 512);
    options1().SetText("MaxSpectrogramHeight", "abc");
    EXPECT_EQ(settings.ReadMaxSpectrogramHeight(), SettingsModel::kDefaultMaxSpectrogramHeight);
}

} // namespace
} // namespace ondrix
