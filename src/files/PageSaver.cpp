#include "files/PageSaver.h"

#include <QImageWriter>

#include <array>
#include <cstring>
#include <filesystem>
#include <optional>

namespace ondrix {

namespace {

// The spectrogram rows of the picture; palette-indexed when they hold at most 256 colours (about a
// third of the bytes), else as they are. Colours are found through a small direct-mapped cache, since
// neighbouring pixels of a spectrogram rarely share one.
class PngPageWriter {
public:
    bool Write(const QImage& picture, const std::string& path) {
        const int width = picture.width();
        const int rows = picture.height();
        const int top = 0;
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
                const std::optional<uchar> index = IndexOf(in[x]);
                if (!index) {
                    fits = false;
                    break;
                }
                out[x] = *index;
            }
        }
        QImageWriter writer(QString::fromStdString(path), "png");
        // Fast deflate: the pages are large and many; level 1 costs a few per cent in size.
        writer.setQuality(kPngQuality);
        if (fits) {
            indexed_.setColorTable(table_);
            return writer.write(indexed_);
        }
        return writer.write(picture);
    }

private:
    // Qt maps quality 0..100 onto zlib levels 9..0; 90 gives level 1.
    static constexpr int kPngQuality = 90;
    static constexpr std::size_t kCacheSize = 4096;
    struct Slot {
        uint32_t colour = 0;
        int index = -1;
    };

    std::optional<uchar> IndexOf(uint32_t colour) {
        Slot& slot = cache_[(colour * 2654435761u) >> 20 & (kCacheSize - 1)];
        if (slot.index >= 0 && slot.colour == colour) {
            return static_cast<uchar>(slot.index);
        }
        int index = -1;
        for (int i = 0; i < table_.size(); ++i) {
            if (table_[i] == colour) {
                index = i;
                break;
            }
        }
        if (index < 0) {
            if (table_.size() == 256) {
                return std::nullopt;
            }
            index = static_cast<int>(table_.size());
            table_.push_back(colour);
        }
        slot = {colour, index};
        return static_cast<uchar>(index);
    }

    QImage indexed_;
    QList<QRgb> table_;
    std::array<Slot, kCacheSize> cache_{};
};

} // namespace

PageSaver::PageSaver() : worker_([this] { Work(); }) {}

PageSaver::~PageSaver() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    worker_.join();
}

void PageSaver::Save(const QImage& picture, int top, int rows, const std::string& path) {
    // The rows go into a page image the worker has finished with when there is one of the same size: a
    // fresh megabyte a page would be mapped and zeroed by the system page by page.
    QImage copy;
    {
        std::lock_guard lock(mutex_);
        if (!spare_.empty()) {
            copy = std::move(spare_.back());
            spare_.pop_back();
        }
    }
    if (copy.size() == QSize(picture.width(), rows) && copy.format() == picture.format() && top >= 0 &&
        top + rows <= picture.height()) {
        const auto bytes = static_cast<std::size_t>(copy.bytesPerLine());
        for (int y = 0; y < rows; ++y) {
            std::memcpy(copy.scanLine(y), picture.constScanLine(top + y), bytes);
        }
    } else {
        copy = picture.copy(0, top, picture.width(), rows);
    }
    Page page{std::move(copy), path};
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return queue_.size() < kMaxQueued; });
    queue_.push_back(std::move(page));
    changed_.notify_all();
}

bool PageSaver::Finish() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return queue_.empty() && !busy_; });
    return error_.empty();
}

std::string PageSaver::Error() {
    std::lock_guard lock(mutex_);
    return error_;
}

void PageSaver::Work() {
    PngPageWriter writer;
    std::unique_lock lock(mutex_);
    while (true) {
        changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) {
            return;
        }
        Page page = std::move(queue_.front());
        queue_.pop_front();
        busy_ = true;
        changed_.notify_all();
        lock.unlock();
        // Written whole under a temporary name first: a file of the page's own name is always complete.
        const std::string temporary = page.path + ".tmp";
        std::error_code error;
        const bool written = writer.Write(page.rows, temporary) &&
                             (std::filesystem::rename(temporary, page.path, error), !error);
        lock.lock();
        busy_ = false;
        if (!written && error_.empty()) {
            error_ = page.path;
        }
        if (spare_.size() < kMaxQueued + 1) {
            spare_.push_back(std::move(page.rows));
        }
        changed_.notify_all();
    }
}

} // namespace ondrix
