// The shared helpers: number texts and rounding as the classic BASIC runtime has them, time texts, paths,
// folder write tests, CR LF text lines, fields and the session log.
#include "TempFolder.h"
#include "common/Clock.h"
#include "common/Fields.h"
#include "common/NumberText.h"
#include "common/Paths.h"
#include "common/PrintLine.h"
#include "common/Rounding.h"
#include "common/SaveFileDialog.h"
#include "common/SessionLog.h"
#include "common/TextLines.h"
#include "support/ByteFiles.h"
#include "support/ScriptedInteraction.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <ctime>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <utility>
#include <vector>

namespace ondrix {
namespace {

// Rounded milliseconds carry into the seconds, hours are not reduced, a clock reads back with one or
// two colons; file names and log lines depend on the stamps.
TEST(Clock, ClockTextsAndStamps) {
    EXPECT_EQ(SecondsToClock(59.9996), "00:01:00.000");
    EXPECT_EQ(SecondsToClock(3723.5), "01:02:03.500");
    EXPECT_EQ(SecondsToClock(360000), "100:00:00.000");
    EXPECT_EQ(SecondsToClock(-4), "00:00:00.000");
    EXPECT_DOUBLE_EQ(ClockToSeconds("1:02:03"), 3723);
    EXPECT_DOUBLE_EQ(ClockToSeconds("02:03.5"), 123.5);
    EXPECT_DOUBLE_EQ(ClockToSeconds("42.25"), 42.25);
    EXPECT_DOUBLE_EQ(ClockToSeconds("x:y"), 0);
    std::tm when{};
    strptime("2026-12-06 23:05:01", "%Y-%m-%d %H:%M:%S", &when);
    EXPECT_EQ(DateStampYMD(when) + " " + FileTimeStamp(when) + " " + ShortDateText(when) + " " +
                  ShortTimeText(when),
              "20261206 20261206_230501 2026-12-06 23:05:01");
}

// Names, folders and extensions of paths with and without folders.
TEST(Paths, SplitsAtTheLastSlash) {
    EXPECT_EQ(FileNameOfPath("/data/rec/a.wav"), "a.wav");
    EXPECT_EQ(FileNameOfPath("a.wav"), "a.wav");
    EXPECT_EQ(FolderOfPath("/data/rec/a.wav"), "/data/rec/");
    EXPECT_EQ(FolderOfPath("a.wav"), "");
    EXPECT_EQ(StripExtension("/x/a.wav"), "/x/a");
    EXPECT_EQ(StripExtension("a.flac"), "a.flac");
    EXPECT_EQ(StripExtension("wav"), "wav");
    EXPECT_EQ(WithTrailingSlash("/x"), "/x/");
    EXPECT_EQ(WithTrailingSlash("/x/"), "/x/");
    EXPECT_EQ(WithTrailingSlash(""), "");
}

// Folders are made one level deep and the write test leaves a user's file, byte for byte, and no file
// of its own; below a file there is no folder to write in.
TEST(Paths, EnsureFolderAndWriteTestLeaveTheFolderAsItWas) {
    TempFolder temp;
    const std::string made = EnsureFolder(temp.Path() + "rec");
    EXPECT_EQ(made, temp.Path() + "rec/");
    EXPECT_EQ(EnsureFolder(made), made);
    EXPECT_TRUE(std::filesystem::is_empty(made));
    EXPECT_EQ(EnsureFolder(temp.Path() + "a/b"), temp.Path() + "a/b/");
    EXPECT_FALSE(std::filesystem::exists(temp.Path() + "a"));
    EXPECT_EQ(EnsureFolder(""), "");

    const std::string user = made + "killme.tmp";
    const std::string content("keep\0me", 7);
    WriteFile(user, content);
    EXPECT_TRUE(IsFolderWritable(made) && IsFolderWritable(made + "new"));
    EXPECT_EQ(ReadFile(user), content);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(made), {}), 2); // the user's file and "new"
    EXPECT_TRUE(std::filesystem::is_empty(made + "new"));
    EXPECT_FALSE(IsFolderWritable(user + "/sub"));
}

// The --home option wins, then $ONDRIX_HOME, then $XDG_CONFIG_HOME, then $HOME/.config.
TEST(Paths, ProgramFolderFollowsOptionThenEnvironment) {
    const std::string ondrixHome = getenv("ONDRIX_HOME"), xdg = getenv("XDG_CONFIG_HOME"),
                      home = getenv("HOME");
    setenv("ONDRIX_HOME", "/srv/ondrix", 1);
    setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(ResolveProgramFolder(std::string("/opt/o")), "/opt/o/");
    EXPECT_EQ(ResolveProgramFolder(), "/srv/ondrix/");
    unsetenv("ONDRIX_HOME");
    EXPECT_EQ(ResolveProgramFolder(), "/cfg/ondrix/");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(ResolveProgramFolder(), home + "/.config/ondrix/");
    EXPECT_EQ(DefaultWorkFolder(), home + "/Ondrix/");
    setenv("ONDRIX_HOME", ondrixHome.c_str(), 1);
    setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);
}

