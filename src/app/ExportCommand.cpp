#include "app/ExportCommand.h"

#include "common/Clock.h"
#include "common/ConsoleInteraction.h"
#include "common/NumberText.h"
#include "common/Paths.h"
#include "files/FileExport.h"
#include "settings/MenuModel.h"
#include "settings/RatesFile.h"
#include "settings/SettingNames.h"
#include "settings/SettingsFiles.h"
#include "settings/SettingsModel.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <thread>

namespace ondrix {

namespace {

constexpr int kDefaultWidth = 1024;
constexpr int kMaxWidth = 65536;
constexpr int kMaxJobs = 1024;

// The settings the window would start with: built-in values, then what the user saved in the program
// folder (the control state, then the default preset).
void LoadSavedSettings(SettingsFiles& files, SettingsModel& settings) {
    files.ApplyBuiltInPreset(BuiltInPreset::Default);
    settings.ApplyInitialValues();
    const ProgramFiles& names = files.Files();
    LoadRatesFile(names.Rates(), settings);
    std::error_code error;
    if (std::filesystem::exists(names.UserDefault(), error)) {
        files.LoadControlState(names.UserDefault());
    }
    if (std::filesystem::exists(names.DefaultPreset(), error)) {
        files.PresetLoadFile(names.DefaultPreset());
    }
}

// The paths of a list, one a line; blank lines and lines starting with '#' are skipped.
void ReadFileList(std::istream& in, std::vector<std::string>& files) {
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty() && line.front() != '#') {
            files.push_back(line);
        }
    }
}

const char* StatusText(ExportStatus status) {
    switch (status) {
    case ExportStatus::Done:
        return "done";
    case ExportStatus::Skipped:
        return "skipped";
    case ExportStatus::Failed:
        break;
    }
    return "failed";
}

// One line of the run's record (JSON Lines).
std::string SummaryLine(const ExportFileRecord& record) {
    QJsonObject object{{"path", QString::fromStdString(record.path)}, {"status", StatusText(record.status)}};
    if (record.status == ExportStatus::Failed) {
        object.insert("error", QString::fromStdString(record.error));
    }
    object.insert("type", QString::fromStdString(record.type));
    object.insert("sample_rate", record.sampleRate);
    object.insert("channels", record.channels);
    object.insert("duration", record.duration);
    object.insert("columns", record.columns);
    object.insert("pages", record.pages);
    object.insert("seconds", record.seconds);
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

// The progress bar on a terminal: files ended, columns per second and the time left, redrawn in place
// a few times a second.
class ProgressBar {
public:
    void Draw(const ExportTally& tally, bool now) {
        const Clock::time_point time = Clock::now();
        if (!now && time - drawn_ < std::chrono::milliseconds(200)) {
            return;
        }
        drawn_ = time;
        const double seconds = std::chrono::duration<double>(time - start_).count();
        const double done = tally.totalBytes > 0 ? static_cast<double>(tally.bytes) / tally.totalBytes : 0.0;
        constexpr int kCells = 30;
        const int filled = static_cast<int>(std::clamp(done, 0.0, 1.0) * kCells);
        std::string left = "?";
        if (done > 0.0) {
            left = SecondsToClock(std::max(seconds * (1.0 - done) / done, 0.0));
        }
        std::fprintf(stderr, "\r[%s%s] %zu/%zu files, %.0f columns/s, %s left \033[K",
                     std::string(static_cast<std::size_t>(filled), '#').c_str(),
                     std::string(static_cast<std::size_t>(kCells - filled), '.').c_str(), tally.filesEnded,
                     tally.files, seconds > 0 ? static_cast<double>(tally.columns) / seconds : 0.0,
                     left.c_str());
        std::fflush(stderr);
    }
    // A line above the bar.
    void Print(const std::string& line) { std::fprintf(stderr, "\r\033[K%s\n", line.c_str()); }

private:
    using Clock = std::chrono::steady_clock;
    Clock::time_point start_ = Clock::now();
    Clock::time_point drawn_{};
};

} // namespace

bool IsExportCommand(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--export") == 0 || std::strncmp(argv[i], "--export=", 9) == 0) {
            return true;
        }
    }
    return false;
}

