#include "system/SystemInfo.h"

#include "common/NumberText.h"
#include "common/PrintLine.h"
#include "display/Palette.h"

#include <QStorageInfo>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sched.h>
#include <sstream>
#include <sys/resource.h>
#include <unistd.h>

namespace ondrix {

namespace {

constexpr std::size_t kTaskFileLimit = 64 * 1024;
constexpr std::size_t kTaskNameLimit = 80;
constexpr std::size_t kTaskCountLimit = 1000;
constexpr int kHighNice = -10;

std::string FromQt(const QString& text) {
    return text.toStdString();
}

std::string Rounded(double value) {
    return NumberText(std::nearbyint(value));
}

// The serial number of a block device: the name of its link in /dev/disk/by-uuid.
std::string SerialOf(const std::string& device) {
    std::error_code error;
    const std::filesystem::path target = std::filesystem::canonical(device, error);
    if (error) {
        return {};
    }
    for (const auto& entry : std::filesystem::directory_iterator("/dev/disk/by-uuid", error)) {
        std::error_code inner;
        if (std::filesystem::canonical(entry.path(), inner) == target) {
            return entry.path().filename().string();
        }
    }
    return {};
}

bool Removable(const std::string& device) {
    std::error_code error;
    const std::filesystem::path target = std::filesystem::canonical(device, error);
    if (error) {
        return false;
    }
    // A partition's flag is its disk's, one level up in sysfs.
    std::filesystem::path block = std::filesystem::canonical("/sys/class/block" / target.filename(), error);
    for (int level = 0; level < 2 && !error; ++level, block = block.parent_path()) {
        std::ifstream flag(block / "removable");
        int value = 0;
        if (flag >> value) {
            return value == 1;
        }
    }
    return false;
}

} // namespace

std::string RecordingTimeText(uint64_t freeKB, int bytesPerSecond) {
    const double seconds = static_cast<double>(freeKB * 1024U) / bytesPerSecond;
    if (freeKB < kHoursFromFreeKB) {
        return Rounded(seconds / 60.0) + " min";
    }
    const double hours = std::nearbyint(seconds / 3600.0);
    return NumberText(hours) + (hours == 1.0 ? " hr" : " hrs");
}

std::vector<std::string> CheckDisksLines(VolumeSystem& volumes) {
    std::vector<std::string> lines = {
        ZoneFields({"Disk", " Size kb", " Free kb", " Writable", " 48kHz st", " 96kHz st"})};
    for (const std::string& volume : volumes.Volumes()) {
        const uint64_t total = volumes.TotalKB(volume).value_or(0);
        if (total == 0) {
            continue;
        }
        const uint64_t free = volumes.FreeKB(volume).value_or(0);
        lines.push_back(ZoneFields(
            {volume, NumberText(static_cast<double>(total)), NumberText(static_cast<double>(free)),
             NumberText(volumes.Writable(volume) ? 1 : 0), RecordingTimeText(free, kStereo48kBytesPerSecond),
             RecordingTimeText(free, kStereo96kBytesPerSecond)}));
    }
    return lines;
}

std::string InfoDisksText(VolumeSystem& volumes) {
    std::string text;
    for (const std::string& volume : volumes.Volumes()) {
        const uint64_t total = volumes.TotalKB(volume).value_or(0);
        if (total < 1 || !volumes.Writable(volume)) {
            continue;
        }
        const uint64_t free = volumes.FreeKB(volume).value_or(0);
        text += volume + "  " + Rounded(static_cast<double>(total) / 1000.0) + " Mb" +
                Rounded(static_cast<double>(free) / 1000.0) + " Free\r\n";
    }
    return text;
}

std::vector<std::string> DiskSpaceLines(VolumeSystem& volumes, const std::string& volume) {
    const double free = static_cast<double>(volumes.FreeKB(volume).value_or(0));
    return {"Drive " + volume, "FreeSpace " + NumberText(free),
            "Disk Size " + NumberText(static_cast<double>(volumes.TotalKB(volume).value_or(0))),
            "Free " + NumberText(free)};
}

std::string DiskSpaceExText(VolumeSystem& volumes, const std::string& volume) {
    const uint64_t free = volumes.FreeKB(volume).value_or(0) * 1024U;
    const uint64_t total = volumes.TotalKB(volume).value_or(0) * 1024U;
    return "Drive " + volume + "\r\nFree bytes " + NumberText(static_cast<double>(free)) +
           "\r\nTotal bytes " + NumberText(static_cast<double>(total));
}

std::vector<std::string> CheckDiskLines(const std::string& volume) {
    const QStorageInfo info(QString::fromStdString(volume));
    const auto orNa = [](const std::string& value) { return value.empty() ? std::string("N/A") : value; };
    const bool valid = info.isValid();
    return {"Label  = " + orNa(valid ? FromQt(info.name()) : ""),
            "Seriale  = " + orNa(valid ? SerialOf(FromQt(QString::fromUtf8(info.device()))) : ""),
            "FAT  = " + orNa(valid ? FromQt(QString::fromUtf8(info.fileSystemType())) : "")};
}

std::string DiskTypeText(const std::string& volume) {
    const QStorageInfo info(QString::fromStdString(volume));
    const std::string type = FromQt(QString::fromUtf8(info.fileSystemType()));
    const std::string device = FromQt(QString::fromUtf8(info.device()));
    std::string kind = "Unknown";
    if (!info.isValid()) {
        kind = "Unknown";
    } else if (type == "iso9660" || type == "udf") {
        kind = "CD-ROM";
    } else if (type == "tmpfs" || type == "ramfs") {
        kind = "RAM Disk";
    } else if (type == "nfs" || type == "nfs4" || type == "cifs" || type == "smb3" || type == "sshfs" ||
               type == "fuse.sshfs" || type == "9p") {
        kind = "Network";
    } else if (device.rfind("/dev/", 0) == 0) {
        kind = Removable(device) ? "Removable" : "Fixed";
    }
    const bool ready = info.isValid() && info.isReady();
    return "Drive " + volume + " " + kind + (ready ? " - Ready" : " - not Ready");
}

std::optional<MemoryStatus> ParseMemInfo(std::string_view text) {
    std::istringstream lines{std::string(text)};
    std::string line;
    std::optional<uint64_t> total;
    uint64_t available = 0, free = 0, buffers = 0, cached = 0, swapTotal = 0, swapFree = 0;
    uint64_t commitLimit = 0, committed = 0;
    bool hasAvailable = false;
    while (std::getline(lines, line)) {
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos) {
            continue;
        }
        const std::string key = line.substr(0, colon);
        const double number = TextValue(std::string_view(line).substr(colon + 1));
        const uint64_t value = number > 0 && number < 1e19 ? static_cast<uint64_t>(number) : 0;
        if (key == "MemTotal") {
            total = value;
        } else if (key == "MemAvailable") {
            available = value;
            hasAvailable = true;
        } else if (key == "MemFree") {
            free = value;
        } else if (key == "Buffers") {
            buffers = value;
        } else if (key == "Cached") {
            cached = value;
        } else if (key == "SwapTotal") {
            swapTotal = value;
        } else if (key == "SwapFree") {
            swapFree = value;
        } else if (key == "CommitLimit") {
            commitLimit = value;
        } else if (key == "Committed_AS") {
            committed = value;
        }
    }
    if (!total) {
        return std::nullopt;
    }
    MemoryStatus status;
    status.totalPhysical = *total;
    status.availablePhysical = std::min(*total, hasAvailable ? available : free + buffers + cached);
    status.load = *total == 0 ? 0
                              : static_cast<uint64_t>(std::nearbyint(
                                    100.0 * static_cast<double>(*total - status.availablePhysical) /
                                    static_cast<double>(*total)));
    status.totalPage = swapTotal;
    status.availablePage = std::min(swapFree, swapTotal);
    status.totalVirtual = commitLimit;
    status.availableVirtual = commitLimit > committed ? commitLimit - committed : 0;
    return status;
}

