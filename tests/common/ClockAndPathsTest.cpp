#include "TempFolder.h"
#include "common/Clock.h"
#include "common/Paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

namespace ondrix {
namespace {

TEST(Clock, SecondsToClockCarriesRoundedMilliseconds) {
    EXPECT_EQ(SecondsToClock(59.9996), "00:01:00.000");
    EXPECT_EQ(SecondsToClock(0), "00:00:00.000");
    EXPECT_EQ(SecondsToClock(3723.5), "01:02:03.500");
    EXPECT_EQ(SecondsToClock(7456.5), "02:04:16.500");
    EXPECT_EQ(SecondsToClock(360000), "100:00:00.000");
    EXPECT_EQ(SecondsToClock(-4), "00:00:00.000");
}

TEST(Clock, ClockToSecondsReadsOneOrTwoColons) {
    EXPECT_DOUBLE_EQ(ClockToSeconds("1:02:03"), 3723);
    EXPECT_DOUBLE_EQ(ClockToSeconds("02:03.5"), 123.5);
    EXPECT_DOUBLE_EQ(ClockToSeconds("42.25"), 42.25);
    EXPECT_DOUBLE_EQ(ClockToSeconds("x:y"), 0);
}

TEST(Clock, StampsAndShortForms) {
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 11;
    when.tm_mday = 6;
    when.tm_hour = 23;
    when.tm_min = 5;
    when.tm_sec = 1;
    EXPECT_EQ(DateStampYMD(when), "20261206");
    EXPECT_EQ(FileTimeStamp(when), "20261206_230501");
    EXPECT_EQ(ShortDateText(when), "2026-12-06");
    EXPECT_EQ(ShortTimeText(when), "23:05:01");
}

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

TEST(Paths, EnsureFolderCreatesOneLevelAndLeavesNoFile) {
    TempFolder temp;
    const std::string made = EnsureFolder(temp.Path() + "rec");
    EXPECT_EQ(made, temp.Path() + "rec/");
    EXPECT_TRUE(std::filesystem::is_directory(made));
    EXPECT_TRUE(std::filesystem::is_empty(made));
    EXPECT_EQ(EnsureFolder(made), made); // existing folder: untouched
    EXPECT_TRUE(std::filesystem::is_empty(made));
    // Two missing levels: nothing is created and nothing fails.
    EXPECT_EQ(EnsureFolder(temp.Path() + "a/b"), temp.Path() + "a/b/");
    EXPECT_FALSE(std::filesystem::exists(temp.Path() + "a"));
    EXPECT_EQ(EnsureFolder(""), "");
}

TEST(Paths, WriteTestLeavesTheFolderAsItWas) {
    TempFolder temp;
    // A user's file under the name a test file might use survives, byte for byte.
    const std::string user = temp.Path() + "killme.tmp";
    const std::string content("keep\0me", 7);
    std::ofstream(user, std::ios::binary) << content;
    EXPECT_TRUE(IsFolderWritable(temp.Path()));
    EXPECT_TRUE(IsFolderWritable(temp.Path() + "new"));
    std::ifstream in(user, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), content);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(temp.Path())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"killme.tmp", "new"}));
    EXPECT_TRUE(std::filesystem::is_empty(temp.Path() + "new"));
    // Below a file there is no folder to write in.
    EXPECT_FALSE(IsFolderWritable(user + "/sub"));
}

TEST(Paths, ProgramFolderFollowsOptionThenEnvironment) {
    const std::string savedOndrix = getenv("ONDRIX_HOME") ? getenv("ONDRIX_HOME") : "";
    const std::string savedXdg = getenv("XDG_CONFIG_HOME") ? getenv("XDG_CONFIG_HOME") : "";
    setenv("ONDRIX_HOME", "/srv/ondrix", 1);
    setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(ResolveProgramFolder(std::string("/opt/o")), "/opt/o/");
    EXPECT_EQ(ResolveProgramFolder(), "/srv/ondrix/");
    unsetenv("ONDRIX_HOME");
    EXPECT_EQ(ResolveProgramFolder(), "/cfg/ondrix/");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(ResolveProgramFolder(), std::string(getenv("HOME")) + "/.config/ondrix/");
    EXPECT_EQ(DefaultWorkFolder(), std::string(getenv("HOME")) + "/Ondrix/");
    if (!savedOndrix.empty()) {
        setenv("ONDRIX_HOME", savedOndrix.c_str(), 1);
    }
    if (!savedXdg.empty()) {
        setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
    }
}

} // namespace
} // namespace ondrix
