// Start-up of the whole program offscreen, in a temporary program folder: the saved files in their order,
// the program folder, the screen width, the command line; then the exit question, the quit path, the
// splash and the signals that end the program.
#include "TempFolder.h"
#include "common/Clock.h"
#include "display/SpectrogramRenderer.h"
#include "support/ByteFiles.h"
#include "support/JournalSession.h"
#include "support/ScriptedInteraction.h"
#include "support/SoundFileBytes.h"
#include "ui/Application.h"
#include "ui/MainWindow.h"
#include "ui/SplashWindow.h"
#include "ui/TerminationSignals.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <functional>
#include <numbers>

namespace ondrix {
namespace {

constexpr const char* kExitQuestion = "Are you sure you want to terminate the program ?";

// Processes events until the condition holds; gives up after a generous while so a fault cannot hang.
bool ProcessEventsUntil(const std::function<bool()>& condition) {
    for (QDeadlineTimer deadline(30000); !condition() && !deadline.hasExpired();) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return condition();
}

ApplicationOptions Options(const std::string& home, ScriptedInteraction& dialogs, int screenWidth = 1280,
                           std::vector<std::string> arguments = {}) {
    return {
        .home = home, .arguments = std::move(arguments), .screenWidth = screenWidth, .interaction = &dialogs};
}

std::string StatusLine(Application& app) {
    return app.Settings().Form1().Text("StatusLine");
}

// The texts of the named controls, joined by blanks.
std::string Texts(const ControlModel& model, std::initializer_list<const char*> names) {
    std::string texts;
    for (const char* name : names) {
        texts += (texts.empty() ? "" : " ") + model.Text(name);
    }
    return texts;
}

// The saved files must apply in their order (control state, preset, default paths, rates), each adding to
// the status line: a file applied out of order leaves the wrong value.
TEST(StartUpTest, SavedFilesApplyInTheirOrderAndEachAddsToTheStatusLine) {
    TempFolder home;
    const std::string folders = home.Path() + "work/";
    std::filesystem::create_directory(folders);
    // The control state sets values the preset and the default paths then partly overwrite.
    WriteBytes(home.Path() + "ondrix.ini", "FORM1.BlockSize  = 16384\r\n"
                                           "FORM1.SampleRate = 96000\r\n"
                                           "FORM1.Text2      = 4\r\n"
                                           "OPTIONS0.FileRecPathField = /nowhere/rec/\r\n"
                                           "OPTIONS1.TapeSpeedCombo = 0.5\r\n"
                                           "OPTIONS1.MaxSpectrogramHeight = 512\r\n"
                                           "OPTIONS1.QuickPanelFlag = 0\r\n");
    WriteBytes(home.Path() + "default.preset",
               "4096\r\n*\r\n1024\r\n*\r\n*\r\n*\r\n7\r\n*\r\n*\r\n 0\r\n*\r\n");
    WriteBytes(home.Path() + "defpaths.ini",
               folders + "play\r\n" + folders + "rec\r\n" + folders + "shots\r\n" + folders + "logs\r\n");
    WriteBytes(home.Path() + "rates.ini", "8000, 96000\r\n250000\r\n");
    ScriptedInteraction dialogs;
    Application app(Options(home.Path(), dialogs));
    ControlModel& form = app.Settings().Form1();
    ControlModel& basic = app.Settings().Options0();
    ControlModel& advanced = app.Settings().Options1();
    EXPECT_EQ(StatusLine(app), "Load Controls. Load Settings. Load Paths. Ready...");
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front().text;
    // The preset wins over the control state; what it leaves alone ("*") keeps the saved value, as do the
    // display height and the panel choice.
    EXPECT_EQ(Texts(form, {"BlockSize", "FFTSize", "Combo8", "SampleRate", "Text2", "Combo7"}),
              "4096 1024 7 96000 4 512");
    EXPECT_FALSE(form.At("Frame1").visible);
    EXPECT_EQ(advanced.Text("TapeSpeedCombo"), "0.5");
    // The default paths win over the control state, and their folders are made (the analysis settings give
    // the recording folder its closing "/").
    EXPECT_EQ(Texts(basic, {"DefPlayPathField", "FileRecPathField"}) + " " +
                  Texts(advanced, {"DefSavePath", "DefLogPath"}),
              folders + "play " + folders + "rec/ " + folders + "shots " + folders + "logs");
    for (const char* folder : {"play", "rec", "shots", "logs"}) {
        EXPECT_TRUE(std::filesystem::is_directory(folders + folder)) << folder;
    }
    EXPECT_EQ(form.At("SampleRate").items, (std::vector<std::string>{"8000", "96000", "250000"}));
    EXPECT_EQ(basic.At("SampleRate").items, form.At("SampleRate").items);
    EXPECT_EQ(app.SessionLog(), home.Path() + "RecLog " + DateStampYMD() + ".Log");
    EXPECT_EQ(app.Tasks().SessionMode(), 1);
    EXPECT_TRUE(app.Tasks().SessionStopped());
    EXPECT_TRUE(app.Menus().At("RealTimeAnalysis").checked);
}

// Without saved files nothing must be reported or written, and the Quick Settings must be the defaults
// the analysis then follows.
TEST(StartUpTest, WithoutSavedFilesTheBuiltInDefaultsAndInitialValuesHold) {
    TempFolder home;
    ScriptedInteraction dialogs;
    Application app(Options(home.Path(), dialogs));
    ControlModel& form = app.Settings().Form1();
    EXPECT_EQ(StatusLine(app), "Ready...");
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front().text;
    EXPECT_EQ(Texts(form, {"BlockSize", "SampleRate", "FFTSize", "Combo7"}), "8192 48000 512 256");
    EXPECT_EQ(form.ListIndex("WindowType"), 1);
    EXPECT_FALSE(form.At("ZoomFlag").enabled);
    EXPECT_TRUE(form.At("Frame1").visible);
    EXPECT_EQ(std::pair(app.Settings().Analysis().sampleRate, app.Settings().Analysis().fftSize),
              std::pair(48000, 512));
    EXPECT_FALSE(std::filesystem::exists(home.Path() + "ondrix.ini"));
}

// A saved input that is gone must be reported and replaced, without losing the saved output.
TEST(StartUpTest, AMissingInputDeviceKeepsTheSavedOutputDevice) {
    TempFolder home;
    WriteBytes(home.Path() + "ondrix.ini",
               "FORM1.Combo10 = Gone Microphone\r\nOPTIONS0.Combo9 = Ondrix Null Output\r\n");
    ScriptedInteraction dialogs;
    Application app(Options(home.Path(), dialogs));
    ASSERT_EQ(dialogs.Texts().size(), 1u);
    EXPECT_TRUE(dialogs.Texts().front().starts_with("Sound Input Device [Gone Microphone] not existent"));
    EXPECT_EQ(app.Settings().Form1().ListIndex("Combo10"), 0);
    EXPECT_EQ(app.Settings().Options0().Text("Combo9"), "Ondrix Null Output");
}

// A program folder that cannot be made (below a plain file) must be reported once, and the program still
// starts.
TEST(StartUpTest, AnUnusableProgramFolderIsReportedOnce) {
    TempFolder temp;
    WriteBytes(temp.Path() + "plain", "");
    const std::string folder = temp.Path() + "plain/ondrix/";
    ScriptedInteraction dialogs;
    Application app(Options(folder, dialogs));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].text.find(folder), std::string::npos);
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(StatusLine(app), "Ready...");
    EXPECT_EQ(app.Tasks().SessionMode(), 1);
}

