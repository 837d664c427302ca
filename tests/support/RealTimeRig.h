// The real parts of a real-time run without windows: settings, menus and tasks, the device lists (with
// a sound host or the built-in devices only), the renderer and the loop of tasks 1 and 2. Run() starts
// the run and, between its passes, waits for the capture and runs the test's step until the run stops.
#pragma once

#include "analysis/RealTimeMonoLoop.h"
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

namespace ondrix {

struct RealTimeRig {
    explicit RealTimeRig(HostAudio* host = nullptr) : catalog(host) {
        tasks.Loops().Register(LoopSlot::RealTimeMono,
                               [this] { return std::make_unique<RealTimeMonoLoop>(context); });
        settings.Hooks().updateForm = [this] {
            RefreshDisplayLayout(settings, menus, palette, renderer, 400);
        };
        settings.ApplyInitialValues();
        devices.RefreshDeviceLists();
        context.hooks.watchCapture = [this](int fd) { wakeFd = fd; };
    }
    // Chooses the sound input at a position of the catalog's list; false when there is none.
    bool SelectInput(int position) {
        if (position < 0 || position >= static_cast<int>(catalog.Inputs().size())) {
            return false;
        }
        settings.Form1().SetText("Combo10", catalog.Inputs()[static_cast<std::size_t>(position)].listName);
        return true;
    }
    void Run(std::function<void()> step) {
        pump.onEvents = [this, step](int) {
            if (wakeFd >= 0) {
                pollfd watched{wakeFd, POLLIN, 0};
                poll(&watched, 1, 20);
            }
            step();
        };
        settings.Form1().Click("StartStop");
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
};

} // namespace ondrix
