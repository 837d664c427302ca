#include "settings/ControlModel.h"

#include "common/NumberText.h"
#include "common/Rounding.h"

#include <algorithm>
#include <stdexcept>

namespace ondrix {

namespace {

int IndexOfEntry(const std::vector<std::string>& items, std::string_view text) {
    const auto found = std::find(items.begin(), items.end(), text);
    return found == items.end() ? -1 : static_cast<int>(found - items.begin());
}

} // namespace

ControlModel::ControlModel(WindowId window, std::vector<Control> controls)
    : window_(window), controls_(std::move(controls)) {
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        Control& control = controls_[i];
        if (!byName_.emplace(control.name, i).second) {
            throw std::invalid_argument(std::string(Prefix()) + "." + control.name + " is declared twice");
        }
        control.listIndex = IndexOfEntry(control.items, control.text);
    }
}

void ControlModel::CopyStateFrom(const ControlModel& other) {
    if (other.window_ != window_ || other.controls_.size() != controls_.size()) {
        throw std::invalid_argument(std::string(Prefix()) + ": state copied from another window");
    }
    controls_ = other.controls_;
}

bool ControlModel::Has(std::string_view name) const {
    return byName_.find(name) != byName_.end();
}

const Control& ControlModel::At(std::string_view name) const {
    return Find(name);
}

std::size_t ControlModel::IndexOf(std::string_view name) const {
    const auto found = byName_.find(name);
    if (found == byName_.end()) {
        throw std::out_of_range(std::string(Prefix()) + " has no control " + std::string(name));
    }
    return found->second;
}

Control& ControlModel::Find(std::string_view name) {
    return controls_[IndexOf(name)];
}

const Control& ControlModel::Find(std::string_view name) const {
    return controls_[IndexOf(name)];
}

const std::string& ControlModel::Text(std::string_view name) const {
    return Find(name).text;
}

double ControlModel::Value(std::string_view name) const {
    return TextValue(Find(name).text);
}

int32_t ControlModel::IntValue(std::string_view name) const {
    return TextToInt32(Find(name).text);
}

bool ControlModel::Checked(std::string_view name) const {
    return Value(name) != 0.0;
}

int ControlModel::ListIndex(std::string_view name) const {
    return Find(name).listIndex;
}

void ControlModel::StoreText(Control& control, std::string_view text) {
    const int index = IndexOfEntry(control.items, text);
    if (control.text == text && control.listIndex == index) {
        return;
    }
    control.text = std::string(text);
    control.listIndex = index;
    Notify(control, Change::Text);
}

void ControlModel::SetText(std::string_view name, std::string_view text) {
    StoreText(Find(name), text);
}

void ControlModel::SetNumber(std::string_view name, double value) {
    StoreText(Find(name), BareNumberText(value));
}

void ControlModel::SetChecked(std::string_view name, bool checked) {
    Control& control = Find(name);
    if (control.kind != ControlKind::Option) {
        StoreText(control, checked ? "1" : "0");
        return;
    }
    if (checked && !control.group.empty()) {
        for (Control& other : controls_) {
            if (&other != &control && other.kind == ControlKind::Option && other.group == control.group) {
                StoreText(other, "0");
            }
        }
    }
    StoreText(control, checked ? "-1" : "0");
}

void ControlModel::SetListIndex(std::string_view name, int index) {
    Control& control = Find(name);
    if (index >= 0 && index < static_cast<int>(control.items.size())) {
        StoreText(control, control.items[static_cast<std::size_t>(index)]);
        // A list holding the same entry twice keeps the position asked for.
        if (control.listIndex != index) {
            control.listIndex = index;
            Notify(control, Change::Text);
        }
    } else if (control.listIndex != -1) {
        control.listIndex = -1;
        Notify(control, Change::Text);
    }
}

