// The disk, memory, process and task reports of the utilities: each a plain function giving the lines
// the utilities window or the spectrogram picture prints.
#pragma once

#include "recording/Volumes.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ondrix {

class Palette;

// Bytes a second of 16-bit stereo recording at 48 kHz and at 96 kHz.
inline constexpr int kStereo48kBytesPerSecond = 192000;
inline constexpr int kStereo96kBytesPerSecond = 384000;
// From this much free space on, the recording time left is given in hours.
inline constexpr uint64_t kHoursFromFreeKB = 5440000;

// The recording time the free kilobytes hold at the byte rate: " 89 min" below kHoursFromFreeKB, else
// " 8 hrs" (" 1 hr"); rounded, in 64 bits.
std::string RecordingTimeText(uint64_t freeKB, int bytesPerSecond);

// "Check Disks": a header and one line for each volume with a size above 0 (size, free, writable, the
// recording time left at 48 and 96 kHz stereo), in print zones.
std::vector<std::string> CheckDisksLines(VolumeSystem& volumes);

// "Info Disks": one line for each writable volume of at least 1 kB: the volume, its size and its free
// space in megabytes of 1000 kB; each line ends in CR LF.
std::string InfoDisksText(VolumeSystem& volumes);

// "Disk Space" and "DiskSpaceEX" of one volume.
std::vector<std::string> DiskSpaceLines(VolumeSystem& volumes, const std::string& volume);
std::string DiskSpaceExText(VolumeSystem& volumes, const std::string& volume);

// "Check Disk": label, serial number (the file system's UUID) and file system; "N/A" where unknown.
std::vector<std::string> CheckDiskLines(const std::string& volume);
// "Disk Type": "Drive / Fixed - Ready" and the like.
std::string DiskTypeText(const std::string& volume);

// The memory figures of /proc/meminfo in kilobytes.
struct MemoryStatus {
    uint64_t load = 0; // percent in use
    uint64_t totalPhysical = 0, availablePhysical = 0;
    uint64_t totalPage = 0, availablePage = 0;       // swap
    uint64_t totalVirtual = 0, availableVirtual = 0; // the commit limit and what is left of it
};
// Nothing when the text has no "MemTotal".
std::optional<MemoryStatus> ParseMemInfo(std::string_view text);
// "Mem Check": "Mem Load  42% used", then each figure as "Total Physical 16,318,412 Kbyte".
std::vector<std::string> MemCheckLines(const MemoryStatus& status);
// Digits in groups of three with ","; "0" for zero.
std::string GroupedThousands(uint64_t value);

// "Application": working folder, program folder and name, thread and process numbers.
std::vector<std::string> ApplicationLines();

enum class PriorityClass { Normal, High, RealTime };
struct PriorityResult {
    std::vector<std::string> lines;
    std::string refusal; // empty when every thread of the process took the priority
};
// Sets the priority of every thread of this process: normal (nice 0), high (nice -10) or real time
// (round-robin scheduling). A refusal (no permission) says so plainly.
PriorityResult SetProcessPriority(PriorityClass priority);

// "Kill Tasks": the task names of the file (items ended by a comma or a line end, trimmed), read
// from at most its first 64 KiB and at most 1000 names; each name printable ASCII ("?" for any other
// byte), at most 80 characters. Nothing when the file does not exist.
std::vector<std::string> ReadTaskNames(const std::string& path);

// "Find Duplicated Colors": each palette entry equal to the one before it ("index colour", colour as
// 0x00BBGGRR in decimal).
std::vector<std::string> DuplicatedColours(const Palette& palette);

} // namespace ondrix
