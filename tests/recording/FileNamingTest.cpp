#include "recording/FileNaming.h"

#include <gtest/gtest.h>

namespace ondrix {
namespace {

FileNameInput At(int counter) {
    FileNameInput input;
    input.counter = counter;
    input.when.tm_year = 2024 - 1900;
    input.when.tm_mon = 0;
    input.when.tm_mday = 31;
    input.when.tm_hour = 23;
    input.when.tm_min = 59;
    input.when.tm_sec = 59;
    input.channels = 2;
    input.rate = 48000;
    input.position = " 45.1N 9.2E ";
    return input;
}

TEST(FileNaming, NamesFromTheOptions) {
    // All options off and no prefix: the date and time stamp alone.
    FileNameOptions none;
    auto name = CreateFileName(none, At(1), "/rec");
    EXPECT_EQ(name.path, "/rec/20240131_235959.wav");
    EXPECT_EQ(name.bareName, "20240131_235959");

    // Prefix, separator and the file counter in four digits.
    FileNameOptions numbered{.prefix = "Ondrix", .separator = "_", .addNumber = true};
    EXPECT_EQ(CreateFileName(numbered, At(12), "/rec/").path, "/rec/Ondrix_0012.wav");
    EXPECT_EQ(CreateFileName(numbered, At(9999), "/rec/").bareName, "Ondrix_9999");

    // Every part in its order, the position trimmed, the parameters as 2CH48K16.
    FileNameOptions all{.prefix = "Bat",
                        .separator = "-",
                        .addNumber = true,
                        .addTimeStamp = true,
                        .addPosition = true,
                        .addParameters = true,
                        .postfix = "night"};
    EXPECT_EQ(CreateFileName(all, At(3), "/r/").bareName,
              "Bat-0003-20240131_235959-45.1N 9.2E-2CH48K16-night");

    // An empty prefix still puts the separator before each part; 44100 gives 44K.
    FileNameOptions noPrefix{.separator = "_", .addParameters = true};
    auto mono = At(1);
    mono.channels = 1;
    mono.rate = 44100;
    EXPECT_EQ(CreateFileName(noPrefix, mono, "/r/").bareName, "_1CH44K16");
    // An empty separator joins the parts directly.
    FileNameOptions joined{.prefix = "A", .separator = "", .postfix = "B"};
    EXPECT_EQ(CreateFileName(joined, At(1), "/r/").bareName, "AB");
}

TEST(FileNaming, UnsafeCharactersRefusedOrReplaced) {
    EXPECT_EQ(CheckFileNameOptions({.prefix = "Ondrix", .separator = "_", .postfix = "x y"}), "");
    for (const std::string bad : {"a/b", "a\\b", "c:", "x;y", "*", "?", "\"", "<", ">", "|", "a\nb", "\t"}) {
        EXPECT_NE(CheckFileNameOptions({.prefix = bad}), "") << bad;
        EXPECT_NE(CheckFileNameOptions({.postfix = bad}), "") << bad;
    }
    EXPECT_EQ(CheckFileNameOptions({.separator = "/"}).rfind("The separator", 0), 0U);
    EXPECT_NE(CheckFileNameOptions({.separator = "__"}), "");

    // A received position can never lead the file out of its folder.
    FileNameOptions withPosition{.prefix = "P", .separator = "_", .addPosition = true};
    auto input = At(1);
    input.position = "../../etc/x:1";
    const auto name = CreateFileName(withPosition, input, "/rec/");
    EXPECT_EQ(name.path, "/rec/P_..-..-etc-x-1.wav");
}

} // namespace
} // namespace ondrix
