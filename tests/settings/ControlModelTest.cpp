#include "settings/ControlModel.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace ondrix {
namespace {

using Action = ControlModel::Action;
using Change = ControlModel::Change;

std::vector<Control> SmallWindow() {
    using K = ControlKind;
    return {
        {.name = "Size", .kind = K::List, .items = {"256", "512", "1024"}, .text = "512"},
        {.name = "Scale", .kind = K::List, .items = {"15 green", "15", "15"}, .text = "15"},
        {.name = "Field", .kind = K::Text, .text = "0"},
        {.name = "Flag", .kind = K::Check, .text = "0"},
        {.name = "A", .kind = K::Option, .text = "-1", .group = "g"},
        {.name = "B", .kind = K::Option, .text = "0", .group = "g"},
        {.name = "Other", .kind = K::Option, .text = "-1", .group = "h"},
        {.name = "Spin", .kind = K::Spin, .text = "0", .minimum = 0, .maximum = 10},
        {.name = "Go", .kind = K::Button, .caption = "Go"},
    };
}

class ControlModelTest : public ::testing::Test {
protected:
    ControlModelTest() : model(WindowId::Options0, SmallWindow()) {
        model.AddActionHandler(
            [this](const std::string& name, Action action) { actions.emplace_back(name, action); });
        model.AddListener([this](const std::string& name, Change what) { changes.emplace_back(name, what); });
    }

    ControlModel model;
    std::vector<std::pair<std::string, Action>> actions;
    std::vector<std::pair<std::string, Change>> changes;
};

TEST_F(ControlModelTest, TypingAndPickingAreDistinctUserActions) {
    model.Type("Size", "2048");
    EXPECT_EQ(model.Text("Size"), "2048");
    EXPECT_EQ(model.ListIndex("Size"), -1);
    model.Pick("Size", 2);
    EXPECT_EQ(model.Text("Size"), "1024");
    EXPECT_EQ(model.ListIndex("Size"), 2);
    const std::vector<std::pair<std::string, Action>> expected = {{"Size", Action::Typed},
                                                                  {"Size", Action::Picked}};
    EXPECT_EQ(actions, expected);

    // Typing the same text again is still a finished edit.
    model.Type("Size", "1024");
    EXPECT_EQ(actions.back(), std::make_pair(std::string("Size"), Action::Typed));
}

TEST_F(ControlModelTest, PickOutsideTheListChangesNothing) {
    EXPECT_FALSE(model.Pick("Size", 3));
    EXPECT_FALSE(model.Pick("Size", -1));
    EXPECT_EQ(model.Text("Size"), "512");
    EXPECT_TRUE(actions.empty());
}

TEST_F(ControlModelTest, ProgrammaticWritesNotifyListenersButRunNoHandlers) {
    model.SetText("Size", "256");
    model.SetEnabled("Field", false);
    model.SetVisible("Go", false);
    model.SetCaption("Go", "Stop");
    model.SetItems("Size", {"128", "256"});
    EXPECT_TRUE(actions.empty());
    const std::vector<std::pair<std::string, Change>> expected = {{"Size", Change::Text},
                                                                  {"Field", Change::Enabled},
                                                                  {"Go", Change::Visible},
                                                                  {"Go", Change::Caption},
                                                                  {"Size", Change::Items}};
    EXPECT_EQ(changes, expected);
    EXPECT_EQ(model.ListIndex("Size"), 1); // the new entries are searched for the kept text

    changes.clear();
    model.SetText("Size", "256"); // unchanged: no notification
    model.SetEnabled("Field", false);
    EXPECT_TRUE(changes.empty());
}

TEST_F(ControlModelTest, ListIndexFollowsTheTextExactly) {
    model.SetText("Size", "256");
    EXPECT_EQ(model.ListIndex("Size"), 0);
    model.SetText("Size", "256 ");
    EXPECT_EQ(model.ListIndex("Size"), -1);
    // A list holding an entry twice keeps the position that was set.
    model.SetListIndex("Scale", 2);
    EXPECT_EQ(model.ListIndex("Scale"), 2);
    EXPECT_EQ(model.Text("Scale"), "15");
    model.SetListIndex("Scale", -1);
    EXPECT_EQ(model.ListIndex("Scale"), -1);
    EXPECT_EQ(model.Text("Scale"), "15");
}

TEST_F(ControlModelTest, ValuesAreTheLeadingNumberRoundedHalfToEven) {
    model.SetText("Field", "4 Mbytes");
    EXPECT_DOUBLE_EQ(model.Value("Field"), 4.0);
    model.SetText("Field", "off");
    EXPECT_EQ(model.IntValue("Field"), 0);
    model.SetText("Field", "2.5");
    EXPECT_EQ(model.IntValue("Field"), 2);
    model.SetText("Field", "3.5");
    EXPECT_EQ(model.IntValue("Field"), 4);
    model.SetNumber("Field", 2048);
    EXPECT_EQ(model.Text("Field"), "2048");
}

TEST_F(ControlModelTest, ChecksToggleAndOptionsExcludeTheirGroupOnly) {
    model.Click("Flag");
    EXPECT_EQ(model.Text("Flag"), "1");
    model.Click("Flag");
    EXPECT_EQ(model.Text("Flag"), "0");

    model.Click("B");
    EXPECT_EQ(model.Text("B"), "-1");
    EXPECT_EQ(model.Text("A"), "0");
    EXPECT_EQ(model.Text("Other"), "-1");
    model.SetChecked("A", true);
    EXPECT_EQ(model.Text("B"), "0");
    EXPECT_TRUE(model.Checked("A"));

    model.Click("Go");
    EXPECT_EQ(actions.back(), std::make_pair(std::string("Go"), Action::Clicked));
}

TEST_F(ControlModelTest, SpinStaysInsideItsRange) {
    model.Spin("Spin", 15);
    EXPECT_EQ(model.Text("Spin"), "10");
    model.Spin("Spin", -3);
    EXPECT_EQ(model.Text("Spin"), "0");
    EXPECT_EQ(actions.back(), std::make_pair(std::string("Spin"), Action::Spun));
    model.Spin("Spin", 9);
    model.SetRange("Spin", 0, 5);
    EXPECT_EQ(model.Text("Spin"), "5");
}

TEST_F(ControlModelTest, ControlsKeepTheirDeclaredOrder) {
    std::vector<std::string> names;
    for (const Control& control : model.Controls()) {
        names.push_back(control.name);
    }
    const std::vector<std::string> expected = {"Size", "Scale", "Field", "Flag", "A",
                                               "B",    "Other", "Spin",  "Go"};
    EXPECT_EQ(names, expected);
}

TEST(ControlModel, NamesAreUniqueAndKnown) {
    std::vector<Control> twice = {{.name = "X", .kind = ControlKind::Text},
                                  {.name = "X", .kind = ControlKind::List}};
    EXPECT_THROW(ControlModel(WindowId::Form1, twice), std::invalid_argument);
    ControlModel model(WindowId::Form1, {{.name = "X", .kind = ControlKind::Text}});
    EXPECT_FALSE(model.Has("Y"));
    EXPECT_THROW(model.Text("Y"), std::out_of_range);
    EXPECT_THROW(model.Type("Y", "1"), std::out_of_range);
}

} // namespace
} // namespace ondrix
