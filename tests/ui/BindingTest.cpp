// The generic binding of widgets to a control model, and of menu actions to the menu model.
#include "settings/ControlModel.h"
#include "settings/MenuModel.h"
#include "ui/ControlBinder.h"
#include "ui/MenuBinder.h"
#include "ui/PictureView.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <memory>

namespace ondrix {
namespace {

using Action = ControlModel::Action;
using K = ControlKind;

std::vector<Control> SampleControls() {
    return {
        {.name = "Field", .kind = K::Text, .caption = "Field", .tooltip = "A field", .text = "1"},
        {.name = "List", .kind = K::List, .caption = "Size", .items = {"256", "512", "1024"}, .text = "512"},
        {.name = "Check", .kind = K::Check, .caption = "Zoom", .text = "0"},
        {.name = "OptionA", .kind = K::Option, .caption = "A", .text = "-1", .group = "g"},
        {.name = "OptionB", .kind = K::Option, .caption = "B", .text = "0", .group = "g"},
        {.name = "Spin", .kind = K::Spin, .text = "0", .minimum = 0, .maximum = 10},
        {.name = "Pause", .kind = K::Check, .caption = "Pause", .text = "0"},
        {.name = "Button", .kind = K::Button, .caption = "Start"},
        {.name = "Status", .kind = K::Label, .caption = "Status"},
        {.name = "Picture", .kind = K::Picture},
        {.name = "Socket", .kind = K::Socket},
    };
}

class BindingTest : public ::testing::Test {
protected:
    BindingTest() : model(WindowId::Form1, SampleControls()), binder(std::make_unique<ControlBinder>(model)) {
        for (const Control& control : model.Controls()) {
            const auto look =
                control.name == "Pause" ? ControlBinder::Look::ToggleButton : ControlBinder::Look::Default;
            binder->Create(control.name, &window, look);
        }
        model.AddActionHandler([this](const std::string& name, Action action) {
            actions.push_back({name, action});
        });
    }

    template <typename T> T* W(const char* name) { return qobject_cast<T*>(binder->Widget(name)); }

