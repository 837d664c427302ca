// Saves exported pages as PNG files on a thread of its own, so encoding one page overlaps the analysis
// of the next.
#pragma once

#include <QImage>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace ondrix {

class PageSaver {
public:
    PageSaver();
    ~PageSaver();
    PageSaver(const PageSaver&) = delete;
    PageSaver& operator=(const PageSaver&) = delete;

    // Queues rows top .. top + rows - 1 of the picture (copied now) for the file at path, written as
    // "<path>.tmp" and renamed to path when whole. Waits while a few pages are still queued, so memory
    // stays bounded.
    void Save(const QImage& picture, int top, int rows, const std::string& path);
    // Waits until every queued page is written. False when one could not be.
    bool Finish();
    // The first file that could not be written; empty while all went well.
    std::string Error();

private:
    struct Page {
        QImage rows;
        std::string path;
    };
    static constexpr std::size_t kMaxQueued = 3;

    void Work();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Page> queue_;
    std::vector<QImage> spare_; // written pages, their memory kept for the next ones
    bool busy_ = false;
    bool stopping_ = false;
    std::string error_;
    std::thread worker_;
};

} // namespace ondrix
