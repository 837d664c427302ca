// One control of a settings window: its kind, fixed texts, list entries and current state.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ondrix {

enum class ControlKind {
    Text,    // editable text field
    List,    // editable list (combo box): a text plus entries to pick from
    Check,   // check box: "0" or "1"
    Option,  // option button: "-1" when selected, "0" otherwise
    Scroll,  // scroll bar: an integer
    Spin,    // spin button: an integer
    Label,   // text shown, not edited
    Button,  // command button
    Frame,   // group box around other controls
    Picture, // drawing surface
    Socket,  // network endpoint owned by the window
    Serial,  // serial port owned by the window
};

// Whether the control-state files carry the control.
enum class Saving {
    ByKind, // text, list, check, option, scroll and spin controls are saved
    Yes,
    No,
};

// True for the kinds that hold a value the user sets (and that the control-state files carry).
constexpr bool IsValueKind(ControlKind kind) {
    switch (kind) {
    case ControlKind::Text:
    case ControlKind::List:
    case ControlKind::Check:
    case ControlKind::Option:
    case ControlKind::Scroll:
    case ControlKind::Spin:
        return true;
    default:
        return false;
    }
}

struct Control {
    std::string name{};
    ControlKind kind = ControlKind::Label;
    std::string caption{}; // caption of a check, option, button or frame; the label beside a field
    std::string tooltip{};
    std::vector<std::string> items{}; // list entries, in list order
    std::string text{};               // the value as text (start-up value in the inventory)
    Saving saving = Saving::ByKind;
    bool enabled = true;
    bool visible = true;
    std::string group{}; // option buttons of one group exclude each other
    int minimum = 0;     // range of a spin or scroll control
    int maximum = 0;
    int listIndex = -1; // entry matching the text of a list, -1 when none; kept by ControlModel
    // Background colour 0xRRGGBB; none: the desktop's own colour (for buttons, its inactive-border colour).
    std::optional<uint32_t> background{};

    bool IsSaved() const { return saving == Saving::ByKind ? IsValueKind(kind) : saving == Saving::Yes; }
};

} // namespace ondrix
