// Headless analysis of whole sound files: every page of each file drawn by the file-analysis loop, saved
// as PNG pictures of the spectrogram rows, and optionally the display values of every column as CSV.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace ondrix {

class MenuModel;
class SettingsModel;

struct ExportRequest {
    std::string outFolder;          // where the pictures and tables go; created when missing
    std::vector<std::string> files; // sound files
    int width = 1024;               // picture width W: columns per page
    bool columns = false;           // also "<stem>.csv": column, time in seconds, values of rows 0..R-1
    bool pictures = true;           // the PNG pages (off only to measure the analysis alone)
    // Each page whole (spectrogram, strip and band) framed by its axes in file time, under a title with the
    // file's name and the page's start time, instead of the spectrogram rows alone. Needs a QGuiApplication.
    bool axes = false;
    int jobs = 1;              // workers: files, and the pages of a long file, analysed this many at a time
    bool skipExisting = false; // a file whose outputs are all there is not analysed again
};

enum class ExportStatus { Done, Skipped, Failed };

// What became of one input.
struct ExportFileRecord {
    std::string path;
    ExportStatus status = ExportStatus::Failed;
    std::string error; // why it failed
    std::string type;  // the recognised file type; empty when not recognised
    int sampleRate = 0;
    int channels = 0;
    double duration = 0.0; // seconds of sound
    long long columns = 0;
    long long pages = 0;
    double seconds = 0.0; // time taken
};

// How far a run has come.
struct ExportTally {
    std::size_t files = 0;
    std::size_t filesEnded = 0;
    long long columns = 0;    // drawn so far
    long long bytes = 0;      // input bytes analysed (or skipped) so far
    long long totalBytes = 0; // the sizes of all inputs
};

// Called one at a time, from the thread that did the work. Unset callbacks do nothing.
struct ExportProgress {
    std::function<void(const std::string& line)> line{};      // a line per input as it ends (ExportLine)
    std::function<void(const ExportFileRecord&)> fileEnded{}; // each input as it ends
    std::function<void(const ExportTally&)> tally{};          // after every page and every input
};

struct ExportSummary {
    int filesDone = 0;
    int filesFailed = 0;
    int filesSkipped = 0;
    long long pages = 0;
    long long columns = 0;
    std::string stopped; // why the run stopped before any analysis (an output folder it cannot write)
};

// "<path>: done, 3 pages, 768 columns", "<path>: skipped, its outputs are complete", "<path>: failed: why".
std::string ExportLine(const ExportFileRecord& record);

// Analyses each file from its start to its end with the settings as they are, page after page: page k
// starts at the data start + k x FrameBytes (no end clamp), the rest of the last page is blank, so the
// pages tile the file. Pages are "<stem>-p0001.png", ... of W x R pixels (palette-indexed when the page
// has at most 256 colours). Every file starts from the same settings, on a private copy of them and of the
// menus, so its outputs do not depend on the other files or on the number of workers; the pages of a
// long file are split among the workers, and its table is joined in column order. Each output is written
// as "<name>.tmp" and renamed when complete, so a name without ".tmp" is always a finished output; a file
// counts as complete when all the pages its header gives (and its table, when asked) are there. A file
// that cannot be read is reported as failed; the others are done. The folder is tried first: when it
// cannot be written nothing is analysed. The sound files are never written: a header the window would
// repair is corrected in memory only.
ExportSummary ExportFiles(const SettingsModel& settings, const MenuModel& menus, const ExportRequest& request,
                          const ExportProgress& progress);

} // namespace ondrix
