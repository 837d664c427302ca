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

TEST(CommandLineTest, SwitchesAreTakenOffTheEndInOrderWithoutRegardToCase) {
    using Arguments = std::vector<std::string>;
    const std::vector<std::pair<Arguments, Parsed>> cases = {
        {{"/tmp/a.wav/REC"}, {true, false, false, "/tmp/a.wav"}},
        {{"/tmp/a.wav/rec"}, {true, false, false, "/tmp/a.wav"}},
        {{"/Rec"}, {true, false, false, ""}},
        {{"/tmp/a.wav/AUTO"}, {false, true, false, "/tmp/a.wav"}},
        {{"/tmp/a.wav/ppt"}, {false, false, true, "/tmp/a.wav"}},
        {{"/tmp/a.wav/PPT/Auto/REC"}, {true, true, true, "/tmp/a.wav"}},
        // Only the order /PPT, /AUTO, /REC from the end is recognised.
        {{"/tmp/a.wav/REC/AUTO"}, {false, true, false, "/tmp/a.wav/REC"}},
        {{"/tmp/a.wav", "/REC", "/AUTO"}, {false, true, false, "/tmp/a.wav /REC"}},
        {{"/tmp/a.wav"}, {false, false, false, "/tmp/a.wav"}},
        // The whole text is trimmed first ...
        {{"  /tmp/a.wav/REC  "}, {true, false, false, "/tmp/a.wav"}},
        {{" ", "/tmp/a.wav", "/REC", " "}, {true, false, false, "/tmp/a.wav"}},
        // ... but inside one argument nothing after a switch is taken off: the blank stays in the name.
        {{"/tmp/a.wav /REC"}, {true, false, false, "/tmp/a.wav "}},
        {{"/tmp/a.wav /AUTO"}, {false, true, false, "/tmp/a.wav "}},
        // A switch of its own is a whole argument; a name with blanks is one argument, never cut.
        {{"/tmp/my file.wav", "/REC"}, {true, false, false, "/tmp/my file.wav"}},
        {{"/tmp/my file.wav", "/ppt", "/auto", "/Rec"}, {true, true, true, "/tmp/my file.wav"}},
        {{"/tmp/my", "file.wav/AUTO"}, {false, true, false, "/tmp/my file.wav"}},
        {{"/tmp/my recording.wav"}, {false, false, false, "/tmp/my recording.wav"}},
        {{"REC"}, {false, false, false, "REC"}},
    };
    for (const auto& [arguments, expected] : cases) {
        const CommandLine line = ParseCommandLine(arguments);
        SCOPED_TRACE(arguments.front());
        EXPECT_FALSE(line.empty);
        EXPECT_EQ(line.record, expected.record);
        EXPECT_EQ(line.autoRun, expected.autoRun);
        EXPECT_EQ(line.ppt, expected.ppt);
        EXPECT_EQ(line.file, expected.file);
    }
    EXPECT_TRUE(ParseCommandLine({}).empty);
    EXPECT_TRUE(ParseCommandLine({""}).empty);
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
