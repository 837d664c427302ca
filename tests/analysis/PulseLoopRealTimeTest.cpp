// The real-time loop capturing through PortAudio from a private PulseAudio server whose null sink
// plays a 1 kHz tone: the tone's row holds every column's maximum and no block is lost.
#include "TempFolder.h"
#include "analysis/RealTimeMonoLoop.h"
#include "analysis/SpectrumAveraging.h"
#include "audio/DeviceCatalog.h"
#include "audio/DeviceLists.h"
#include "audio/PortAudioHost.h"
#include "audio/PortAudioSystem.h"
#include "display/LayoutRefresh.h"
#include "display/Palette.h"
#include "display/SpectrogramRenderer.h"
#include "settings/MenuModel.h"
#include "settings/SettingsModel.h"
#include "settings/TaskController.h"
#include "support/ScriptedInteraction.h"
#include "support/ScriptedPump.h"

#include "support/PulseServer.h"

#include <gtest/gtest.h>

#include <poll.h>

#include <algorithm>
#include <cstdlib>

namespace ondrix {
namespace {

TEST(PulseLoopRealTime, AToneLandsInItsRowWithNoFails) {
    if (!PulseServerAvailable()) {
        GTEST_SKIP() << "PulseAudio or sox is not installed (scripts/install-deps.sh installs them)";
    }
    TempFolder folder;
    ASSERT_EQ(PulseScript("start " + folder.Path()), 0);
    setenv("PULSE_SERVER", ("unix:" + folder.Path() + "sock").c_str(), 1);
    setenv("PULSE_SOURCE", "ondrix_null.monitor", 1);
    ASSERT_EQ(PulseScript("tone " + folder.Path() + " 1000"), 0);

    SettingsModel settings;
    MenuModel menus;
    ScriptedInteraction dialogs;
    ScriptedPump pump;
    TaskController tasks(settings, menus, dialogs, pump);
    PortAudioSystem system;
    ASSERT_TRUE(system.Ok());
    PortAudioHost host(system);
    DeviceCatalog catalog(&host);
    DeviceLists devices(settings, catalog, dialogs);
    Palette palette;
    SpectrogramRenderer renderer(palette, 0xffc0c0c0u);
    SpectrumAveraging averaging;
    RealTimeContext context{settings, tasks, devices, dialogs, renderer, averaging};
    tasks.Loops().Register(LoopSlot::RealTimeMono,
                           [&] { return std::make_unique<RealTimeMonoLoop>(context); });
    settings.Hooks().updateForm = [&] { RefreshDisplayLayout(settings, menus, palette, renderer, 400); };

    settings.ApplyInitialValues();
    devices.RefreshDeviceLists();
    const int pulse = catalog.InputPosition("pulse");
    ASSERT_GT(pulse, 0) << "ALSA's pulse device is not listed";
    ControlModel& form = settings.Form1();
    form.SetText("Combo10", catalog.Inputs()[static_cast<std::size_t>(pulse)].listName);
    form.SetText("BlockSize", "4800");
    form.SetText("FFTSize", "1024");
    form.SetText("WindowSize", "1024");
    form.SetText("ScanStep", "512");
    form.SetText("Combo7", "512"); // one row per bin: row k is bin k (46.875 Hz)
    form.SetChecked("Check2", true);
    settings.Options2().SetText("Combo2", "8");

    // Columns after the first half second, while the streams settle, for one second.
    const int64_t settle = 48000 / 2 / 512;
    const int64_t wanted = settle + 48000 / 512;
    int64_t columns = 0;
    int64_t toneOnTop = 0;
    context.hooks.track = [&](std::span<const float> column) {
        if (++columns > settle) {
            const auto peak = std::max_element(column.begin(), column.end()) - column.begin();
            toneOnTop += (peak == 21) ? 1 : 0; // 1000 Hz / 46.875 Hz = bin 21.3
        }
        return -1;
    };
    int wakeFd = -1;
    context.hooks.watchCapture = [&](int fd) { wakeFd = fd; };
    pump.onEvents = [&](int) {
        if (wakeFd >= 0) {
            pollfd watched{wakeFd, POLLIN, 0};
            poll(&watched, 1, 20);
        }
        if ((columns >= wanted || dialogs.messages.size() > 0) && !tasks.SessionStopped()) {
            form.Click("StartStop");
        }
    };
    form.Click("StartStop");
    PulseScript("stop " + folder.Path());
    unsetenv("PULSE_SERVER");
    unsetenv("PULSE_SOURCE");

    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front().text;
    EXPECT_GE(columns, wanted);
    EXPECT_EQ(toneOnTop, columns - settle);
    EXPECT_EQ(context.status.fails, 0);
    EXPECT_EQ(context.status.droppedBlocks, 0);
}

} // namespace
} // namespace ondrix
