#include "SettingsFixture.h"

#include <string>
#include <vector>

namespace ondrix {
namespace {

// The Quick Settings far from every preset, so each value a preset writes shows.
class PresetTest : public SettingsTest {
protected:
    PresetTest() {
        for (auto [name, text] : {std::pair{"BlockSize", "2048"},
                                  {"SampleRate", "16000"},
                                  {"FFTSize", "1024"},
                                  {"WindowSize", "256"},
                                  {"ScanStep", "64"},
                                  {"Combo7", "200"},
                                  {"Combo8", "7 sepia"},
                                  {"Combo10", "Mic"},
                                  {"Combo12", "64 Mbytes"}}) {
            form().SetText(name, text);
        }
        form().SetListIndex("WindowType", 3);
        form().SetChecked("ZoomFlag", true);
        options0().SetText("NchanCombo", "2 - stereo");
        settings.Hooks().colourScalePicked = [this](WindowId, int) { ++picks; };
    }

    std::vector<std::string> Panel() {
        std::vector<std::string> texts;
        for (const char* name : {"BlockSize", "SampleRate", "FFTSize", "WindowSize", "WindowType", "ScanStep",
                                 "Combo8", "Combo12", "ZoomFlag"}) {
            texts.push_back(form().Text(name));
        }
        texts.push_back(options0().Text("NchanCombo"));
        return texts;
    }

    int picks = 0;
};

const std::string kPanelPreset = "2048\r\n16000\r\n1024\r\n256\r\nKaiser-Bessel\r\n64\r\n7 sepia\r\nMic\r\n"
                                 "64 Mbytes\r\n 1\r\n2 - stereo\r\n";

TEST_F(PresetTest, AStarLeavesItsSettingAndTempPresetKeepsTheStateBefore) {
    WriteFile(Path("b.preset"), "4096\r\n*\r\n2048\r\n1024\r\nGaussian\r\n128\r\n10 colour\r\nLine In\r\n"
                                "8 Mbytes\r\n 0\r\n*\r\n");
    ASSERT_TRUE(files.PresetLoadFile(Path("b.preset")));
    EXPECT_EQ(Panel(), (std::vector<std::string>{"4096", "16000", "2048", "1024", "Gaussian", "128",
                                                 "10 colour", "8 Mbytes", "0", "2 - stereo"}));
    EXPECT_EQ(form().Text("Combo10"), "Line In");
    EXPECT_EQ(form().Text("Combo7"), "200") << "the display height is no part of a preset";
    EXPECT_EQ(UpdateForms(), 1);
    EXPECT_EQ(picks, 0);
    EXPECT_EQ(ReadFile(files.Files().TempPreset()), kPanelPreset);

    // "temp.preset" itself loads the state it holds, though the load replaces it first.
    ASSERT_TRUE(files.PresetLoadFile(files.Files().TempPreset()));
    ASSERT_TRUE(files.PresetSaveFile(Path("again.preset")));
    EXPECT_EQ(ReadFile(Path("again.preset")), kPanelPreset);

    EXPECT_FALSE(files.PresetLoadFile(Path("missing.preset")));
    EXPECT_EQ(UpdateForms(), 2);
}

TEST_F(PresetTest, ResetToDefaultTypesTheFirstRowUnlessDefaultPresetExists) {
    files.ApplyBuiltInPreset(BuiltInPreset::Default);
    EXPECT_EQ(Panel(), (std::vector<std::string>{"8192", "48000", "512", "512", "Hanning", "512", "0", "off",
                                                 "0", "1 - mono (left)"}));
    EXPECT_EQ(form().ListIndex("WindowType"), 1);
    EXPECT_EQ(form().Text("Combo10"), "Mic");
    EXPECT_EQ(picks, 0);
    EXPECT_EQ(UpdateForms(), 1);

    WriteFile(files.Files().DefaultPreset(),
              "32768\r\n*\r\n*\r\n*\r\n*\r\n*\r\n3 bw sharp\r\n*\r\n*\r\n 1\r\n*\r\n");
    form().SetText("Combo12", "64 Mbytes");
    menus.Trigger("PresetDefault");
    EXPECT_EQ(Panel(), (std::vector<std::string>{"32768", "48000", "512", "512", "Hanning", "512",
                                                 "3 bw sharp", "64 Mbytes", "1", "1 - mono (left)"}));

    // The Basic Settings "Reset" deletes "default.preset" first.
    options0().Click("ResetButton");
    EXPECT_FALSE(Exists(files.Files().DefaultPreset()));
    EXPECT_EQ(options0().Text("BlockSize"), "8192");
    EXPECT_EQ(options0().Text("RamBufferSize"), "off");
}

TEST_F(PresetTest, BuiltInPresetsWriteTheirColumnsOnly) {
    menus.Trigger("PresetUltraMIc250");
    EXPECT_EQ(Panel(), (std::vector<std::string>{"65536", "250000", "1024", "256", "Kaiser-Bessel", "64",
                                                 "7 sepia", "64 Mbytes", "1", "1 - mono"}));
    menus.Trigger("Stereo32");
    EXPECT_EQ(Panel()[1], "32000");
    EXPECT_EQ(Panel()[9], "2 - stereo");
    form().SetChecked("ZoomFlag", false);
    menus.Trigger("PresetVLF");
    EXPECT_EQ(Panel(), (std::vector<std::string>{"8192", "8000", "8192", "2048", "Kaiser-Bessel", "128", "10",
                                                 "8 Mbytes", "1", "1 - mono (left)"}));
    EXPECT_EQ(UpdateForms(), 3);
}

// --- Preset dialogs ---------------------------------------------------------------------------

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

// --- Folders ----------------------------------------------------------------------------------

TEST_F(SettingsTest, DefaultPathsAreFourItemsAndSetPathTakesOnlyWritableFolders) {
    options1().SetText("DefLogPath", "/l/");
    options0().Click("SaveDefaultPathsButton");
    EXPECT_EQ(ReadFile(files.Files().DefaultPaths()),
              temp.Path() + "\r\n" + temp.Path() + "rec/\r\n" + temp.Path() + "shots/\r\n/l/\r\n");
    WriteFile(files.Files().DefaultPaths(), " /p/ \n\n/s/,/x/\n"); // a blank item keeps its folder
    ASSERT_TRUE(files.LoadDefaultPaths());
    EXPECT_EQ(options0().Text("DefPlayPathField"), "/p/");
    EXPECT_EQ(options0().Text("FileRecPathField"), temp.Path() + "rec/");
    EXPECT_EQ(options1().Text("DefSavePath"), "/s/");
    EXPECT_EQ(options1().Text("DefLogPath"), "/x/");

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
              (std::vector<std::string>{refused + " is read only", refused + " is read only"}));
    EXPECT_EQ(options1().Text("DefSavePath"), "/s/");
    EXPECT_EQ(options0().Text("FileRecPathField"), temp.Path() + "rec/");
    Answer(refused);
    options0().Click("SetPlayPathButton");
    EXPECT_EQ(options0().Text("DefPlayPathField"), refused + "/");

    // A new folder is created and tested in place; the test file does not stay.
    Answer(Path("new"));
    options0().Click("SetRecPathButton");
    EXPECT_EQ(options0().Text("FileRecPathField"), temp.Path() + "new/");
    EXPECT_TRUE(std::filesystem::is_directory(Path("new")));
    EXPECT_TRUE(std::filesystem::is_empty(Path("new")));
}

} // namespace
} // namespace ondrix
