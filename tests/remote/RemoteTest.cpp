// The remote control: the sentence parser and status text as tables, then real datagrams on 127.0.0.1
// through a task controller whose run is a journal: echoes, status idle and running, junk, a mode command
// during a run, ports in use and refused reply addresses.
#include "RemoteRig.h"
#include "remote/RemoteControl.h"
#include "settings/MenuModel.h"
#include "settings/SettingsModel.h"
#include "settings/TaskController.h"
#include "support/JournalSession.h"
#include "support/ScriptedInteraction.h"
#include "ui/QtEventPump.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace ondrix {
namespace {

TEST(RemoteSentence, CommandWordsAndCommands) {
    const struct {
        std::string sentence;
        std::optional<std::string> word;
        RemoteCommand command;
    } cases[] = {
        {"$ONDRIX,STATUS", "STATUS", RemoteCommand::Status},
        {"$ONDRIX,status", "STATUS", RemoteCommand::Status},
        {"$ondrix,STATUS", std::nullopt, RemoteCommand::Unknown},
        {"$ONDRIX, START ,anything", "START", RemoteCommand::Start},
        {"$ONDRIX,START\r\n", "START\r\n", RemoteCommand::Unknown},
        {"$ONDRIX,\tSTOP", "\tSTOP", RemoteCommand::Unknown},
        {"$ONDRIX,", "", RemoteCommand::Unknown},
        {"$ONDRIX,,SaveBuffer", "", RemoteCommand::Unknown},
        {"$ONDRIX,SaveBuffer,1", "SAVEBUFFER", RemoteCommand::SaveBuffer},
        {"$ONDRIX,Recmode", "RECMODE", RemoteCommand::RecMode},
        {"$ONDRIX,DISPLAYMODE", "DISPLAYMODE", RemoteCommand::DisplayMode},
        {"$ONDRIX,SNAPSHOT", "SNAPSHOT", RemoteCommand::Snapshot},
        {"$ONDRIX,STOPS", "STOPS", RemoteCommand::Unknown},
        {"$ONDRIX", std::nullopt, RemoteCommand::Unknown},
        {" $ONDRIX,STOP", std::nullopt, RemoteCommand::Unknown},
        {"", std::nullopt, RemoteCommand::Unknown},
        {std::string("$ONDRIX,ST\0P", 12), std::string("ST\0P", 4), RemoteCommand::Unknown},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sentence);
        EXPECT_EQ(CommandWord(c.sentence), c.word);
        EXPECT_EQ(CommandFromWord(CommandWord(c.sentence).value_or("")), c.command);
    }
}

TEST(RemoteSentence, StatusTexts) {
    const struct {
        RemoteStatus status;
        const char* text;
    } statuses[] = {
        {{true, 1, "", 48000, 1, 0, 0}, "Status Stop Task 1 48000 x 1 Fails 0 OVL 0"},
        {{false, 2, "/rec/a.wav", 96000, 2, 3, 12}, "Status Run Task 2 /rec/a.wav 96000 x 2 Fails 3 OVL 12"},
        {{true, 2, "/rec/a.wav", 8000, 1, 0, 0}, "Status Stop Task 2 8000 x 1 Fails 0 OVL 0"},
    };
    for (const auto& c : statuses) {
        EXPECT_EQ(StatusText(c.status), c.text);
    }
}

// A remote control on a free port, replying to the controller; runs of task 1 are journals that end by
// themselves after a guard's number of passes when no command ends them.
class RemoteControlTest : public ::testing::Test {
protected:
    static constexpr int kGuardPasses = 3000;

    RemoteControlTest() {
        ControlModel& options = settings.Options0();
        options.SetText("LocalPort2", std::to_string(port));
        options.SetText("RemoteIP2", "127.0.0.1");
        options.SetText("RemotePort2", std::to_string(controller.Port()));
        tasks.Loops().Register(LoopSlot::RealTimeMono, [this] {
            auto session = std::make_unique<JournalSession>(tasks, journal, nullptr, kGuardPasses);
            session->idleFrom = 1;
            return session;
        });
    }
    void Enable() {
        settings.Options0().Click("chkUDPSlave");
        EXPECT_EQ(settings.Options0().Text("txtUDP2"), "Enabled");
    }

    Controller controller;
    int port = FreePort();
    SettingsModel settings;
    MenuModel menus;
    ScriptedInteraction dialogs;
    QtEventPump pump;
    TaskController tasks{settings, menus, dialogs, pump};
    std::vector<std::string> journal;
    std::vector<std::string> log;
    int snapshots = 0;
    RemoteControl remote{{.settings = settings,
                          .menus = menus,
                          .tasks = tasks,
                          .interaction = dialogs,
                          .log = [this](const std::string& line) { log.push_back(line); },
                          .snapshot = [this] { ++snapshots; },
                          .overloads = [] { return int64_t{7}; }}};
};

