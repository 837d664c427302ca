// The disk and system utilities: disk figures from a scripted volume list over real folders, the memory
// report of a sample /proc/meminfo, the task file, the priority buttons in child processes, and every
// button of the utilities window pressed once.
#include "display/Palette.h"
#include "settings/MenuModel.h"
#include "settings/SettingsModel.h"
#include "system/SystemCommands.h"
#include "ui/SettingsWindows.h"

#include "TempFolder.h"
#include "common/PrintLine.h"
#include "support/ByteFiles.h"
#include "support/ScriptedInteraction.h"

#include <QApplication>
#include <QPushButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ondrix {
namespace {

// Real folders as volumes with scripted sizes; the writable test is the real one.
class ScriptedVolumes : public VolumeSystem {
public:
    struct Sizes {
        uint64_t total, free;
    };
    std::map<std::string, Sizes> sizes;
    std::vector<std::string> Volumes() override {
        std::vector<std::string> names;
        for (const auto& [name, size] : sizes) {
            names.push_back(name);
        }
        return names;
    }
    std::string VolumeOf(std::string_view path) override { return std::string(path); }
    std::optional<uint64_t> FreeKB(std::string_view folder) override {
        return sizes.at(std::string(folder)).free;
    }
    std::optional<uint64_t> TotalKB(std::string_view folder) override {
        return sizes.at(std::string(folder)).total;
    }
    bool Writable(std::string_view folder) override { return LocalVolumes().Writable(folder); }
};

TEST(SystemUtilities, RecordingTimeLeft) {
    const struct {
        uint64_t freeKB;
        int rate;
        const char* text;
    } cases[] = {
        {1000000, kStereo48kBytesPerSecond, " 89 min"},  {1000000, kStereo96kBytesPerSecond, " 44 min"},
        {5439999, kStereo48kBytesPerSecond, " 484 min"}, {5440000, kStereo48kBytesPerSecond, " 8 hrs"},
        {5440000, kStereo96kBytesPerSecond, " 4 hrs"},   {3000000000, kStereo48kBytesPerSecond, " 4444 hrs"},
        {0, kStereo96kBytesPerSecond, " 0 min"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.freeKB);
        EXPECT_EQ(RecordingTimeText(c.freeKB, c.rate), c.text);
    }
}

TEST(SystemUtilities, DiskTablesLeaveOutEmptyVolumesAndNoFileBehind) {
    TempFolder a, b, c;
    ScriptedVolumes volumes;
    volumes.sizes = {{a.Path(), {2000000, 1000000}}, {b.Path(), {0, 0}}, {c.Path(), {8000000000, 5440000}}};
    const std::vector<std::string> lines = CheckDisksLines(volumes);
    const std::vector<std::string> expected = {
        ZoneFields({"Disk", " Size kb", " Free kb", " Writable", " 48kHz st", " 96kHz st"}),
        ZoneFields({a.Path(), " 2000000", " 1000000", " 1", " 89 min", " 44 min"}),
        ZoneFields({c.Path(), " 8000000000", " 5440000", " 1", " 8 hrs", " 4 hrs"})};
    std::vector<std::string> sorted = expected;
    std::sort(sorted.begin() + 1, sorted.end());
    EXPECT_EQ(lines, sorted);
    EXPECT_EQ(InfoDisksText(volumes),
              std::min(a.Path(), c.Path()) + "  " +
                  (a.Path() < c.Path() ? " 2000 Mb 1000 Free\r\n" : " 8000000 Mb 5440 Free\r\n") +
                  std::max(a.Path(), c.Path()) + "  " +
                  (a.Path() < c.Path() ? " 8000000 Mb 5440 Free\r\n" : " 2000 Mb 1000 Free\r\n"));
    EXPECT_EQ(DiskSpaceExText(volumes, c.Path()),
              "Drive " + c.Path() + "\r\nFree bytes  5570560000\r\nTotal bytes  8192000000000");
    for (const TempFolder* folder : {&a, &c}) {
        EXPECT_TRUE(std::filesystem::is_empty(folder->Path())) << folder->Path();
    }
}

TEST(SystemUtilities, MemCheckOfASampleMeminfo) {
    const char* sample =
        "MemTotal:       16318412 kB\nMemFree:         1034060 kB\n"
        "MemAvailable:    9790000 kB\nBuffers:          512000 kB\nCached:          8000000 kB\n"
        "SwapTotal:       2097148 kB\nSwapFree:        2097148 kB\n"
        "CommitLimit:    10256352 kB\nCommitted_AS:   12000000 kB\n";
    const std::optional<MemoryStatus> status = ParseMemInfo(sample);
    ASSERT_TRUE(status);
    EXPECT_EQ(MemCheckLines(*status),
              (std::vector<std::string>{"Mem Load  40% used", "Total Physical 16,318,412 Kbyte",
                                        "Available Physical 9,790,000 Kbyte", "Total Page 2,097,148 Kbyte",
                                        "Available Page 2,097,148 Kbyte", "Total Virtual 10,256,352 Kbyte",
                                        "Available Virtual 0 Kbyte"}));
    EXPECT_FALSE(ParseMemInfo("garbage\n\xff\x00"));
    // Without MemAvailable (older kernels): free + buffers + cache.
    EXPECT_EQ(ParseMemInfo("MemTotal: 1000 kB\nMemFree: 100 kB\nBuffers: 100 kB\nCached: 50 kB\n")->load,
              75U);
}

// Runs the priority change in a child process (as "nobody" with no nice or real-time allowance when
// dropRoot), which reports the lines, the refusal and the scheduling it ended with, and exits.
struct ChildPriority {
    PriorityResult result;
    int policy = -1;
    int nice = 0;
};
ChildPriority InChild(PriorityClass priority, bool dropRoot) {
    int pipeFds[2];
    EXPECT_EQ(pipe(pipeFds), 0);
    const pid_t child = fork();
    if (child == 0) {
        close(pipeFds[0]);
        if (dropRoot) {
            const rlimit none{0, 0};
            setrlimit(RLIMIT_NICE, &none);
            setrlimit(RLIMIT_RTPRIO, &none);
            if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
                _exit(2);
            }
        }
        const PriorityResult out = SetProcessPriority(priority);
        std::string text = std::to_string(sched_getscheduler(0)) + "\n" +
                           std::to_string(getpriority(PRIO_PROCESS, 0)) + "\n" + out.refusal + "\n";
        for (const std::string& line : out.lines) {
            text += line + "\n";
        }
        [[maybe_unused]] const ssize_t written = write(pipeFds[1], text.data(), text.size());
        _exit(0);
    }
    close(pipeFds[1]);
    std::string text;
    char buffer[512];
    for (ssize_t got; (got = read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ChildPriority reported;
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    reported.policy = std::stoi(line);
    std::getline(lines, line);
    reported.nice = std::stoi(line);
    std::getline(lines, reported.result.refusal);
    while (std::getline(lines, line)) {
        reported.result.lines.push_back(line);
    }
    return reported;
}

TEST(SystemUtilities, PriorityButtonsReportTheirResultInAChildProcess) {
    if (getpriority(PRIO_PROCESS, 0) != 0) {
        GTEST_SKIP() << "the priority buttons' results are known only from the normal priority";
    }
    const bool root = geteuid() == 0;
    const struct {
        PriorityClass priority;
        bool dropRoot;
        bool refused;
        int policy;
        int nice;
    } cases[] = {
        {PriorityClass::Normal, false, false, SCHED_OTHER, 0},
        {PriorityClass::High, false, !root, SCHED_OTHER, -10},
        {PriorityClass::RealTime, false, !root, SCHED_RR, 0},
        {PriorityClass::Normal, true, false, SCHED_OTHER, 0},
        {PriorityClass::High, true, true, SCHED_OTHER, 0},
        {PriorityClass::RealTime, true, true, SCHED_OTHER, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.priority) * 10 + c.dropRoot);
        const ChildPriority child = InChild(c.priority, c.dropRoot);
        EXPECT_EQ(child.result.refusal.empty(), !c.refused) << child.result.refusal;
        EXPECT_EQ(child.result.lines.at(3), c.refused ? "Result  0" : "Result  1");
        if (c.refused) {
            EXPECT_NE(child.result.refusal.find("(the program needs root or CAP_SYS_NICE)"),
                      std::string::npos);
        } else {
            EXPECT_EQ(child.policy, c.policy);
            EXPECT_EQ(child.nice, c.nice);
        }
    }
    EXPECT_EQ(sched_getscheduler(0), SCHED_OTHER) << "the test process itself was never changed";
}

int argc = 1;
char name[] = "test_system";
char* argv[] = {name, nullptr};

class UtilitiesWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (std::getenv("ONDRIX_TEST_XCB") != nullptr) {
            setenv("QT_QPA_PLATFORM", "xcb", 1);
        }
        app = new QApplication(argc, argv);
    }
    static void TearDownTestSuite() { delete app; }

    UtilitiesWindow() {
        volumes.sizes = {{disk.Path(), {2000000, 1000000}}, {empty.Path(), {0, 0}}};
        AttachSystemUtilities(SystemEnvironment{
            .settings = settings,
            .menus = menus,
            .interaction = dialogs,
            .volumes = volumes,
            .palette = palette,
            .programFolder = program.Path(),
            .showReport = [this](const std::vector<std::string>& lines) { report = lines; },
            .printers = [] { return std::vector<std::string>{"Office PDF"}; },
            .updateForm = [this] { calls.push_back("UpdateForm"); },
            .restoreSpecGram = [this] { calls.push_back("RestoreSpecGram"); },
            .setPriority = [](PriorityClass priority) { return InChild(priority, true).result; }});
    }
    std::string Picture() { return settings.Options2().Text("Picture1"); }

    static inline QApplication* app = nullptr;
    TempFolder disk, empty, program;
    ScriptedVolumes volumes;
    SettingsModel settings;
    MenuModel menus;
    ScriptedInteraction dialogs;
    Palette palette;
    std::vector<std::string> report;
    std::vector<std::string> calls;
};

