// The marker file of the file tasks: records of two integers, two numbers and a text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ondrix {

struct MarkerFile {
    bool found = false;             // the file exists
    int64_t count = 0;              // complete records
    std::vector<std::string> lines; // what is printed on the picture: the first kMaxLines records
};

// Items are separated by commas or line ends (blank lines are skipped) and trimmed of blanks. Reading
// stops at the end of the file or at the first record that is incomplete or whose numbers are not
// numbers. Each record prints as its two integers (log-item form) followed by its text. A missing file
// gives no records.
class Markers {
public:
    static constexpr std::size_t kMaxLines = 64;
    static MarkerFile Read(const std::string& path);
};

} // namespace ondrix
