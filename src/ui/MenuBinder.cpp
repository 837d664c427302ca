#include "ui/MenuBinder.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

#include <map>
#include <string>

namespace ondrix {

namespace {

bool IsTaskCommand(std::string_view name) {
    return name == "RealTimeAnalysis" || name == "RealTimeRecording" || name == "FileAnalysisPlay" ||
           name == "FileAnalysis";
}

QString ToQt(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

struct MenuBinder::State {
    explicit State(MenuModel& model) : model(model) {}

    void Show(const std::string& name) {
        const auto found = actions.find(name);
        if (found == actions.end() || !found->second) {
            return;
        }
        QAction* action = found->second;
        const MenuCommand& command = model.At(name);
        action->setText(ToQt(command.caption));
        action->setEnabled(command.enabled);
        action->setVisible(command.visible);
        if (action->isCheckable()) {
            action->setChecked(command.checked);
        }
    }

    MenuModel& model;
    std::map<std::string, QPointer<QAction>, std::less<>> actions;
};

MenuBinder::MenuBinder(MenuModel& model, QMenuBar& bar)
    : model_(model), state_(std::make_shared<State>(model)) {
    for (const std::string& title : model_.Menus()) {
        QMenu* menu = bar.addMenu(ToQt(title));
        menu->setObjectName(ToQt("Menu" + title));
        for (const MenuCommand& command : model_.Commands()) {
            if (command.menu != title) {
                continue;
            }
            QAction* action = menu->addAction(ToQt(command.caption));
            action->setObjectName(ToQt(command.name));
            action->setCheckable(IsTaskCommand(command.name) || command.checked);
            const std::string name = command.name;
            std::weak_ptr<State> weak = state_;
            MenuModel* menus = &model_;
            QObject::connect(action, &QAction::triggered, &context_, [weak, menus, name] {
                menus->Trigger(name);
                // A checkable action toggles itself; the model decides the mark. The command may have
                // closed the window and this binder with it.
                if (const std::shared_ptr<State> state = weak.lock()) {
                    state->Show(name);
                }
            });
            state_->actions.emplace(name, action);
            state_->Show(name);
        }
    }
    std::weak_ptr<State> weak = state_;
    model_.AddListener([weak](const std::string& name) {
        if (const std::shared_ptr<State> state = weak.lock()) {
            state->Show(name);
        }
    });
}

MenuBinder::~MenuBinder() = default;

QAction* MenuBinder::Action(std::string_view name) const {
    const auto found = state_->actions.find(name);
    return found == state_->actions.end() ? nullptr : found->second.data();
}

} // namespace ondrix
