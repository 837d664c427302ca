#include "files/PageSaver.h"

#include <QImageWriter>

#include <filesystem>

namespace ondrix {

namespace {

// Qt maps quality 0..100 onto zlib levels 9..0; 90 gives level 1 (fast deflate: the pages are large and
// many; level 1 costs a few per cent in size).
constexpr int kPngQuality = 90;

} // namespace

void PageSaver::Save(const QImage& picture, int top, int rows, const std::string& path) {
    // Written whole under a temporary name first: a file of the page's own name is always complete.
    const std::string temporary = path + ".tmp";
    std::error_code error;
    const bool written =
        Write(picture, top, rows, temporary) && (std::filesystem::rename(temporary, path, error), !error);
    if (!written && error_.empty()) {
        error_ = path;
    }
}

// The rows of the picture; palette-indexed when they hold at most 256 colours (about a third of the
// bytes), else as they are. Colours are found through a small direct-mapped cache, since neighbouring
// pixels of a spectrogram rarely share one.
bool PageSaver::Write(const QImage& picture, int top, int rows, const std::string& path) {
    const int width = picture.width();
    if (top < 0 || rows < 0 || top + rows > picture.height()) {
        return false;
    }
    if (indexed_.width() != width || indexed_.height() != rows) {
        indexed_ = QImage(width, rows, QImage::Format_Indexed8);
    }
    table_.clear();
    cache_.fill(Slot{});
    bool fits = true;
    for (int y = 0; y < rows && fits; ++y) {
        const auto* in = reinterpret_cast<const uint32_t*>(picture.constScanLine(top + y));
        uchar* out = indexed_.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const Slot& slot = cache_[SlotOf(in[x])];
            const int index = slot.index >= 0 && slot.colour == in[x] ? slot.index : IndexOf(in[x]);
            if (index < 0) {
                fits = false;
                break;
            }
            out[x] = static_cast<uchar>(index);
        }
    }
    QImageWriter writer(QString::fromStdString(path), "png");
    writer.setQuality(kPngQuality);
    if (fits) {
        indexed_.setColorTable(table_);
        return writer.write(indexed_);
    }
    return writer.write(top == 0 && rows == picture.height() ? picture : picture.copy(0, top, width, rows));
}

// A colour missing from the cache: its index in the table, added when new; -1 when the table is full.
int PageSaver::IndexOf(uint32_t colour) {
    int index = -1;
    for (int i = 0; i < table_.size(); ++i) {
        if (table_[i] == colour) {
            index = i;
            break;
        }
    }
    if (index < 0) {
        if (table_.size() == 256) {
            return -1;
        }
        index = static_cast<int>(table_.size());
        table_.push_back(colour);
    }
    cache_[SlotOf(colour)] = {colour, index};
    return index;
}

} // namespace ondrix
