#include "detection/DetectionLog.h"

#include "common/NumberText.h"
#include "common/Paths.h"

#include <filesystem>

namespace ondrix {

std::string DetectionLogName(std::string_view folder, std::string_view first, std::string_view namePart,
                             std::string_view stamp, int channel, std::string_view extension) {
    std::string name = WithTrailingSlash(folder);
    name.append(first).append(namePart);
    if (!stamp.empty()) {
        name.append(" ").append(stamp);
    }
    if (channel >= 0) {
        name.append(" CH").append(NumberText(channel));
    }
    return name.append(extension);
}

std::string UnusedLogName(const std::string& name, std::string_view extension) {
    std::error_code error;
    if (!std::filesystem::exists(name, error)) {
        return name;
    }
    const bool hasExtension = name.size() >= extension.size() && name.ends_with(extension);
    const std::string base = name.substr(0, name.size() - (hasExtension ? extension.size() : 0));
    const std::string tail = hasExtension ? std::string(extension) : std::string();
    std::string candidate;
    for (int k = 1;; ++k) {
        candidate = base + "_n" + std::to_string(k) + tail;
        if (!std::filesystem::exists(candidate, error)) {
            return candidate;
        }
    }
}

bool DetectionLog::Create(const std::string& path) {
    Close();
    file_ = std::fopen(path.c_str(), "wbx");
    path_ = file_ != nullptr ? path : std::string();
    return file_ != nullptr;
}

void DetectionLog::Close() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    path_.clear();
}

void DetectionLog::WriteLine(std::string_view text) {
    if (file_ != nullptr) {
        std::fwrite(text.data(), 1, text.size(), file_);
        std::fwrite("\r\n", 1, 2, file_);
    }
}

} // namespace ondrix
