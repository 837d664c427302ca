// Saves exported pages as PNG files, on the thread that drew them: a worker of the export is one core's
// work, so --jobs N keeps N cores busy and no more.
#pragma once

#include <QImage>

#include <array>
#include <cstdint>
#include <string>

namespace ondrix {

class PageSaver {
public:
    PageSaver() = default;
    PageSaver(const PageSaver&) = delete;
    PageSaver& operator=(const PageSaver&) = delete;

    // Writes rows top .. top + rows - 1 of the picture to the file at path, as "<path>.tmp" renamed to
    // path when whole.
    void Save(const QImage& picture, int top, int rows, const std::string& path);
    // False when a page could not be written.
    bool Finish() const { return error_.empty(); }
    // The first file that could not be written; empty while all went well.
    const std::string& Error() const { return error_; }

private:
    bool Write(const QImage& picture, int top, int rows, const std::string& path);
    int IndexOf(uint32_t colour);
    static std::size_t SlotOf(uint32_t colour) { return (colour * 2654435761u) >> 20 & (kCacheSize - 1); }

    static constexpr std::size_t kCacheSize = 4096;
    struct Slot {
        uint32_t colour = 0;
        int index = -1;
    };
    QImage indexed_; // the page as palette indices, its memory kept for the next page
    QList<QRgb> table_;
    std::array<Slot, kCacheSize> cache_{};
    std::string error_;
};

} // namespace ondrix