// A small screen must be reported and get the small display in a maximised window; a large one the saved
// height in a normal window.
TEST(StartUpTest, TheScreenWidthPlacesTheMainWindow) {
    TempFolder home;
    WriteBytes(home.Path() + "ondrix.ini", "OPTIONS1.MaxSpectrogramHeight = 512\r\n");
    for (const int width : {640, 1280}) {
        SCOPED_TRACE(width);
        ScriptedInteraction dialogs;
        Application app(Options(home.Path(), dialogs, width));
        EXPECT_EQ(dialogs.messages.size(), width < 800 ? 1u : 0u);
        EXPECT_EQ(app.Settings().Form1().Text("Combo7"), width < 800 ? "256" : "512");
        EXPECT_EQ(StatusLine(app), "Load Controls. Ready...");
        app.Show();
        EXPECT_EQ(app.Main().isMaximized(), width < 800);
        EXPECT_TRUE(app.Main().isVisible());
    }
}

// The command line: /REC must start a recording run and the file open after it; a file with the /AUTO
// switch (glued or apart, any case) opens without a run; a blank before the switch, a missing file or no
// argument opens nothing.
TEST(CommandLineRunTest, ArgumentsStartARunOrOpenAFile) {
    TempFolder home;
    ScriptedInteraction dialogs;
    std::vector<std::string> journal;
    const std::string sound = home.Path() + "night 1.wav";
    WriteBytes(sound, "RIFF");
    const std::vector<std::string> run = {"set up in task 2", "pass 1", "pass 2",   "pass 3",
                                          "pass 4",           "pass 5", "clean up", "open " + sound};
    struct Case {
        std::vector<std::string> arguments;
        std::vector<std::string> journal;
        int task;
    };
    for (const Case& c : std::vector<Case>{{{sound, "/rec"}, run, 2},
                                           {{sound + "/AUTO"}, {"open " + sound}, 1},
                                           {{sound, "/auto"}, {"open " + sound}, 1},
                                           {{sound + " /AUTO"}, {}, 1},
                                           {{home.Path() + "missing.wav"}, {}, 1},
                                           {{}, {}, 1}}) {
        SCOPED_TRACE(c.arguments.empty() ? "" : c.arguments.back());
        journal.clear();
        Application app(Options(home.Path(), dialogs, 1280, c.arguments));
        app.Tasks().Loops().Register(LoopSlot::RealTimeMono, [&] {
            return std::make_unique<JournalSession>(app.Tasks(), journal, nullptr, 5);
        });
        app.SetFileOpener([&](const std::string& path) { journal.push_back("open " + path); });
        QApplication::processEvents(); // the command line is acted on in the event loop
        EXPECT_EQ(journal, c.journal);
        EXPECT_EQ(app.Tasks().SessionMode(), c.task);
        EXPECT_TRUE(c.task == 1 || app.Main().isVisible());
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

// Start in task 4 without a file must ask for a WAV file, draw its first page with the tone standing out,
// and the navigation must move the page.
TEST(FileTaskTest, StartInTaskFourAsksForAFileAndDrawsItsPages) {
    TempFolder home;
    const std::string sound = home.Path() + "tone.wav";
    std::vector<int16_t> tone(30 * 48000); // 30 s of 3 kHz
    for (std::size_t n = 0; n < tone.size(); ++n) {
        tone[n] = static_cast<int16_t>(
            std::lround(10000.0 * std::sin(2 * std::numbers::pi * 3000.0 * n / 48000.0)));
    }
    WriteWav16(sound, 1, 48000, tone);
    ScriptedInteraction dialogs;
    dialogs.textAnswers = {sound};
    Application app(Options(home.Path(), dialogs));
    ControlModel& form = app.Settings().Form1();
    std::vector<std::string> times;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        times.push_back(form.Text("Label3"));
        if (times.size() == 1) {
            form.Click("Command5"); // to the last page
        } else if (!app.Tasks().SessionStopped()) {
            form.Click("StartStop");
        }
    });
    ticker.start(200);
    app.Menus().Trigger("FileAnalysis");
    form.Click("StartStop");
    ticker.stop();
    ASSERT_EQ(dialogs.dialogs.size(), 1U);
    EXPECT_EQ(dialogs.dialogs[0].patterns, std::vector<std::string>{"*.wav"});
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front().text;
    EXPECT_EQ(app.Tasks().CurrentFileName(), sound);
    ASSERT_GE(times.size(), 2U);
    EXPECT_EQ(times[0], "00:00:00.000");
    EXPECT_NE(times[1], times[0]);
    // The tone's row stands out of the page: more than one colour in the spectrogram rows.
    const QImage& picture = app.Renderer().Picture();
    const int bottom = app.Renderer().Height() - 1;
    bool varied = false;
    for (int y = bottom; y > bottom - 100 && !varied; --y) {
        varied = picture.pixel(10, y) != picture.pixel(10, bottom);
    }
    EXPECT_TRUE(varied);
}

