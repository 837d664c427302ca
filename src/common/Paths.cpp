#include "common/Paths.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>
#include <utility>

namespace ondrix {

std::string FileNameOfPath(std::string_view path) {
    const auto slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string FolderOfPath(std::string_view path) {
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string StripExtension(std::string_view path) {
    if (path.size() >= 4 && path[path.size() - 4] == '.') {
        return std::string(path.substr(0, path.size() - 4));
    }
    return std::string(path);
}

bool EndsWithNoCase(std::string_view name, std::string_view extension) {
    if (name.size() < extension.size()) {
        return false;
    }
    const std::string_view tail = name.substr(name.size() - extension.size());
    for (std::size_t i = 0; i < tail.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(tail[i])) !=
            std::tolower(static_cast<unsigned char>(extension[i]))) {
            return false;
        }
    }
    return true;
}

std::string WithExtension(std::string_view name, std::string_view extension) {
    return EndsWithNoCase(name, extension) ? std::string(name) : std::string(name) + std::string(extension);
}

std::string WithTrailingSlash(std::string_view folder) {
    std::string result(folder);
    if (!result.empty() && result.back() != '/') {
        result += '/';
    }
    return result;
}

std::string EnsureFolder(std::string_view folder) {
    std::string result = WithTrailingSlash(folder);
    if (!result.empty()) {
        std::error_code error;
        if (!std::filesystem::is_directory(result, error)) {
            std::filesystem::create_directory(result, error);
        }
    }
    return result;
}

bool IsFolderWritable(std::string_view folder) {
    const std::string path = EnsureFolder(folder);
    if (path.empty()) {
        return false;
    }
    // mkstemp creates a new file under a name no other file has (O_CREAT | O_EXCL), so the probe can
    // never truncate or delete a file of the user's.
    std::string probe = path + ".ondrix-write-test-XXXXXX";
    const int fd = mkstemp(probe.data());
    if (fd < 0) {
        return false;
    }
    const bool written = write(fd, "w", 1) == 1;
    const bool closed = close(fd) == 0;
    const bool removed = unlink(probe.c_str()) == 0;
    return written && closed && removed;
}

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string HomeFolder() {
    std::string home = Environment("HOME");
    if (home.empty()) {
        if (const passwd* entry = getpwuid(getuid())) {
            home = entry->pw_dir;
        }
    }
    return home.empty() ? std::string(".") : home;
}

} // namespace

std::string ResolveProgramFolder(const std::optional<std::string>& homeOption) {
    if (homeOption && !homeOption->empty()) {
        return WithTrailingSlash(*homeOption);
    }
    if (std::string home = Environment("ONDRIX_HOME"); !home.empty()) {
        return WithTrailingSlash(home);
    }
    if (std::string config = Environment("XDG_CONFIG_HOME"); !config.empty()) {
        return WithTrailingSlash(config) + "ondrix/";
    }
    return HomeFolder() + "/.config/ondrix/";
}

std::string DefaultWorkFolder() {
    return HomeFolder() + "/Ondrix/";
}

std::string FindManual(std::string_view executableFolder, std::string_view sourceFolder) {
    constexpr std::string_view kPage = "Ondrix_manual.html";
    for (const auto& [folder, below] :
         {std::pair{executableFolder, std::string_view("../share/doc/ondrix/manual/")},
          std::pair{sourceFolder, std::string_view("docs/manual/")}}) {
        if (folder.empty()) {
            continue;
        }
        const std::filesystem::path page = std::filesystem::path(WithTrailingSlash(folder)) / below / kPage;
        std::error_code error;
        if (std::filesystem::is_regular_file(page, error)) {
            return page.lexically_normal().string();
        }
    }
    return {};
}

} // namespace ondrix
