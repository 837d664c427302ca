#include "audio/OutputDevice.h"

namespace ondrix {

bool OutputDevice::WaitForBlock(int timeoutMs) const {
    bool failed = false;
    const bool ready = ring_.Wake().WaitUntil(
        [&] {
            failed = Failed();
            return failed || ring_.AnyDone();
        },
        timeoutMs);
    return ready && !failed;
}

void OutputDevice::MarkFailed() noexcept {
    failed_.store(true, std::memory_order_release);
    ring_.Wake().Signal();
}

} // namespace ondrix