// Idle, the exit question must come first on Exit and on closing the window; "No" leaves everything, "Yes"
// ends the program.
TEST(ExitTest, TheQuestionComesFirstAndNoLeavesEverything) {
    TempFolder home;
    ScriptedInteraction dialogs;
    Application app(Options(home.Path(), dialogs));
    app.Main().show();
    dialogs.yesNoAnswers = {false, false, true};
    app.ExitProgram();
    app.Main().close();
    EXPECT_TRUE(app.Main().isVisible());
    EXPECT_FALSE(app.Quitting());
    app.Main().close();
    EXPECT_FALSE(app.Main().isVisible());
    EXPECT_TRUE(app.Quitting());
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>(3, kExitQuestion));
    EXPECT_TRUE(
        std::ranges::all_of(dialogs.messages, [](const auto& m) { return m.icon == MessageIcon::Critical; }));
}

// During a run, "No" to the exit question must go on; a quit (asking nothing; "Yes" is in RunEndTest) must
// stop the run, release Pause and let the loop clean up before the window closes.
TEST(ExitTest, DuringARunNoGoesOnAndAQuitCleansUpBeforeTheWindowCloses) {
    TempFolder home;
    ScriptedInteraction dialogs;
    dialogs.yesNoAnswers = {false};
    Application app(Options(home.Path(), dialogs));
    app.Main().show();
    std::vector<std::string> journal;
    app.Tasks().Loops().Register(LoopSlot::RealTimeMono, [&] {
        return std::make_unique<JournalSession>(
            app.Tasks(), journal,
            [&](int pass) {
                app.Settings().Form1().SetChecked("PauseButton", pass == 3);
                if (pass == 1) {
                    app.ExitProgram();
                } else if (pass == 3) {
                    app.Quit();
                    journal.push_back(app.Main().isVisible() ? "window open" : "window closed");
                }
            },
            5);
    });
    app.Settings().Form1().Click("StartStop");
    EXPECT_EQ(journal, (std::vector<std::string>{"set up in task 1", "pass 1", "pass 2", "pass 3",
                                                 "window open", "clean up"}));
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_FALSE(app.Tasks().Running());
    EXPECT_FALSE(app.Settings().Form1().Checked("PauseButton"));
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
        int runs = 1;        // runs started in all
        int16_t endMode = 0; // the task of the run to end; 0: the first run
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
    const auto clickPlay = [](Application& app, const std::string& sound) {
        QTimer::singleShot(0, &app.Main(), [&app, sound] {
            app.OpenFile(sound);
            app.Menus().Trigger("FileAnalysisPlay");
            app.Settings().Form1().Click("StartStop");
        });
    };
    const auto playOnOpen = [](Application& app, const std::string& sound) {
        app.Settings().Options0().SetChecked("ImmediatePlayCheck", true);
        QTimer::singleShot(0, &app.Main(), [&app, sound] { app.OpenFile(sound); });
    };
    // A live run fills the RAM buffer; once it has ended, "Play Buffer" plays it (Play on Open).
    const auto playBuffer = [](Application& app, const std::string&) {
        app.Settings().Options0().SetChecked("ImmediatePlayCheck", true);
        app.Settings().Form1().SetText("Combo12", "4 Mbytes"); // the Quick Settings buffer size
        QTimer::singleShot(0, &app.Main(), [&app] {
            QTimer::singleShot(500, &app.Main(), [&app] {
                app.Tasks().RequestStopThen([&app] { app.Menus().Trigger("PlayBuffer"); });
            });
            app.Menus().Trigger("RealTimeAnalysis");
            app.Settings().Form1().Click("StartStop");
        });
    };
    const std::vector<Start> starts = {{"Start", false, clickStart},
                                       {"--start", false, startSwitch},
                                       {"file with Analysis on open", true, {}},
                                       {"--start file with Analysis on open", true, startSwitch},
                                       {"Start in task 3", false, clickPlay},
                                       {"Play on Open", false, playOnOpen},
                                       {"Play Buffer", false, playBuffer, 2, 3}};
    const std::vector<End> ends = {
        {"Stop", [](Application& app) { app.Settings().Form1().Click("StartStop"); }, false},
        {"Exit", [](Application& app) { app.ExitProgram(); }, true},
        {"SIGTERM", [](Application&) { ASSERT_EQ(raise(SIGTERM), 0); }, true},
        {"--quit-after", [](Application& app) { app.Quit(); }, true}};
    constexpr int kIdleTicks = 30;
    TempFolder home;
    const std::string sound = home.Path() + "night.wav";
    WriteWav16(sound, 1, 24000, std::vector<int16_t>(4 * 24000));
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
                if (!ended && tasks.Running() && !tasks.SessionStopped() &&
                    (start.endMode == 0 || tasks.SessionMode() == start.endMode)) {
                    ended = true;
                    end.end(app);
                } else if (ended && !end.quits && !tasks.Running() && ++idleTicks == kIdleTicks) {
                    app.Quit();
                }
            });
            ender.start(10);
            bool hung = false; // the guard goes with the window of this case
            QTimer::singleShot(20000, &app.Main(), [&] {
                hung = true;
                app.Tasks().SetSessionStopped(true);
                QCoreApplication::quit();
            });
            QApplication::exec();
            ender.stop();
            QApplication::processEvents(); // the quit CloseAll queued must not end the next case at once
            EXPECT_FALSE(hung);
            EXPECT_TRUE(ended);
            if (start.fileToAnalyse) { // the command line's file is opened with its own rate
                EXPECT_EQ(app.Tasks().CurrentFileName(), sound);
                EXPECT_EQ(app.Settings().Form1().Text("SampleRate"), "24000");
            }
            EXPECT_EQ(app.Tasks().RunsStarted(), start.runs) << ::testing::PrintToString(dialogs.Texts());
            EXPECT_FALSE(app.Main().isVisible());
        }
    }
}

