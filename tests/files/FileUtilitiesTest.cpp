// The file utilities: every output a WAV of the program's header (read back by sox) holding exactly the
// samples it should, partial chunks and cuts past the end included; and the menu's dialogs and texts.
#include "files/FileUtilities.h"
#include "TempFolder.h"
#include "files/FileUtilityCommands.h"
#include "recording/WavHeader.h"
#include "settings/MenuModel.h"
#include "settings/SettingsModel.h"
#include "settings/TaskController.h"
#include "support/ByteFiles.h"
#include "support/ScriptedInteraction.h"
#include "support/ScriptedPump.h"
#include "support/SoundFileBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <span>

namespace ondrix {
namespace {

std::vector<int16_t> Ramp(std::size_t count, int step = 1) {
    std::vector<int16_t> values(count);
    for (std::size_t i = 0; i < count; ++i) {
        values[i] = static_cast<int16_t>(static_cast<int>(i) * step);
    }
    return values;
}

// The file is a WAV of the program's header for its length with exactly these samples.
void ExpectWav(const std::string& path, int channels, uint32_t rate, const std::vector<int16_t>& samples) {
    SCOPED_TRACE(path);
    const Bytes bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), kWavHeaderBytes + 2 * samples.size());
    const auto header = WavHeaderBytes(bytes.size(), channels, rate);
    EXPECT_TRUE(std::equal(header.begin(), header.end(), bytes.begin()));
    EXPECT_EQ(std::memcmp(bytes.data() + kWavHeaderBytes, samples.data(), 2 * samples.size()), 0);
    if (const auto sox = SoxInfo(path)) {
        EXPECT_EQ(*sox, std::to_string(rate) + "\n" + std::to_string(channels) + "\n" +
                            std::to_string(samples.size() / static_cast<std::size_t>(channels)) + "\n16\n");
    }
}

std::vector<int16_t> Channel(const std::vector<int16_t>& frames, int channels, int c, std::size_t from = 0,
                             std::size_t count = SIZE_MAX) {
    std::vector<int16_t> out;
    for (std::size_t i = from; i < frames.size() / static_cast<std::size_t>(channels) && out.size() < count;
         ++i) {
        out.push_back(frames[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)]);
    }
    return out;
}

TEST(FileUtilities, OutputsHoldExactlyTheirSamples) {
    TempFolder folder;
    const std::string stereo = folder.Path() + "pair.wav";
    const std::vector<int16_t> pair = Ramp(2 * 1000, 3); // 1000 frames: not whole chunks of 512
    WriteWav16(stereo, 2, 8000, pair);
    UtilityResult split = SplitStereo(stereo, {});
    ASSERT_TRUE(split.Ok()) << split.error;
    ExpectWav(folder.Path() + "pair ch1.wav", 1, 8000, Channel(pair, 2, 0));
    ExpectWav(folder.Path() + "pair ch2.wav", 1, 8000, Channel(pair, 2, 1));

    const std::string raw = folder.Path() + "four.bin";
    std::vector<int16_t> quad = Ramp(4 * 700 + 3, 7); // an incomplete last frame
    WriteBytes(raw, Bytes(reinterpret_cast<const uint8_t*>(quad.data()),
                          reinterpret_cast<const uint8_t*>(quad.data() + quad.size())));
    ASSERT_TRUE(SplitFourChannels(raw, 96000).Ok());
    for (int c = 0; c < 4; ++c) {
        ExpectWav(folder.Path() + "four ch" + std::to_string(c + 1) + ".wav", 1, 96000, Channel(quad, 4, c));
    }

    // Three minutes of stereo at 200/s: minute 1 for one minute, and minute 2 for five (what is left).
    const std::string longer = folder.Path() + "long.wav";
    const std::vector<int16_t> minutes = Ramp(2 * 3 * 60 * 200, 1);
    WriteWav16(longer, 2, 200, minutes);
    ASSERT_TRUE(ExtractCut(longer, {}, 1, 1).Ok());
    ExpectWav(folder.Path() + "long - cut 1.wav", 2, 200,
              std::vector<int16_t>(minutes.begin() + 2 * 60 * 200, minutes.begin() + 2 * 120 * 200));
    WriteBytes(folder.Path() + "long - cut 2.wav", Bytes(500000, 0x55)); // a longer old file is replaced
    ASSERT_TRUE(ExtractCut(longer, {}, 2, 5).Ok());
    ExpectWav(folder.Path() + "long - cut 2.wav", 2, 200,
              std::vector<int16_t>(minutes.begin() + 2 * 120 * 200, minutes.end()));

    const struct {
        int32_t largest;
        int64_t factor;
    } factors[] = {{1000, 1}, {32767, 1}, {32768, 2}, {3 * 32768, 8}, {1 << 20, 64}, {INT32_MIN, 131072}};
    for (const auto& f : factors) {
        const std::string ext = folder.Path() + "deep.ext";
        const std::vector<int32_t> values = {INT32_MAX, 0, f.largest, -5, f.largest / 3}; // a header first
        WriteBytes(ext, Bytes(reinterpret_cast<const uint8_t*>(values.data()),
                              reinterpret_cast<const uint8_t*>(values.data() + values.size())));
        const ExtConversion conversion = ConvertExt(ext, 4);
        EXPECT_EQ(conversion.factor, f.factor) << f.largest;
        std::vector<int16_t> expected;
        for (const int32_t v : std::span(values).subspan(1)) {
            expected.push_back(static_cast<int16_t>(std::clamp<int64_t>(v / f.factor, -32768, 32767)));
        }
        ExpectWav(folder.Path() + "deep.wav", 1, 6000, expected);
    }
    // One reader, one writer: a headerless 16-bit file at the raw rate setting.
    ASSERT_TRUE(ConvertToWav(raw, {.rawSampleRate = 7000}).Ok());
    ExpectWav(folder.Path() + "four.wav", 1, 7000, quad);
    const std::string mono = folder.Path() + "pair ch1.wav";
    const struct {
        UtilityResult result;
        std::string error;
    } refused[] = {{SplitStereo(mono, {}), mono + " is not a 16-bit stereo WAV file"},
                   {ExtractCut(longer, {}, 3, 1), longer + " has nothing to cut from minute 3 for 1 minutes"},
                   {ExtractCut(longer, {}, 0, 0), longer + " has nothing to cut from minute 0 for 0 minutes"},
                   {ConvertToWav(longer, {}), longer + " is a WAV file already"}};
    for (const auto& r : refused) {
        EXPECT_EQ(r.result.error, r.error);
    }
    EXPECT_FALSE(std::filesystem::exists(folder.Path() + "long - cut 3.wav"));
}

