// The headless parts of start-up: the command line, "rates.ini", the screen-width layout and the
// program folder.
#include "TempFolder.h"
#include "settings/CommandLine.h"
#include "settings/ProgramFolder.h"
#include "settings/RatesFile.h"
#include "settings/ScreenLayout.h"
#include "settings/SettingsModel.h"
#include "support/ScriptedInteraction.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace ondrix {
namespace {

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

struct Parsed {
    bool record;
    bool autoRun;
    bool ppt;
    std::string file;
};

Parsed Parse(std::string_view text) {
    const CommandLine line = ParseCommandLine(text);
    EXPECT_FALSE(line.empty) << text;
    return {line.record, line.autoRun, line.ppt, line.file};
}

TEST(CommandLineTest, SwitchesAreTakenOffTheEndInOrderWithoutRegardToCase) {
    const std::vector<std::pair<std::string, Parsed>> cases = {
        {"/tmp/a.wav/REC", {true, false, false, "/tmp/a.wav"}},
        {"/tmp/a.wav/rec", {true, false, false, "/tmp/a.wav"}},
        {"/REC", {true, false, false, ""}},
        {"/Rec", {true, false, false, ""}},
        {"/tmp/a.wav/AUTO", {false, true, false, "/tmp/a.wav"}},
        {"/tmp/a.wav/ppt", {false, false, true, "/tmp/a.wav"}},
        {"/tmp/a.wav/PPT/Auto/REC", {true, true, true, "/tmp/a.wav"}},
        // Only the order /PPT, /AUTO, /REC from the end is recognised.
        {"/tmp/a.wav/REC/AUTO", {false, true, false, "/tmp/a.wav/REC"}},
        {"/tmp/a.wav", {false, false, false, "/tmp/a.wav"}},
        // The whole text is trimmed first ...
        {"  /tmp/a.wav/REC  ", {true, false, false, "/tmp/a.wav"}},
        // ... but nothing after a switch is taken off: the blank before it stays part of the name.
        {"/tmp/a.wav /REC", {true, false, false, "/tmp/a.wav "}},
        {"/tmp/a.wav /AUTO", {false, true, false, "/tmp/a.wav "}},
        {"/tmp/my recording.wav", {false, false, false, "/tmp/my recording.wav"}},
        {"REC", {false, false, false, "REC"}},
    };
    for (const auto& [text, expected] : cases) {
        const Parsed parsed = Parse(text);
        EXPECT_EQ(parsed.record, expected.record) << text;
        EXPECT_EQ(parsed.autoRun, expected.autoRun) << text;
        EXPECT_EQ(parsed.ppt, expected.ppt) << text;
        EXPECT_EQ(parsed.file, expected.file) << text;
    }
    EXPECT_TRUE(ParseCommandLine("").empty);
}

TEST(CommandLineTest, ArgumentsJoinWithOneBlankAndKeepTheirOwnBlanks) {
    EXPECT_EQ(CommandLineText({}), "");
    EXPECT_EQ(CommandLineText({"/home/u/my recording.wav"}), "/home/u/my recording.wav");
    EXPECT_EQ(CommandLineText({"/home/u/my recording.wav", "/REC"}), "/home/u/my recording.wav /REC");
    EXPECT_EQ(CommandLineText({"", "/REC"}), " /REC");

    const CommandLine spaced = ParseCommandLine(CommandLineText({"/home/u/my recording.wav/AUTO"}));
    EXPECT_TRUE(spaced.autoRun);
    EXPECT_EQ(spaced.file, "/home/u/my recording.wav");
}

TEST(RatesFileTest, ItemsReplaceBothSampleRateListsInFileOrder) {
    TempFolder temp;
    SettingsModel settings;
    const std::string path = temp.Path() + "rates.ini";
    EXPECT_FALSE(LoadRatesFile(path, settings));
    EXPECT_FALSE(settings.Form1().At("SampleRate").items.empty());

    // Lines and commas both end an item; CR LF, LF and a lone CR are line ends; blanks are trimmed.
    WriteFile(path, "96000\r\n 11025 , 8000\n\n22050\r384000\r\n");
    ASSERT_TRUE(LoadRatesFile(path, settings));
    const std::vector<std::string> expected = {"96000", "11025", "8000", "22050", "384000"};
    EXPECT_EQ(settings.Form1().At("SampleRate").items, expected);
    EXPECT_EQ(settings.Options0().At("SampleRate").items, expected);
    // The lists keep their texts.
    EXPECT_EQ(settings.Form1().Text("SampleRate"), "48000");

    WriteFile(path, "");
    ASSERT_TRUE(LoadRatesFile(path, settings));
    EXPECT_TRUE(settings.Form1().At("SampleRate").items.empty());
    EXPECT_TRUE(settings.Options0().At("SampleRate").items.empty());
}

TEST(ScreenLayoutTest, TheScreenWidthDecidesPlacementMessageAndSpectrogramHeight) {
    struct Case {
        int width;
        WindowPlacement placement;
        bool message;
        std::string height; // the Quick Settings display height afterwards
    };
    // The Advanced Settings height list holds "512" before each case.
    const std::vector<Case> cases = {
        {640, WindowPlacement::Maximised, true, "256"},  {799, WindowPlacement::Maximised, true, "256"},
        {800, WindowPlacement::Maximised, false, "256"}, {1024, WindowPlacement::Normal, false, "512"},
        {1280, WindowPlacement::Normal, false, "512"},   {1366, WindowPlacement::Normal, false, "512"},
        {2560, WindowPlacement::Normal, false, "512"},
    };
    for (const Case& c : cases) {
        SettingsModel settings;
        ScriptedInteraction interaction;
        settings.Options1().SetText("MaxSpectrogramHeight", "512");
        settings.Form1().SetText("Combo7", "128");
        EXPECT_EQ(ApplyScreenLayout(settings, interaction, c.width), c.placement) << c.width;
        EXPECT_EQ(settings.Form1().Text("Combo7"), c.height) << c.width;
        EXPECT_EQ(settings.MaxSpectrogramHeight(), std::stoi(c.height)) << c.width;
        if (c.message) {
            ASSERT_EQ(interaction.messages.size(), 1u) << c.width;
            EXPECT_EQ(interaction.messages[0].text, "Screen resolution not supported");
            EXPECT_EQ(interaction.messages[0].icon, MessageIcon::Exclamation);
        } else {
            EXPECT_TRUE(interaction.messages.empty()) << c.width;
        }
    }
}

TEST(ProgramFolderTest, MissingFoldersAreCreatedAndAnUnusableOneIsReported) {
    TempFolder temp;
    const std::string nested = temp.Path() + "config/ondrix/";
    EXPECT_EQ(PrepareProgramFolder(nested), std::nullopt);
    EXPECT_TRUE(std::filesystem::is_directory(nested));
    EXPECT_EQ(PrepareProgramFolder(nested), std::nullopt);

    WriteFile(temp.Path() + "plain", "not a folder");
    const std::string below = temp.Path() + "plain/ondrix/";
    const std::optional<std::string> message = PrepareProgramFolder(below);
    ASSERT_TRUE(message.has_value());
    EXPECT_NE(message->find(below), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(below));
}

} // namespace
} // namespace ondrix
