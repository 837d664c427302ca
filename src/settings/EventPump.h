// How a running session lets window events (clicks, menu commands, datagrams, timers) reach the program.
#pragma once

#include <chrono>

namespace ondrix {

// The app's pump processes Qt events; a capture device signals a ready block as an event, so waiting for
// an event also wakes on the next block. Tests use a scripted pump that acts between passes.
class EventPump {
public:
    virtual ~EventPump() = default;

    // Processes the events pending now, once, without waiting.
    virtual void ProcessEvents() = 0;
    // Waits at most `timeout` for the next event or ready block, then processes what is pending.
    virtual void WaitForEvents(std::chrono::milliseconds timeout) = 0;
};

} // namespace ondrix
