// The real-time loop wired as the program wires it (settings, tasks, device lists, renderer and
// the layout refresh), for tests that run sessions through the Start button.
#pragma once

#include "analysis/RealTimeLoop.h"
#include "analysis/SpectrumAveraging.h"
#include "audio/DeviceCatalog.h"
#include "audio/DeviceLists.h"
#include "display/LayoutRefresh.h"
#include "display/Palette.h"
#include "display/SpectrogramRenderer.h"
#include "settings/MenuModel.h"
#include "settings/SettingsModel.h"
#include "settings/TaskController.h"
#include "support/ScriptedInteraction.h"
#include "support/ScriptedPump.h"

#include <poll.h>

#include <functional>
#include <initializer_list>
#include <string_view>
#include <utility>
#include <vector>

namespace ondrix {

// The loop's collaborators on a catalog of the host's devices (none: only the built-in ones).
struct RealTimeLoopRig {
    explicit RealTimeLoopRig(HostAudio* host) : catalog(host) {
        settings.Hooks().updateForm = [this] {
            RefreshDisplayLayout(settings, menus, palette, renderer, 400);
        };
        tasks.Loops().Register(LoopSlot::RealTimeMono,
                               [this] { return std::make_unique<RealTimeLoop>(context); });
        tasks.Loops().Register(LoopSlot::RealTimeStereo,
                               [this] { return std::make_unique<RealTimeLoop>(context, 2); });
        context.hooks.watchCapture = [this](int fd) { wakeFd = fd; };
        context.hooks.ramBufferAppend = [this](std::span<const int16_t> block) {
            captured.insert(captured.end(), block.begin(), block.end());
        };
    }

    // Runs a session; the script gets the pump call number and returns false to stop the run. A pump
    // call first waits up to 20 ms for the capture device's wake-up, as the window's event wait does.
    void Session(std::function<bool(int call)> script) {
        pump.onEvents = [this, script](int call) {
            if (wakeFd >= 0) {
                pollfd watched{wakeFd, POLLIN, 0};
                poll(&watched, 1, 20);
            }
            if (!script(call) && !tasks.SessionStopped()) {
                settings.Form1().Click("StartStop");
            }
        };
        settings.Form1().Click("StartStop");
        pump.onEvents = {};
    }

    // Sets texts of the main window's controls.
    void Quick(std::initializer_list<std::pair<const char*, const char*>> texts) {
        for (const auto& [name, text] : texts) {
            settings.Form1().SetText(name, text);
        }
    }

    // Selects the input device of that full name.
    void SelectInput(std::string_view fullName) {
        for (const DeviceEntry& entry : catalog.Inputs()) {
            if (entry.fullName == fullName) {
                settings.Form1().SetText("Combo10", entry.listName);
            }
        }
    }

    SettingsModel settings;
    MenuModel menus;
    ScriptedInteraction dialogs;
    ScriptedPump pump;
    TaskController tasks{settings, menus, dialogs, pump};
    DeviceCatalog catalog;
    DeviceLists devices{settings, catalog, dialogs};
    Palette palette;
    SpectrogramRenderer renderer{palette, 0xffc0c0c0u};
    SpectrumAveraging averaging;
    RealTimeContext context{settings, tasks, devices, dialogs, renderer, averaging};
    int wakeFd = -1;
    std::vector<int16_t> captured;
};

} // namespace ondrix