TEST_F(RemoteControlTest, EchoesStatusIdleAndRunningAndJunkChangesNothing) {
    Enable();
    const std::string idle = "Status Stop Task 1 48000 x 1 Fails 0 OVL 7";
    controller.Send(port, "$ONDRIX,STATUS");
    EXPECT_EQ(controller.Take(2), (std::vector<std::string>{"STATUS", idle}));

    std::mt19937 random(11);
    std::string noise(60000, '\0');
    for (char& c : noise) {
        c = static_cast<char>(random());
    }
    for (const std::string& junk :
         {std::string(), noise, std::string("$ONDRIX,START\r\n"), std::string("$ondrix,START"),
          std::string("START"), std::string("$ONDRIX, stop ,x"), std::string("\0\xff$ONDRIX,START", 16)}) {
        controller.Send(port, junk);
    }
    controller.Send(port, "$ONDRIX,Snapshot");
    controller.Send(port, "$ONDRIX,STATUS");
    EXPECT_EQ(controller.Take(5),
              (std::vector<std::string>{"START\r\n", "STOP", "SNAPSHOT", "STATUS", idle}));
    EXPECT_EQ(tasks.RunsStarted(), 0);
    EXPECT_EQ(snapshots, 1);
    // A Stop while idle is logged and shown, nothing more.
    EXPECT_EQ(log, (std::vector<std::string>{"STOP", "SNAPSHOT"}));
    EXPECT_EQ(settings.Form1().Text("StatusLine"), "SNAPSHOT");
    EXPECT_EQ(settings.Options0().Text("txtUDP2"), "$ONDRIX,STATUS");

    // The run starts inside the Start; Status and the mode command arrive between its passes. The mode
    // command ends the run and switches the task only after its clean-up: one run, no loop inside another.
    log.clear();
    for (const char* command : {"$ONDRIX,START", "$ONDRIX,STATUS", "$ONDRIX,RECMODE"}) {
        controller.Send(port, command);
    }
    EXPECT_EQ(controller.Take(4),
              (std::vector<std::string>{"START", "STATUS", "Status Run Task 1 48000 x 1 Fails 0 OVL 7",
                                        "RECMODE"}));
    ASSERT_TRUE(ProcessUntil([&] { return tasks.SessionMode() == 2; }));
    controller.Send(port, "$ONDRIX,status");
    EXPECT_EQ(controller.Take(2),
              (std::vector<std::string>{"STATUS", "Status Stop Task 2 48000 x 1 Fails 0 OVL 7"}));
    EXPECT_EQ(tasks.RunsStarted(), 1);
    EXPECT_FALSE(tasks.Running());
    EXPECT_EQ(journal.back(), "clean up");
    EXPECT_EQ(log, (std::vector<std::string>{"START", "RECMODE"}));
    EXPECT_EQ(settings.Form1().Text("StatusLine"), "RECMODE");
    EXPECT_EQ(settings.Form1().At("StartStop").caption, "REC Start");
}

// A port held elsewhere is reported and the field moves on; the search stops at a text that is no port.
// Unchecking the box frees the port.
TEST_F(RemoteControlTest, PortsInUseMoveOnAndTheSearchEnds) {
    QUdpSocket held;
    ASSERT_TRUE(
        held.bind(QHostAddress::AnyIPv4, static_cast<quint16>(port), QAbstractSocket::DontShareAddress));
    QUdpSocket last;
    (void)last.bind(QHostAddress::AnyIPv4, 65535, QAbstractSocket::DontShareAddress); // or held by another
    const std::string next = std::to_string(port + 1);
    const struct {
        std::string typed;
        std::vector<std::string> messages;
        std::string field;
    } cases[] = {
        {std::to_string(port), {"Local Port " + std::to_string(port) + " already in use"}, next},
        {"65535",
         {"Local Port 65535 already in use",
          "Local Port 65536 is not a port from 1 to 65535: no port is open"},
         "65536"},
        {"port", {"Local Port port is not a port from 1 to 65535: no port is open"}, "port"},
    };
    Enable();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        dialogs.messages.clear();
        settings.Options0().Type("LocalPort2", c.typed);
        EXPECT_EQ(dialogs.Texts(), c.messages);
        EXPECT_EQ(settings.Options0().Text("LocalPort2"), c.field);
    }
    settings.Options0().Type("LocalPort2", std::to_string(port));
    controller.Send(port + 1, "$ONDRIX,STATUS");
    EXPECT_EQ(controller.Take(2).front(), "STATUS");
    settings.Options0().Click("chkUDPSlave");
    EXPECT_EQ(settings.Options0().Text("txtUDP2"), "Disabled");
    QUdpSocket probe;
    EXPECT_TRUE(
        probe.bind(QHostAddress::AnyIPv4, static_cast<quint16>(port + 1), QAbstractSocket::DontShareAddress));
}

TEST_F(RemoteControlTest, AReplyAddressThatIsNoIpAddressIsRefused) {
    ControlModel& options = settings.Options0();
    for (const char* typed : {"localhost", "10.1.2.3", "10.1.2", "127.0.0.1"}) {
        options.Type("RemoteIP2", typed);
    }
    EXPECT_EQ(dialogs.Texts(),
              (std::vector<std::string>{"localhost is not an IP address: feedback goes to 127.0.0.1",
                                        "10.1.2 is not an IP address: feedback goes to 10.1.2.3"}));
    EXPECT_EQ(options.Text("RemoteIP2"), "127.0.0.1");
}

// The fuzz corpus replayed, seeds and every finding kept: an input that breaks an invariant aborts.
TEST(RemoteFuzz, CorpusReplaysWithoutBreakingAnInvariant) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(FUZZ_CORPUS)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        ++files;
    }
    EXPECT_GE(files, 9);
}

} // namespace
} // namespace ondrix
