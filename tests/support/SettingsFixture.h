// A settings model with its working and program folders in a temporary folder, the file commands
// attached, scripted dialogs, and a journal of what the rules asked of the windows.
#pragma once

#include "TempFolder.h"
#include "settings/MenuModel.h"
#include "settings/SettingsFiles.h"
#include "settings/SettingsModel.h"
#include "support/ByteFiles.h"
#include "support/ScriptedInteraction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace ondrix {

// Control texts by "Name" (main window) or "OPTIONS0.Name", "OPTIONS1.Name", "OPTIONS2.Name".
using Texts = std::vector<std::pair<std::string, std::string>>;

class SettingsTest : public ::testing::Test {
protected:
    SettingsTest() : files(settings, interaction, ProgramFiles{temp.Path() + "program/"}) {
        SetTexts({{"OPTIONS0.DefPlayPathField", temp.Path()},
                  {"OPTIONS0.FileRecPathField", Path("rec/")},
                  {"OPTIONS1.DefSavePath", Path("shots/")},
                  {"OPTIONS1.DefLogPath", Path("logs/")}});
        SettingsHooks& hooks = settings.Hooks();
        hooks.updateForm = [this] { calls.push_back("UpdateForm"); };
        hooks.colourScalePicked = [this](WindowId window, int scale) {
            calls.push_back(std::string(WindowPrefix(window)) + " palette " + std::to_string(scale));
        };
        hooks.hideBasicSettings = [this] { calls.push_back("Hide"); };
        hooks.restoreSpectrogram = [this] { calls.push_back("Restore"); };
        files.AttachCommands(menus);
        std::filesystem::create_directory(files.Files().folder);
    }

    ControlModel& form() { return settings.Form1(); }
    ControlModel& options0() { return settings.Options0(); }
    ControlModel& options1() { return settings.Options1(); }

    // The window a key names; the key loses its window prefix.
    ControlModel& WindowOf(std::string& key) {
        for (WindowId id : {WindowId::Options0, WindowId::Options1, WindowId::Options2}) {
            const std::string prefix = std::string(WindowPrefix(id)) + ".";
            if (key.starts_with(prefix)) {
                key.erase(0, prefix.size());
                return settings.Window(id);
            }
        }
        return form();
    }
    void SetTexts(Texts texts) {
        for (auto& [key, text] : texts) {
            WindowOf(key).SetText(key, text);
        }
    }
    void ExpectTexts(Texts texts) {
        for (auto& [key, text] : texts) {
            EXPECT_EQ(WindowOf(key).Text(key), text) << key;
        }
    }
    // Picks the entry of the list by its text.
    void PickEntry(std::string key, const std::string& entry) {
        ControlModel& window = WindowOf(key);
        const std::vector<std::string>& items = window.At(key).items;
        const auto found = std::ranges::find(items, entry);
        ASSERT_NE(found, items.end()) << key << " has no entry " << entry;
        window.Pick(key, static_cast<int>(found - items.begin()));
    }

    std::string Path(const std::string& name) const { return temp.Path() + name; }
    void Answer(std::optional<std::string> answer) { interaction.textAnswers.push_back(std::move(answer)); }
    static bool Exists(const std::string& path) { return std::filesystem::exists(path); }
    long UpdateForms() const { return std::ranges::count(calls, "UpdateForm"); }

    // Every saved control of the four windows by "PREFIX.Name".
    std::map<std::string, std::string> SavedState() {
        std::map<std::string, std::string> state;
        for (WindowId id : {WindowId::Form1, WindowId::Options0, WindowId::Options1, WindowId::Options2}) {
            const ControlModel& window = settings.Window(id);
            for (const Control& control : window.Controls()) {
                if (control.IsSaved()) {
                    state[std::string(window.Prefix()) + "." + control.name] = control.text;
                }
            }
        }
        return state;
    }

    TempFolder temp;
    SettingsModel settings;
    ScriptedInteraction interaction;
    MenuModel menus;
    SettingsFiles files;
    std::vector<std::string> calls;
};

} // namespace ondrix
