#include "files/FileExport.h"

#include "analysis/SpectrumAveraging.h"
#include "common/Clock.h"
#include "common/ConsoleInteraction.h"
#include "common/NumberText.h"
#include "common/Paths.h"
#include "display/Axes.h"
#include "display/AxesPainting.h"
#include "display/LayoutRefresh.h"
#include "display/Palette.h"
#include "display/SpectrogramRenderer.h"
#include "files/CurrentFile.h"
#include "files/FileAnalysisLoop.h"
#include "files/PageSaver.h"
#include "files/SoundFileFormat.h"
#include "settings/EventPump.h"
#include "settings/SettingsModel.h"
#include "settings/TaskController.h"

#include <QFontMetrics>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace ondrix {

namespace {

// The export runs one page per pass itself: no events to process, nothing to wait for.
class NoEvents : public EventPump {
public:
    void ProcessEvents() override {}
    void WaitForEvents(std::chrono::milliseconds) override {}
};

// Where the border colour of the picture would come from on a screen; it only colours the strip below
// the spectrogram, which is not exported.
constexpr uint32_t kBorderColour = 0xffc0c0c0u;

std::string PageName(const std::string& stem, long long page) {
    std::string number = std::to_string(page);
    if (number.size() < 4) {
        number.insert(0, 4 - number.size(), '0');
    }
    return stem + "-p" + number + ".png";
}

// The table of one file: a line per column, numbers in the program's number form.
class ColumnTable {
public:
    bool Open(const std::string& path) {
        file_ = std::fopen(path.c_str(), "wb");
        return file_ != nullptr;
    }
    ~ColumnTable() { Close(); }
    bool Close() {
        if (file_ == nullptr) {
            return true;
        }
        const bool ok = std::ferror(file_) == 0;
        return std::fclose(std::exchange(file_, nullptr)) == 0 && ok;
    }
    void Add(long long column, double seconds, std::span<const float> values) {
        line_ = BareNumberText(static_cast<double>(column));
        line_ += ',';
        line_ += BareNumberText(seconds);
        for (const float value : values) {
            line_ += ',';
            line_ += BareNumberText(value, Precision::Single);
        }
        line_ += "\r\n";
        std::fwrite(line_.data(), 1, line_.size(), file_);
    }

private:
    std::FILE* file_ = nullptr;
    std::string line_;
};

struct FileResult {
    bool ok = false;
    long long pages = 0;
    long long columns = 0;
};

FileResult ExportFile(SettingsModel& settings, MenuModel& menus, const std::string& path,
                      const ExportRequest& request, const ExportProgress& progress) {
    FileResult result;
    const std::string name = FileNameOfPath(path);
    auto say = [&](const std::string& text) {
        if (progress.line) {
            progress.line(text);
        }
    };
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        say(name + ": a folder, not a sound file");
        return result;
    }
    // The inputs are only read (an archive may be read-only or shared): header corrections stay in memory.
    const SoundFileInfo info =
        DetectFileType(path, FileFormatSettingsFrom(settings.Options1()), HeaderRepair::ReadOnly);
    if (info.type == kFileUnsupported) {
        say(name + ": " + (info.message.empty() ? std::string("File format not supported") : info.message));
        return result;
    }
    if (!AnalysableChannels(info.channels)) {
        say(name + ": Number of channels not supported");
        return result;
    }

    // The run's own picture, laid out at the requested width as the window lays out its own.
    Palette palette;
    SpectrogramRenderer renderer(palette, kBorderColour);
    renderer.SetColumnMajor(true); // whole pages: each column drawn contiguously, one transpose a page
    SpectrumAveraging averaging;
    NoEvents pump;
    bool failed = false;
    ConsoleInteraction messages([&](const std::string& text) { say(name + ": " + text); });
    TaskController tasks(settings, menus, messages, pump);
    settings.Hooks().updateForm = [&] {
        RefreshDisplayLayout(settings, menus, palette, renderer, request.width);
    };
    CurrentFile file{.name = path, .info = info};
    FileAnalysisContext context{settings, tasks, messages, renderer, averaging, file};
    context.clampToLastFrame = false;

