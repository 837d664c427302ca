#include "TempFolder.h"
#include "common/Fields.h"
#include "common/SessionLog.h"
#include "common/TextLines.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace ondrix {
namespace {

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(TextLines, WritesCrLfAndReadsAnyLineEnd) {
    std::ostringstream out;
    WriteLine(out, "one");
    WriteLine(out, "");
    EXPECT_EQ(out.str(), "one\r\n\r\n");

    std::istringstream in("a\r\nb\nc\rd\r\n\r\ne");
    std::vector<std::string> lines;
    for (std::string line; ReadLine(in, line);) {
        lines.push_back(line);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "d", "", "e"}));
}

TEST(TextLines, ReadsItemsAtCommasAndLineEnds) {
    std::istringstream in(" 8000, 16000 \r\n32000\r44100\n");
    std::vector<std::string> items;
    for (std::string item; ReadItem(in, item);) {
        items.push_back(item);
    }
    EXPECT_EQ(items, (std::vector<std::string>{"8000", "16000", "32000", "44100"}));
}

TEST(ExtractField, SplitsAtOneCharacter) {
    EXPECT_EQ(ExtractField("a,,c", ",", 1), "a");
    EXPECT_EQ(ExtractField("a,,c", ",", 2), "");
    EXPECT_EQ(ExtractField("a,,c", ",", 3), "c");
    EXPECT_EQ(ExtractField("a,,c", ",", 4), "");
    EXPECT_EQ(ExtractField("a,,c", ",", 0), "");
    EXPECT_EQ(ExtractField("$ONDRIX,STOP", "", 2), "STOP");
    EXPECT_EQ(ExtractField("x;y;z", ";,", 2), "y");
    EXPECT_EQ(ExtractField(",lead", ",", 1), "");
}

TEST(SessionLog, AppendsDatedLinesInPrintZones) {
    TempFolder folder;
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 0;
    when.tm_mday = 5;
    when.tm_hour = 7;
    when.tm_min = 8;
    when.tm_sec = 9;
    const std::string path = SessionLogPath(folder.Path(), when);
    EXPECT_EQ(path, folder.Path() + "RecLog 20260105.Log");
    ASSERT_TRUE(AppendSessionLog(path, {"START"}, when));
    ASSERT_TRUE(AppendSessionLog(path, {"", "STOP"}, when));
    EXPECT_EQ(FileBytes(path), "2026-01-05    07:08:09      START\r\n"
                               "2026-01-05    07:08:09                    STOP\r\n");
    EXPECT_FALSE(AppendSessionLog(folder.Path() + "missing/x.Log", {"lost"}, when));
}

} // namespace
} // namespace ondrix
