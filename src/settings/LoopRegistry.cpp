#include "settings/LoopRegistry.h"

namespace ondrix {

std::optional<LoopSlot> LoopRegistry::SlotFor(int mode, int channelCount) {
    switch (mode) {
    case 1:
    case 2:
        if (channelCount == 1) {
            return LoopSlot::RealTimeMono;
        }
        if (channelCount == 2) {
            return LoopSlot::RealTimeStereo;
        }
        return std::nullopt;
    case 3:
        return LoopSlot::FilePlayback;
    case 4:
        return LoopSlot::FileAnalysis;
    default:
        return std::nullopt;
    }
}

void LoopRegistry::Register(LoopSlot slot, SessionFactory factory) {
    factories_[static_cast<std::size_t>(slot)] = std::move(factory);
}

bool LoopRegistry::Has(LoopSlot slot) const {
    return static_cast<bool>(factories_[static_cast<std::size_t>(slot)]);
}

std::unique_ptr<Session> LoopRegistry::Create(LoopSlot slot) const {
    const SessionFactory& factory = factories_[static_cast<std::size_t>(slot)];
    return factory ? factory() : nullptr;
}

} // namespace ondrix
