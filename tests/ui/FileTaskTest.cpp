// Task 4 in the window: Start without a file asks for one, then the file's first page is drawn and the
// navigation moves it.
#include "TempFolder.h"
#include "display/SpectrogramRenderer.h"
#include "recording/WavHeader.h"
#include "settings/MenuModel.h"
#include "settings/TaskController.h"
#include "support/ByteFiles.h"
#include "support/ScriptedInteraction.h"
#include "ui/Application.h"

#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace ondrix {
namespace {

// Start without a file must ask for a WAV file, draw its first page with the tone standing out, and the
// navigation must move the page.
TEST(FileTaskTest, StartInTaskFourAsksForAFileAndDrawsItsPages) {
    TempFolder home;
    const std::string sound = home.Path() + "tone.wav";
    std::vector<int16_t> tone(30 * 48000 + 22); // 30 s of 3 kHz after room for the header
    for (std::size_t n = 0; n + 22 < tone.size(); ++n) {
        tone[n + 22] = static_cast<int16_t>(
            std::lround(10000.0 * std::sin(2 * std::numbers::pi * 3000.0 * n / 48000.0)));
    }
    WriteBytes(sound, std::string_view(reinterpret_cast<const char*>(tone.data()), tone.size() * 2));
    ASSERT_TRUE(WriteWavHeader(sound, 1, 48000));
    ScriptedInteraction dialogs;
    Application app({.home = home.Path(), .screenWidth = 1280, .interaction = &dialogs});
    ControlModel& form = app.Settings().Form1();

    dialogs.textAnswers = {sound};
    int steps = 0;
    std::vector<std::string> times;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        times.push_back(form.Text("Label3"));
        if (++steps == 1) {
            form.Click("Command5"); // to the last page
        } else if (!app.Tasks().SessionStopped()) {
            form.Click("StartStop");
        }
    });
    ticker.start(200);
    app.Menus().Trigger("FileAnalysis");
    form.Click("StartStop");
    ticker.stop();

    ASSERT_EQ(dialogs.dialogs.size(), 1U);
    EXPECT_EQ(dialogs.dialogs[0].patterns, std::vector<std::string>{"*.wav"});
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front().text;
    EXPECT_EQ(app.Tasks().CurrentFileName(), sound);
    ASSERT_GE(times.size(), 2U);
    EXPECT_EQ(times[0], "00:00:00.000");
    EXPECT_NE(times[1], times[0]);
    // The tone's row stands out of the page: more than one colour in the spectrogram rows.
    const QImage& picture = app.Renderer().Picture();
    const int bottom = app.Renderer().Height() - 1;
    bool varied = false;
    for (int y = bottom; y > bottom - 100 && !varied; --y) {
        varied = picture.pixel(10, y) != picture.pixel(10, bottom);
    }
    EXPECT_TRUE(varied);
}

} // namespace
} // namespace ondrix
