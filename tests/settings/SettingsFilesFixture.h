// A settings model with its files in a temporary program folder, the file commands attached, scripted
// dialogs and a count of the re-layouts asked for.
#pragma once

#include "TempFolder.h"
#include "settings/MenuModel.h"
#include "settings/SettingsFiles.h"
#include "settings/SettingsModel.h"
#include "support/ScriptedInteraction.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace ondrix {

class SettingsFilesTest : public ::testing::Test {
protected:
    SettingsFilesTest() : files(settings, interaction, ProgramFiles{temp.Path() + "program/"}) {
        options0().SetText("DefPlayPathField", temp.Path());
        options0().SetText("FileRecPathField", temp.Path() + "rec/");
        options1().SetText("DefSavePath", temp.Path() + "shots/");
        settings.Hooks().updateForm = [this] { ++updateForms; };
        files.AttachCommands(menus);
        std::filesystem::create_directory(files.Files().folder);
    }

    ControlModel& form() { return settings.Form1(); }
    ControlModel& options0() { return settings.Options0(); }
    ControlModel& options1() { return settings.Options1(); }

    std::string Path(const std::string& name) const { return temp.Path() + name; }
    void Answer(std::optional<std::string> answer) { interaction.textAnswers.push_back(std::move(answer)); }

    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void WriteFile(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    }
    static bool Exists(const std::string& path) { return std::filesystem::exists(path); }

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
    int updateForms = 0;
};

} // namespace ondrix
