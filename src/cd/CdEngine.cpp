#include "cd/CdEngine.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace ondrix {

namespace {

constexpr int kSlots = 2;
// How long the drive thread waits for a played slot before it looks at its commands again.
constexpr int kFeedWaitMs = 50;

} // namespace

int TrackAt(const CdToc& toc, int32_t sector) {
    int track = 0;
    for (std::size_t i = 0; i < toc.tracks.size(); ++i) {
        if (i == 0 || sector >= toc.tracks[i].start) {
            track = static_cast<int>(i) + 1;
        }
    }
    return track;
}

CdEngine::CdEngine(std::unique_ptr<CdSource> source, OutputOpener openOutput)
    : source_(std::move(source)), openOutput_(std::move(openOutput)),
      buffer_(static_cast<std::size_t>(kSectorsPerSlot) * kCdFramesPerSector * 2) {
    thread_ = std::thread([this] { Run(); });
}

CdEngine::~CdEngine() {
    {
        const std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void CdEngine::Probe(bool report) {
    {
        const std::lock_guard lock(mutex_);
        if (!report && probeQueued_) {
            return;
        }
        probeQueued_ = probeQueued_ || !report;
    }
    Post({report ? Kind::Report : Kind::Probe});
}

void CdEngine::Play(int outputPosition) {
    Post({Kind::Play, 0, outputPosition});
}

void CdEngine::PlayFrom(int32_t sector, int outputPosition) {
    Post({Kind::PlayFrom, sector, outputPosition});
}

void CdEngine::Pause() {
    Post({Kind::Pause});
}

void CdEngine::Stop() {
    Post({Kind::Stop});
}

void CdEngine::Seek(int32_t sector) {
    Post({Kind::Seek, sector});
}

void CdEngine::Step(int32_t sectors) {
    Post({Kind::Step, sectors});
}

void CdEngine::Door(bool open) {
    Post({Kind::Door, open ? 1 : 0});
}

CdStatus CdEngine::Status() const {
    const std::lock_guard lock(mutex_);
    return status_;
}

std::vector<std::string> CdEngine::TakeErrors() {
    const std::lock_guard lock(mutex_);
    return std::exchange(errors_, {});
}

void CdEngine::Sync() {
    std::unique_lock lock(mutex_);
    const uint64_t target = posted_;
    idle_.wait(lock, [&] { return done_ >= target; });
}

void CdEngine::Post(Command command) {
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back(command);
        ++posted_;
    }
    wake_.notify_all();
}

void CdEngine::Run() {
    std::unique_lock lock(mutex_);
    while (true) {
        while (!queue_.empty() && !quit_) {
            const Command command = queue_.front();
            queue_.pop_front();
            if (command.kind == Kind::Probe) {
                probeQueued_ = false;
            }
            lock.unlock();
            Execute(command);
            Publish();
            lock.lock();
            ++done_;
            idle_.notify_all();
        }
        if (quit_) {
            break;
        }
        if (playing_) {
            lock.unlock();
            Feed(true);
            Publish();
            lock.lock();
        } else {
            wake_.wait(lock, [this] { return quit_ || !queue_.empty(); });
        }
    }
    lock.unlock();
    StopOutput();
    source_->Close();
}

void CdEngine::Execute(const Command& command) {
    if (command.kind == Kind::Probe || command.kind == Kind::Report) {
        DoProbe(command.kind == Kind::Report);
        return;
    }
    if (command.kind == Kind::Door) {
        std::string reason;
        if (!source_->SetDoor(command.value != 0, reason)) {
            Error(reason);
        } else if (command.value != 0) {
            StopOutput();
            source_->Close();
            present_ = false;
            toc_ = {};
        }
        return;
    }
    if (!present_) {
        return;
    }
    const int32_t end = toc_.EndSector();
    switch (command.kind) {
    case Kind::Play:
        if (!playing_) {
            StartOutput(command.output);
        }
        break;
    case Kind::PlayFrom:
    case Kind::Seek:
        if (command.value < 0 || command.value >= end) {
            Error("The position is outside the disc");
            break;
        }
        StopOutput();
        position_ = command.value;
        if (command.kind == Kind::PlayFrom) {
            StartOutput(command.output);
        }
        break;
    case Kind::Pause:
        StopOutput();
        break;
    case Kind::Stop: {
        StopOutput();
        const int track = TrackAt(toc_, position_);
        position_ = track > 0 ? toc_.tracks[static_cast<std::size_t>(track - 1)].start : 0;
        break;
    }
    case Kind::Step: {
        // Computed in 64 bits: no wrap-around can turn a far target into a valid one.
        const int64_t target = static_cast<int64_t>(Heard()) + command.value;
        if (target < 0 || target >= end) {
            Error("The position is outside the disc");
            break;
        }
        const bool wasPlaying = playing_;
        StopOutput();
        position_ = static_cast<int32_t>(target);
        if (wasPlaying) {
            StartOutput(lastOutput_);
        }
        break;
    }
    default:
        break;
    }
}

void CdEngine::DoProbe(bool report) {
    if (present_) {
        if (!source_->StillPresent()) {
            StopOutput();
            source_->Close();
            present_ = false;
            toc_ = {};
        }
        return;
    }
    std::string reason;
    std::optional<CdToc> toc = source_->Open(reason);
    if (!toc) {
        if (report) {
            Error(reason);
        }
        return;
    }
    toc_ = std::move(*toc);
    present_ = true;
    ++disc_;
    position_ = 0;
}

void CdEngine::StartOutput(int outputPosition) {
    lastOutput_ = outputPosition;
    if (position_ >= toc_.EndSector()) {
        return;
    }
    const StreamFormat format{.sampleRate = kCdSampleRate,
                              .channels = 2,
                              .slotCount = kSlots,
                              .framesPerSlot = kSectorsPerSlot * kCdFramesPerSector};
    OpenedOutput opened = openOutput_ ? openOutput_(outputPosition, format) : OpenedOutput{1, nullptr};
    if (opened.code != 0 || !opened.device) {
        Error("The sound output device cannot be opened");
        return;
    }
    output_ = std::move(opened.device);
    nextSlot_ = 0;
    queued_ = {};
    playing_ = true;
    Feed(false);
    if (playing_ && output_ && output_->Start() != 0) {
        Error("The sound output device cannot be started");
        StopOutput();
    }
}

// Playback ends; the sectors still waiting in the slots were not heard, so the position goes back to
// the first of them.
void CdEngine::StopOutput() {
    if (output_) {
        position_ = Heard();
        output_->Stop();
        output_->Reset();
        output_->Close();
        output_.reset();
    }
    queued_ = {};
    playing_ = false;
}

int32_t CdEngine::Heard() const {
    int32_t waiting = 0;
    for (int slot = 0; slot < kSlots; ++slot) {
        if (output_ && !output_->IsDone(slot)) {
            waiting += queued_[static_cast<std::size_t>(slot)];
        }
    }
    return position_ - waiting;
}

// Fills each played slot with the next sectors, in order; at the end of the disc the last slots play
// out and playback stops there.
void CdEngine::Feed(bool wait) {
    if (!output_) {
        playing_ = false;
        return;
    }
    if (output_->Failed()) {
        Error("The sound output device stopped");
        StopOutput();
        return;
    }
    const int32_t end = toc_.EndSector();
    while (output_->IsDone(nextSlot_) && position_ < end) {
        const int sectors = static_cast<int>(std::min<int32_t>(kSectorsPerSlot, end - position_));
        std::string reason;
        if (!source_->Read(position_, sectors, buffer_, reason)) {
            Error(reason);
            StopOutput();
            return;
        }
        const std::span<int16_t> slot = output_->Slot(nextSlot_);
        const std::size_t count = static_cast<std::size_t>(sectors) * kCdFramesPerSector * 2;
        std::copy_n(buffer_.begin(), count, slot.begin());
        queued_[static_cast<std::size_t>(nextSlot_)] = sectors;
        output_->Queue(nextSlot_, sectors * kCdFramesPerSector);
        position_ += sectors;
        nextSlot_ = (nextSlot_ + 1) % kSlots;
    }
    if (position_ >= end && output_->IsDone(0) && output_->IsDone(1)) {
        StopOutput();
        position_ = end;
        return;
    }
    if (wait && position_ >= end) {
        // Only the last slots are left to play out: no slot is waited for.
        std::this_thread::sleep_for(std::chrono::milliseconds(kFeedWaitMs / 5));
    } else if (wait) {
        output_->WaitForBlock(kFeedWaitMs);
        output_->DrainWakeups();
    }
}

void CdEngine::Error(std::string text) {
    const std::lock_guard lock(mutex_);
    errors_.push_back(std::move(text));
}

void CdEngine::Publish() {
    const std::lock_guard lock(mutex_);
    status_.present = present_;
    status_.disc = disc_;
    status_.toc = present_ ? toc_ : CdToc{};
    status_.position = Heard();
    status_.playing = playing_;
}

} // namespace ondrix