// The installed manual wins over the source tree's; a folder holding only the manual's folder (no page), or
// no folder at all, finds nothing.
TEST(Paths, FindsTheInstalledManualThenTheSourceTreeCopy) {
    struct Case {
        const char* name;
        std::vector<std::string> pages; // files made below the temporary folder
        std::string expected;           // below the temporary folder; empty: none found
    };
    const std::string installed = "usr/share/doc/ondrix/manual/Ondrix_manual.html";
    const std::string source = "src/docs/manual/Ondrix_manual.html";
    const std::vector<Case> cases = {
        {"both", {installed, source}, installed},
        {"installed only", {installed}, installed},
        {"source only", {source}, source},
        {"neither", {}, ""},
        {"a folder in place of the page", {source + "/x"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder temp;
        std::filesystem::create_directories(temp.Path() + "usr/bin");
        for (const std::string& page : c.pages) {
            std::filesystem::create_directories(std::filesystem::path(temp.Path() + page).parent_path());
            std::ofstream(temp.Path() + page) << "<html></html>";
        }
        EXPECT_EQ(FindManual(temp.Path() + "usr/bin", temp.Path() + "src"),
                  c.expected.empty() ? "" : temp.Path() + c.expected);
    }
    EXPECT_EQ(FindManual("", ""), "");
}

// Lines end at CR LF, LF or a lone CR (items at commas too: see the rates file test); writing adds CR LF.
TEST(TextLines, ReadsAnyLineEnd) {
    std::istringstream in("a\r\nb\nc\rd\r\n\r\ne");
    std::vector<std::string> lines;
    for (std::string line; ReadLine(in, line);) {
        lines.push_back(line);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "d", "", "e"}));
}

// Fields are 1-based; empty, missing and out-of-range fields are empty; no separator means ",".
TEST(ExtractField, SplitsAtOneCharacter) {
    for (auto [n, field] : {std::pair{1, "a"}, {2, ""}, {3, "c"}, {4, ""}, {0, ""}}) {
        EXPECT_EQ(ExtractField("a,,c", ",", n), field) << n;
    }
    EXPECT_EQ(ExtractField("$ONDRIX,STOP", "", 2), "STOP");
    EXPECT_EQ(ExtractField("x;y;z", ";,", 2), "y");
    EXPECT_EQ(ExtractField(",lead", ",", 1), "");
}

// The session log appends dated lines in print zones with CR LF; a missing folder is reported.
TEST(SessionLog, AppendsDatedLinesInPrintZones) {
    TempFolder folder;
    std::tm when{};
    strptime("2026-01-05 07:08:09", "%Y-%m-%d %H:%M:%S", &when);
    const std::string path = SessionLogPath(folder.Path(), when);
    EXPECT_EQ(path, folder.Path() + "RecLog 20260105.Log");
    ASSERT_TRUE(AppendSessionLog(path, {"START"}, when));
    ASSERT_TRUE(AppendSessionLog(path, {"", "STOP"}, when));
    EXPECT_EQ(ReadFile(path), "2026-01-05    07:08:09      START\r\n"
                              "2026-01-05    07:08:09                    STOP\r\n");
    EXPECT_FALSE(AppendSessionLog(folder.Path() + "missing/x.Log", {"lost"}, when));
}

// A lost leading blank, a wrong exponent form or digit count shows in every message and log line.
TEST(NumberText, PrintsAsTheClassicRuntime) {
    const std::pair<double, const char*> doubles[] = {
        {0.5, " .5"},      {-0.25, "-.25"},     {1000000.0, " 1000000"},
        {1e-05, " 1E-05"}, {-0.0, " 0"},        {0.0, " 0"},
        {-5.0, "-5"},      {21.333, " 21.333"}, {1.0 / 3.0, " .333333333333333"}};
    for (auto [value, text] : doubles) {
        EXPECT_EQ(NumberText(value), text);
    }
    // A single keeps seven digits.
    EXPECT_EQ(std::tuple(NumberText(1073741824.0, Precision::Single), NumberText(1e20, Precision::Single),
                         NumberText(1.0 / 3.0, Precision::Single)),
              std::tuple(" 1.073742E+09", " 1E+20", " .3333333"));
    EXPECT_EQ(BareNumberText(-2048) + "|" + LogItemText(12.5) + "|" + LogItemText(-3), "-2048| 12.5 |-3 ");
}

// Only the leading number counts: "4 Mbytes" is 4, hex and words are 0, a second dot ends the number.
TEST(TextValue, ReadsTheLeadingNumberOnly) {
    const std::pair<const char*, double> cases[] = {
        {"4 Mbytes", 4},   {"-12", -12},         {"1.5e3", 1.5},     {"&H10", 0}, {"off", 0},
        {"", 0},           {"1.2.3", 1.2},       {"  +7.25x", 7.25}, {".5", 0.5}, {"1 - mono (left)", 1},
        {"10 colour", 10}, {"659.18 MB", 659.18}};
    for (auto [text, value] : cases) {
        EXPECT_EQ(TextValue(text), value) << text;
    }
}

