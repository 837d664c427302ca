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
#include "settings/MenuModel.h"
#include "settings/SettingsModel.h"
#include "settings/TaskController.h"

#include <QFontMetrics>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace ondrix {

namespace {

using Clock = std::chrono::steady_clock;

// The export runs one page per pass itself: no events to process, nothing to wait for.
class NoEvents : public EventPump {
public:
    void ProcessEvents() override {}
    void WaitForEvents(std::chrono::milliseconds) override {}
};

// Where the border colour of the picture would come from on a screen; it only colours the strip below
// the spectrogram, which is not exported.
constexpr uint32_t kBorderColour = 0xffc0c0c0u;

// A long file is split among the workers in runs of at least this many pages.
constexpr long long kMinChunkPages = 4;

std::string PageName(const std::string& stem, long long page) {
    std::string number = std::to_string(page);
    if (number.size() < 4) {
        number.insert(0, 4 - number.size(), '0');
    }
    return stem + "-p" + number + ".png";
}

std::string FileTypeText(const SoundFileInfo& info) {
    switch (info.type) {
    case kFileWav16:
        return "WAV 16-bit";
    case kFileMxx:
        return "M";
    case kFileSxx:
        return "S";
    case kFileDap:
        return "DAP";
    case kFileRaw16:
        return "RAW 16-bit";
    case kFileExt32:
        return "EXT 32-bit";
    case kFileKay:
        return "KAY";
    case kFileEars:
        return "EARS";
    case kFileWav32Int:
        return "WAV 32-bit";
    case kFileWav32Float:
    case kFileWav32Float18:
        return "WAV 32-bit float";
    case kFileOtherFormat:
        return info.libraryFormat;
    default:
        return "type " + std::to_string(info.type);
    }
}

// The table of one file, or of a run of its pages: a line per column, numbers in the program's number form.
class ColumnTable {
public:
    bool Open(const std::string& path) {
        file_ = std::fopen(path.c_str(), "wb");
        return file_ != nullptr;
    }
    // A file without a name in the folder (gone when closed or when the program dies), else in the
    // system's temporary folder.
    bool OpenUnnamed(const std::string& folder) {
        const int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR, 0600);
        file_ = fd >= 0 ? ::fdopen(fd, "w+b") : std::tmpfile();
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
    // Appends what another table holds.
    bool Append(ColumnTable& part) {
        if (file_ == nullptr || part.file_ == nullptr || std::fflush(part.file_) != 0) {
            return false;
        }
        std::rewind(part.file_);
        std::vector<char> buffer(1 << 16);
        while (const std::size_t read = std::fread(buffer.data(), 1, buffer.size(), part.file_)) {
            std::fwrite(buffer.data(), 1, read, file_);
        }
        return std::ferror(part.file_) == 0;
    }

private:
    std::FILE* file_ = nullptr;
    std::string line_;
};

// Why a path cannot be analysed before its header is read: missing, a folder, unreadable or empty.
std::optional<std::string> UnreadableReason(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) {
        return "no such file";
    }
    if (std::filesystem::is_directory(status)) {
        return "a folder, not a sound file";
    }
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) {
        return std::string("cannot be read (") + std::strerror(errno) + ")";
    }
    ::close(fd);
    if (std::filesystem::is_regular_file(status) && std::filesystem::file_size(path, error) == 0) {
        return "an empty file";
    }
    return std::nullopt;
}

// The first part of a file's output names: its name without the folder and the last extension, of any
// length ("a.flac" and "a.wav" both give "a").
std::string OutputStem(const std::string& path) {
    return std::filesystem::path(FileNameOfPath(path)).stem().string();
}

// One file as one worker analyses it: a private copy of the settings and the menus, and the picture,
// the loop and the page saver drawn from them. Set up once; then any runs of its pages may be drawn.
class FileRun {
public:
    FileRun(const SettingsModel& settings, const MenuModel& menus, const ExportRequest& request,
            const std::string& path)
        : request_(request), path_(path), name_(FileNameOfPath(path)),
          stem_(request.outFolder + OutputStem(path)),
          messages_([this](const std::string& text) { Note(text); }),
          tasks_(settings_, menus_, messages_, pump_), file_{.name = path, .info = {}},
          context_{settings_, tasks_, messages_, renderer_, averaging_, file_} {
        settings_.CopyStateFrom(settings);
        renderer_.SetColumnMajor(true); // whole pages: each column drawn contiguously, one transpose a page
        for (const MenuCommand& command : menus.Commands()) {
            menus_.SetChecked(command.name, command.checked);
        }
        settings_.Hooks().updateForm = [this] {
            RefreshDisplayLayout(settings_, menus_, palette_, renderer_, request_.width);
        };
        context_.clampToLastFrame = false;
    }
    ~FileRun() {
        if (loop_) {
            loop_->CleanUp();
        }
        settings_.Hooks().updateForm = nullptr;
    }
    FileRun(const FileRun&) = delete;
    FileRun& operator=(const FileRun&) = delete;

