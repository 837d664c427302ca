// The four windows whose controls hold the program's settings.
#pragma once

#include <string_view>

namespace ondrix {

enum class WindowId {
    Form1,    // main window with the Quick Settings panel
    Options0, // "Basic Settings"
    Options1, // "Advanced Settings"
    Options2, // "Special Settings" (utilities)
};

// The window's prefix in the control-state files, without the dot: "FORM1", "OPTIONS0", ...
constexpr std::string_view WindowPrefix(WindowId window) {
    switch (window) {
    case WindowId::Form1:
        return "FORM1";
    case WindowId::Options0:
        return "OPTIONS0";
    case WindowId::Options1:
        return "OPTIONS1";
    case WindowId::Options2:
        return "OPTIONS2";
    }
    return "";
}

} // namespace ondrix