    QWidget window;
    ControlModel model;
    std::unique_ptr<ControlBinder> binder;
    std::vector<std::pair<std::string, Action>> actions;
};

// Each kind of control must get its widget, named after it and showing the model's state.
TEST_F(BindingTest, WidgetsStartFromTheModelWithTheControlNames) {
    EXPECT_EQ(W<QLineEdit>("Field")->objectName(), "Field");
    EXPECT_EQ(W<QLineEdit>("Field")->text(), "1");
    EXPECT_EQ(W<QLineEdit>("Field")->toolTip(), "A field");
    EXPECT_EQ(W<QComboBox>("List")->count(), 3);
    EXPECT_EQ(W<QComboBox>("List")->currentText(), "512");
    EXPECT_TRUE(W<QComboBox>("List")->isEditable());
    EXPECT_TRUE(W<QRadioButton>("OptionA")->isChecked());
    EXPECT_EQ(W<QSpinBox>("Spin")->maximum(), 10);
    EXPECT_TRUE(W<QPushButton>("Pause")->isCheckable());
    EXPECT_EQ(W<QPushButton>("Button")->text(), "Start");
    EXPECT_NE(binder->Picture("Picture"), nullptr);
    EXPECT_EQ(binder->Widget("Socket"), nullptr);
}

// Each user operation must reach the model once, as its own kind of operation.
TEST_F(BindingTest, UserOperationsReachTheModelAsTheirOperation) {
    W<QLineEdit>("Field")->setText("42");
    emit W<QLineEdit>("Field")->editingFinished();
    // Leaving the field again without a change is no second edit.
    emit W<QLineEdit>("Field")->editingFinished();

    QComboBox* list = W<QComboBox>("List");
    list->setEditText("3072");
    emit list->lineEdit()->editingFinished();
    emit list->activated(2);

    W<QCheckBox>("Check")->click();
    W<QPushButton>("Pause")->click();
    W<QPushButton>("Button")->click();
    W<QSpinBox>("Spin")->setValue(3);

    const std::vector<std::pair<std::string, Action>> expected = {
        {"Field", Action::Typed},   {"List", Action::Typed},    {"List", Action::Picked},
        {"Check", Action::Clicked}, {"Pause", Action::Clicked}, {"Button", Action::Clicked},
        {"Spin", Action::Spun}};
    EXPECT_EQ(actions, expected);
    EXPECT_EQ(model.Text("Field"), "42");
    EXPECT_EQ(model.Text("List"), "1024");
    EXPECT_EQ(model.ListIndex("List"), 2);
    EXPECT_TRUE(model.Checked("Check"));
    EXPECT_TRUE(model.Checked("Pause"));
    EXPECT_EQ(model.Text("Spin"), "3");
}

// Option buttons of a group must stay exclusive, and a second click must not clear the selected one.
TEST_F(BindingTest, OptionsStayExclusiveAndASelectedOptionStaysSelected) {
    W<QRadioButton>("OptionB")->click();
    EXPECT_TRUE(W<QRadioButton>("OptionB")->isChecked());
    EXPECT_FALSE(W<QRadioButton>("OptionA")->isChecked());
    EXPECT_EQ(model.Text("OptionA"), "0");
    // Clicking the selected option again must not clear it.
    W<QRadioButton>("OptionB")->click();
    EXPECT_TRUE(W<QRadioButton>("OptionB")->isChecked());
    EXPECT_EQ(model.Text("OptionB"), "-1");
}

// A model change must reach the widget without coming back as a user operation (which would re-run the
// rules), also when the widget cannot show it (a text not in the list, a value beyond the spin range).
// Captions, labels, pictures, colours and visibility are seen through the real windows in MainWindowTest.
TEST_F(BindingTest, ModelChangesReachTheWidgetsWithoutFiringModelOperations) {
    model.SetText("Field", "7");
    model.SetText("List", "not an entry");
    model.SetItems("List", {"1", "2"});
    model.SetChecked("Check", true);
    model.SetRange("Spin", 0, 4);
    model.SetText("Spin", "9");
    EXPECT_TRUE(actions.empty());
    EXPECT_EQ(W<QLineEdit>("Field")->text(), "7");
    EXPECT_EQ(W<QComboBox>("List")->count(), 2);
    EXPECT_EQ(W<QComboBox>("List")->currentText(), "not an entry");
    EXPECT_TRUE(W<QCheckBox>("Check")->isChecked());
    EXPECT_EQ(W<QSpinBox>("Spin")->maximum(), 4);
    EXPECT_EQ(model.Text("Spin"), "9");
}

// A caption label must hide and grey out with its control.
TEST_F(BindingTest, CaptionLabelsFollowTheirControl) {
    QLabel* label = binder->CaptionLabel("List", &window);
    QLabel* fallback = binder->CaptionLabel("Spin", &window, "Gain");
    EXPECT_EQ(label->text(), "Size");
    EXPECT_EQ(fallback->text(), "Gain");
    model.SetVisible("List", false);
    model.SetEnabled("List", false);
    EXPECT_FALSE(label->isVisibleTo(&window));
    EXPECT_FALSE(label->isEnabled());
}

// A widget or the whole binder destroyed before the model must not crash later model changes.
TEST_F(BindingTest, EitherSideMayGoFirst) {
    delete binder->Widget("Field");
    model.SetText("Field", "after the widget");
    binder.reset();
    model.SetText("List", "after the binder");
    model.SetCaption("Check", "still fine");
    EXPECT_EQ(model.Text("List"), "after the binder");
}

// Menu actions must follow the model (enabled only with a handler, the check mark set by the model, not
// the click) and trigger its commands.
TEST(MenuBinding, ActionsFollowTheMenuModelAndTriggerItsCommands) {
    MenuModel menus;
    QMenuBar bar;
    MenuBinder binder(menus, bar);
    int selected = 0;
    menus.SetHandler("FileAnalysis", [&] { ++selected; }); // never sets the check mark
    menus.SetHandler("BasicSettings", [&] { menus.SetChecked("RealTimeAnalysis", true); });

    EXPECT_EQ(bar.actions().size(), static_cast<qsizetype>(menus.Menus().size()));
    QAction* task = binder.Action("FileAnalysis");
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(task->text(), "File Analysis");
    EXPECT_TRUE(task->isCheckable());
    EXPECT_TRUE(task->isEnabled());
    EXPECT_FALSE(binder.Action("SaveBuffer")->isEnabled()); // no handler
    EXPECT_FALSE(binder.Action("QuickSaveBuffer")->isVisible());

    task->trigger();
    EXPECT_EQ(selected, 1);
    EXPECT_FALSE(task->isChecked()); // the model decides the mark, not the click
    binder.Action("BasicSettings")->trigger();
    EXPECT_TRUE(binder.Action("RealTimeAnalysis")->isChecked());
}

} // namespace
} // namespace ondrix
