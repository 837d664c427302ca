// The Buffer menu over a real buffer and real files: "Buffer Empty" with nothing to save (and no file
// written), the name and folder of a save, the partial save's answers, the run's description and the stop
// of a full stop-when-full buffer.
#include "recording/RamBufferCommands.h"
#include "TempFolder.h"
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

TEST(RamBufferCommands, SavesNameTheirFilesAndNeverWriteAnEmptyBuffer) {
    TempFolder folder;
    SettingsModel settings;
    MenuModel menus;
    ScriptedInteraction dialogs;
    int stops = 0;
    std::string opened;
    std::tm now{};
    now.tm_year = 126;
    now.tm_mday = 5;
    RamBufferCommands commands(settings, dialogs,
                               {.clock = [&] { return now; },
                                .stopRun = [&] { ++stops; },
                                .open = [&](const std::string& path) { opened = path; },
                                .workFolder = folder.Path()});
    commands.Attach(menus);
    ControlModel& form = settings.Form1();
    settings.Options0().SetText("txtBufferPath", folder.Path() + "buffers");
    std::filesystem::create_directory(folder.Path() + "buffers");
    const std::string saved = folder.Path() + "buffers/buffer end at 20260105_000000.wav";

    // Off, then allocated but still empty: nothing to save, no file.
    form.SetText("Combo12", "off");
    EXPECT_EQ(commands.RunStarts(4096, 1, 48000), "");
    menus.Trigger("SaveBuffer");
    form.SetText("Combo12", "4 Mbytes");
    EXPECT_EQ(commands.RunStarts(4096, 1, 48000), "  Buffer  43.69sec");
    menus.Trigger("BufferSave60");
    menus.Trigger("AnalyzeBuffer");
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>(3, "Buffer Empty"));
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path() + "buffers"));

    commands.Append(std::vector<int16_t>(4096, 7));
    EXPECT_EQ(form.Text("BufferLabel"), " 0%");
    menus.Trigger("SaveBuffer");
    EXPECT_EQ(form.Text("StatusLine"), "Saved <" + saved + ">");
    EXPECT_EQ(ReadBytes(saved).size(), 44u + 2 * 4096);
    // The position last received joins the name when names carry it.
    settings.Options0().SetChecked("AddUDP", true);
    form.SetText("UDPTXT", " 4530.1234N_00912.3456E ");
    menus.Trigger("SaveBuffer");
    EXPECT_TRUE(std::filesystem::exists(folder.Path() +
                                        "buffers/buffer end at 20260105_000000 4530.1234N_00912.3456E.wav"));

    // Save As over an existing file asks once: No shows the dialog again, Yes replaces it.
    dialogs.textAnswers = {saved, saved};
    dialogs.yesNoAnswers = {false, true};
    menus.Trigger("SaveBufferAs");
    EXPECT_EQ(std::ranges::count(dialogs.Texts(), "Replace " + saved + " ?"), 2);
    // The two buffers saved so far, and no temporary file left beside them.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path() + "buffers"), {}), 2);

    // Partial: an answer that is no number of seconds cancels; a name gets ".wav".
    dialogs.messages.clear();
    dialogs.dialogs.clear();
    dialogs.textAnswers = {"abc", "0.5", "2", folder.Path() + "part"};
    for (int i = 0; i < 3; ++i) {
        menus.Trigger("SaveBufferPartial");
    }
    ASSERT_EQ(dialogs.dialogs.size(), 1u);
    EXPECT_EQ(dialogs.dialogs[0].folder, folder.Path() + "buffers/");
    EXPECT_EQ(ReadBytes(folder.Path() + "part.wav").size(), 44u + 2 * 4096); // what was captured

    // A folder that cannot be written: a message, and the buffer is kept for another try.
    settings.Options0().SetText("txtBufferPath", folder.Path() + "missing");
    menus.Trigger("SaveBuffer");
    ASSERT_EQ(dialogs.messages.size(), 4u);
    EXPECT_TRUE(dialogs.messages.back().text.starts_with("Cannot write "));
    EXPECT_TRUE(commands.Buffer().HoldsSound());

    menus.Trigger("PlayBuffer");
    EXPECT_EQ(opened, folder.Path() + "temp.wav");
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
