// The whole program driven by datagrams on 127.0.0.1: RECMODE and START record the test signal, STATUS names
// the file, STOP closes it with its final header, SAVEBUFFER writes the RAM buffer, and each command is a
// line of the session log.
#include "RemoteRig.h"
#include "TempFolder.h"
#include "recording/WavHeader.h"
#include "support/ByteFiles.h"
#include "support/ScriptedInteraction.h"
#include "support/TestSignalInput.h"
#include "ui/Application.h"

#include <QTimer>

#include <algorithm>
#include <filesystem>

namespace ondrix {
namespace {

// The file's header must be the final one for its length, mono at 48000/s, with samples after it.
void ExpectClosedWav(const std::string& path) {
    const auto file = ReadBytes(path);
    const auto header = WavHeaderBytes(file.size(), 1, 48000);
    EXPECT_GT(file.size(), header.size()) << path;
    EXPECT_TRUE(file.size() >= header.size() && std::equal(header.begin(), header.end(), file.begin()))
        << path;
}

TEST(RemoteApplicationTest, RecordsOnCommandAndSavesTheBuffer) {
    Controller controller;
    TempFolder home;
    ScriptedInteraction dialogs;
    Application app({.home = home.Path(), .screenWidth = 1280, .interaction = &dialogs});
    ControlModel& form = app.Settings().Form1();
    ControlModel& options = app.Settings().Options0();
    ASSERT_TRUE(ChooseTestSignal(form));
    form.SetText("Combo12", "4 Mbytes"); // the RAM buffer: off by default
    for (const char* folder : {"FileRecPathField", "txtBufferPath"}) {
        options.SetText(folder, home.Path());
    }
    const int port = FreePort();
    options.SetText("LocalPort2", std::to_string(port));
    options.SetText("RemoteIP2", "127.0.0.1");
    options.SetText("RemotePort2", std::to_string(controller.Port()));
    options.Click("chkUDPSlave");

    // Status is asked once the run has recorded a few blocks, and once it names the recording the run is
    // stopped by command too.
    bool asked = false;
    std::string running;
    QTimer watch;
    int ticks = 0;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (++ticks == 1000 && !app.Tasks().SessionStopped()) {
            form.Click("StartStop"); // a guard: no command reached the run
        }
        if (!asked && app.LastRunStatus().blocks >= 4) {
            asked = true;
            controller.Send(port, "$ONDRIX,STATUS");
        }
        for (const std::string& reply : controller.replies) {
            if (running.empty() && reply.starts_with("Status Run Task 2 ")) {
                running = reply;
                controller.Send(port, "$ONDRIX,STOP");
            }
        }
    });
    watch.start(20);
    controller.Send(port, "$ONDRIX,RECMODE");
    controller.Send(port, "$ONDRIX,START");
    const std::vector<std::string> replies = controller.Take(5);
    watch.stop();
    EXPECT_EQ(replies, (std::vector<std::string>{"RECMODE", "START", "STATUS", running, "STOP"}));
    ASSERT_TRUE(ProcessUntil([&] { return !app.Tasks().Running(); }));
    std::vector<std::string> recordings;
    for (const auto& entry : std::filesystem::directory_iterator(home.Path())) {
        if (entry.path().extension() == ".wav") {
            recordings.push_back(entry.path().string());
        }
    }
    ASSERT_EQ(recordings.size(), 1U);
    EXPECT_TRUE(running.starts_with("Status Run Task 2 " + recordings[0] + " 48000 x 1 Fails ")) << running;
    ExpectClosedWav(recordings[0]);

    controller.Send(port, "$ONDRIX,SAVEBUFFER");
    controller.Send(port, "$ONDRIX,STATUS");
    EXPECT_EQ(controller.Take(3), (std::vector<std::string>{"SAVEBUFFER", "STATUS",
                                                            "Status Stop Task 2 48000 x 1 Fails 0 OVL 0"}));
    const std::string saved = form.Text("StatusLine");
    ASSERT_TRUE(saved.starts_with("Saved <" + home.Path())) << saved;
    ExpectClosedWav(saved.substr(7, saved.size() - 8));
    app.Settings().Options1().SetText("DefSavePath", home.Path());
    controller.Send(port, "$ONDRIX,SNAPSHOT");
    EXPECT_EQ(controller.Take(1), std::vector<std::string>{"SNAPSHOT"});
    ASSERT_TRUE(ProcessUntil([&] { return form.Text("StatusLine") == "SNAPSHOT"; }));
    bool bitmap = false;
    for (const auto& entry : std::filesystem::directory_iterator(home.Path())) {
        bitmap = bitmap || (entry.path().extension() == ".bmp" &&
                            entry.path().filename().string().starts_with("wSpec ") && entry.file_size() > 54);
    }
    EXPECT_TRUE(bitmap);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front().text;

    const auto log = ReadBytes(app.SessionLog());
    const std::string text(log.begin(), log.end());
    for (const char* word : {"RECMODE", "START", "STOP", "SAVEBUFFER", "SNAPSHOT"}) {
        EXPECT_NE(text.find(word), std::string::npos) << word;
    }
}

} // namespace
} // namespace ondrix
