#include "app/ExportCommand.h"

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

#include <cstdio>
#include <cstring>
#include <filesystem>

namespace ondrix {

namespace {

constexpr int kDefaultWidth = 1024;
constexpr int kMaxWidth = 65536;

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
    parser.addHelpOption();
    const QCommandLineOption exportTo("export", "Write the pages of each FILE into <folder>.", "folder");
    const QCommandLineOption width("width", "Columns per page (default 1024).", "columns");
    const QCommandLineOption columns("columns", "Also write the display values of every column as CSV.");
    const QCommandLineOption noPictures("no-pictures", "Analyse only; write no PNG pages.");
    const QCommandLineOption axes("axes", "Draw each page whole, framed by its time and frequency axes, "
                                          "under the file's name and the page's start time.");
    const QCommandLineOption home("home", "Read the saved settings from <folder>.", "folder");
    parser.addOption(exportTo);
    parser.addOption(width);
    parser.addOption(columns);
    parser.addOption(noPictures);
    parser.addOption(axes);
    parser.addOption(home);
    parser.addPositionalArgument("files", "Sound files to analyse.", "FILE...");
    parser.process(app);

    ExportRequest request;
    request.outFolder = parser.value(exportTo).toStdString();
    request.columns = parser.isSet(columns);
    request.pictures = !parser.isSet(noPictures);
    request.axes = parser.isSet(axes);
    request.width = kDefaultWidth;
    if (parser.isSet(width)) {
        bool valid = false;
        request.width = parser.value(width).toInt(&valid);
        if (!valid || request.width < 1 || request.width > kMaxWidth) {
            std::fprintf(stderr, "ondrix: --width needs a number of columns from 1 to %d\n", kMaxWidth);
            return 2;
        }
    }
    for (const QString& file : parser.positionalArguments()) {
        request.files.push_back(file.toStdString());
    }
    if (request.outFolder.empty() || request.files.empty()) {
        std::fprintf(stderr,
                     "ondrix: usage: ondrix --export OUTDIR [--width N] [--columns] [--axes] FILE...\n");
        return 2;
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

    const ExportSummary summary =
        ExportFiles(settings, menus, request,
                    {.line = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); }});
    std::fprintf(stderr, "ondrix: %d of %zu files analysed,%s pages\n", summary.filesDone,
                 request.files.size(), NumberText(static_cast<double>(summary.pages)).c_str());
    return summary.filesFailed == 0 ? 0 : 1;
}

} // namespace ondrix
