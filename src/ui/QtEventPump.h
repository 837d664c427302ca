// The event pump of a run in the app: processes the window's events between the passes of a loop.
#pragma once

#include "settings/EventPump.h"

namespace ondrix {

class QtEventPump : public EventPump {
public:
    void ProcessEvents() override;
    // Sleeps in the event dispatcher until an event arrives (a click, a datagram, a capture block's
    // notifier) or the timeout passes, then processes what is pending.
    void WaitForEvents(std::chrono::milliseconds timeout) override;
};

} // namespace ondrix
