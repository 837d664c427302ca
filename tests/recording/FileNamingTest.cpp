#include "recording/FileNaming.h"

#include <gtest/gtest.h>

#include <ctime>

namespace ondrix {
namespace {

// A part missing, out of order or badly formatted, a separator lost, or a received position that leads
// the file out of its folder.
TEST(FileNaming, NamesFromTheOptions) {
    struct Case {
        FileNameOptions options;
        int counter;
        int channels;
        uint32_t rate;
        std::string position;
        std::string folder, path;
    };
    const FileNameOptions all{.prefix = "Bat",
                              .separator = "-",
                              .addNumber = true,
                              .addTimeStamp = true,
                              .addPosition = true,
                              .addParameters = true,
                              .postfix = "night"};
    const std::vector<Case> cases = {
        {{}, 1, 2, 48000, "", "/rec", "/rec/20240131_235959.wav"}, // no part: the stamp alone
        {{.prefix = "Ondrix", .addNumber = true}, 12, 2, 48000, "", "/rec/", "/rec/Ondrix_0012.wav"},
        {{.prefix = "Ondrix", .addNumber = true}, 9999, 2, 48000, "", "/r/", "/r/Ondrix_9999.wav"},
        {all, 3, 2, 48000, " 45.1N 9.2E ", "/r/",
         "/r/Bat-0003-20240131_235959-45.1N 9.2E-2CH48K16-night.wav"},
        {{.addParameters = true}, 1, 1, 44100, "", "/r/", "/r/_1CH44K16.wav"}, // no prefix, still "_"
        {{.prefix = "A", .separator = "", .postfix = "B"}, 1, 2, 48000, "", "/r/", "/r/AB.wav"},
        {{.prefix = "P", .addPosition = true},
         1,
         2,
         48000,
         "../../etc/x:1",
         "/rec/",
         "/rec/P_..-..-etc-x-1.wav"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        FileNameInput input{
            .counter = c.counter, .position = c.position, .channels = c.channels, .rate = c.rate};
        strptime("2024-01-31 23:59:59", "%Y-%m-%d %H:%M:%S", &input.when);
        const auto name = CreateFileName(c.options, input, c.folder);
        EXPECT_EQ(name.path, c.path);
        EXPECT_EQ(name.bareName + ".wav", c.path.substr(c.path.rfind('/') + 1));
    }
}

// A character that other systems refuse, or a separator of more than one character, must be refused.
TEST(FileNaming, UnsafeCharactersRefused) {
    EXPECT_EQ(CheckFileNameOptions({.prefix = "Ondrix", .separator = "_", .postfix = "x y"}), "");
    for (const std::string bad : {"a/b", "a\\b", "c:", "x;y", "*", "?", "\"", "<", ">", "|", "a\nb", "\t"}) {
        EXPECT_NE(CheckFileNameOptions({.prefix = bad}), "") << bad;
        EXPECT_NE(CheckFileNameOptions({.postfix = bad}), "") << bad;
    }
    EXPECT_EQ(CheckFileNameOptions({.separator = "/"}).rfind("The separator", 0), 0U);
    EXPECT_NE(CheckFileNameOptions({.separator = "__"}), "");
}

} // namespace
} // namespace ondrix
