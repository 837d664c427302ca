// The main window's menus: every command with its caption and its checked, enabled and visible state.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace ondrix {

struct MenuCommand {
    std::string menu;    // title of the menu holding it
    std::string name;    // command name (the Qt object name of its action)
    std::string caption; // text shown
    bool checked = false;
    bool enabled = false; // a command becomes enabled when a handler is attached
    bool visible = true;
};

// Commands are declared once, in menu order. A command without a handler stays disabled, so no
// menu entry is ever a silent no-op.
class MenuModel {
public:
    using Listener = std::function<void(const std::string& name)>;

    MenuModel();
    MenuModel(const MenuModel&) = delete;
    MenuModel& operator=(const MenuModel&) = delete;

    // Menu titles in menu-bar order.
    const std::vector<std::string>& Menus() const { return menus_; }
    // Every command in declaration order.
    const std::vector<MenuCommand>& Commands() const { return commands_; }
    bool Has(std::string_view name) const;
    const MenuCommand& At(std::string_view name) const; // throws std::out_of_range

    void SetChecked(std::string_view name, bool checked);
    void SetEnabled(std::string_view name, bool enabled);
    void SetVisible(std::string_view name, bool visible);

    // Attaches the action of a command and enables it.
    void SetHandler(std::string_view name, std::function<void()> handler);
    // Runs the command's action when it is enabled and has one; false otherwise.
    bool Trigger(std::string_view name);

    void AddListener(Listener listener) { listeners_.push_back(std::move(listener)); }

private:
    MenuCommand& Find(std::string_view name);
    void Notify(const MenuCommand& command);

    std::vector<std::string> menus_;
    std::vector<MenuCommand> commands_;
    std::map<std::string, std::size_t, std::less<>> byName_;
    std::map<std::string, std::function<void()>, std::less<>> handlers_;
    std::vector<Listener> listeners_;
};

} // namespace ondrix
