// What the benchmarks of the running loops share: an event pump that waits on a device's wake-up
// descriptor as the window's event wait does, and the CPU time of the calling thread.
#pragma once

#include "settings/EventPump.h"

#include <poll.h>
#include <time.h>

#include <chrono>
#include <functional>

namespace ondrix {

class PollingPump : public EventPump {
public:
    std::function<void()> onEvents;
    int fd = -1;

    void ProcessEvents() override { onEvents(); }
    void WaitForEvents(std::chrono::milliseconds timeout) override {
        if (fd >= 0) {
            pollfd watched{fd, POLLIN, 0};
            poll(&watched, 1, static_cast<int>(timeout.count()));
        }
        onEvents();
    }
};

inline double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec * 1e-9;
}

} // namespace ondrix
