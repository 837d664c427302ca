#include "recording/Volumes.h"

#include "common/Paths.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/statvfs.h>

namespace ondrix {

namespace {

// Octal escapes of /proc/self/mounts ("\040" for a blank) decoded.
std::string Unescaped(std::string_view field) {
    std::string result;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() &&
            std::isdigit(static_cast<unsigned char>(field[i + 1]))) {
            result += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                        (field[i + 3] - '0'));
            i += 3;
        } else {
            result += field[i];
        }
    }
    return result;
}

bool IsNetworkType(std::string_view type) {
    for (const std::string_view net :
         {"nfs", "nfs4", "cifs", "smb3", "smbfs", "sshfs", "fuse.sshfs", "9p", "afs"}) {
        if (type == net) {
            return true;
        }
    }
    return false;
}

std::string ReadMounts() {
    std::ifstream in("/proc/self/mounts");
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ExistingParent(std::string_view folder) {
    std::filesystem::path path{std::string(folder)};
    std::error_code error;
    while (!path.empty() && !std::filesystem::exists(path, error)) {
        const auto parent = path.parent_path();
        if (parent == path) {
            break;
        }
        path = parent;
    }
    return path.empty() ? std::string(".") : path.string();
}

} // namespace

std::optional<uint64_t> GetDiskFreeKB(std::string_view folder) {
    struct statvfs info {};
    if (statvfs(ExistingParent(folder).c_str(), &info) != 0) {
        return std::nullopt;
    }
    return static_cast<uint64_t>(info.f_bavail) * static_cast<uint64_t>(info.f_frsize) / 1024U;
}

std::optional<uint64_t> GetDiskTotalKB(std::string_view folder) {
    struct statvfs info {};
    if (statvfs(ExistingParent(folder).c_str(), &info) != 0) {
        return std::nullopt;
    }
    return static_cast<uint64_t>(info.f_blocks) * static_cast<uint64_t>(info.f_frsize) / 1024U;
}

std::vector<std::string> StorageMountPoints(std::string_view mountsText) {
    std::vector<std::string> points;
    std::istringstream lines{std::string(mountsText)};
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string device;
        std::string point;
        std::string type;
        if (!(fields >> device >> point >> type)) {
            continue;
        }
        const bool block = device.rfind("/dev/", 0) == 0 && type != "squashfs" && type != "iso9660";
        if (block || IsNetworkType(type)) {
            points.push_back(WithTrailingSlash(Unescaped(point)));
        }
    }
    std::sort(points.begin(), points.end());
    points.erase(std::unique(points.begin(), points.end()), points.end());
    return points;
}

std::string MountPointOf(std::string_view path, const std::vector<std::string>& mountPoints) {
    const std::string folder = WithTrailingSlash(path);
    std::string best = "/";
    for (const std::string& point : mountPoints) {
        if (folder.rfind(point, 0) == 0 && point.size() > best.size()) {
            best = point;
        }
    }
    return best;
}

std::vector<std::string> LocalVolumes::Volumes() {
    return StorageMountPoints(ReadMounts());
}

std::string LocalVolumes::VolumeOf(std::string_view path) {
    // Every mount counts here: a folder on a memory file system belongs to it, not to "/".
    std::vector<std::string> all;
    std::istringstream lines(ReadMounts());
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string device;
        std::string point;
        if (fields >> device >> point) {
            all.push_back(WithTrailingSlash(Unescaped(point)));
        }
    }
    return MountPointOf(path, all);
}

std::optional<uint64_t> LocalVolumes::FreeKB(std::string_view folder) {
    return GetDiskFreeKB(folder);
}

bool LocalVolumes::Writable(std::string_view folder) {
    std::error_code error;
    std::filesystem::create_directories(std::string(folder), error);
    return IsFolderWritable(folder);
}

std::optional<std::string> NextVolumeFolder(VolumeSystem& system, std::string_view folder) {
    const std::string path = WithTrailingSlash(folder);
    const std::string root = system.VolumeOf(path);
    const std::string below = path.substr(std::min(root.size(), path.size()));
    for (const std::string& volume : system.Volumes()) {
        if (volume > root) {
            return volume + below;
        }
    }
    return std::nullopt;
}

std::optional<VolumeChoice> FindDriveWithSpace(VolumeSystem& system, std::string_view folder,
                                               uint64_t neededKB, int volumeCount) {
    std::optional<std::string> candidate = WithTrailingSlash(folder);
    for (int tried = 0; tried < volumeCount && candidate; ++tried) {
        if (system.Writable(*candidate)) {
            const uint64_t free = system.FreeKB(*candidate).value_or(0);
            if (free > neededKB) {
                return VolumeChoice{.folder = *candidate, .freeKB = free};
            }
        }
        candidate = NextVolumeFolder(system, *candidate);
    }
    return std::nullopt;
}

} // namespace ondrix
