#include "files/ExportColumnTable.h"

#include "common/NumberText.h"

#include <fcntl.h>

#include <utility>
#include <vector>

namespace ondrix {

bool ColumnTable::Open(const std::string& path) {
    file_ = std::fopen(path.c_str(), "wb");
    return file_ != nullptr;
}

bool ColumnTable::OpenUnnamed(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR, 0600);
    file_ = fd >= 0 ? ::fdopen(fd, "w+b") : std::tmpfile();
    return file_ != nullptr;
}

bool ColumnTable::Close() {
    if (file_ == nullptr) {
        return true;
    }
    const bool ok = std::ferror(file_) == 0;
    return std::fclose(std::exchange(file_, nullptr)) == 0 && ok;
}

void ColumnTable::Add(long long column, double seconds, std::span<const float> values) {
    line_ = BareNumberText(static_cast<double>(column));
    line_ += ',';
    line_ += BareNumberText(seconds);
    for (const float value : values) {
        line_ += ',';
        line_ += BareNumberText(value, Precision::Single);
    }
    line_ += "\r\n";
    std::fwrite(line_.data(), 1, line_.size(), file_);
}

bool ColumnTable::Append(ColumnTable& part) {
    if (file_ == nullptr || part.file_ == nullptr || std::fflush(part.file_) != 0) {
        return false;
    }
    std::rewind(part.file_);
    std::vector<char> buffer(1 << 16);
    while (const std::size_t read = std::fread(buffer.data(), 1, buffer.size(), part.file_)) {
        std::fwrite(buffer.data(), 1, read, file_);
    }
    return std::ferror(part.file_) == 0;
}

} // namespace ondrix
