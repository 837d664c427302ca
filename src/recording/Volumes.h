// The volumes recordings go to: free space, the mounted volumes in a stable order, and the search for
// the next volume with room for a file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ondrix {

// Kilobytes a normal user may still write on the volume holding the folder (f_bavail); a folder not
// yet created is measured on its nearest existing parent. Nothing when no parent can be examined.
std::optional<uint64_t> GetDiskFreeKB(std::string_view folder);
// The size in kilobytes of the volume holding the folder, measured the same way.
std::optional<uint64_t> GetDiskTotalKB(std::string_view folder);

// The mount points of real volumes (block devices and network file systems) in the text of
// /proc/self/mounts, each once, sorted, with a trailing "/". Pseudo and memory file systems (tmpfs,
// proc, sysfs, overlay and the like) are left out.
std::vector<std::string> StorageMountPoints(std::string_view mountsText);

// The mount point holding the path, with a trailing "/": the longest of the mount points (each
// ending in "/") that the path lies below; "/" when none does.
std::string MountPointOf(std::string_view path, const std::vector<std::string>& mountPoints);

// The system as the recorder sees it; tests script their own.
class VolumeSystem {
public:
    virtual ~VolumeSystem() = default;
    // Real volumes in a stable order (sorted mount points ending in "/").
    virtual std::vector<std::string> Volumes() = 0;
    // The mount point of the volume holding the path, whether or not it is among Volumes().
    virtual std::string VolumeOf(std::string_view path) = 0;
    virtual std::optional<uint64_t> FreeKB(std::string_view folder) = 0;
    // The size of the volume holding the folder; 0 for a volume without a medium.
    virtual std::optional<uint64_t> TotalKB(std::string_view folder) { return GetDiskTotalKB(folder); }
    // Whether files can be written in the folder, creating it (with its parents) when missing.
    virtual bool Writable(std::string_view folder) = 0;
};

// The machine's own volumes from /proc/self/mounts and statvfs.
class LocalVolumes : public VolumeSystem {
public:
    std::vector<std::string> Volumes() override;
    std::string VolumeOf(std::string_view path) override;
    std::optional<uint64_t> FreeKB(std::string_view folder) override;
    bool Writable(std::string_view folder) override;
};

struct VolumeChoice {
    std::string folder; // the recording folder on the chosen volume, ending in "/"
    uint64_t freeKB = 0;
};

// The folder itself when its volume is writable with more than neededKB free; else, when volumeCount
// is above 1, the same path below the root of the next real volumes in order (up to volumeCount
// volumes tried in all). Nothing when none qualifies.
std::optional<VolumeChoice> FindDriveWithSpace(VolumeSystem& system, std::string_view folder,
                                               uint64_t neededKB, int volumeCount);

// The folder moved to the next real volume after its own, with its path below the root kept; nothing
// when there is no further volume.
std::optional<std::string> NextVolumeFolder(VolumeSystem& system, std::string_view folder);

} // namespace ondrix