// The menu's dialogs: cancels and answers that are no whole number do nothing; the status says when done.
TEST(FileUtilities, MenuCommandsAskAndReport) {
    TempFolder folder;
    SettingsModel settings;
    MenuModel menus;
    ScriptedInteraction dialogs;
    ScriptedPump pump;
    TaskController tasks(settings, menus, dialogs, pump);
    AttachFileUtilities(menus, settings, tasks, dialogs);
    const std::string wav = folder.Path() + "take.wav";
    WriteWav16(wav, 1, 8000, Ramp(8000 * 90));
    dialogs.textAnswers = {wav, "x", wav, "1", std::nullopt, wav, "0", "2", wav, "9", "1", wav};
    ASSERT_TRUE(menus.Trigger("ExtractCut")); // a start that is no number
    ASSERT_TRUE(menus.Trigger("ExtractCut")); // no duration
    ASSERT_TRUE(menus.Trigger("ExtractCut"));
    EXPECT_EQ(settings.Form1().Text("StatusLine"), "Extract cut - DONE");
    EXPECT_EQ(ReadBytes(folder.Path() + "take - cut 0.wav").size(), kWavHeaderBytes + 2 * 8000 * 90);
    EXPECT_EQ(dialogs.messages[0].text, "take.wav 8000s/sec 1ch 1.5 min\r\nStartPoint in minutes");
    ASSERT_TRUE(menus.Trigger("ExtractCut")); // beyond the end
    EXPECT_EQ(dialogs.messages.back().text, wav + " has nothing to cut from minute 9 for 1 minutes");
    ASSERT_TRUE(menus.Trigger("Split2chwav")); // a mono file cannot be split
    EXPECT_EQ(dialogs.messages.back().text, wav + " is not a 16-bit stereo WAV file");

    const std::string ext = folder.Path() + "deep.ext";
    const std::vector<int32_t> values = {1 << 20, 0};
    WriteBytes(ext, Bytes(reinterpret_cast<const uint8_t*>(values.data()),
                          reinterpret_cast<const uint8_t*>(values.data() + values.size())));
    WriteBytes(folder.Path() + "deep.wav", Bytes(10, 1));
    dialogs.textAnswers = {ext, ext};
    dialogs.yesNoAnswers = {false, true};
    dialogs.messages.clear();
    ASSERT_TRUE(menus.Trigger("ConvertExt2Wav")); // not replaced
    ASSERT_TRUE(menus.Trigger("ConvertExt2Wav"));
    const std::string replace = "Replace " + folder.Path() + "deep.wav ?";
    EXPECT_EQ(dialogs.Texts(),
              (std::vector<std::string>{
                  replace, replace, "The 32 bit scale setting is 65536\r\nOptimal conversion factor =  64",
                  ext + "\r\nconverted to\r\n" + folder.Path() +
                      "deep.wav\r\nconversion factor = 64\r\nlabelled mono at 6000 samples/s "
                      "whatever the raw sample rate setting"}));
}

} // namespace
} // namespace ondrix
