// The recording choices of the Basic Settings window: sizes from durations and splits, the 2000 MB
// limit, the free-space label, the refusal of unsafe file-name parts, and the settings a run reads.
#include "recording/RecordingSettingsRules.h"
#include "recording/Recorder.h"
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
        basic.SetText("FileRecPathField", "/media/field/rec/");
        rules.Attach();
    }
    void SetFormat(const char* rate, const char* channels) {
        basic.SetText(kBasicSettings.sampleRate, rate);
        basic.SetText(kChannelCount, channels);
    }

    SettingsModel settings;
    ControlModel& basic = settings.Options0();
    ScriptedInteraction ui;
    ScriptedVolumes volumes;
    RecordingSettingsRules rules{settings, ui, volumes};
};

// A wrong size for a duration, or a size above 2000 MB accepted: the WAV sizes would overflow.
TEST_F(RecordingSettingsRulesTest, ExactTimeAndTypedSizesKeepTo2000MB) {
    SetFormat("48000", "2 - stereo");
    // 60 minutes; zero and cancel change nothing; 200 minutes of 48 kHz stereo are 2197.27 MB.
    ui.textAnswers = {"60", "0", std::nullopt, "200"};
    for (const char* size : {"659.18 MB", "659.18 MB", "659.18 MB", "2000"}) {
        basic.Click("Command11");
        EXPECT_EQ(basic.Text("FileMaxSizeCombo"), size);
    }
    EXPECT_EQ(RecordingMegabytes(1, 44100, 1), 5.05); // 5 292 000 bytes
    basic.Type("FileMaxSizeCombo", "2500 MB");
    EXPECT_EQ(basic.Text("FileMaxSizeCombo"), "2000 MB");
    ASSERT_EQ(ui.messages.size(), 6U); // four prompts, then the refusals of 200 minutes and of 2500 MB
    EXPECT_EQ(ui.Texts()[4], "2GB files size exceeded - set shorter");
    EXPECT_EQ(ui.Texts()[5], ui.Texts()[4]);
}

// Both splits on at once, a size that does not hold the split's minutes, or an hour that does not fit.
TEST_F(RecordingSettingsRulesTest, SplitsExcludeEachOtherAndFallBackToTheHalfHour) {
    SetFormat("48000", "2 - stereo");
    basic.Click("Split30");
    EXPECT_EQ(basic.Text("FileMaxSizeCombo"), "340.58 MB"); // 31 minutes
    basic.Click("Split00");
    EXPECT_FALSE(basic.Checked("Split30"));
    EXPECT_EQ(basic.Text("FileMaxSizeCombo"), "670.17 MB"); // 61 minutes
    EXPECT_TRUE(ui.messages.empty());

    // 61 minutes at 192 kHz stereo do not fit in 2000 MB: split on the half hour instead.
    basic.SetChecked("Split00", false);
    SetFormat("192000", "2 - stereo");
    basic.Click("Split00");
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{"2GB file size exceeded - split shorter"});
    EXPECT_FALSE(basic.Checked("Split00"));
    EXPECT_TRUE(basic.Checked("Split30"));
    EXPECT_EQ(basic.Text("FileMaxSizeCombo"), "1362.3 MB");
    basic.Click("Split30"); // switching a split off leaves the size alone
    EXPECT_EQ(basic.Text("FileMaxSizeCombo"), "1362.3 MB");
}

// The label must measure the folder's own volume, again when the folder changes or on a refresh.
TEST_F(RecordingSettingsRulesTest, FreeSpaceLabelFollowsTheRecordingFolder) {
    EXPECT_EQ(basic.Text("FreeSpaceLabel"), "( 1235 MB free on drive /media/field/)");
    basic.Type("FileRecPathField", "/home/user/rec/");
    EXPECT_EQ(basic.Text("FreeSpaceLabel"), "( > 2GB free on drive /)");
    volumes.volumes["/"].freeKB = 2000000;
    rules.RefreshFreeSpace();
    EXPECT_EQ(basic.Text("FreeSpaceLabel"), "( 2000 MB free on drive /)");
    EXPECT_EQ(FreeSpaceText(std::nullopt, "/"), "");
}

// An unsafe prefix, separator or postfix must be refused and the last safe text (typed or loaded) restored.
TEST_F(RecordingSettingsRulesTest, UnsafeNamePartsAreRefusedAndTheLastGoodTextComesBack) {
    basic.Type("FileRecNameField", "Station 4");
    basic.Type("FileRecNameField", "../etc");
    EXPECT_EQ(basic.Text("FileRecNameField"), "Station 4");
    basic.Type("FSep", ":");
    basic.Type("FileNamePostfix", "a|b");
    basic.SetText("FileRecNameField", "Hydro"); // loaded from a settings file
    basic.Type("FileRecNameField", "a\\b");
    EXPECT_EQ(basic.Text("FSep") + basic.Text("FileNamePostfix") + basic.Text("FileRecNameField"), "_Hydro");
    ASSERT_EQ(ui.messages.size(), 4U);
    EXPECT_TRUE(ui.messages[0].text.starts_with("The file name prefix may not contain"));
    EXPECT_TRUE(ui.messages[1].text.starts_with("The separator"));
    EXPECT_TRUE(ui.messages[2].text.starts_with("The file name postfix"));
}

// What a run reads: the mode by its number, megabytes to bytes rounded, sizes kept to 1 .. 2000 MB.
TEST_F(RecordingSettingsRulesTest, ARunReadsTheRecorderSettings) {
    auto read = [&] { return RecorderSettingsFromSettings(settings, 2, 48000, "Mic", 4096); };
    EXPECT_EQ(read().mode, FileMode::SingleFile);
    basic.SetText("FileModeCombo", "1 - circular");
    basic.SetText("FileMaxSizeCombo", "659.18 MB");
    basic.SetText("MaxNFiles", "3");
    const auto circular = read();
    EXPECT_EQ(circular.mode, FileMode::Circular);
    EXPECT_EQ(circular.maxFileBytes, 691200328U); // 659.18 x 1048576 = 691200327.68
    EXPECT_EQ(circular.maxFiles, 3);
    basic.SetText("FileMaxSizeCombo", "4096 MB");
    EXPECT_EQ(read().maxFileBytes, 2000ULL * 1048576);
    EXPECT_EQ(basic.Text("FileMaxSizeCombo"), "2000 MB");
    basic.SetText("FileMaxSizeCombo", "big");
    EXPECT_EQ(read().maxFileBytes, 1048576U);
}

} // namespace
} // namespace ondrix
