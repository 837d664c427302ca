// A thread that runs a job once per block at a nominal sample rate, paced by the steady clock:
// the stand-in for a sound card's clock in the built-in devices.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace ondrix {

class BlockClock {
public:
    using Tick = std::function<void()>;                // one block's work
    using Skip = std::function<void(uint64_t blocks)>; // blocks given up when far behind

    BlockClock() = default;
    ~BlockClock() { Stop(); }
    BlockClock(const BlockClock&) = delete;
    BlockClock& operator=(const BlockClock&) = delete;

    // Block k's tick runs once the clock has passed the end of block k, (k + 1) x B / rate seconds
    // after Start, so the ticks keep the nominal rate on average. A thread that wakes late runs the
    // missed ticks at once, at most maxBurst of them; older ones are handed to skip.
    void Start(int sampleRate, int framesPerBlock, uint64_t maxBurst, Tick tick, Skip skip);
    // Returns after the thread has ended; a tick in progress completes first.
    void Stop();
    bool Running() const { return thread_.joinable(); }

    // The time from the start to the end of `frames` frames, to the nanosecond.
    static std::chrono::nanoseconds FramesToTime(uint64_t frames, int sampleRate);
    // Whole blocks of B frames completed `elapsed` after the start.
    static uint64_t BlocksDone(std::chrono::nanoseconds elapsed, int sampleRate, int framesPerBlock);

private:
    void Run();

    int sampleRate_ = 0;
    int framesPerBlock_ = 0;
    uint64_t maxBurst_ = 1;
    Tick tick_;
    Skip skip_;
    std::thread thread_;
    std::mutex mutex_; // guards only the sleep between blocks, never the sound data
    std::condition_variable wake_;
    std::atomic<bool> stop_{false};
};

} // namespace ondrix
