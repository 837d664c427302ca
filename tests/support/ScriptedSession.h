// A loop for tests of the task framework: records its set-up and clean-up in a journal and runs test
// actions in every pass and in its clean-up, so a test scripts a run without devices or files.
#pragma once

#include "settings/Session.h"

#include <functional>
#include <string>
#include <vector>

namespace ondrix {

class ScriptedSession : public Session {
public:
    ScriptedSession(std::string name, std::vector<std::string>& journal,
                    std::function<PassResult(int pass)> onPass = {}, std::function<void()> onCleanUp = {})
        : name_(std::move(name)), journal_(journal), onPass_(std::move(onPass)),
          onCleanUp_(std::move(onCleanUp)) {}

    void SetUp() override { journal_.push_back(name_ + " set-up"); }
    PassResult Pass() override {
        ++passes_;
        return onPass_ ? onPass_(passes_) : PassResult::Busy;
    }
    void CleanUp() override {
        if (onCleanUp_) {
            onCleanUp_();
        }
        journal_.push_back(name_ + " clean-up after " + std::to_string(passes_));
    }

private:
    std::string name_;
    std::vector<std::string>& journal_;
    std::function<PassResult(int)> onPass_;
    std::function<void()> onCleanUp_;
    int passes_ = 0;
};

} // namespace ondrix
