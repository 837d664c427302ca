// The headless parts of start-up: the command line and "rates.ini" (the screen-width layout and the
// program folder are tested with the whole application, in the window tests).
#include "TempFolder.h"
#include "settings/CommandLine.h"
#include "settings/RatesFile.h"
#include "settings/SettingsModel.h"
#include "support/ByteFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ondrix {
namespace {

// /PPT, /AUTO, /REC come off the end in that order, any case; names with blanks stay whole.
TEST(CommandLineTest, SwitchesAreTakenOffTheEndInOrderWithoutRegardToCase) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"/tmp/a.wav/REC"}, "R|/tmp/a.wav"},
        {{"/Rec"}, "R|"},
        {{"/tmp/a.wav/ppt"}, "P|/tmp/a.wav"},
        {{"/tmp/a.wav/PPT/Auto/REC"}, "RAP|/tmp/a.wav"},
        {{"/tmp/a.wav/REC/AUTO"}, "A|/tmp/a.wav/REC"},
        {{"/tmp/a.wav", "/REC", "/AUTO"}, "A|/tmp/a.wav /REC"},
        {{"/tmp/a.wav"}, "|/tmp/a.wav"},
        {{"  /tmp/a.wav/REC  "}, "R|/tmp/a.wav"},
        {{" ", "/tmp/a.wav", "/REC", " "}, "R|/tmp/a.wav"},
        // Inside one argument nothing after a switch is taken off: the blank stays in the name.
        {{"/tmp/a.wav /REC"}, "R|/tmp/a.wav "},
        {{"/tmp/my file.wav", "/REC"}, "R|/tmp/my file.wav"},
        {{"/tmp/my file.wav", "/ppt", "/auto", "/Rec"}, "RAP|/tmp/my file.wav"},
        {{"/tmp/my", "file.wav/AUTO"}, "A|/tmp/my file.wav"},
        {{"REC"}, "|REC"},
    };
    for (const auto& [arguments, expected] : cases) {
        const CommandLine line = ParseCommandLine(arguments);
        EXPECT_FALSE(line.empty);
        EXPECT_EQ(std::string(line.record ? "R" : "") + (line.autoRun ? "A" : "") + (line.ppt ? "P" : "") +
                      "|" + line.file,
                  expected);
    }
    EXPECT_TRUE(ParseCommandLine({}).empty);
    EXPECT_TRUE(ParseCommandLine({""}).empty);
}

// "rates.ini" items (commas, any line end) replace both rate lists, texts kept; empty empties them.
TEST(RatesFileTest, ItemsReplaceBothSampleRateListsInFileOrder) {
    TempFolder temp;
    SettingsModel settings;
    const std::string path = temp.Path() + "rates.ini";
    EXPECT_FALSE(LoadRatesFile(path, settings));
    const std::vector<std::string> builtIn = settings.Form1().At("SampleRate").items;
    WriteFile(path, "96000\r\n 11025 , 8000\n\n22050\r384000\r\n");
    ASSERT_TRUE(LoadRatesFile(path, settings));
    const std::vector<std::string> expected = {"96000", "11025", "8000", "22050", "384000"};
    EXPECT_NE(builtIn, expected);
    EXPECT_EQ(settings.Form1().At("SampleRate").items, expected);
    EXPECT_EQ(settings.Options0().At("SampleRate").items, expected);
    EXPECT_EQ(settings.Form1().Text("SampleRate"), "48000");
    WriteFile(path, "");
    ASSERT_TRUE(LoadRatesFile(path, settings));
    EXPECT_TRUE(settings.Form1().At("SampleRate").items.empty());
    EXPECT_TRUE(settings.Options0().At("SampleRate").items.empty());
}

} // namespace
} // namespace ondrix
