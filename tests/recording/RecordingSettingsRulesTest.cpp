// The recording choices of the Basic Settings window: sizes from durations and splits, the 2000 MB
// limit, the free-space label and the refusal of unsafe file-name parts.
#include "recording/RecordingSettingsRules.h"
#include "recording/ScriptedVolumes.h"
#include "settings/SettingNames.h"
#include "settings/SettingsModel.h"
#include "support/ScriptedInteraction.h"

#include <gtest/gtest.h>

namespace ondrix {
namespace {

class RecordingSettingsRulesTest : public ::testing::Test {
protected:
    RecordingSettingsRulesTest() {
        volumes.volumes["/"] = {.freeKB = 5000000};
        volumes.volumes["/media/field/"] = {.freeKB = 1234567};
        basic().SetText("FileRecPathField", "/media/field/rec/");
        rules.Attach();
    }

    ControlModel& basic() { return settings.Options0(); }
    void SetFormat(const char* rate, const char* channels) {
        basic().SetText(kBasicSettings.sampleRate, rate);
        basic().SetText(kChannelCount, channels);
    }

    SettingsModel settings;
    ScriptedInteraction ui;
    ScriptedVolumes volumes;
    RecordingSettingsRules rules{settings, ui, volumes};
};

TEST_F(RecordingSettingsRulesTest, ExactTimeSetsTheSizeOfTheDurationAndRefusesMoreThan2000MB) {
    SetFormat("48000", "2 - stereo");
    ui.textAnswers = {"60", "0", std::nullopt, "200"};
    basic().Click("Command11");
    EXPECT_EQ(basic().Text("FileMaxSizeCombo"), "659.18 MB");
    EXPECT_EQ(ui.messages.at(0).text, "Exact duration in minutes");
    // Zero and cancel change nothing.
    basic().Click("Command11");
    basic().Click("Command11");
    EXPECT_EQ(basic().Text("FileMaxSizeCombo"), "659.18 MB");
    // 200 minutes of 48 kHz stereo are 2197.27 MB.
    basic().Click("Command11");
    EXPECT_EQ(basic().Text("FileMaxSizeCombo"), "2000");
    EXPECT_EQ(ui.Texts().back(), "2GB files size exceeded - set shorter");
    EXPECT_EQ(RecordingMegabytes(1, 44100, 1), 5.05); // 5 292 000 bytes
}

TEST_F(RecordingSettingsRulesTest, SplitsExcludeEachOtherAndFallBackToTheHalfHour) {
    SetFormat("48000", "2 - stereo");
    basic().Click("Split30");
    EXPECT_EQ(basic().Text("FileMaxSizeCombo"), "340.58 MB"); // 31 minutes
    basic().Click("Split00");
    EXPECT_FALSE(basic().Checked("Split30"));
    EXPECT_EQ(basic().Text("FileMaxSizeCombo"), "670.17 MB"); // 61 minutes
    EXPECT_TRUE(ui.messages.empty());

    // 61 minutes at 192 kHz stereo do not fit in 2000 MB: split on the half hour instead.
    basic().SetChecked("Split00", false);
    SetFormat("192000", "2 - stereo");
    basic().Click("Split00");
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{"2GB file size exceeded - split shorter"});
    EXPECT_FALSE(basic().Checked("Split00"));
    EXPECT_TRUE(basic().Checked("Split30"));
    EXPECT_EQ(basic().Text("FileMaxSizeCombo"), "1362.3 MB");
    // Switching a split off leaves the size alone.
    basic().Click("Split30");
    EXPECT_EQ(basic().Text("FileMaxSizeCombo"), "1362.3 MB");
}

TEST_F(RecordingSettingsRulesTest, ATypedSizeAbove2000IsReducedAndTheDurationFollows) {
    SetFormat("48000", "1 - mono");
    basic().Type("FileMaxSizeCombo", "2500 MB");
    EXPECT_EQ(basic().Text("FileMaxSizeCombo"), "2000 MB");
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{"2GB files size exceeded - set shorter"});
    const std::string duration = basic().Text("RecDurationLabel");
    basic().Type("FileMaxSizeCombo", "2000");
    EXPECT_EQ(basic().Text("RecDurationLabel"), duration);
    EXPECT_EQ(ui.messages.size(), 1U);
}

TEST_F(RecordingSettingsRulesTest, FreeSpaceLabelFollowsTheRecordingFolder) {
    EXPECT_EQ(basic().Text("FreeSpaceLabel"), "( 1235 MB free on drive /media/field/)");
    basic().Type("FileRecPathField", "/home/user/rec/");
    EXPECT_EQ(basic().Text("FreeSpaceLabel"), "( > 2GB free on drive /)");
    volumes.volumes["/"].freeKB = 2000000;
    rules.RefreshFreeSpace();
    EXPECT_EQ(basic().Text("FreeSpaceLabel"), "( 2000 MB free on drive /)");
    EXPECT_EQ(FreeSpaceText(std::nullopt, "/"), "");
}

TEST_F(RecordingSettingsRulesTest, UnsafeNamePartsAreRefusedAndTheLastGoodTextComesBack) {
    basic().Type("FileRecNameField", "Station 4");
    basic().Type("FileRecNameField", "../etc");
    EXPECT_EQ(basic().Text("FileRecNameField"), "Station 4");
    basic().Type("FSep", ":");
    EXPECT_EQ(basic().Text("FSep"), "_");
    basic().Type("FileNamePostfix", "a|b");
    EXPECT_EQ(basic().Text("FileNamePostfix"), "");
    ASSERT_EQ(ui.messages.size(), 3U);
    EXPECT_EQ(ui.messages[0].text.rfind("The file name prefix may not contain", 0), 0U);
    EXPECT_EQ(ui.messages[1].text.rfind("The separator", 0), 0U);
    EXPECT_EQ(ui.messages[2].text.rfind("The file name postfix", 0), 0U);
    // A safe text loaded from a settings file becomes the one restored.
    basic().SetText("FileRecNameField", "Hydro");
    basic().Type("FileRecNameField", "a\\b");
    EXPECT_EQ(basic().Text("FileRecNameField"), "Hydro");
}

} // namespace
} // namespace ondrix
