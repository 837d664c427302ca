// An eventfd that a sound thread writes to when a block is ready, and the loop waits on.
#pragma once

#include <chrono>

namespace ondrix {

class WakeFd {
public:
    WakeFd();
    ~WakeFd();
    WakeFd(const WakeFd&) = delete;
    WakeFd& operator=(const WakeFd&) = delete;

    // The descriptor to watch for readability (a socket notifier or poll()).
    int Fd() const { return fd_; }

    // Safe on any thread, including a sound callback: one non-blocking write, no lock.
    void Signal() const noexcept;

    // Clears pending wake-ups.
    void Drain() const noexcept;

    // Waits at most timeoutMs for a wake-up and clears it; true when one arrived.
    bool Wait(int timeoutMs) const noexcept;

    // Waits until ready() holds, at most timeoutMs; ready() is checked before every wait, so a
    // wake-up that arrived before the call is never missed.
    template <class Ready> bool WaitUntil(Ready ready, int timeoutMs) const {
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            if (ready()) {
                return true;
            }
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) {
                return false;
            }
            Wait(static_cast<int>(left));
        }
    }

private:
    int fd_ = -1;
};

} // namespace ondrix