std::string GroupedThousands(uint64_t value) {
    std::string digits = std::to_string(value);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), ",");
    }
    return digits;
}

std::vector<std::string> MemCheckLines(const MemoryStatus& status) {
    const auto line = [](const char* name, uint64_t kb) {
        return std::string(name) + GroupedThousands(kb) + " Kbyte";
    };
    return {"Mem Load " + NumberText(static_cast<double>(status.load)) + "% used",
            line("Total Physical ", status.totalPhysical),
            line("Available Physical ", status.availablePhysical),
            line("Total Page ", status.totalPage),
            line("Available Page ", status.availablePage),
            line("Total Virtual ", status.totalVirtual),
            line("Available Virtual ", status.availableVirtual)};
}

std::vector<std::string> ApplicationLines() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    const std::string cwd = std::filesystem::current_path(error).string();
    return {"Path " + cwd, "Exe Path " + exe.parent_path().string() + "/",
            "Exe Name " + exe.filename().string(), "Thread ID " + NumberText(static_cast<double>(gettid())),
            "hInstance " + NumberText(static_cast<double>(getpid()))};
}

PriorityResult SetProcessPriority(PriorityClass priority) {
    static constexpr const char* kNames[] = {"Set Normal Priority", "Set High Priority",
                                             "Set RealTime Priority"};
    static constexpr const char* kClasses[] = {"normal (nice 0)", "high (nice -10)",
                                               "real time (round robin)"};
    const auto which = static_cast<std::size_t>(priority);
    int failure = 0;
    int threads = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task", error)) {
        const pid_t tid = static_cast<pid_t>(std::stol(entry.path().filename().string()));
        ++threads;
        sched_param param{};
        int result = 0;
        if (priority == PriorityClass::RealTime) {
            param.sched_priority = sched_get_priority_min(SCHED_RR);
            result = sched_setscheduler(tid, SCHED_RR, &param);
        } else {
            result = sched_setscheduler(tid, SCHED_OTHER, &param);
            if (result == 0) {
                result = setpriority(PRIO_PROCESS, static_cast<id_t>(tid),
                                     priority == PriorityClass::High ? kHighNice : 0);
            }
        }
        if (result != 0 && failure == 0) {
            failure = errno;
        }
    }
    if (error && failure == 0) {
        failure = error.value();
    }
    PriorityResult out;
    out.lines = {"Process ID " + NumberText(static_cast<double>(getpid())), "Threads " + NumberText(threads),
                 std::string("Priority ") + kClasses[which], "Result " + NumberText(failure == 0 ? 1 : 0)};
    if (failure != 0) {
        out.refusal =
            std::string(kNames[which]) + " was refused: " + std::strerror(failure) +
            (failure == EPERM || failure == EACCES ? " (the program needs root or CAP_SYS_NICE)" : "");
        out.lines.push_back(out.refusal);
    }
    return out;
}

std::vector<std::string> ReadTaskNames(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {};
    }
    std::string bytes(kTaskFileLimit, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    std::vector<std::string> names;
    std::string item;
    const auto finish = [&] {
        const std::size_t first = item.find_first_not_of(' ');
        const std::size_t last = item.find_last_not_of(' ');
        if (first != std::string::npos && names.size() < kTaskCountLimit) {
            names.push_back(item.substr(first, std::min(last - first + 1, kTaskNameLimit)));
        }
        item.clear();
    };
    for (const char c : bytes) {
        if (c == ',' || c == '\r' || c == '\n') {
            finish();
        } else {
            const auto byte = static_cast<unsigned char>(c);
            item += byte == '\t' ? ' ' : (byte < 0x20 || byte >= 0x7f ? '?' : c);
        }
    }
    finish();
    return names;
}

std::vector<std::string> DuplicatedColours(const Palette& palette) {
    std::vector<std::string> lines;
    for (int index = Palette::MinIndex + 1; index <= Palette::MaxIndex; ++index) {
        if (palette.Entry(index) == palette.Entry(index - 1)) {
            lines.push_back(NumberText(index) + NumberText(static_cast<double>(palette.EntryBgr(index))));
        }
    }
    return lines;
}

} // namespace ondrix
