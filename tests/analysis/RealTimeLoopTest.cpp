#include "analysis/RealTimeMonoLoop.h"
#include "analysis/SpectrumAveraging.h"
#include "audio/DeviceCatalog.h"
#include "audio/DeviceLists.h"
#include "audio/DeviceNames.h"
#include "common/NumberText.h"
#include "display/LayoutRefresh.h"
#include "display/Palette.h"
#include "display/SpectrogramRenderer.h"
#include "settings/MenuModel.h"
#include "settings/SettingsModel.h"
#include "settings/TaskController.h"
#include "support/ScriptedInteraction.h"
#include "support/ScriptedPump.h"

#include <gtest/gtest.h>

#include <poll.h>

#include <algorithm>
#include <vector>

namespace ondrix {
namespace {

// A capture device the test fills by hand, block by block, on the test's own thread.
class ManualInput : public InputDevice {
public:
    std::string Name() const override { return "Manual input"; }
    int Open(const StreamFormat& format) override {
        SetFormat(format);
        Ring().Configure(format.slotCount, format.framesPerSlot, format.channels);
        return 0;
    }
    int Start() override { return 0; }
    void Stop() override {}
    void Reset() override { Ring().Reset(); }
    void Close() override {}

    // Delivers whole blocks of a ramp continuing where the last one stopped.
    void PushBlocks(int count) {
        std::vector<int16_t> block(static_cast<std::size_t>(FramesPerSlot()));
        for (int b = 0; b < count; ++b) {
            for (int16_t& sample : block) {
                sample = static_cast<int16_t>(static_cast<uint16_t>(next_++));
            }
            Ring().Write(block.data(), block.size());
        }
    }
    void Vanish() { MarkFailed(); }

private:
    int64_t next_ = 0;
};

class RealTimeLoopTest : public ::testing::Test {
protected:
    RealTimeLoopTest() {
        devices.RefreshDeviceLists();
        renderer.SetGeometry(400, 256);
        settings.Hooks().updateForm = [this] {
            RefreshDisplayLayout(settings, menus, palette, renderer, 400);
        };
        tasks.Loops().Register(LoopSlot::RealTimeMono,
                               [this] { return std::make_unique<RealTimeMonoLoop>(context); });
        context.openInput = [this](int, const StreamFormat& format) {
            auto device = std::make_unique<ManualInput>();
            device->Open(format);
            manual = device.get();
            return OpenedInput{0, std::move(device)};
        };
        context.hooks.ramBufferAppend = [this](std::span<const int16_t> block) {
            captured.insert(captured.end(), block.begin(), block.end());
        };
        Quick("BlockSize", "4096");
        Quick("FFTSize", "1024");
        Quick("WindowSize", "1024");
        Quick("ScanStep", "512");
        settings.Options2().SetText("Combo2", "4");
    }

    void Quick(const char* name, const char* text) { settings.Form1().SetText(name, text); }

    // Runs a session; the script gets the pump call number and returns false to stop the run.
    void Run(std::function<bool(int call)> script) {
        pump.onEvents = [this, script](int call) {
            if (!script(call) && !tasks.SessionStopped()) {
                settings.Form1().Click("StartStop");
            }
        };
        settings.Form1().Click("StartStop");
        pump.onEvents = {};
    }

