// The controls of one window, in the window's control order, with change notification.
#pragma once

#include "settings/Control.h"
#include "settings/WindowId.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace ondrix {

// Holds every control of a window by name. Values are texts; a numeric value is the leading number
// of the text. Programmatic writes (Set...) only notify the listeners; the user operations (Type,
// Pick, Spin, Click) also call the action handlers, which is where the settings rules hang.
// Unknown control names are programming errors and throw std::out_of_range.
class ControlModel {
public:
    enum class Change { Text, Items, Caption, Enabled, Visible, Range, Colour };
    enum class Action {
        Typed,   // a finished edit of a text or list (Enter or leaving the field)
        Picked,  // an entry picked from a list
        Spun,    // a spin or scroll control moved to a value
        Clicked, // a check toggled, an option selected or a button pressed
    };
    using Listener = std::function<void(const std::string& name, Change what)>;
    using ActionHandler = std::function<void(const std::string& name, Action action)>;

    // Throws std::invalid_argument when two controls share a name.
    ControlModel(WindowId window, std::vector<Control> controls);
    ControlModel(const ControlModel&) = delete;
    ControlModel& operator=(const ControlModel&) = delete;

    WindowId Window() const { return window_; }
    std::string_view Prefix() const { return WindowPrefix(window_); }

    // Every control in the window's control order.
    const std::vector<Control>& Controls() const { return controls_; }
    bool Has(std::string_view name) const;
    const Control& At(std::string_view name) const;

    const std::string& Text(std::string_view name) const;
    double Value(std::string_view name) const;     // the leading number of the text
    int32_t IntValue(std::string_view name) const; // that number rounded half to even
    bool Checked(std::string_view name) const;     // a non-zero value
    int ListIndex(std::string_view name) const;

    // Programmatic writes: no action handlers run.
    void SetText(std::string_view name, std::string_view text);
    void SetNumber(std::string_view name, double value); // the number in list and field form ("2048")
    // A check holds "1"/"0", an option "-1"/"0"; selecting an option clears the others of its group.
    void SetChecked(std::string_view name, bool checked);
    // Selects entry index of a list (its text becomes the entry's); -1 only clears the index.
    void SetListIndex(std::string_view name, int index);
    void SetItems(std::string_view name, std::vector<std::string> items);
    void SetCaption(std::string_view name, std::string_view caption);
    void SetEnabled(std::string_view name, bool enabled);
    void SetVisible(std::string_view name, bool visible);
    void SetRange(std::string_view name, int minimum, int maximum);
    // 0xRRGGBB, or none for the desktop's own colour.
    void SetBackground(std::string_view name, std::optional<uint32_t> colour);

    // User operations.
    void Type(std::string_view name, std::string_view text);
    // Ignored (false) when index is not an entry of the list.
    bool Pick(std::string_view name, int index);
    // The value is kept inside the control's range.
    void Spin(std::string_view name, int value);
    void Click(std::string_view name);

    void AddListener(Listener listener) { listeners_.push_back(std::move(listener)); }
    void AddActionHandler(ActionHandler handler) { handlers_.push_back(std::move(handler)); }

    // Marks buttons whose click an action handler acts on. A button disabled for want of one
    // (DisableSilentButtons) then gets the enabled state the program last asked for it.
    void DeclareAction(std::string_view button);
    void DeclareActions(std::initializer_list<std::string_view> buttons);
    bool HasAction(std::string_view button) const { return acting_.find(button) != acting_.end(); }
    // Disables every button no handler acts on, so no button is a silent no-op; from now on such a button
    // stays disabled, whatever SetEnabled asks, until its action is declared.
    void DisableSilentButtons();

    // Every control's state (texts, entries, captions, ranges, enabled and visible) taken from another
    // model of the same window, without notifying anyone: listeners and handlers stay as they are.
    void CopyStateFrom(const ControlModel& other);

private:
    std::size_t IndexOf(std::string_view name) const;
    Control& Find(std::string_view name);
    const Control& Find(std::string_view name) const;
    void StoreText(Control& control, std::string_view text);
    void Notify(const Control& control, Change what);
    void Fire(const Control& control, Action action);

    WindowId window_;
    std::vector<Control> controls_;
    std::map<std::string, std::size_t, std::less<>> byName_;
    std::vector<Listener> listeners_;
    std::vector<ActionHandler> handlers_;
    std::set<std::string, std::less<>> acting_;           // buttons with an action
    std::map<std::string, bool, std::less<>> silentWish_; // silent buttons: the enabled state asked for
};

} // namespace ondrix