void ControlModel::SetItems(std::string_view name, std::vector<std::string> items) {
    Control& control = Find(name);
    control.items = std::move(items);
    control.listIndex = IndexOfEntry(control.items, control.text);
    Notify(control, Change::Items);
}

void ControlModel::SetCaption(std::string_view name, std::string_view caption) {
    Control& control = Find(name);
    if (control.caption != caption) {
        control.caption = std::string(caption);
        Notify(control, Change::Caption);
    }
}

void ControlModel::SetEnabled(std::string_view name, bool enabled) {
    Control& control = Find(name);
    if (const auto silent = silentWish_.find(name); silent != silentWish_.end()) {
        silent->second = enabled;
        return;
    }
    if (control.enabled != enabled) {
        control.enabled = enabled;
        Notify(control, Change::Enabled);
    }
}

void ControlModel::SetVisible(std::string_view name, bool visible) {
    Control& control = Find(name);
    if (control.visible != visible) {
        control.visible = visible;
        Notify(control, Change::Visible);
    }
}

void ControlModel::SetRange(std::string_view name, int minimum, int maximum) {
    Control& control = Find(name);
    control.minimum = minimum;
    control.maximum = std::max(minimum, maximum);
    Notify(control, Change::Range);
    const int value = TextToInt32(control.text);
    const int kept = std::clamp(value, control.minimum, control.maximum);
    if (kept != value) {
        StoreText(control, BareNumberText(kept));
    }
}

void ControlModel::SetBackground(std::string_view name, std::optional<uint32_t> colour) {
    Control& control = Find(name);
    if (control.background != colour) {
        control.background = colour;
        Notify(control, Change::Colour);
    }
}

void ControlModel::Type(std::string_view name, std::string_view text) {
    Control& control = Find(name);
    StoreText(control, text);
    Fire(control, Action::Typed);
}

bool ControlModel::Pick(std::string_view name, int index) {
    Control& control = Find(name);
    if (index < 0 || index >= static_cast<int>(control.items.size())) {
        return false;
    }
    SetListIndex(name, index);
    Fire(control, Action::Picked);
    return true;
}

void ControlModel::Spin(std::string_view name, int value) {
    Control& control = Find(name);
    const int kept = std::clamp(value, control.minimum, std::max(control.minimum, control.maximum));
    StoreText(control, BareNumberText(kept));
    Fire(control, Action::Spun);
}

void ControlModel::Click(std::string_view name) {
    Control& control = Find(name);
    if (control.kind == ControlKind::Check) {
        SetChecked(name, !Checked(name));
    } else if (control.kind == ControlKind::Option) {
        SetChecked(name, true);
    }
    Fire(control, Action::Clicked);
}

void ControlModel::DeclareAction(std::string_view button) {
    const Control& control = Find(button);
    acting_.emplace(control.name);
    if (const auto silent = silentWish_.find(button); silent != silentWish_.end()) {
        const bool wish = silent->second;
        silentWish_.erase(silent);
        SetEnabled(button, wish);
    }
}

void ControlModel::DeclareActions(std::initializer_list<std::string_view> buttons) {
    for (const std::string_view button : buttons) {
        DeclareAction(button);
    }
}

void ControlModel::DisableSilentButtons() {
    for (Control& control : controls_) {
        if (control.kind != ControlKind::Button || HasAction(control.name) ||
            silentWish_.contains(control.name)) {
            continue;
        }
        silentWish_.emplace(control.name, control.enabled);
        if (control.enabled) {
            control.enabled = false;
            Notify(control, Change::Enabled);
        }
    }
}

void ControlModel::Notify(const Control& control, Change what) {
    // Copy the name: a listener may change other controls, never this vector's layout.
    const std::string name = control.name;
    for (const Listener& listener : listeners_) {
        listener(name, what);
    }
}

void ControlModel::Fire(const Control& control, Action action) {
    const std::string name = control.name;
    for (const ActionHandler& handler : handlers_) {
        handler(name, action);
    }
}

} // namespace ondrix
