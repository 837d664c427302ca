// Start-up of the whole program offscreen, in a temporary program folder: the saved files in their order,
// the program folder, the screen width, the command line; then the exit question, the quit path, the
// splash and the signals that end the program.
#include "TempFolder.h"
#include "common/Clock.h"
#include "recording/WavHeader.h"
#include "settings/Session.h"
#include "support/ScriptedInteraction.h"
#include "ui/Application.h"
#include "ui/MainWindow.h"
#include "ui/QtInteraction.h"
#include "ui/SplashWindow.h"
#include "ui/TerminationSignals.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace ondrix {
namespace {

constexpr const char* kExitQuestion = "Are you sure you want to terminate the program ?";

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// Processes events until the condition holds; gives up after a generous while so a fault cannot hang.
bool ProcessEventsUntil(const std::function<bool()>& condition) {
    QElapsedTimer waited;
    waited.start();
    while (!condition()) {
        if (waited.elapsed() > 30000) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

ApplicationOptions Options(const std::string& home, ScriptedInteraction& dialogs, int screenWidth = 1280,
                           std::vector<std::string> arguments = {}) {
    return {
        .home = home, .arguments = std::move(arguments), .screenWidth = screenWidth, .interaction = &dialogs};
}

std::string StatusLine(Application& app) {
    return app.Settings().Form1().Text("StatusLine");
}

TEST(StartUpTest, SavedFilesApplyInTheirOrderAndEachAddsToTheStatusLine) {
    TempFolder home;
    const std::string folders = home.Path() + "work/";
    std::filesystem::create_directory(folders);
    // The control state sets values the preset and the default paths then partly overwrite.
    WriteFile(home.Path() + "ondrix.ini", "FORM1.BlockSize  = 16384\r\n"
                                          "FORM1.SampleRate = 96000\r\n"
                                          "FORM1.Text2      = 4\r\n"
                                          "OPTIONS0.FileRecPathField = /nowhere/rec/\r\n"
                                          "OPTIONS1.TapeSpeedCombo = 0.5\r\n"
                                          "OPTIONS1.MaxSpectrogramHeight = 512\r\n"
                                          "OPTIONS1.QuickPanelFlag = 0\r\n");
    WriteFile(home.Path() + "default.preset",
              "4096\r\n*\r\n1024\r\n*\r\n*\r\n*\r\n7\r\n*\r\n*\r\n 0\r\n*\r\n");
    WriteFile(home.Path() + "defpaths.ini",
              folders + "play\r\n" + folders + "rec\r\n" + folders + "shots\r\n" + folders + "logs\r\n");
    WriteFile(home.Path() + "rates.ini", "8000, 96000\r\n250000\r\n");

    ScriptedInteraction dialogs;
    Application app(Options(home.Path(), dialogs));
    ControlModel& form = app.Settings().Form1();
    ControlModel& basic = app.Settings().Options0();
    ControlModel& advanced = app.Settings().Options1();

    EXPECT_EQ(StatusLine(app), "Load Controls. Load Settings. Load Paths. Ready...");
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front().text;
    // The preset wins over the control state; what it leaves alone ("*") keeps the saved value.
    EXPECT_EQ(form.Text("BlockSize"), "4096");
    EXPECT_EQ(form.Text("FFTSize"), "1024");
    EXPECT_EQ(form.Text("Combo8"), "7");
    EXPECT_EQ(form.Text("SampleRate"), "96000");
    EXPECT_EQ(form.Text("Text2"), "4");
    EXPECT_EQ(advanced.Text("TapeSpeedCombo"), "0.5");
    // The default paths win over the control state, and their folders are made.
    EXPECT_EQ(basic.Text("DefPlayPathField"), folders + "play");
    // (The analysis settings give the recording folder its closing "/".)
    EXPECT_EQ(basic.Text("FileRecPathField"), folders + "rec/");
    EXPECT_EQ(advanced.Text("DefSavePath"), folders + "shots");
    EXPECT_EQ(advanced.Text("DefLogPath"), folders + "logs");
    for (const char* folder : {"play", "rec", "shots", "logs"}) {
        EXPECT_TRUE(std::filesystem::is_directory(folders + folder)) << folder;
    }
    // The saved spectrogram height sets the display height; the saved panel choice hides the panel.
    EXPECT_EQ(form.Text("Combo7"), "512");
    EXPECT_FALSE(form.At("Frame1").visible);
    const std::vector<std::string> rates = {"8000", "96000", "250000"};
    EXPECT_EQ(form.At("SampleRate").items, rates);
    EXPECT_EQ(basic.At("SampleRate").items, rates);

    EXPECT_EQ(app.SessionLog(), home.Path() + "RecLog " + DateStampYMD() + ".Log");
    EXPECT_EQ(app.Main().windowTitle(), "Ondrix 2.0j Real-Time Spectrograph");
    EXPECT_EQ(app.Tasks().SessionMode(), 1);
    EXPECT_TRUE(app.Tasks().SessionStopped());
    EXPECT_TRUE(app.Menus().At("RealTimeAnalysis").checked);
}

TEST(StartUpTest, WithoutSavedFilesTheBuiltInDefaultsAndInitialValuesHold) {
    TempFolder home;
    ScriptedInteraction dialogs;
    Application app(Options(home.Path(), dialogs));
    ControlModel& form = app.Settings().Form1();
    ControlModel& basic = app.Settings().Options0();
    ControlModel& advanced = app.Settings().Options1();

    EXPECT_EQ(StatusLine(app), "Ready...");
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front().text;
    // "Reset to default".
    const std::vector<std::pair<const char*, const char*>> quick = {
        {"BlockSize", "8192"},     {"SampleRate", "48000"}, {"FFTSize", "512"}, {"WindowSize", "512"},
        {"WindowType", "Hanning"}, {"ScanStep", "512"},     {"Combo8", "0"},    {"Combo12", "off"}};
    for (const auto& [name, text] : quick) {
        EXPECT_EQ(form.Text(name), text) << name;
    }
    EXPECT_EQ(form.ListIndex("WindowType"), 1);
    EXPECT_FALSE(form.Checked("ZoomFlag"));
    EXPECT_FALSE(form.At("ZoomFlag").enabled);
    // The initial values.
    EXPECT_EQ(form.Text("Combo7"), "256");
    EXPECT_EQ(form.Text("Text1"), "0");
    EXPECT_EQ(form.Text("Text2"), "1");
    EXPECT_EQ(form.Text("Text5"), "0");
    EXPECT_EQ(basic.Text("NchanCombo"), "1 - mono (left)");
    EXPECT_EQ(basic.Text("FileModeCombo"), "2 - single file recording");
    EXPECT_EQ(basic.Text("FileMaxSizeCombo"), "680 MB (CD size)");
    EXPECT_TRUE(advanced.Checked("RTCursorFlag"));
    EXPECT_EQ(advanced.Text("AmplitudeScale"), "0 - dB");
    EXPECT_EQ(app.Settings().Options2().Text("Combo2"), "2");
    EXPECT_TRUE(form.At("Frame1").visible);
    // The analysis settings follow the Quick Settings.
    EXPECT_EQ(app.Settings().Analysis().sampleRate, 48000);
    EXPECT_EQ(app.Settings().Analysis().fftSize, 512);
    // No file is left behind but what start-up itself writes.
    EXPECT_FALSE(std::filesystem::exists(home.Path() + "ondrix.ini"));
}

TEST(StartUpTest, AMissingInputDeviceKeepsTheSavedOutputDevice) {
    TempFolder home;
    WriteFile(home.Path() + "ondrix.ini",
              "FORM1.Combo10 = Gone Microphone\r\nOPTIONS0.Combo9 = Ondrix Null Output\r\n");
    ScriptedInteraction dialogs;
    Application app(Options(home.Path(), dialogs));
    ASSERT_EQ(dialogs.Texts().size(), 1u);
    EXPECT_TRUE(dialogs.Texts().front().starts_with("Sound Input Device [Gone Microphone] not existent"));
    EXPECT_EQ(app.Settings().Form1().ListIndex("Combo10"), 0);
    EXPECT_EQ(app.Settings().Options0().Text("Combo9"), "Ondrix Null Output");
}

TEST(StartUpTest, TheProgramFolderIsMadeOrReportedOnce) {
    TempFolder temp;
    {
        ScriptedInteraction dialogs;
        const std::string fresh = temp.Path() + "config/ondrix/";
        Application app(Options(fresh, dialogs));
        EXPECT_TRUE(std::filesystem::is_directory(fresh));
        EXPECT_TRUE(dialogs.messages.empty());
        EXPECT_EQ(StatusLine(app), "Ready...");
    }
    {
        // A folder below a plain file can never be made.
        WriteFile(temp.Path() + "plain", "");
        ScriptedInteraction dialogs;
        const std::string impossible = temp.Path() + "plain/ondrix/";
        Application app(Options(impossible, dialogs));
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_NE(dialogs.messages[0].text.find(impossible), std::string::npos);
        EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Exclamation);
        EXPECT_EQ(StatusLine(app), "Ready...");
        EXPECT_EQ(app.Tasks().SessionMode(), 1);
    }
}

TEST(StartUpTest, TheScreenWidthPlacesTheMainWindow) {
    TempFolder home;
    WriteFile(home.Path() + "ondrix.ini", "OPTIONS1.MaxSpectrogramHeight = 512\r\n");
    struct Case {
        int width;
        bool message;
        bool maximised;
        const char* height;
    };
    for (const Case& c :
         {Case{640, true, true, "256"}, Case{800, false, true, "256"}, Case{1280, false, false, "512"}}) {
        ScriptedInteraction dialogs;
        Application app(Options(home.Path(), dialogs, c.width));
        EXPECT_EQ(dialogs.Texts(), c.message ? std::vector<std::string>{"Screen resolution not supported"}
                                             : std::vector<std::string>{})
            << c.width;
        EXPECT_EQ(app.Settings().Form1().Text("Combo7"), c.height) << c.width;
        EXPECT_EQ(StatusLine(app), "Load Controls. Ready...") << c.width;
        app.Show();
        EXPECT_EQ(app.Main().isMaximized(), c.maximised) << c.width;
        EXPECT_TRUE(app.Main().isVisible());
    }
}

// A loop that writes its life into a journal and runs a test action in each pass; it ends itself after a
// few passes unless something ends it first.
class JournalSession : public Session {
public:
    JournalSession(Application& app, std::vector<std::string>& journal, std::function<void(int)> onPass)
        : app_(app), journal_(journal), onPass_(std::move(onPass)) {}

    void SetUp() override {
        journal_.push_back("set up in task " + std::to_string(app_.Tasks().SessionMode()));
    }
    PassResult Pass() override {
        ++passes_;
        journal_.push_back("pass " + std::to_string(passes_));
        if (onPass_) {
            onPass_(passes_);
        }
        if (passes_ >= 5) {
            app_.Tasks().SetSessionStopped(true);
        }
        return PassResult::Busy;
    }
    void CleanUp() override { journal_.push_back("clean up"); }

private:
    Application& app_;
    std::vector<std::string>& journal_;
    std::function<void(int)> onPass_;
    int passes_ = 0;
};

class CommandLineRunTest : public ::testing::Test {
protected:
    // Starts the program with the command line and lets the event loop act on it.
    void Start(std::vector<std::string> arguments) {
        app.reset();
        app = std::make_unique<Application>(Options(home.Path(), dialogs, 1280, std::move(arguments)));
        app->Tasks().Loops().Register(LoopSlot::RealTimeMono, [this] {
            return std::make_unique<JournalSession>(*app, journal, [](int) {});
        });
        app->SetFileOpener([this](const std::string& path) { journal.push_back("open " + path); });
        QApplication::processEvents();
    }

    TempFolder home;
    ScriptedInteraction dialogs;
    std::vector<std::string> journal;
    std::unique_ptr<Application> app;
};

TEST_F(CommandLineRunTest, RecStartsRecordingAndTheFileOpensAfterIt) {
    const std::string sound = home.Path() + "night 1.wav";
    WriteFile(sound, "RIFF");
    Start({sound, "/rec"});
    const std::vector<std::string> expected = {"set up in task 2", "pass 1", "pass 2",   "pass 3",
                                               "pass 4",           "pass 5", "clean up", "open " + sound};
    EXPECT_EQ(journal, expected);
    EXPECT_EQ(app->Tasks().SessionMode(), 2);
    EXPECT_TRUE(app->Main().isVisible());
}

TEST_F(CommandLineRunTest, AFileWithASwitchOpensWithoutARun) {
    const std::string sound = home.Path() + "night 1.wav";
    WriteFile(sound, "RIFF");
    Start({sound + "/AUTO"});
    Start({sound, "/auto"});
    EXPECT_EQ(journal, (std::vector<std::string>{"open " + sound, "open " + sound}));
    EXPECT_EQ(app->Tasks().SessionMode(), 1);
}

TEST_F(CommandLineRunTest, ABlankBeforeTheSwitchOrAMissingFileOpensNothing) {
    const std::string sound = home.Path() + "night.wav";
    WriteFile(sound, "RIFF");
    Start({sound + " /AUTO"});
    EXPECT_TRUE(journal.empty());
    Start({home.Path() + "missing.wav"});
    EXPECT_TRUE(journal.empty());
    Start({});
    EXPECT_TRUE(journal.empty());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST(CommandLineOpenTest, TheFileIsOpenedForAnalysis) {
    TempFolder home;
    const std::string sound = home.Path() + "night.wav";
    WriteFile(sound, std::string(44 + 9600, '\0'));
    ASSERT_TRUE(WriteWavHeader(sound, 1, 24000));
    ScriptedInteraction dialogs;
    Application app(Options(home.Path(), dialogs, 1280, {sound}));
    QApplication::processEvents();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(app.Tasks().CurrentFileName(), sound);
    EXPECT_EQ(app.Settings().Form1().Text("SampleRate"), "24000");
}

class ExitTest : public ::testing::Test {
protected:
    ExitTest() : app(Options(home.Path(), dialogs)) { app.Main().show(); }

    // Runs the loop of task 1 with a test action in each pass.
    void Run(std::function<void(int)> onPass) {
        app.Tasks().Loops().Register(LoopSlot::RealTimeMono, [this, onPass] {
            return std::make_unique<JournalSession>(app, journal, onPass);
        });
        app.Settings().Form1().Click("StartStop");
    }

    TempFolder home;
    ScriptedInteraction dialogs;
    Application app;
    std::vector<std::string> journal;
};

TEST_F(ExitTest, TheQuestionComesFirstAndNoLeavesEverything) {
    dialogs.yesNoAnswers = {false, false};
    app.ExitProgram();
    app.Main().close();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    for (const auto& shown : dialogs.messages) {
        EXPECT_EQ(shown.text, kExitQuestion);
        EXPECT_EQ(shown.icon, MessageIcon::Critical);
    }
    EXPECT_TRUE(app.Main().isVisible());
    EXPECT_FALSE(app.Quitting());

    // Closing the window and answering Yes ends the program.
    dialogs.yesNoAnswers = {true};
    app.Main().close();
    EXPECT_FALSE(app.Main().isVisible());
    EXPECT_TRUE(app.Quitting());
}

TEST_F(ExitTest, DuringARunNoGoesOnAndYesStopsCleansUpAndEnds) {
    dialogs.yesNoAnswers = {false, true};
    Run([this](int pass) {
        if (pass == 3) {
            app.Settings().Form1().SetChecked("PauseButton", true);
        }
        if (pass == 1 || pass == 3) {
            app.ExitProgram();
        }
    });
    const std::vector<std::string> expected = {"set up in task 1", "pass 1", "pass 2", "pass 3", "clean up"};
    EXPECT_EQ(journal, expected);
    EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{kExitQuestion, kExitQuestion}));
    EXPECT_FALSE(app.Tasks().Running());
    EXPECT_FALSE(app.Settings().Form1().Checked("PauseButton"));
    EXPECT_FALSE(app.Main().isVisible());
}

TEST_F(ExitTest, QuitAsksNothingAndStillStopsTheRunFirst) {
    Run([this](int pass) {
        if (pass == 2) {
            app.Quit();
            // The window stays until the loop has cleaned up.
            journal.push_back(app.Main().isVisible() ? "window open" : "window closed");
        }
    });
    const std::vector<std::string> expected = {"set up in task 1", "pass 1", "pass 2", "window open",
                                               "clean up"};
    EXPECT_EQ(journal, expected);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(app.Main().isVisible());
}

// Every way a run starts against every way it ends, in the event loop as the program runs: the run ends
// at its next pass, no second run follows, and a quit ends the event loop. Stop quits only once the
// program has stayed idle a while. A hang fails at the guard, never on a measured time.
TEST(RunEndTest, EveryWayOfEndingEndsARunHoweverItStarted) {
    struct Start {
        const char* name;
        bool fileToAnalyse; // the command line names a sound file and "Analysis on open" is checked
        std::function<void(Application&, const std::string& sound)> begin;
    };
    struct End {
        const char* name;
        std::function<void(Application&)> end;
        bool quits;
    };
    const auto clickStart = [](Application& app, const std::string& sound) {
        QTimer::singleShot(0, &app.Main(), [&app, sound] {
            app.OpenFile(sound);
            app.Menus().Trigger("FileAnalysis");
            app.Settings().Form1().Click("StartStop");
        });
    };
    const auto startSwitch = [](Application& app, const std::string&) { app.StartWhenShown(); };
    const std::vector<Start> starts = {{"Start", false, clickStart},
                                       {"--start", false, startSwitch},
                                       {"file with Analysis on open", true, {}},
                                       {"--start file with Analysis on open", true, startSwitch}};
    const std::vector<End> ends = {
        {"Stop", [](Application& app) { app.Settings().Form1().Click("StartStop"); }, false},
        {"Exit", [](Application& app) { app.ExitProgram(); }, true},
        {"SIGTERM", [](Application&) { ASSERT_EQ(raise(SIGTERM), 0); }, true},
        {"--quit-after", [](Application& app) { app.Quit(); }, true}};
    constexpr int kIdleTicks = 30;

    TempFolder home;
    const std::string sound = home.Path() + "night.wav";
    WriteFile(sound, std::string(44 + 4 * 48000, '\0'));
    ASSERT_TRUE(WriteWavHeader(sound, 1, 48000));
    for (const Start& start : starts) {
        for (const End& end : ends) {
            SCOPED_TRACE(std::string(start.name) + " ended by " + end.name);
            ScriptedInteraction dialogs;
            dialogs.yesNoAnswers = {true}; // the exit question
            Application app(
                Options(home.Path(), dialogs, 1280,
                        start.fileToAnalyse ? std::vector<std::string>{sound} : std::vector<std::string>{}));
            app.Settings().Options0().SetChecked("CheckAnalysisOnOpen", start.fileToAnalyse);
            TerminationSignals quitSignals;
            quitSignals.SetHandler([&app](int) { app.Quit(); });
            app.Show();
            if (start.begin) {
                start.begin(app, sound);
            }
            bool ended = false;
            int idleTicks = 0;
            QTimer ender;
            QObject::connect(&ender, &QTimer::timeout, [&] {
                const TaskController& tasks = app.Tasks();
                if (!ended && tasks.Running() && !tasks.SessionStopped()) {
                    ended = true;
                    end.end(app);
                } else if (ended && !end.quits && !tasks.Running() && ++idleTicks == kIdleTicks) {
                    app.Quit();
                }
            });
            ender.start(10);
            bool hung = false;
            QTimer guard;
            guard.setSingleShot(true);
            QObject::connect(&guard, &QTimer::timeout, [&] {
                hung = true;
                app.Tasks().SetSessionStopped(true);
                QCoreApplication::quit();
            });
            guard.start(20000);
            QApplication::exec();
            ender.stop();
            guard.stop();
            QApplication::processEvents(); // the quit CloseAll queued must not end the next case at once

            EXPECT_FALSE(hung);
            EXPECT_TRUE(ended);
            EXPECT_EQ(app.Tasks().RunsStarted(), 1);
            EXPECT_FALSE(app.Main().isVisible());
        }
    }
}

TEST(ExitQuestionTest, TheQtQuestionDefaultsToNoAndDoesNotStallACapture) {
    QWidget window;
    window.show();
    QtInteraction qt(&window);
    qt.SetCaptureRunning(true);
    std::optional<bool> answer;
    qt.AskYesNoDefaultNo(kExitQuestion, MessageIcon::Critical, [&](bool yes) { answer = yes; });
    // Window-modal: the call has returned before anyone answered.
    EXPECT_FALSE(answer.has_value());
    auto* box = window.findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(static_cast<QAbstractButton*>(box->defaultButton()), box->button(QMessageBox::No));
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    box->button(QMessageBox::Yes)->click();
    ASSERT_TRUE(ProcessEventsUntil([&] { return answer.has_value(); }));
    EXPECT_TRUE(*answer);
}

TEST(SplashTest, AClickEndsTheProgressEarly) {
    SplashWindow splash("Credits");
    QTimer::singleShot(0, &splash, [&splash] {
        auto* progress = splash.findChild<QLineEdit*>("TextProgress");
        ASSERT_NE(progress, nullptr);
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(progress, &press);
    });
    // Were the click lost, the progress would run for a minute; the test's timeout would catch that.
    splash.Run(std::chrono::minutes(1));
    EXPECT_FALSE(splash.isVisible());
    EXPECT_EQ(splash.objectName(), "frmSplash");
    EXPECT_LT(splash.Progress().size(), 6000);
    EXPECT_EQ(splash.Progress(), QString(splash.Progress().size(), QLatin1Char('.')));
}

TEST(SplashTest, TheProgressGainsADotPerStepOfItsLength) {
    SplashWindow splash("Credits");
    splash.Run(std::chrono::milliseconds(50));
    EXPECT_EQ(splash.Progress(), QString(5, QLatin1Char('.')));
    EXPECT_FALSE(splash.isVisible());
}

TEST(TerminationSignalsTest, ASignalArrivesAsAnEventAndEarlierOnesWaitForTheHandler) {
    TerminationSignals watcher;
    ASSERT_TRUE(watcher.Installed());
    std::vector<int> received;

    // Before there is a handler (start-up), the signal is kept.
    ASSERT_EQ(raise(SIGTERM), 0);
    QApplication::processEvents();
    watcher.SetHandler([&](int signal) { received.push_back(signal); });
    ASSERT_TRUE(ProcessEventsUntil([&] { return received.size() == 1; }));
    EXPECT_EQ(received[0], SIGTERM);

    for (int signal : {SIGINT, SIGHUP}) {
        ASSERT_EQ(raise(signal), 0);
        ASSERT_TRUE(ProcessEventsUntil([&] { return received.back() == signal; }));
    }
    EXPECT_EQ(received, (std::vector<int>{SIGTERM, SIGINT, SIGHUP}));
}

} // namespace
} // namespace ondrix