    // Reads the header and sets the loop up; false (with the reason in Error) when it cannot be analysed.
    bool Open() {
        if (const std::optional<std::string> reason = UnreadableReason(path_)) {
            error_ = *reason;
            return false;
        }
        // The inputs are only read (an archive may be read-only or shared): header corrections stay in
        // memory.
        file_.info =
            DetectFileType(path_, FileFormatSettingsFrom(settings_.Options1()), HeaderRepair::ReadOnly);
        const SoundFileInfo& info = file_.info;
        if (info.type == kFileUnsupported) {
            error_ = info.message.empty() ? std::string("File format not supported") : info.message;
            return false;
        }
        if (!AnalysableChannels(info.channels)) {
            error_ = "Number of channels not supported";
            return false;
        }
        loop_ = std::make_unique<FileAnalysisLoop>(context_);
        tasks_.SetSessionStopped(false);
        loop_->SetUp();
        // The loop ends a run itself only when the file cannot be analysed (its message is noted).
        if (tasks_.SessionStopped()) {
            if (error_.empty()) {
                error_ = "cannot be analysed";
            }
            return false;
        }
        // A column's time is the start of its analysis frame: column x of a page starts at the page
        // start + (x + 1 - start column) x step - FFT size (x x step when the step divides the FFT size).
        const double rate = std::max(info.sampleRate, 1);
        const double ratio = settings_.Analysis().tapeSpeedRatio;
        columnSeconds_ = loop_->ScanStep() / rate * ratio;
        firstSeconds_ = ((1 - loop_->StartColumn()) * loop_->ScanStep() - loop_->FftSize()) / rate * ratio;
        const int64_t data = std::max<int64_t>(info.dataEnd - info.headerSize, 0);
        pages_ = file_.frameBytes > 0
                     ? static_cast<long long>((data + file_.frameBytes - 1) / file_.frameBytes)
                     : 0;
        return true;
    }

    const SoundFileInfo& Info() const { return file_.info; }
    long long Pages() const { return pages_; }
    long long PageBytes() const { return file_.frameBytes; }
    const std::string& Stem() const { return stem_; }
    const std::string& Error() const { return error_; }

    // Every output the request asks for is there (each is renamed to its name only when complete).
    bool Complete() const {
        std::error_code error;
        if (request_.columns && !std::filesystem::exists(stem_ + ".csv", error)) {
            return false;
        }
        for (long long page = 1; request_.pictures && page <= pages_; ++page) {
            if (!std::filesystem::exists(PageName(stem_, page), error)) {
                return false;
            }
        }
        return true;
    }

