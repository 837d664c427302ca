#include "audio/GeneratorInput.h"

#include "audio/DeviceResult.h"

namespace ondrix {

GeneratorInput::GeneratorInput(std::string name, SourceFactory makeSource)
    : name_(std::move(name)), makeSource_(std::move(makeSource)) {}

GeneratorInput::~GeneratorInput() {
    Release();
}

int GeneratorInput::QueryFormat(int sampleRate, int channels) {
    const bool accepted = sampleRate >= 1 && sampleRate <= kMaxSampleRate && (channels == 1 || channels == 2);
    return accepted ? device_result::kOk : device_result::kBadFormat;
}

int GeneratorInput::Open(const StreamFormat& format) {
    Release();
    if (const int code = QueryFormat(format.sampleRate, format.channels); code != device_result::kOk) {
        return code;
    }
    if (format.slotCount < 1 || format.framesPerSlot < 1) {
        return device_result::kInvalidParam;
    }
    SetFormat(format);
    Ring().Configure(format.slotCount, format.framesPerSlot, format.channels);
    block_.assign(static_cast<std::size_t>(format.framesPerSlot) * static_cast<std::size_t>(format.channels),
                  0);
    source_ = makeSource_(format);
    nextFrame_ = 0;
    ClearFailed();
    return device_result::kOk;
}

int GeneratorInput::Start() {
    if (!source_) {
        return device_result::kInvalidHandle;
    }
    if (clock_.Running()) {
        return device_result::kOk;
    }
    const StreamFormat& format = Format();
    const auto blockFrames = static_cast<uint64_t>(format.framesPerSlot);
    // Catching up never runs more blocks at once than the ring holds; older ones count as dropped.
    clock_.Start(
        format.sampleRate, format.framesPerSlot, static_cast<uint64_t>(format.slotCount),
        [this] { RenderBlock(); },
        [this, blockFrames](uint64_t blocks) {
            nextFrame_ += blocks * blockFrames;
            Ring().DropBlocks(blocks);
        });
    return device_result::kOk;
}

void GeneratorInput::RenderBlock() noexcept {
    const int frames = Format().framesPerSlot;
    source_->Render(nextFrame_, block_.data(), frames);
    nextFrame_ += static_cast<uint64_t>(frames);
    Ring().Write(block_.data(), static_cast<std::size_t>(frames));
}

void GeneratorInput::Stop() {
    clock_.Stop();
}

void GeneratorInput::Reset() {
    clock_.Stop();
    Ring().Reset();
}

void GeneratorInput::Close() {
    Release();
}

void GeneratorInput::Release() {
    clock_.Stop();
    source_.reset();
    block_.clear();
    block_.shrink_to_fit();
}

} // namespace ondrix
