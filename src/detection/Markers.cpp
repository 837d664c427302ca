#include "detection/Markers.h"

#include "common/NumberText.h"
#include "common/Rounding.h"
#include "common/TextLines.h"

#include <cctype>
#include <fstream>
#include <sstream>

namespace ondrix {

namespace {

// A number item: an optional sign, then digits with at most one point, at least one digit.
bool IsNumber(const std::string& item) {
    std::size_t k = item.starts_with('-') || item.starts_with('+') ? 1 : 0;
    bool digit = false;
    bool point = false;
    for (; k < item.size(); ++k) {
        const char c = item[k];
        if (std::isdigit(static_cast<unsigned char>(c)) != 0) {
            digit = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digit;
}

} // namespace

MarkerFile Markers::Read(const std::string& path) {
    MarkerFile out;
    std::ifstream in(path, std::ios::binary);
    out.found = static_cast<bool>(in);
    constexpr std::size_t kItems = 5;
    std::vector<std::string> record;
    std::string line;
    while (ReadLine(in, line)) {
        if (Trim(line).empty()) {
            continue;
        }
        std::stringstream fields(line);
        std::string item;
        while (std::getline(fields, item, ',')) {
            record.push_back(Trim(item));
            if (record.size() < kItems) {
                continue;
            }
            for (std::size_t k = 0; k < 4; ++k) {
                if (!IsNumber(record[k])) {
                    return out;
                }
            }
            ++out.count;
            if (out.lines.size() < kMaxLines) {
                out.lines.push_back(LogItemText(TextToInt32(record[0])) +
                                    LogItemText(TextToInt32(record[1])) + record[4]);
            }
            record.clear();
        }
    }
    return out;
}

} // namespace ondrix
