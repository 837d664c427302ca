#include "audio/BlockClock.h"

#include <algorithm>

namespace ondrix {

namespace {
constexpr int64_t kNanosPerSecond = 1'000'000'000;
} // namespace

std::chrono::nanoseconds BlockClock::FramesToTime(uint64_t frames, int sampleRate) {
    const auto rate = static_cast<uint64_t>(std::max(sampleRate, 1));
    const uint64_t seconds = frames / rate;
    const uint64_t rest = frames % rate;
    return std::chrono::nanoseconds(static_cast<int64_t>(seconds) * kNanosPerSecond +
                                    static_cast<int64_t>(rest * kNanosPerSecond / rate));
}

uint64_t BlockClock::BlocksDone(std::chrono::nanoseconds elapsed, int sampleRate, int framesPerBlock) {
    if (elapsed.count() <= 0) {
        return 0;
    }
    const auto ns = static_cast<uint64_t>(elapsed.count());
    const auto rate = static_cast<uint64_t>(std::max(sampleRate, 1));
    const uint64_t frames = ns / kNanosPerSecond * rate + ns % kNanosPerSecond * rate / kNanosPerSecond;
    return frames / static_cast<uint64_t>(std::max(framesPerBlock, 1));
}

void BlockClock::Start(int sampleRate, int framesPerBlock, uint64_t maxBurst, Tick tick, Skip skip) {
    Stop();
    sampleRate_ = std::max(sampleRate, 1);
    framesPerBlock_ = std::max(framesPerBlock, 1);
    maxBurst_ = std::max<uint64_t>(maxBurst, 1);
    tick_ = std::move(tick);
    skip_ = std::move(skip);
    stop_.store(false);
    thread_ = std::thread([this] { Run(); });
}

void BlockClock::Stop() {
    if (!thread_.joinable()) {
        return;
    }
    {
        std::lock_guard lock(mutex_);
        stop_.store(true);
    }
    wake_.notify_all();
    thread_.join();
}

void BlockClock::Run() {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const auto blockFrames = static_cast<uint64_t>(framesPerBlock_);
    uint64_t next = 0; // index of the next block to run
    for (;;) {
        const Clock::time_point due = start + FramesToTime((next + 1) * blockFrames, sampleRate_);
        {
            std::unique_lock lock(mutex_);
            if (wake_.wait_until(lock, due, [this] { return stop_.load(); })) {
                return;
            }
        }
        const uint64_t done =
            std::max(BlocksDone(Clock::now() - start, sampleRate_, framesPerBlock_), next + 1);
        if (done - next > maxBurst_) {
            const uint64_t lost = done - next - maxBurst_;
            skip_(lost);
            next += lost;
        }
        while (next < done && !stop_.load(std::memory_order_relaxed)) {
            tick_();
            ++next;
        }
    }
}

} // namespace ondrix