// Halves go to the even neighbour, out-of-range values saturate, RoundTo adds a half and truncates.
TEST(Rounding, HalfToEvenSaturationAndTruncation) {
    const std::pair<double, int> toInt[] = {
        {1024.0 / 200.0 / 2.0, 3}, {4096.0 / 384.0, 11}, {42.5, 42},       {2.5, 2}, {-2.5, -2}, {-3.5, -4},
        {1e12, INT32_MAX},         {-1e12, INT32_MIN},   {std::nan(""), 0}};
    for (auto [value, rounded] : toInt) {
        EXPECT_EQ(RoundToInt32(value), rounded) << value;
    }
    EXPECT_EQ(std::tuple(TextToInt32("44100.5"), TextToInt32("99999999999999999999999"), RoundToInt64(1e30)),
              std::tuple(44100, INT32_MAX, INT64_MAX));
    EXPECT_DOUBLE_EQ(RoundTo(1000.0 * 1024 / 48000, 3), 21.333);
    EXPECT_DOUBLE_EQ(RoundTo(2.5, 0), 3);
    EXPECT_DOUBLE_EQ(RoundTo(-2.5, 0), -2); // Fix(-2.0)
    EXPECT_DOUBLE_EQ(RoundTo(-2.7, 0), -2); // Fix(-2.2): toward zero
    for (auto [value, log] : {std::pair{1024, 10}, {16384, 14}, {1000, 9}, {1, 0}, {0, 0}}) {
        EXPECT_EQ(Log2Floor(value), log) << value;
    }
}

// A comma moves to the next 14-column zone strictly after the column: a full zone moves a whole one on.
TEST(PrintLine, CommaMovesToTheNextZoneStrictlyAfterTheColumn) {
    EXPECT_EQ(ZoneFields({"a", "b"}), "a             b");
    EXPECT_EQ(ZoneFields({"12345678901234", "x"}), "12345678901234              x");
    EXPECT_EQ(ZoneFields({"a", "", "c"}), std::string("a") + std::string(27, ' ') + "c");
    EXPECT_EQ(PrintLine().Item("ab").Item("cd").NextZone().Item("e").Text(), "abcd          e");
    EXPECT_EQ(PrintLine().NextZone().Item("x").Text(), std::string(14, ' ') + "x");
}

// The save dialog asks until a name can be written: a bare name gets the extension, an unwritable folder
// and a No to "Replace ... ?" ask again, "*", an empty name or a cancel at any stage end with nothing; the
// dialog proposes the name with the extension and filters on it.
TEST(SaveFileDialog, AsksUntilANameCanBeWritten) {
    TempFolder temp;
    const std::string t = temp.Path();
    WriteFile(t + "old.wav", "x");
    WriteFile(t + "plain", "x");
    const struct {
        std::deque<std::optional<std::string>> answers;
        std::deque<bool> yesNo;
        std::string result;
        std::string extension = "wav", proposed = "", shown = " *.wav"; // shown: name and filter offered
    } cases[] = {
        {{t + "new"}, {}, t + "new.wav"},
        {{t + "new.WAV"}, {}, t + "new.WAV"},
        {{"*.wav"}, {}, ""},
        {{t + "a*b"}, {}, ""},
        {{""}, {}, ""},
        {{std::nullopt}, {}, ""},
        {{t + "plain/x", t + "a"}, {}, t + "a.wav"},
        {{t + "plain/x", std::nullopt}, {}, ""},
        {{t + "old", t + "old"}, {false, true}, t + "old.wav"},
        {{t + "old", std::nullopt}, {false}, ""},
        {{"relative"}, {}, "relative.wav"}, // the current folder is written to
        {{t + "new"}, {}, t + "new.wav", "wav", "take", "take.wav *.wav"},
        {{t + "new"}, {}, t + "new", "", "take", "take *.*"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.result + " " + c.shown);
        ScriptedInteraction dialogs;
        dialogs.textAnswers = c.answers;
        dialogs.yesNoAnswers = c.yesNo;
        std::string chosen = "none";
        SaveFileDialog(dialogs, "Save", t, c.extension, c.proposed,
                       [&](const std::string& path) { chosen = path; });
        EXPECT_EQ(chosen, c.result);
        EXPECT_TRUE(dialogs.textAnswers.empty() && dialogs.yesNoAnswers.empty());
        EXPECT_EQ(dialogs.dialogs[0].fileName + " " + dialogs.dialogs[0].patterns.at(0), c.shown);
    }
    ScriptedInteraction dialogs;
    dialogs.textAnswers = {"/data/x", std::nullopt, ""};
    std::vector<std::string> folders;
    for (int i = 0; i < 3; ++i) {
        SetPathDialog(dialogs, t, [&](const std::string& folder) { folders.push_back(folder); });
    }
    EXPECT_EQ(folders, std::vector<std::string>{"/data/x/"});
}

} // namespace
} // namespace ondrix