TEST_F(UtilitiesWindow, EveryButtonOnceWithOnlyTheExpectedMessages) {
    if (getpriority(PRIO_PROCESS, 0) != 0) {
        GTEST_SKIP() << "the priority buttons' results are known only from the normal priority";
    }
    SpecialSettingsWindow window(settings.Options2());
    window.Open();
    EXPECT_EQ(settings.Options2().At("Drive1").items, std::vector<std::string>{disk.Path()});
    const struct {
        const char* button;
        std::string picture; // the start of the picture's text
        std::string message; // the start of the only message shown, or empty for none
    } presses[] = {
        {"DiskSpaceButton", "Drive " + disk.Path() + "\nFreeSpace  1000000\nDisk Size  2000000", ""},
        {"DiskSpaceExButton", "old", "Drive " + disk.Path()},
        {"CheckDiskButton", "Label  = ", ""},
        {"DiskTypeButton", "Drive " + disk.Path() + " ", ""},
        {"MemCheckButton", "Mem Load ", ""},
        {"ApplicationButton", "Path ", ""},
        {"NormalPriorityButton", "Process ID ", ""},
        {"HighPriorityButton", "Process ID ", "Set High Priority was refused: "},
        {"RealTimePriorityButton", "Process ID ", "Set RealTime Priority was refused: "},
        {"ListPrintersButton", "Installed Printers:\nOffice PDF", ""},
        {"KillTasksButton", "", kKillTasksMessage},
        {"FindDuplicatedColorsButton", " 1024 duplicated", ""}, // a palette not built: all equal
        {"ConfirmButton", "old", ""},
    };
    for (const auto& press : presses) {
        SCOPED_TRACE(press.button);
        auto* button = window.findChild<QPushButton*>(press.button);
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(button->isEnabled());
        dialogs.messages.clear();
        settings.Options2().SetText("Picture1", "old");
        button->click();
        EXPECT_EQ(Picture().substr(0, press.picture.size()), press.picture) << Picture();
        ASSERT_EQ(dialogs.messages.size(), press.message.empty() ? 0U : 1U);
        if (!press.message.empty()) {
            EXPECT_EQ(dialogs.Texts()[0].rfind(press.message, 0), 0U) << dialogs.Texts()[0];
        }
    }
    EXPECT_FALSE(window.isVisible()) << "Confirm Settings hides the window";
    EXPECT_EQ(calls, (std::vector<std::string>{"UpdateForm", "RestoreSpecGram"}));
    EXPECT_NE(settings.Options2().Text("DuplicatedColorsField").find("-511 "), std::string::npos);

    ASSERT_TRUE(menus.Trigger("ListDisks"));
    EXPECT_EQ(report.size(), 2U);
    settings.Options0().Click("ListFreespace");
    EXPECT_EQ(dialogs.Texts().back(), disk.Path() + "   2000 Mb 1000 Free\r\n");
}

// The task file is only listed: at most its first 64 KiB, names made printable and cut.
TEST_F(UtilitiesWindow, KillTasksListsTheFileSafely) {
    std::string huge = std::string("notepad.exe, \x01\xff"
                                   "bad\r\nsnd vol\n") +
                       std::string(200, 'x') + "\n";
    while (huge.size() < 1000000) {
        huge += "task,";
    }
    const struct {
        std::optional<std::string> file;
        std::string picture;
    } cases[] = {
        {std::nullopt, ""},
        {huge, "notepad.exe\n??bad\nsnd vol\n" + std::string(80, 'x') + "\ntask"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.has_value());
        if (c.file) {
            WriteBytes(program.Path() + "TaskKiller.set", *c.file);
        }
        dialogs.messages.clear();
        settings.Options2().Click("KillTasksButton");
        EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{kKillTasksMessage});
        const std::string picture = Picture();
        EXPECT_EQ(picture.substr(0, c.picture.size()), c.picture);
        EXPECT_LE(std::count(picture.begin(), picture.end(), '\n'), 1000);
    }
    EXPECT_EQ(Picture().find('\xff'), std::string::npos);
}

} // namespace
} // namespace ondrix
