#include "files/FileExport.h"

#include "common/NumberText.h"
#include "common/Paths.h"
#include "files/ExportColumnTable.h"
#include "files/ExportFileRun.h"
#include "files/SoundFileFormat.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
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

// A long file is split among the workers in runs of at least this many pages.
constexpr long long kMinChunkPages = 4;

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
