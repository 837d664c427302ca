// The main window's menu bar built from the menu model and kept in step with it.
#pragma once

#include "settings/MenuModel.h"

#include <QObject>

#include <memory>
#include <string_view>

class QAction;
class QMenuBar;

namespace ondrix {

// One menu per model menu, in order; one action per command (object name = command name) whose text,
// enabled, checked and visible state follow the model. Triggering an action triggers the command.
// The four task commands carry a check mark.
class MenuBinder {
public:
    MenuBinder(MenuModel& model, QMenuBar& bar);
    ~MenuBinder();
    MenuBinder(const MenuBinder&) = delete;
    MenuBinder& operator=(const MenuBinder&) = delete;

    QAction* Action(std::string_view name) const;

private:
    struct State;

    MenuModel& model_;
    QObject context_;
    std::shared_ptr<State> state_;
};

} // namespace ondrix