int RunExportCommand(int argc, char* argv[]) {
    // Pages are drawn without a window (the axes' labels need fonts, not a display).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Analyses sound files into spectrogram pages (PNG) without a window.");
    const QCommandLineOption exportTo("export", "Write the pages of each FILE into <folder>.", "folder");
    const QCommandLineOption width("width", "Columns per page (default 1024).", "columns");
    const QCommandLineOption columns("columns", "Also write the display values of every column as CSV.");
    const QCommandLineOption noPictures("no-pictures", "Analyse only; write no PNG pages.");
    const QCommandLineOption axes("axes", "Draw each page whole, framed by its time and frequency axes, "
                                          "under the file's name and the page's start time.");
    const QCommandLineOption home("home", "Read the saved settings from <folder>.", "folder");
    const QCommandLineOption jobs("jobs", "Analyse on N workers (default: the number of cores).", "N");
    const QCommandLineOption filesFrom(
        "files-from", "Also analyse the files listed in <list>, one a line ('-': standard input).", "list");
    const QCommandLineOption skipExisting("skip-existing", "Skip the files whose outputs are complete.");
    const QCommandLineOption summaryTo("summary", "Write a JSON line per file into <file>.", "file");
    parser.addOptions(
        {exportTo, width, columns, noPictures, axes, home, jobs, filesFrom, skipExisting, summaryTo});
    parser.addPositionalArgument("files", "Sound files to analyse.", "FILE...");

    const auto usage = [](const char* problem) {
        if (problem != nullptr) {
            std::fprintf(stderr, "ondrix: %s\n", problem);
        }
        std::fprintf(stderr,
                     "ondrix: usage: ondrix --export OUTDIR [--width N] [--columns] [--axes] [--jobs N] "
                     "[--files-from LIST] [--skip-existing] [--summary FILE] FILE...\n");
        return 2;
    };
    // An option the export does not know is a usage error (exit 2), as the others are.
    if (!parser.parse(QCoreApplication::arguments())) {
        return usage(qPrintable(parser.errorText()));
    }
    ExportRequest request;
    request.outFolder = parser.value(exportTo).toStdString();
    request.columns = parser.isSet(columns);
    request.pictures = !parser.isSet(noPictures);
    request.axes = parser.isSet(axes);
    request.skipExisting = parser.isSet(skipExisting);
    request.width = kDefaultWidth;
    if (parser.isSet(width)) {
        bool valid = false;
        request.width = parser.value(width).toInt(&valid);
        if (!valid || request.width < 1 || request.width > kMaxWidth) {
            std::fprintf(stderr, "ondrix: --width needs a number of columns from 1 to %d\n", kMaxWidth);
            return 2;
        }
    }
    request.jobs = static_cast<int>(std::max(std::thread::hardware_concurrency(), 1u));
    if (parser.isSet(jobs)) {
        bool valid = false;
        request.jobs = parser.value(jobs).toInt(&valid);
        if (!valid || request.jobs < 1 || request.jobs > kMaxJobs) {
            std::fprintf(stderr, "ondrix: --jobs needs a number of workers from 1 to %d\n", kMaxJobs);
            return 2;
        }
    }
    for (const QString& file : parser.positionalArguments()) {
        request.files.push_back(file.toStdString());
    }
    for (const QString& list : parser.values(filesFrom)) {
        if (list == "-") {
            ReadFileList(std::cin, request.files);
            continue;
        }
        std::ifstream in(list.toStdString());
        if (!in) {
            std::fprintf(stderr, "ondrix: cannot read the file list %s (%s)\n",
                         list.toLocal8Bit().constData(), std::strerror(errno));
            return 2;
        }
        ReadFileList(in, request.files);
    }
    if (request.outFolder.empty()) {
        return usage(nullptr);
    }
    if (request.files.empty()) {
        return usage("no files to analyse");
    }
    std::ofstream summaryFile;
    if (parser.isSet(summaryTo)) {
        summaryFile.open(parser.value(summaryTo).toStdString(), std::ios::binary | std::ios::trunc);
        if (!summaryFile) {
            std::fprintf(stderr, "ondrix: cannot write the summary %s (%s)\n",
                         parser.value(summaryTo).toLocal8Bit().constData(), std::strerror(errno));
            return 2;
        }
    }

    std::optional<std::string> homeFolder;
    if (parser.isSet(home)) {
        homeFolder = parser.value(home).toStdString();
    }
    ConsoleInteraction console(
        [](const std::string& text) { std::fprintf(stderr, "ondrix: %s\n", text.c_str()); });
    SettingsModel settings;
    MenuModel menus;
    SettingsFiles files(settings, console, ProgramFiles{ResolveProgramFolder(homeFolder)});
    LoadSavedSettings(files, settings);

    // A bar on a terminal; elsewhere (a log, a scheduler's output file) a line per file.
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    ProgressBar bar;
    ExportProgress progress;
    progress.fileEnded = [&](const ExportFileRecord& record) {
        if (!terminal || record.status == ExportStatus::Failed) {
            terminal ? bar.Print(ExportLine(record))
                     : (void)std::fprintf(stderr, "%s\n", ExportLine(record).c_str());
        }
        if (summaryFile.is_open()) {
            summaryFile << SummaryLine(record) << '\n' << std::flush;
        }
    };
    if (terminal) {
        progress.tally = [&](const ExportTally& tally) { bar.Draw(tally, tally.filesEnded == tally.files); };
    }
    const ExportSummary summary = ExportFiles(settings, menus, request, progress);
    if (!summary.stopped.empty()) {
        std::fprintf(stderr, "ondrix: %s\n", summary.stopped.c_str());
        return 2;
    }
    if (terminal) {
        std::fprintf(stderr, "\n");
    }
    std::fprintf(stderr, "ondrix: %d of %zu files analysed, %d skipped, %d failed,%s pages\n",
                 summary.filesDone, request.files.size(), summary.filesSkipped, summary.filesFailed,
                 NumberText(static_cast<double>(summary.pages)).c_str());
    return summary.filesFailed == 0 ? 0 : 1;
}

} // namespace ondrix
