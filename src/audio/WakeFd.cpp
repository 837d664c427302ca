#include "audio/WakeFd.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

namespace ondrix {

WakeFd::WakeFd() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (fd_ < 0) {
        throw std::system_error(errno, std::generic_category(), "eventfd");
    }
}

WakeFd::~WakeFd() {
    close(fd_);
}

void WakeFd::Signal() const noexcept {
    const uint64_t one = 1;
    // A full counter (EAGAIN) already means "wake up"; nothing else can fail here.
    [[maybe_unused]] const ssize_t written = write(fd_, &one, sizeof one);
}

void WakeFd::Drain() const noexcept {
    uint64_t count = 0;
    [[maybe_unused]] const ssize_t got = read(fd_, &count, sizeof count);
}

bool WakeFd::Wait(int timeoutMs) const noexcept {
    pollfd watched{fd_, POLLIN, 0};
    const int ready = poll(&watched, 1, timeoutMs < 0 ? 0 : timeoutMs);
    if (ready <= 0) {
        return false;
    }
    Drain();
    return true;
}

} // namespace ondrix
