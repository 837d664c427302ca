// The RAM buffer: capacity in whole blocks, the fill shown with round-half-even, wrap-around, and every
// save writing exactly the samples it should, oldest first, under a header that counts them. Then the
// Buffer menu over a real buffer and real files.
#include "recording/RamBuffer.h"
#include "TempFolder.h"
#include "recording/RamBufferCommands.h"
#include "settings/MenuModel.h"
#include "settings/SettingsModel.h"
#include "support/ByteFiles.h"
#include "support/ScriptedInteraction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>

namespace ondrix {
namespace {

constexpr int kBlock = 65536;    // values per block: 1 MB holds 8 blocks
constexpr uint32_t kRate = 2048; // mono: one second is one save step of 2048 values

// Value k of a ramp that differs from block to block.
int16_t RampValue(int64_t k) {
    return static_cast<int16_t>(k % 65521);
}

// Appends `blocks` blocks of the ramp; gives the fills shown and, in `full`, each block's full flag.
std::vector<int> Fill(RamBuffer& buffer, int blocks, std::vector<bool>* full = nullptr) {
    std::vector<int> percents;
    std::vector<int16_t> block(kBlock);
    for (int b = 0; b < blocks; ++b) {
        std::ranges::generate(block, [k = int64_t{b} * kBlock]() mutable { return RampValue(k++); });
        const RamBuffer::Appended appended = buffer.AppendBlock(block);
        if (appended.percent) {
            percents.push_back(*appended.percent);
        }
        if (full) {
            full->push_back(appended.full);
        }
    }
    return percents;
}

// The saved file holds `count` ramp values starting at ramp index `first`, under a header saying so.
void ExpectRamp(const std::string& path, int64_t first, int64_t count) {
    const std::vector<uint8_t> file = ReadBytes(path);
    ASSERT_EQ(static_cast<int64_t>(file.size()), 44 + 2 * count);
    EXPECT_EQ(Le32(file, 4), file.size() - 8);
    EXPECT_EQ(Le32(file, 40), file.size() - 44);
    EXPECT_EQ(Le32(file, 24), kRate);
    for (int64_t k = 0; k < count; ++k) {
        const auto at = static_cast<std::size_t>(44 + 2 * k);
        const auto value = static_cast<int16_t>(file[at] | file[at + 1] << 8);
        if (value != RampValue(first + k)) {
            FAIL() << "value " << k << " is " << value;
        }
    }
}

// A capacity that is no whole number of blocks, or an "off" buffer that takes blocks.
TEST(RamBuffer, CapacityIsWholeBlocksAndOffHoldsNothing) {
    RamBuffer buffer;
    const struct {
        int megabytes, block;
        int64_t capacity;
    } cases[] = {{4, 4096, 2097152}, {1, 3000, 522000}, {0, 4096, 0}, {-4, 4096, 0}, {4, 0, 0}};
    for (const auto& c : cases) {
        EXPECT_TRUE(buffer.Start(c.megabytes, RamBufferMode::Circular, c.block, 1, kRate));
        EXPECT_EQ(buffer.Capacity(), c.capacity) << c.megabytes << " MB, block " << c.block;
        EXPECT_EQ(buffer.On(), c.capacity > 0);
    }
    EXPECT_TRUE(Fill(buffer, 1).empty());
    EXPECT_EQ(buffer.WritePosition(), 0);
    // Stereo at 48 kHz, 4 MB: about 21.8 seconds (empty until a block comes: the Buffer menu's test).
    buffer.Start(4, RamBufferMode::Circular, 8192, 2, 48000);
    EXPECT_EQ(buffer.Capacity(), 2097152);
    EXPECT_NEAR(buffer.Seconds(), 21.845, 0.001);
}

// Saves must hold the newest samples oldest first (also across the wrap), in whole steps, within what the
// buffer holds, replacing a longer file of the name.
TEST(RamBuffer, SavesWriteTheNewestSamplesOldestFirst) {
    TempFolder folder;
    const std::string path = folder.Path() + "buffer.wav";
    constexpr int64_t kFull = 8 * kBlock;
    constexpr auto C = RamBufferMode::Circular;
    using enum RamBuffer::Saved;
    const struct {
        const char* name;
        RamBufferMode mode;
        int blocks;
        double seconds; // < 0: the whole buffer
        RamBuffer::Saved saved;
        int64_t first, count; // ramp index of the first value saved, values saved
    } cases[] = {
        {"part of three blocks", C, 3, 10, Requested, 3 * kBlock - 20480, 20480},
        {"fractions of a step are dropped", C, 3, 10.9, Requested, 3 * kBlock - 20480, 20480},
        {"more than recorded", C, 3, 200, Requested, 0, 3 * kBlock},
        {"whole before wrapping", C, 3, -1, Whole, 0, 3 * kBlock},
        {"across the wrap", C, 11, 200, Requested, 11 * kBlock - 409600, 409600},
        {"within the newest", C, 11, 10, Requested, 11 * kBlock - 20480, 20480},
        {"whole after wrapping", C, 11, -1, Whole, 3 * kBlock, kFull},
        {"more than it holds", C, 11, 300, Shorter, 3 * kBlock, kFull},
        {"full stops taking blocks", RamBufferMode::StopWhenFull, 11, -1, Whole, 0, kFull},
        {"newest of a full buffer", RamBufferMode::StopWhenFull, 11, 10, Requested, kFull - 20480, 20480},
        {"nothing asked", C, 3, 0, Requested, 0, 0},
    };
    WriteBytes(path, std::vector<uint8_t>(3 * kFull, 0x55));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RamBuffer buffer;
        buffer.Start(1, c.mode, kBlock, 1, kRate);
        Fill(buffer, c.blocks);
        EXPECT_EQ(c.seconds < 0 ? buffer.SaveWhole(path) : buffer.SaveLastSeconds(path, c.seconds), c.saved);
        ExpectRamp(path, c.first, c.count);
    }
    // A missing folder, or a folder of the name that the finished file cannot replace: every save fails
    // and no temporary file is left.
    RamBuffer buffer;
    buffer.Start(1, C, kBlock, 1, kRate);
    Fill(buffer, 3);
    std::filesystem::create_directory(folder.Path() + "taken.wav");
    for (const std::string& bad : {folder.Path() + "no/such.wav", folder.Path() + "taken.wav"}) {
        EXPECT_EQ(std::tuple(buffer.SaveWhole(bad), buffer.SaveLastSeconds(bad, 10),
                             buffer.SaveLastSeconds(bad, 300)),
                  std::tuple(Failed, Failed, Failed))
            << bad;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 2);
}

// A fill rounded the wrong way or shown unchanged, a full stop-when-full buffer not stopping the run, or a
// circular one stopping it.
TEST(RamBuffer, FillIsShownWhenItChangesAndAFullBufferStopsTheRun) {
    RamBuffer buffer;
    buffer.Start(1, RamBufferMode::StopWhenFull, kBlock, 1, kRate);
    std::vector<bool> full;
    // Eighths of the buffer, rounded half to even: 12.5 -> 12, 37.5 -> 38.
    EXPECT_EQ(Fill(buffer, 9, &full), (std::vector<int>{0, 12, 25, 38, 50, 62, 75, 88, 100}));
    EXPECT_EQ(full, (std::vector<bool>{false, false, false, false, false, false, false, true, true}));
    EXPECT_TRUE(buffer.Wrapped());
    buffer.Start(1, RamBufferMode::Circular, kBlock, 1, kRate);
    full.clear();
    Fill(buffer, 9, &full);
    EXPECT_EQ(std::count(full.begin(), full.end(), true), 0);
    EXPECT_EQ(buffer.WritePosition(), kBlock);
    buffer.Empty(); // file playback
    EXPECT_FALSE(buffer.Wrapped());
    EXPECT_EQ(buffer.WritePosition(), 0);
}

// The Buffer menu: memory that cannot be had, "Buffer Empty" with nothing to save (and no file written), the
// name and folder of a save, a save longer than the buffer, "Replace ... ?" asked once, no temporary file
// left, the partial save's answers, cancels at each dialog, the buffer kept after a failed save, temp.wav in
// a work folder that cannot be written, the picture shown again after every dialog, the run's description
// and the stop of a full stop-when-full buffer.
TEST(RamBufferCommands, SavesNameTheirFilesAndNeverWriteAnEmptyBuffer) {
    TempFolder folder;
    SettingsModel settings;
    MenuModel menus;
    ScriptedInteraction dialogs;
    int stops = 0;
    bool hidden = false; // the picture kept aside while a dialog is open
    std::string opened;
    std::tm now{};
    now.tm_year = 126;
    now.tm_mday = 5;
    RamBufferCommands commands(settings, dialogs,
                               {.clock = [&] { return now; },
                                .stopRun = [&] { ++stops; },
                                .saveSpecGram = [&] { hidden = true; },
                                .restoreSpecGram = [&] { hidden = false; },
                                .open = [&](const std::string& path) { opened = path; },
                                .workFolder = folder.Path() + "work"});
    commands.Attach(menus);
    ControlModel& form = settings.Form1();
    settings.Options0().SetText("txtBufferPath", folder.Path() + "buffers");
    std::filesystem::create_directory(folder.Path() + "buffers");
    const std::string saved = folder.Path() + "buffers/buffer end at 20260105_000000.wav";
    // Too large to allocate, off, then allocated but still empty: nothing to save, no file.
    form.SetText("Combo12", "2147483647 Mbytes");
    EXPECT_EQ(commands.RunStarts(4096, 1, 48000), "");
    form.SetText("Combo12", "off");
    EXPECT_EQ(commands.RunStarts(4096, 1, 48000), "");
    menus.Trigger("SaveBuffer");
    form.SetText("Combo12", "4 Mbytes");
    EXPECT_EQ(commands.RunStarts(4096, 1, 48000), "  Buffer  43.69sec");
    for (const char* command :
         {"BufferSave60", "SaveBufferAs", "SaveBufferPartial", "AnalyzeBuffer", "PlayBuffer"}) {
        menus.Trigger(command);
    }
    std::vector<std::string> texts(7, "Buffer Empty");
    texts[0] = "Not enough memory for a RAM buffer of 2147483647 Mbytes: the run goes on without it";
    EXPECT_EQ(dialogs.Texts(), texts);
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path() + "buffers"));
    commands.Append(std::vector<int16_t>(4096, 7));
    EXPECT_EQ(form.Text("BufferLabel"), " 0%");
    menus.Trigger("SaveBuffer");
    EXPECT_EQ(form.Text("StatusLine"), "Saved <" + saved + ">");
    EXPECT_EQ(ReadBytes(saved).size(), 44u + 2 * 4096);
    menus.Trigger("BufferSave60"); // more than 43.69 s: the whole buffer and a note
    EXPECT_EQ(dialogs.Texts().back(), "Buffer shorter than requested");
    // The position last received joins the name when names carry it.
    settings.Options0().SetChecked("AddUDP", true);
    form.SetText("UDPTXT", " 4530.1234N_00912.3456E ");
    menus.Trigger("SaveBuffer");
    EXPECT_TRUE(std::filesystem::exists(folder.Path() +
                                        "buffers/buffer end at 20260105_000000 4530.1234N_00912.3456E.wav"));
    // Save As cancelled; over an existing file it asks once: No shows the dialog again, Yes replaces it.
    dialogs.textAnswers = {std::nullopt, saved, saved};
    dialogs.yesNoAnswers = {false, true};
    menus.Trigger("SaveBufferAs");
    menus.Trigger("SaveBufferAs");
    EXPECT_EQ(std::ranges::count(dialogs.Texts(), "Replace " + saved + " ?"), 2);
    // The two buffers saved so far, and no temporary file left beside them.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path() + "buffers"), {}), 2);
    // Partial: an answer that is no number of seconds, below one or cancelled cancels, as does the file
    // dialog; a name gets ".wav".
    dialogs.messages.clear();
    dialogs.dialogs.clear();
    dialogs.textAnswers = {"abc", "0.5", std::nullopt, "2", std::nullopt, "2", folder.Path() + "part"};
    for (int i = 0; i < 5; ++i) {
        menus.Trigger("SaveBufferPartial");
    }
    EXPECT_FALSE(hidden);
    ASSERT_EQ(dialogs.dialogs.size(), 2u);
    EXPECT_EQ(dialogs.dialogs[0].folder, folder.Path() + "buffers/");
    EXPECT_EQ(ReadBytes(folder.Path() + "part.wav").size(), 44u + 2 * 4096); // what was captured
    // A folder that cannot be written: a message, and the buffer is kept for another try.
    settings.Options0().SetText("txtBufferPath", folder.Path() + "missing");
    menus.Trigger("SaveBuffer");
    ASSERT_EQ(dialogs.messages.size(), 6u);
    EXPECT_TRUE(dialogs.messages.back().text.starts_with("Cannot write "));
    EXPECT_TRUE(commands.Buffer().HoldsSound());
    // temp.wav: not in a missing work folder (nothing opened), then in the folder once it is made.
    menus.Trigger("AnalyzeBuffer");
    EXPECT_EQ(dialogs.messages.back().text + opened, "Cannot write " + folder.Path() + "work/temp.wav");
    std::filesystem::create_directory(folder.Path() + "work");
    menus.Trigger("PlayBuffer");
    EXPECT_EQ(opened, folder.Path() + "work/temp.wav");
    EXPECT_FALSE(hidden);
    EXPECT_EQ(ReadBytes(opened).size(), 44u + 2 * 4096);
    // Stop when full: the run is stopped at the block that fills the buffer.
    settings.Options0().SetText("RamBufferModeCombo", "2 - stop when full");
    commands.RunStarts(1048576, 1, 48000);
    for (int block = 0; block < 3; ++block) {
        commands.Append(std::vector<int16_t>(1048576));
    }
    EXPECT_EQ(stops, 2);
    EXPECT_EQ(form.Text("BufferLabel"), " 100%");
}

} // namespace
} // namespace ondrix
