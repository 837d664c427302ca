#include "audio/DeviceResult.h"

#include "common/NumberText.h"

namespace ondrix {

std::string OpenErrorText(int code) {
    std::string text = "Couldn't open wave device due to Error " + NumberText(code);
    if (code == device_result::kBadFormat) {
        text += " BADFORMAT";
    }
    return text;
}

} // namespace ondrix
