// An EventPump for tests: counts event processing and runs a hook each time, so a test can click,
// change settings or stop between the passes of a session, deterministically.
#pragma once

#include "settings/EventPump.h"

#include <algorithm>
#include <functional>

namespace ondrix {

class ScriptedPump : public EventPump {
public:
    std::function<void(int call)> onEvents; // called with 1, 2, ... at every processing of events
    int calls = 0;
    int waits = 0;                           // how many of the calls were waits for the next event
    std::chrono::milliseconds longestWait{}; // the longest wait asked for

    void ProcessEvents() override { Run(); }
    void WaitForEvents(std::chrono::milliseconds timeout) override {
        ++waits;
        longestWait = std::max(longestWait, timeout);
        Run();
    }

private:
    void Run() {
        ++calls;
        if (onEvents) {
            onEvents(calls);
        }
    }
};

} // namespace ondrix
