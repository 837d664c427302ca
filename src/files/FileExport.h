// Headless analysis of whole sound files: every page of each file drawn by the file-analysis loop, saved
// as PNG pictures of the spectrogram rows, and optionally the display values of every column as CSV.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace ondrix {

class MenuModel;
class SettingsModel;

struct ExportRequest {
    std::string outFolder;          // where the pictures and tables go; created when missing
    std::vector<std::string> files; // sound files, analysed in order
    int width = 1024;               // picture width W: columns per page
    bool columns = false;           // also "<stem>.csv": column, time in seconds, values of rows 0..R-1
    bool pictures = true;           // the PNG pages (off only to measure the analysis alone)
    // Each page whole (spectrogram, strip and band) framed by its axes in file time, under a title with the
    // file's name and the page's start time, instead of the spectrogram rows alone. Needs a QGuiApplication.
    bool axes = false;
};

struct ExportProgress {
    std::function<void(const std::string& line)> line; // progress and problems, one line each
};

struct ExportSummary {
    int filesDone = 0;
    int filesFailed = 0;
    long long pages = 0;
    long long columns = 0;
};

// Analyses each file from its start to its end with the settings as they are, page after page: page k
// starts at the data start + k x FrameBytes (no end clamp), the rest of the last page is blank, so the
// pages tile the file. Pages are "<stem>-p0001.png", ... of W x R pixels (palette-indexed when the page
// has at most 256 colours). A file that cannot be read is reported and skipped; the others are done.
// The sound files are never written: a header the window would repair is corrected in memory only.
ExportSummary ExportFiles(SettingsModel& settings, MenuModel& menus, const ExportRequest& request,
                          const ExportProgress& progress);

} // namespace ondrix
