#include "files/PlayList.h"

#include "common/NumberText.h"
#include "common/Paths.h"

namespace ondrix {

void PlayList::Set(std::vector<std::string> paths) {
    paths_ = std::move(paths);
    index_ = paths_.empty() ? 0 : 1;
}

void PlayList::Clear() {
    paths_.clear();
    index_ = 0;
}

const std::string& PlayList::Current() const {
    static const std::string kNone;
    return index_ >= 1 && index_ <= Count() ? paths_[static_cast<std::size_t>(index_ - 1)] : kNone;
}

bool PlayList::Advance() {
    if (!Active() || index_ >= Count()) {
        return false;
    }
    ++index_;
    return true;
}

std::vector<std::string> PlayList::Lines() const {
    std::vector<std::string> lines;
    lines.reserve(paths_.size());
    for (std::size_t i = 0; i < paths_.size(); ++i) {
        lines.push_back(NumberText(static_cast<double>(i + 1)) + " " + FileNameOfPath(paths_[i]));
    }
    return lines;
}

} // namespace ondrix
