// One run of a loop (real-time analysis, file analysis, playback) as an object the Start action drives.
#pragma once

namespace ondrix {

// What one pass of a session did.
enum class PassResult {
    Busy, // work was done (a block taken, a page drawn): pending events are processed and the next pass
          // follows
    Idle, // nothing was ready (no block yet, paused): the Start action waits for the next block or event
};

// The Start action runs SetUp(); while (!SessionStopped) { Pass(); process events; } CleanUp().
// A session captures its task and resources in SetUp, so a task switch during the run never changes what
// CleanUp releases. It may end itself (end of file, an error, a full buffer) by raising the stop through
// TaskController::SetSessionStopped(true); SetUp may do so too, and CleanUp still runs.
class Session {
public:
    virtual ~Session() = default;

    // Reads the settings, opens devices and files, allocates buffers.
    virtual void SetUp() = 0;
    // One step: one block or one page. Never waits longer than one block.
    virtual PassResult Pass() = 0;
    // Releases everything SetUp acquired, in its fixed order.
    virtual void CleanUp() = 0;
};

} // namespace ondrix
