#include "settings/MenuModel.h"

#include <gtest/gtest.h>

namespace ondrix {
namespace {

TEST(MenuModel, CommandsWithoutActionStayDisabled) {
    MenuModel menus;
    EXPECT_EQ(menus.At("RealTimeRecording").caption, "Real-Time Analysis + Recording");
    EXPECT_EQ(menus.At("RealTimeRecording").menu, "Task");
    EXPECT_FALSE(menus.At("SaveBuffer").enabled);
    EXPECT_FALSE(menus.Trigger("SaveBuffer"));
    menus.SetEnabled("SaveBuffer", true); // no action yet: still disabled
    EXPECT_FALSE(menus.At("SaveBuffer").enabled);

    int runs = 0;
    std::vector<std::string> changed;
    menus.AddListener([&](const std::string& name) { changed.push_back(name); });
    menus.SetHandler("SaveBuffer", [&] { ++runs; });
    EXPECT_TRUE(menus.Trigger("SaveBuffer"));
    menus.SetEnabled("SaveBuffer", false);
    EXPECT_FALSE(menus.Trigger("SaveBuffer"));
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(changed, (std::vector<std::string>{"SaveBuffer", "SaveBuffer"}));
    EXPECT_FALSE(menus.At("BufferSave60").visible);
    EXPECT_THROW(menus.At("NoSuchCommand"), std::out_of_range);
}

} // namespace
} // namespace ondrix
