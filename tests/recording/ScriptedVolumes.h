// Volumes with free space and writability set by the test.
#pragma once

#include "recording/Volumes.h"

#include <map>
#include <ranges>

namespace ondrix {

class ScriptedVolumes : public VolumeSystem {
public:
    struct Volume {
        uint64_t freeKB = 0;
        bool writable = true;
    };
    // Mount point (ending in "/") -> its state; the volume of a path is the longest matching one.
    std::map<std::string, Volume> volumes;

    std::vector<std::string> Volumes() override {
        const auto points = std::views::keys(volumes);
        return {points.begin(), points.end()};
    }
    std::string VolumeOf(std::string_view path) override { return MountPointOf(path, Volumes()); }
    std::optional<uint64_t> FreeKB(std::string_view folder) override {
        return volumes[VolumeOf(folder)].freeKB;
    }
    bool Writable(std::string_view folder) override { return volumes[VolumeOf(folder)].writable; }
};

} // namespace ondrix
