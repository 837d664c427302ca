// Choosing the built-in test signal as the main window's input, as a user picks it from the list.
#pragma once

#include "settings/ControlModel.h"

#include <algorithm>
#include <string>

namespace ondrix {

// Selects the input list's "Ondrix Test Signal" entry; false when the list has none.
inline bool ChooseTestSignal(ControlModel& form) {
    const auto& inputs = form.At("Combo10").items;
    const auto signal = std::ranges::find_if(
        inputs, [](const std::string& name) { return name.find("Test Signal") != std::string::npos; });
    if (signal == inputs.end()) {
        return false;
    }
    form.SetText("Combo10", *signal);
    return true;
}

} // namespace ondrix
