// Ondrix: the real-time sound spectrograph. Parses the command line and runs the main window, or the
// headless export.
#include "app/CommandLineHelp.h"
#include "app/ExportCommand.h"
#include "ui/Application.h"
#include "ui/MainWindow.h"
#include "ui/TerminationSignals.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace {

// A picture of the main window once it has been shown for a while, for scripts and tests.
constexpr int kScreenshotDelayMs = 3000;
// A window opened by a menu command for its picture is opened this long before the picture is taken.
constexpr int kWindowCommandLeadMs = 1000;

bool SaveScreenshot(QWidget& window, const QString& path) {
    const QFileInfo file(path);
    QDir().mkpath(file.absolutePath());
    if (!window.grab().save(file.absoluteFilePath(), "PNG")) {
        std::fprintf(stderr, "ondrix: cannot save the screenshot %s\n", qPrintable(file.absoluteFilePath()));
        return false;
    }
    std::printf("%s\n", qPrintable(file.absoluteFilePath()));
    std::fflush(stdout);
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    // The help and the version need no display, so they are answered before Qt starts.
    if (const std::optional<int> answered = ondrix::AnswerHelpOrVersion(argc, argv)) {
        return *answered;
    }
    if (ondrix::IsExportCommand(argc, argv)) {
        return ondrix::RunExportCommand(argc, argv);
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Ondrix");
    QApplication::setApplicationVersion("2.0j");
    // From here on SIGINT, SIGTERM and SIGHUP end the program the way a confirmed exit does; one that
    // arrives during start-up is acted on once the event loop runs.
    ondrix::TerminationSignals quitSignals;

    QCommandLineParser parser;
    parser.setApplicationDescription("Real-time sound spectrograph for field bioacoustics.");
    const QCommandLineOption home("home", "Keep settings, presets and logs in <folder>.", "folder");
    const QCommandLineOption screenshot(
        "screenshot",
        "Save a PNG picture of the main window to <file> after 3 s, print its "
        "path and quit (unless --quit-after says when).",
        "file");
    const QCommandLineOption screenshotWindow(
        "screenshot-window",
        "With --screenshot: run the menu command <command> (e.g. BasicSettings) 1 s before and photograph "
        "the window it opens instead of the main window.",
        "command");
    const QCommandLineOption quitAfter("quit-after", "Quit after <seconds>.", "seconds");
    const QCommandLineOption start("start", "Start the analysis of the current task at once.");
    const QCommandLineOption noSplash("no-splash", "Start without the splash window.");
    parser.addOption(home);
    parser.addOption(start);
    parser.addOption(noSplash);
    parser.addOption(screenshot);
    parser.addOption(screenshotWindow);
    parser.addOption(quitAfter);
    parser.addPositionalArgument("file", "A sound file to open, optionally followed by /REC, /AUTO or /PPT.");
    parser.process(app);

    ondrix::ApplicationOptions options;
    if (parser.isSet(home)) {
        options.home = parser.value(home).toStdString();
    }
    for (const QString& argument : parser.positionalArguments()) {
        options.arguments.push_back(argument.toStdString());
    }
    options.splash = !parser.isSet(noSplash);

    ondrix::Application program(std::move(options));
    quitSignals.SetHandler([&program](int signal) {
        std::fprintf(stderr, "ondrix: %s: %s\n", strsignal(signal),
                     program.Tasks().Running() ? "stopping the run, then quitting" : "quitting");
        program.Quit();
    });
    program.Show();
    if (parser.isSet(start)) {
        program.StartWhenShown();
    }

    int exitCode = 0;
    if (parser.isSet(quitAfter)) {
        bool valid = false;
        const double seconds = parser.value(quitAfter).toDouble(&valid);
        if (!valid || seconds < 0) {
            std::fprintf(stderr, "ondrix: --quit-after needs a number of seconds\n");
            return 2;
        }
        // A run in progress stops and cleans up before the program ends; nobody is asked.
        QTimer::singleShot(static_cast<int>(seconds * 1000), &app, [&program] { program.Quit(); });
    }
    if (parser.isSet(screenshot)) {
        const QString path = parser.value(screenshot);
        const bool quit = !parser.isSet(quitAfter);
        // The window to photograph: the main window, or the one a menu command opens (the top-level
        // window that became visible after the command ran).
        auto target = std::make_shared<QWidget*>(&program.Main());
        if (parser.isSet(screenshotWindow)) {
            const std::string command = parser.value(screenshotWindow).toStdString();
            if (!program.Menus().Has(command)) {
                std::fprintf(stderr, "ondrix: no menu command %s\n", command.c_str());
                return 2;
            }
            QTimer::singleShot(kScreenshotDelayMs - kWindowCommandLeadMs, &app, [&program, command, target] {
                const QWidgetList before = QApplication::topLevelWidgets();
                std::vector<QWidget*> shownBefore;
                for (QWidget* widget : before) {
                    if (widget->isVisible()) {
                        shownBefore.push_back(widget);
                    }
                }
                // A modal dialog runs its own loop here; the picture is taken from within it.
                QTimer::singleShot(kWindowCommandLeadMs / 2, [shownBefore, target] {
                    for (QWidget* widget : QApplication::topLevelWidgets()) {
                        if (widget->isVisible() &&
                            std::ranges::find(shownBefore, widget) == shownBefore.end()) {
                            *target = widget;
                        }
                    }
                });
                program.Menus().Trigger(command);
            });
        }
        QTimer::singleShot(kScreenshotDelayMs, &app, [&program, &exitCode, path, quit, target] {
            if (!SaveScreenshot(**target, path)) {
                exitCode = 1;
                program.Quit();
            } else if (quit) {
                program.Quit();
            }
        });
    }
    const int result = QApplication::exec();
    return exitCode != 0 ? exitCode : result;
}
