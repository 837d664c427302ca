// A run for tests: writes its set-up (with the task), its passes and its clean-up into a journal and runs
// the test's actions in each pass and in its clean-up; it stops itself after `lastPass` passes (0: only
// when something else stops it), and from pass `idleFrom` on (0: never) finds nothing ready.
#pragma once

#include "settings/Session.h"
#include "settings/TaskController.h"

#include <functional>
#include <string>
#include <vector>

namespace ondrix {

class JournalSession : public Session {
public:
    JournalSession(TaskController& tasks, std::vector<std::string>& journal,
                   std::function<void(int pass)> onPass = {}, int lastPass = 0)
        : tasks_(tasks), journal_(journal), onPass_(std::move(onPass)), lastPass_(lastPass) {}

    void SetUp() override { journal_.push_back("set up in task " + std::to_string(tasks_.SessionMode())); }
    PassResult Pass() override {
        journal_.push_back("pass " + std::to_string(++passes_));
        if (onPass_) {
            onPass_(passes_);
        }
        if (passes_ == lastPass_) {
            tasks_.SetSessionStopped(true);
        }
        return idleFrom > 0 && passes_ >= idleFrom ? PassResult::Idle : PassResult::Busy;
    }
    void CleanUp() override {
        onCleanUp();
        journal_.push_back("clean up");
    }

    std::function<void()> onCleanUp = [] {};
    int idleFrom = 0;

private:
    TaskController& tasks_;
    std::vector<std::string>& journal_;
    std::function<void(int)> onPass_;
    int lastPass_;
    int passes_ = 0;
};

} // namespace ondrix