    SettingsModel settings;
    MenuModel menus;
    ScriptedInteraction dialogs;
    ScriptedPump pump;
    TaskController tasks{settings, menus, dialogs, pump};
    DeviceCatalog catalog{nullptr};
    DeviceLists devices{settings, catalog, dialogs};
    Palette palette;
    SpectrogramRenderer renderer{palette, 0xffc0c0c0u};
    SpectrumAveraging averaging;
    RealTimeContext context{settings, tasks, devices, dialogs, renderer, averaging};
    ManualInput* manual = nullptr;
    std::vector<int16_t> captured;
};

TEST_F(RealTimeLoopTest, StepAndFftLargerThanTheBlockAreClamped) {
    // The settings check already limits the step to half the block before the run's own clamps.
    Quick("ScanStep", "8192");
    Run([](int) { return false; });
    EXPECT_EQ(settings.Form1().Text("ScanStep"), "2048");
    EXPECT_EQ(settings.Form1().Text("StatusLine"), "skip");

    Quick("BlockSize", "1024");
    Quick("FFTSize", "2048");
    Quick("WindowSize", "2048");
    Quick("ScanStep", "512");
    std::string description;
    Run([&](int) {
        description = settings.Form1().Text("Label4");
        return false;
    });
    EXPECT_EQ(settings.Form1().Text("BlockSize"), "2048");
    EXPECT_EQ(settings.Form1().Text("StatusLine"), "overlap 75%");
    EXPECT_EQ(description, " 48000s/sec 1ch  Block  2048= 42.667msec  Display 4.267sec");
    EXPECT_TRUE(dialogs.messages.empty());

    // A hand-edited absurd block is limited before any device is opened.
    Quick("BlockSize", "10000000");
    int framesOpened = 0;
    Run([&](int) {
        framesOpened = manual->FramesPerSlot();
        return false;
    });
    EXPECT_EQ(settings.Form1().Text("BlockSize"), "131072");
    EXPECT_EQ(framesOpened, 131072);
}

TEST_F(RealTimeLoopTest, AllSlotsDoneAtOnceCountOneFailAndEveryBlockIsAnalysed) {
    Run([this](int call) {
        if (call == 1) {
            manual->PushBlocks(3); // one slot still free: no fail
        } else if (call == 2) {
            manual->PushBlocks(4); // all four slots done at once
        }
        return call < 3;
    });
    EXPECT_EQ(context.status.fails, 1);
    EXPECT_EQ(context.status.blocks, 7);
    EXPECT_EQ(context.status.columns, 7 * 4096 / 512);
    EXPECT_EQ(settings.Form1().Text("L24"), "1");
    EXPECT_EQ(settings.Form1().Text("Label21"), "4");
    ASSERT_EQ(captured.size(), 7u * 4096);
    for (std::size_t i = 0; i < captured.size(); ++i) {
        ASSERT_EQ(captured[i], static_cast<int16_t>(static_cast<uint16_t>(i)));
    }
    EXPECT_EQ(settings.Form1().At("StartStop").caption, "Start");
}

// In the linear amplitude scale the status label reads the minimum and maximum of the last column.
TEST_F(RealTimeLoopTest, LinearScaleShowsTheColumnRangeInTheStatus) {
    settings.Options1().SetText("AmplitudeScale", "1 - Linear");
    settings.Options2().SetChecked("SpecFormCheck", true);
    std::vector<float> last;
    context.hooks.plotSpectrum = [&](std::span<const float> column) {
        last.assign(column.begin(), column.end());
    };
    std::string status;
    Run([&](int call) {
        if (call == 1) {
            manual->PushBlocks(1);
        }
        status = settings.Form1().Text("Label4");
        return call < 2;
    });
    ASSERT_FALSE(last.empty());
    const float peak = *std::max_element(last.begin(), last.end());
    EXPECT_EQ(status, " 0" + NumberText(peak, Precision::Single));
}

TEST_F(RealTimeLoopTest, APauseLongerThanTheSlotsCountsOneFail) {
    settings.Options2().SetText("Combo2", "2");
    Run([this](int call) {
        if (call == 1) {
            manual->PushBlocks(1);
        } else if (call == 2) {
            settings.Form1().SetChecked("PauseButton", true);
            manual->PushBlocks(5); // two fill the slots, three are dropped by the device
        } else if (call == 3) {
            settings.Form1().SetChecked("PauseButton", false);
        }
        return call < 5;
    });
    EXPECT_EQ(context.status.fails, 1);
    EXPECT_EQ(context.status.blocks, 3);
    EXPECT_EQ(context.status.droppedBlocks, 3);
    EXPECT_EQ(settings.Form1().Text("StatusLine").back(), 'P');
}

TEST_F(RealTimeLoopTest, ARefusedFormatEndsTheRunBeforeCapture) {
    Quick("SampleRate", "2000000");
    bool opened = false;
    context.openInput = [&](int, const StreamFormat&) {
        opened = true;
        return OpenedInput{1, nullptr};
    };
    Run([](int) { return true; });
    EXPECT_FALSE(opened);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Couldn't open wave device due to Error  32 BADFORMAT");
    EXPECT_TRUE(tasks.SessionStopped());
    EXPECT_EQ(settings.Form1().At("StartStop").caption, "Start");
}

TEST_F(RealTimeLoopTest, AVanishedDeviceEndsTheRunWithAMessage) {
    Run([this](int call) {
        if (call == 1) {
            manual->PushBlocks(1);
            manual->Vanish();
        }
        return call < 50;
    });
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].text.find("stopped working"), std::string::npos);
    EXPECT_TRUE(tasks.SessionStopped());
    EXPECT_FALSE(tasks.Running());
}

// The built-in ramp device on its own clock thread, through the real loop with drawing on, for 10 s: not
// one sample lost, repeated or reordered (16 slots of 4096 frames at 48000 samples/s). The pump waits on
// the device's wake-up descriptor as the window's event wait does.
TEST_F(RealTimeLoopTest, TheTestRampArrivesUnbrokenForTenSeconds) {
    context.openInput = {};
    settings.Options2().SetText("Combo2", "16");
    for (const DeviceEntry& entry : catalog.Inputs()) {
        if (entry.fullName == kTestRampName) {
            settings.Form1().SetText("Combo10", entry.listName);
        }
    }
    int wakeFd = -1;
    context.hooks.watchCapture = [&](int fd) { wakeFd = fd; };
    const std::size_t tenSeconds = 10u * 48000;
    Run([&](int) {
        if (wakeFd >= 0) {
            pollfd watched{wakeFd, POLLIN, 0};
            poll(&watched, 1, 20);
        }
        return captured.size() < tenSeconds;
    });
    ASSERT_GE(captured.size(), tenSeconds);
    for (std::size_t i = 0; i < captured.size(); ++i) {
        ASSERT_EQ(captured[i], static_cast<int16_t>(static_cast<uint16_t>(i))) << "sample " << i;
    }
    EXPECT_EQ(context.status.droppedBlocks, 0);
    EXPECT_EQ(context.status.fails, 0);
    EXPECT_EQ(context.status.columns, static_cast<int64_t>(captured.size() / 512));
    EXPECT_TRUE(dialogs.messages.empty());
}

} // namespace
} // namespace ondrix
