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
    const std::string temporary = path + ".tmp";
    Settle(Write(picture, top, rows, temporary), temporary, path);
}

void PageSaver::SaveColumns(const QImage& columns, int top, int rows,
                            const std::function<const QImage&()>& picture, const std::string& path) {
    const std::string temporary = path + ".tmp";
    const bool written = IndexColumns(columns, top, rows) ? WriteIndexed(temporary)
                                                          : WriteColours(picture(), top, rows, temporary);
    Settle(written, temporary, path);
}

// Written whole under a temporary name first: a file of the page's own name is always complete.
void PageSaver::Settle(bool written, const std::string& temporary, const std::string& path) {
    std::error_code error;
    if (!(written && (std::filesystem::rename(temporary, path, error), !error)) && error_.empty()) {
        error_ = path;
    }
}

// The rows of the picture; palette-indexed when they hold at most 256 colours (about a third of the
// bytes), else as they are. Colours are found through a small direct-mapped cache, since neighbouring
// pixels of a spectrogram rarely share one; the table lists them in the order they first appear, row by
// row.
bool PageSaver::Write(const QImage& picture, int top, int rows, const std::string& path) {
    const int width = picture.width();
    if (top < 0 || rows < 0 || top + rows > picture.height()) {
        return false;
    }
    StartPage(width, rows);
    for (int y = 0; y < rows; ++y) {
        const auto* in = reinterpret_cast<const uint32_t*>(picture.constScanLine(top + y));
        uchar* out = indexed_.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const int index = Index(in[x]);
            if (index < 0) {
                return WriteColours(picture, top, rows, path);
            }
            out[x] = static_cast<uchar>(index);
        }
    }
    return WriteIndexed(path);
}

bool PageSaver::WriteIndexed(const std::string& path) {
    indexed_.setColorTable(table_);
    QImageWriter writer(QString::fromStdString(path), "png");
    writer.setQuality(kPngQuality);
    return writer.write(indexed_);
}

bool PageSaver::WriteColours(const QImage& picture, int top, int rows, const std::string& path) {
    if (top < 0 || rows < 0 || top + rows > picture.height()) {
        return false;
    }
    QImageWriter writer(QString::fromStdString(path), "png");
    writer.setQuality(kPngQuality);
    return writer.write(top == 0 && rows == picture.height() ? picture
                                                             : picture.copy(0, top, picture.width(), rows));
}

void PageSaver::StartPage(int width, int rows) {
    if (indexed_.width() != width || indexed_.height() != rows) {
        indexed_ = QImage(width, rows, QImage::Format_Indexed8);
    }
    table_.clear();
    cache_.fill(Slot{});
}

// Row by row as Write reads the picture, straight from the column-major copy: the table comes out in the
// same order, and each pixel is read once instead of being transposed and read again. A row reads one
// pixel of every column; the cache lines these lie on (64 kB for 1024 columns) serve the next 15 rows
// from the second-level cache. False when the page holds more than 256 colours.
bool PageSaver::IndexColumns(const QImage& columns, int top, int rows) {
    const int width = columns.height();
    if (top < 0 || rows < 0 || top + rows > columns.width()) {
        return false;
    }
    StartPage(width, rows);
    const std::ptrdiff_t line = columns.bytesPerLine() / static_cast<qsizetype>(sizeof(uint32_t));
    const auto* first = reinterpret_cast<const uint32_t*>(columns.constBits()) + top;
    for (int y = 0; y < rows; ++y) {
        const uint32_t* in = first + y;
        uchar* out = indexed_.scanLine(y);
        for (int x = 0; x < width; ++x, in += line) {
            const int index = Index(*in);
            if (index < 0) {
                return false;
            }
            out[x] = static_cast<uchar>(index);
        }
    }
    return true;
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
