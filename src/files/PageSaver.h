// Saves exported pages as PNG files, on the thread that drew them: a worker of the export is one core's
// work, so --jobs N keeps N cores busy and no more.
#pragma once

#include <QImage>

#include <array>
#include <cstdint>
#include <functional>
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
    // The same file from the picture held column-major in `columns` (row x of `columns` is column x of
    // the picture, as the export draws it): a page of at most 256 colours is indexed in one pass, without
    // transposing the picture back. `picture` gives the picture in its own order; it is asked for only
    // when the page holds more colours.
    void SaveColumns(const QImage& columns, int top, int rows, const std::function<const QImage&()>& picture,
                     const std::string& path);
    // False when a page could not be written.
    bool Finish() const { return error_.empty(); }
    // The first file that could not be written; empty while all went well.
    const std::string& Error() const { return error_; }

private:
    void Settle(bool written, const std::string& temporary, const std::string& path);
    bool Write(const QImage& picture, int top, int rows, const std::string& path);
    bool WriteIndexed(const std::string& path);
    static bool WriteColours(const QImage& picture, int top, int rows, const std::string& path);
    void StartPage(int width, int rows);
    bool IndexColumns(const QImage& columns, int top, int rows);
    int Index(uint32_t colour) {
        const Slot& slot = cache_[SlotOf(colour)];
        return slot.index >= 0 && slot.colour == colour ? slot.index : IndexOf(colour);
    }
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
