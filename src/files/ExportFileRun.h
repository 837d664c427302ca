// One file of an export as one worker analyses it: a private copy of the settings and the menus, and the
// picture, the loop and the page saver drawn from them.
#pragma once

#include "analysis/SpectrumAveraging.h"
#include "common/ConsoleInteraction.h"
#include "display/Palette.h"
#include "display/SpectrogramRenderer.h"
#include "files/CurrentFile.h"
#include "files/FileAnalysisLoop.h"
#include "files/FileExport.h"
#include "files/PageSaver.h"
#include "settings/EventPump.h"
#include "settings/MenuModel.h"
#include "settings/SettingsModel.h"
#include "settings/TaskController.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ondrix {

class ColumnTable;

// "<stem>-p0001.png": the name of page `page` (from 1).
std::string PageName(const std::string& stem, long long page);

// The first part of a file's output names: its name without the folder and the last extension, of any
// length ("a.flac" and "a.wav" both give "a").
std::string OutputStem(const std::string& path);

// Why a path cannot be analysed before its header is read: missing, a folder, unreadable or empty.
std::optional<std::string> UnreadableReason(const std::string& path);

// Set up once; then any runs of its pages may be drawn.
class FileRun {
public:
    FileRun(const SettingsModel& settings, const MenuModel& menus, const ExportRequest& request,
            const std::string& path);
    ~FileRun();
    FileRun(const FileRun&) = delete;
    FileRun& operator=(const FileRun&) = delete;

    // Reads the header and sets the loop up; false (with the reason in Error) when it cannot be analysed.
    bool Open();

    const SoundFileInfo& Info() const { return file_.info; }
    long long Pages() const { return pages_; }
    long long PageBytes() const { return file_.frameBytes; }
    const std::string& Stem() const { return stem_; }
    const std::string& Error() const { return error_; }

    // Every output the request asks for is there (each is renamed to its name only when complete).
    bool Complete() const;

    // Draws pages first .. last - 1, their columns into the table when there is one; after each page
    // drawn, pageDone gets its columns. False (with the reason in Error) when a page failed.
    bool Draw(long long first, long long last, ColumnTable* table,
              const std::function<void(long long columns)>& pageDone);

private:
    // The export runs one page per pass itself: no events to process, nothing to wait for.
    class NoEvents : public EventPump {
    public:
        void ProcessEvents() override {}
        void WaitForEvents(std::chrono::milliseconds) override {}
    };

    void Note(const std::string& text) { error_ += (error_.empty() ? "" : "; ") + text; }

    const ExportRequest& request_;
    std::string path_;
    std::string name_;
    std::string stem_;
    std::string error_;
    SettingsModel settings_;
    MenuModel menus_;
    Palette palette_;
    SpectrogramRenderer renderer_;
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

} // namespace ondrix
