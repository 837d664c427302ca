#include "audio/DeviceNames.h"

#include <algorithm>

namespace ondrix {

std::string ListName(std::string_view fullName) {
    constexpr std::size_t kExamined = 48;
    const std::string_view examined = fullName.substr(0, std::min(fullName.size(), kExamined));
    const auto cut = std::find_if(examined.begin(), examined.end(), [](char c) {
        const auto code = static_cast<unsigned char>(c);
        return code < 32 || code > 125;
    });
    return std::string(examined.begin(), cut);
}

} // namespace ondrix