    // Draws pages first .. last - 1, their columns into the table when there is one; after each page
    // drawn, pageDone gets its columns. False (with the reason in Error) when a page failed.
    bool Draw(long long first, long long last, ColumnTable* table,
              const std::function<void(long long columns)>& pageDone) {
        context_.hooks.columnValues = nullptr;
        if (table != nullptr) {
            context_.hooks.columnValues = [&](int64_t column, std::span<const float> values) {
                const long long global = page_ * renderer_.Width() + column;
                table->Add(global, firstSeconds_ + static_cast<double>(global) * columnSeconds_, values);
            };
        }
        const SoundFileInfo& info = file_.info;
        const int height = renderer_.Height();
        const int rows = std::min(renderer_.Session().rows, height);
        const int charWidth =
            request_.axes ? QFontMetrics(AxisLabelFont()).horizontalAdvance(QLatin1Char('0')) : 0;
        bool failed = false;
        for (page_ = first; page_ < last && !tasks_.SessionStopped() && saver_.Error().empty(); ++page_) {
            file_.filePos = info.headerSize + page_ * file_.frameBytes;
            loop_->Pass();
            if (tasks_.SessionStopped()) {
                failed = true;
                break;
            }
            if (request_.pictures && request_.axes) {
                const double startSeconds = static_cast<double>(page_) * renderer_.Width() * columnSeconds_;
                const PictureAxes axes =
                    AxesOf(ScaleOf(ScaleInputsFrom(settings_, renderer_.Width(), height, loop_->Traces())),
                           0.0, charWidth, startSeconds * 1000.0);
                const QImage framed =
                    FramedPicture(renderer_.Picture(), axes, name_ + "  " + SecondsToClock(startSeconds));
                saver_.Save(framed, 0, framed.height(), PageName(stem_, page_ + 1));
            } else if (request_.pictures) {
                // Read where the columns were drawn; the picture is transposed back only for a page of
                // more than 256 colours.
                if (const QImage* columns = renderer_.ColumnMajorPicture()) {
                    saver_.SaveColumns(
                        *columns, height - rows, rows,
                        [this]() -> const QImage& { return renderer_.Picture(); },
                        PageName(stem_, page_ + 1));
                } else {
                    saver_.Save(renderer_.Picture(), height - rows, rows, PageName(stem_, page_ + 1));
                }
            }
            pageDone(renderer_.Width());
        }
        if (!saver_.Finish()) {
            Note("cannot write " + saver_.Error());
            failed = true;
        }
        context_.hooks.columnValues = nullptr;
        if (failed && error_.empty()) {
            error_ = "cannot be analysed";
        }
        return !failed;
    }

private:
    void Note(const std::string& text) { error_ += (error_.empty() ? "" : "; ") + text; }

    const ExportRequest& request_;
    std::string path_;
    std::string name_;
    std::string stem_;
    std::string error_;
    SettingsModel settings_;
    MenuModel menus_;
    Palette palette_;
    SpectrogramRenderer renderer_{palette_, kBorderColour};
    SpectrumAveraging averaging_;
    NoEvents pump_;
    ConsoleInteraction messages_;
    TaskController tasks_;
    CurrentFile file_;
    FileAnalysisContext context_;
    std::unique_ptr<FileAnalysisLoop> loop_;
    PageSaver saver_;
    long long pages_ = 0;
    long long page_ = 0;
    double columnSeconds_ = 0.0;
    double firstSeconds_ = 0.0;
};

// The files of a request on a number of workers. A worker takes the next task: to open a file (which
// then splits its pages into runs, draws the first and leaves the others to the next free workers) or
// to draw a run of pages. Whoever ends a file's last run joins its table and reports the file.
class Batch {
public:
    Batch(const SettingsModel& settings, const MenuModel& menus, const ExportRequest& request,
          const ExportProgress& progress)
        : settings_(settings), menus_(menus), request_(request), progress_(progress),
          files_(request.files.size()) {
        tally_.files = files_.size();
        std::map<std::string, std::size_t> stems;
        for (std::size_t i = 0; i < files_.size(); ++i) {
            FileState& state = files_[i];
            state.record.path = request.files[i];
            // Two inputs with one output name would overwrite each other's pages: the later one is not done.
            const auto [first, added] = stems.emplace(OutputStem(request.files[i]), i);
            if (!added) {
                const std::string& other = request.files[first->second];
                state.clash = other == request.files[i]
                                  ? std::string("listed twice")
                                  : "its outputs would take the names of those of " + other;
            }
            std::error_code error;
            const std::uintmax_t size = std::filesystem::file_size(request.files[i], error);
            state.size = error ? 0 : static_cast<long long>(size);
            tally_.totalBytes += state.size;
            queue_.push_back({.file = i});
        }
    }

    ExportSummary Run() {
        const int workers = std::max(request_.jobs, 1);
        if (workers == 1) {
            Work();
        } else {
            std::vector<std::thread> threads;
            for (int i = 0; i < workers; ++i) {
                threads.emplace_back([this] { Work(); });
            }
            for (std::thread& thread : threads) {
                thread.join();
            }
        }
        return summary_;
    }

private:
    struct Task {
        std::size_t file = 0;
        long long first = -1; // below 0: open the file; else the run of pages first .. last - 1
        long long last = 0;
        std::size_t chunk = 0;
    };
    struct FileState {
        ExportFileRecord record;
        Clock::time_point start;
        long long size = 0;    // on disk, for the time left
        long long counted = 0; // of size, in the tally
        std::size_t chunksLeft = 0;
        bool failed = false;
        std::string stem;
        std::string clash; // why the file's outputs cannot be written, before it is read
        std::vector<std::unique_ptr<ColumnTable>> tables; // per run of pages; the first is "<stem>.csv.tmp"
    };

