// The files "Play List" queued for playback, played one after the other.
#pragma once

#include <string>
#include <vector>

namespace ondrix {

class PlayList {
public:
    // A new list (full paths, in playing order); the first entry is the current one.
    void Set(std::vector<std::string> paths);
    void Clear();

    // Entries of the list; 0 or 1 means no play list.
    int Count() const { return static_cast<int>(paths_.size()); }
    bool Active() const { return Count() > 1; }
    // The entry being played, from 1.
    int Index() const { return index_; }
    const std::string& Current() const;
    // Steps to the next entry; false after the last (or without a list).
    bool Advance();

    // The numbered list as it is printed on the picture: " 1 name", one line per entry.
    std::vector<std::string> Lines() const;

private:
    std::vector<std::string> paths_;
    int index_ = 0;
};

} // namespace ondrix
