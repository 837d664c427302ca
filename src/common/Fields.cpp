#include "common/Fields.h"

namespace ondrix {

std::string ExtractField(std::string_view text, std::string_view separator, int n) {
    std::string result;
    if (n < 1) {
        return result;
    }
    const char split = separator.empty() ? ',' : separator[0];
    int field = 1;
    for (char c : text) {
        if (c == split) {
            ++field;
        }
        if (field == n) {
            result += c;
        }
    }
    // Beyond the first field the collected text starts with the separator that opened it.
    if (n > 1 && !result.empty()) {
        result.erase(0, 1);
    }
    return result;
}

} // namespace ondrix