    std::optional<Task> Take() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !queue_.empty() || opening_ == 0; });
        if (queue_.empty()) {
            return std::nullopt;
        }
        const Task task = queue_.front();
        queue_.pop_front();
        opening_ += task.first < 0 ? 1 : 0;
        return task;
    }

    void Work() {
        std::unique_ptr<FileRun> run;
        std::size_t runFile = 0;
        while (const std::optional<Task> task = Take()) {
            if (task->first < 0) {
                run = std::make_unique<FileRun>(settings_, menus_, request_, request_.files[task->file]);
                runFile = task->file;
                Open(task->file, *run);
                continue;
            }
            if (!run || runFile != task->file) {
                run = std::make_unique<FileRun>(settings_, menus_, request_, request_.files[task->file]);
                runFile = task->file;
                if (!run->Open()) {
                    RunEnded(task->file, false, run->Error());
                    continue;
                }
            }
            DrawRun(*task, *run);
        }
    }

    // Opens a file and splits its pages among the workers, or ends it (failed, skipped, no pages).
    void Open(std::size_t index, FileRun& run) {
        FileState& state = files_[index];
        state.start = Clock::now();
        if (!state.clash.empty()) {
            {
                std::lock_guard lock(mutex_);
                --opening_;
            }
            changed_.notify_all();
            End(index, ExportStatus::Failed, state.clash);
            return;
        }
        const bool opened = run.Open();
        ExportFileRecord& record = state.record;
        const SoundFileInfo& info = run.Info();
        if (info.type != kFileUnsupported) {
            record.type = FileTypeText(info);
            record.sampleRate = info.sampleRate;
            record.channels = info.channels;
            const int64_t data = std::max<int64_t>(info.dataEnd - info.headerSize, 0);
            record.duration = info.sampleRate > 0 && info.frameAlign > 0
                                  ? static_cast<double>(data / info.frameAlign) / info.sampleRate
                                  : 0.0;
        }
        state.stem = run.Stem();
        const long long pages = opened ? run.Pages() : 0;
        const bool skipped = opened && request_.skipExisting && run.Complete();
        std::size_t chunks = 0;
        long long perChunk = 0;
        if (opened && !skipped && pages > 0) {
            const long long workers = std::max(request_.jobs, 1);
            perChunk = std::max(kMinChunkPages, (pages + workers - 1) / workers);
            chunks = static_cast<std::size_t>((pages + perChunk - 1) / perChunk);
        }
        {
            std::lock_guard lock(mutex_);
            --opening_;
            state.chunksLeft = chunks;
            state.tables.resize(request_.columns ? std::max<std::size_t>(chunks, 1) : 0);
            for (std::size_t chunk = chunks; chunk-- > 1;) {
                const long long first = static_cast<long long>(chunk) * perChunk;
                queue_.push_front({index, first, std::min(pages, first + perChunk), chunk});
            }
        }
        changed_.notify_all();
        if (!opened) {
            End(index, ExportStatus::Failed, run.Error());
        } else if (skipped) {
            End(index, ExportStatus::Skipped, {});
        } else if (chunks == 0) {
            // Nothing to draw: the table is empty.
            if (request_.columns) {
                OpenTable(state, 0);
            }
            End(index, ExportStatus::Done, {});
        } else {
            DrawRun({index, 0, std::min(pages, perChunk), 0}, run);
        }
    }

    bool OpenTable(FileState& state, std::size_t chunk) {
        state.tables[chunk] = std::make_unique<ColumnTable>();
        return chunk == 0 ? state.tables[0]->Open(state.stem + ".csv.tmp")
                          : state.tables[chunk]->OpenUnnamed(request_.outFolder);
    }

    void DrawRun(const Task& task, FileRun& run) {
        FileState& state = files_[task.file];
        bool failed = false;
        {
            std::lock_guard lock(mutex_);
            failed = state.failed;
        }
        if (failed) { // another run of the file failed: its outputs will not be complete anyway
            RunEnded(task.file, false, {});
            return;
        }
        ColumnTable* table = nullptr;
        if (request_.columns) {
            if (!OpenTable(state, task.chunk)) {
                RunEnded(task.file, false, "cannot write " + state.stem + ".csv");
                return;
            }
            table = state.tables[task.chunk].get();
        }
        const bool ok = run.Draw(task.first, task.last, table, [&](long long columns) {
            std::lock_guard lock(progressMutex_);
            FileState& file = files_[task.file];
            const long long bytes = std::min(run.PageBytes(), file.size - file.counted);
            file.counted += bytes;
            tally_.bytes += bytes;
            tally_.columns += columns;
            file.record.columns += columns;
            file.record.pages += 1;
            if (progress_.tally) {
                progress_.tally(tally_);
            }
        });
        RunEnded(task.file, ok, run.Error());
    }

    void RunEnded(std::size_t index, bool ok, const std::string& error) {
        FileState& state = files_[index];
        {
            std::lock_guard lock(mutex_);
            if (!ok && !state.failed) {
                state.failed = true;
                state.record.error = error;
            }
            if (--state.chunksLeft > 0) {
                return;
            }
        }
        End(index, state.failed ? ExportStatus::Failed : ExportStatus::Done, state.record.error);
    }

    // Joins the table of a finished file and reports the file.
    void End(std::size_t index, ExportStatus status, const std::string& error) {
        FileState& state = files_[index];
        std::string reason = error;
        if (status == ExportStatus::Done && request_.columns) {
            ColumnTable& table = *state.tables[0];
            bool written = true;
            for (std::size_t chunk = 1; chunk < state.tables.size(); ++chunk) {
                written = table.Append(*state.tables[chunk]) && written;
            }
            const std::string name = state.stem + ".csv";
            std::error_code renameError;
            if (!table.Close() || !written ||
                (std::filesystem::rename(name + ".tmp", name, renameError), renameError)) {
                status = ExportStatus::Failed;
                reason = "cannot write " + name;
            }
        }
        state.tables.clear();
        std::lock_guard lock(progressMutex_);
        ExportFileRecord& record = state.record;
        record.status = status;
        record.error = status == ExportStatus::Failed ? reason : std::string();
        record.seconds = std::chrono::duration<double>(Clock::now() - state.start).count();
        tally_.bytes += state.size - state.counted;
        state.counted = state.size;
        tally_.filesEnded += 1;
        summary_.pages += record.pages;
        summary_.columns += record.columns;
        (status == ExportStatus::Done      ? summary_.filesDone
         : status == ExportStatus::Skipped ? summary_.filesSkipped
                                           : summary_.filesFailed) += 1;
        if (progress_.line) {
            progress_.line(ExportLine(record));
        }
        if (progress_.fileEnded) {
            progress_.fileEnded(record);
        }
        if (progress_.tally) {
            progress_.tally(tally_);
        }
    }

    const SettingsModel& settings_;
    const MenuModel& menus_;
    const ExportRequest& request_;
    const ExportProgress& progress_;
    std::vector<FileState> files_;

    std::mutex mutex_; // the tasks, and the runs left of each file
    std::condition_variable changed_;
    std::deque<Task> queue_;
    int opening_ = 0; // files being opened: they may still add runs of pages

    std::mutex progressMutex_; // the tally, the records' counts, the summary and the callbacks
    ExportTally tally_;
    ExportSummary summary_;
};

