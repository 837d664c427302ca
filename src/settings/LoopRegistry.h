// The loops available to the Start action, registered by the subsystems that implement them.
#pragma once

#include "settings/Session.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>

namespace ondrix {

// The loop a start runs: tasks 1 and 2 by channel count, tasks 3 and 4 one loop each.
enum class LoopSlot {
    RealTimeMono,   // tasks 1 and 2, one channel
    RealTimeStereo, // tasks 1 and 2, two channels
    FilePlayback,   // task 3
    FileAnalysis,   // task 4
};

// Makes a new session for one run.
using SessionFactory = std::function<std::unique_ptr<Session>()>;

class LoopRegistry {
public:
    // The slot of a task and channel count; none for a channel count other than 1 or 2 in tasks 1 and 2,
    // and for a task outside 1..4. Tasks 3 and 4 ignore the channel count.
    static std::optional<LoopSlot> SlotFor(int mode, int channelCount);

    // Registers (or replaces) the loop of a slot; an empty factory removes it.
    void Register(LoopSlot slot, SessionFactory factory);
    bool Has(LoopSlot slot) const;
    // A new session of the slot's loop; null when none is registered.
    std::unique_ptr<Session> Create(LoopSlot slot) const;

private:
    std::array<SessionFactory, 4> factories_{};
};

} // namespace ondrix