// The splash progress must gain a dot per step of its length, and a click must end it early (were the click
// lost, the progress would run for a minute and the test's timeout would catch that).
TEST(SplashTest, TheProgressGainsADotPerStepAndAClickEndsItEarly) {
    SplashWindow timed("Credits");
    timed.Run(std::chrono::milliseconds(50));
    EXPECT_EQ(timed.Progress(), QString(5, QLatin1Char('.')));
    EXPECT_FALSE(timed.isVisible());
    SplashWindow splash("Credits");
    QTimer::singleShot(0, &splash, [&splash] {
        auto* progress = splash.findChild<QLineEdit*>("TextProgress");
        ASSERT_NE(progress, nullptr);
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(progress, &press);
    });
    splash.Run(std::chrono::minutes(1));
    EXPECT_FALSE(splash.isVisible());
    EXPECT_LT(splash.Progress().size(), 6000);
    EXPECT_EQ(splash.Progress(), QString(splash.Progress().size(), QLatin1Char('.')));
}

// A termination signal must arrive as an event, and one that came before there was a handler (start-up)
// must wait for it.
TEST(TerminationSignalsTest, ASignalArrivesAsAnEventAndEarlierOnesWaitForTheHandler) {
    TerminationSignals watcher;
    ASSERT_TRUE(watcher.Installed());
    std::vector<int> received;
    ASSERT_EQ(raise(SIGTERM), 0);
    QApplication::processEvents();
    watcher.SetHandler([&](int signal) { received.push_back(signal); });
    for (int signal : {SIGINT, SIGHUP}) {
        ASSERT_TRUE(ProcessEventsUntil([&] { return received.size() == 1 + (signal == SIGHUP); }));
        ASSERT_EQ(raise(signal), 0);
    }
    ASSERT_TRUE(ProcessEventsUntil([&] { return received.size() == 3; }));
    EXPECT_EQ(received, (std::vector<int>{SIGTERM, SIGINT, SIGHUP}));
}

} // namespace
} // namespace ondrix