// Makes the folder and tries a file in it.
std::optional<std::string> UnwritableFolder(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    std::string probe = folder + ".ondrix-XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) {
        return "cannot write to " + folder + " (" + std::strerror(errno) + ")";
    }
    ::close(fd);
    ::unlink(probe.c_str());
    return std::nullopt;
}

} // namespace

std::string ExportLine(const ExportFileRecord& record) {
    switch (record.status) {
    case ExportStatus::Done:
        return record.path + ": done," + NumberText(static_cast<double>(record.pages)) + " pages," +
               NumberText(static_cast<double>(record.columns)) + " columns";
    case ExportStatus::Skipped:
        return record.path + ": skipped, its outputs are complete";
    case ExportStatus::Failed:
        break;
    }
    return record.path + ": failed: " + record.error;
}

ExportSummary ExportFiles(const SettingsModel& settings, const MenuModel& menus, const ExportRequest& request,
                          const ExportProgress& progress) {
    ExportRequest folderRequest = request;
    folderRequest.outFolder = WithTrailingSlash(request.outFolder);
    if (std::optional<std::string> reason = UnwritableFolder(folderRequest.outFolder)) {
        ExportSummary summary;
        summary.stopped = std::move(*reason);
        return summary;
    }
    return Batch(settings, menus, folderRequest, progress).Run();
}

} // namespace ondrix