    const std::string stem = request.outFolder + StripExtension(name);
    ColumnTable table;
    if (request.columns && !table.Open(stem + ".csv")) {
        say(name + ": cannot write " + stem + ".csv");
        settings.Hooks().updateForm = nullptr;
        return result;
    }
    long long page = 0;
    double columnSeconds = 0.0;
    double firstSeconds = 0.0;
    if (request.columns) {
        context.hooks.columnValues = [&](int64_t column, std::span<const float> values) {
            const long long global = page * renderer.Width() + column;
            table.Add(global, firstSeconds + static_cast<double>(global) * columnSeconds, values);
        };
    }

    FileAnalysisLoop loop(context);
    tasks.SetSessionStopped(false);
    loop.SetUp();
    // The loop ends a run itself only when the file cannot be analysed (its message is out already).
    failed = tasks.SessionStopped();
    if (!failed && file.frameBytes > 0) {
        // A column's time is the start of its analysis frame: column x of a page starts at the page
        // start + (x + 1 - start column) x step - FFT size (x x step when the step divides the FFT size).
        const double rate = std::max(info.sampleRate, 1);
        const double ratio = settings.Analysis().tapeSpeedRatio;
        columnSeconds = loop.ScanStep() / rate * ratio;
        firstSeconds = ((1 - loop.StartColumn()) * loop.ScanStep() - loop.FftSize()) / rate * ratio;
        const int height = renderer.Height();
        const int rows = std::min(renderer.Session().rows, height);
        const int64_t data = std::max<int64_t>(info.dataEnd - info.headerSize, 0);
        const long long pages = static_cast<long long>((data + file.frameBytes - 1) / file.frameBytes);
        const int charWidth =
            request.axes ? QFontMetrics(AxisLabelFont()).horizontalAdvance(QLatin1Char('0')) : 0;
        PageSaver saver;
        for (page = 0; page < pages && !tasks.SessionStopped() && saver.Error().empty(); ++page) {
            file.filePos = info.headerSize + page * file.frameBytes;
            loop.Pass();
            if (tasks.SessionStopped()) {
                failed = true;
                break;
            }
            if (request.pictures && request.axes) {
                const double startSeconds = static_cast<double>(page) * renderer.Width() * columnSeconds;
                const PictureAxes axes =
                    AxesOf(ScaleOf(ScaleInputsFrom(settings, renderer.Width(), height, loop.Traces())), 0.0,
                           charWidth, startSeconds * 1000.0);
                const QImage framed =
                    FramedPicture(renderer.Picture(), axes, name + "  " + SecondsToClock(startSeconds));
                saver.Save(framed, 0, framed.height(), PageName(stem, page + 1));
            } else if (request.pictures) {
                saver.Save(renderer.Picture(), height - rows, rows, PageName(stem, page + 1));
            }
            result.pages += 1;
            result.columns += renderer.Width();
        }
        if (!saver.Finish()) {
            say(name + ": cannot write " + saver.Error());
            failed = true;
        }
    }
    loop.CleanUp();
    settings.Hooks().updateForm = nullptr;
    if (!table.Close()) {
        say(name + ": cannot write " + stem + ".csv");
        failed = true;
    }
    result.ok = !failed;
    return result;
}

} // namespace

ExportSummary ExportFiles(SettingsModel& settings, MenuModel& menus, const ExportRequest& request,
                          const ExportProgress& progress) {
    ExportSummary summary;
    ExportRequest folderRequest = request;
    folderRequest.outFolder = WithTrailingSlash(request.outFolder);
    std::error_code error;
    std::filesystem::create_directories(folderRequest.outFolder, error);
    for (const std::string& path : request.files) {
        if (progress.line) {
            progress.line("Analysing " + path);
        }
        const FileResult result = ExportFile(settings, menus, path, folderRequest, progress);
        summary.pages += result.pages;
        summary.columns += result.columns;
        if (result.ok) {
            ++summary.filesDone;
            if (progress.line) {
                progress.line(FileNameOfPath(path) + ":" + NumberText(static_cast<double>(result.pages)) +
                              " pages," + NumberText(static_cast<double>(result.columns)) + " columns");
            }
        } else {
            ++summary.filesFailed;
        }
    }
    return summary;
}

} // namespace ondrix
