#include "common/FileAccess.h"

#include <unistd.h>

#include <cerrno>

namespace ondrix {

int64_t ReadUpTo(int fd, void* into, std::size_t count, int64_t offset) {
    auto* bytes = static_cast<unsigned char*>(into);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got =
            ::pread(fd, bytes + done, count - done, static_cast<off_t>(offset + static_cast<int64_t>(done)));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return -1;
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return static_cast<int64_t>(done);
}

bool ReadAt(int fd, void* into, std::size_t count, int64_t offset) {
    return ReadUpTo(fd, into, count, offset) == static_cast<int64_t>(count);
}

bool WriteAt(int fd, const void* from, std::size_t count, int64_t offset) {
    const auto* bytes = static_cast<const unsigned char*>(from);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t put =
            ::pwrite(fd, bytes + done, count - done, static_cast<off_t>(offset + static_cast<int64_t>(done)));
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(put);
    }
    return true;
}

} // namespace ondrix
