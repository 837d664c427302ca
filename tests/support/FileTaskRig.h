// The window's file tasks on files in a temporary folder, at 48000 samples/s with FFT and window 512 and
// step 256: settings, display, dialogs, task controller and the columns the file-analysis loop computes.
#pragma once

#include "TempFolder.h"
#include "analysis/ColumnChain.h"
#include "analysis/LoopControls.h"
#include "analysis/SpectrumAveraging.h"
#include "display/LayoutRefresh.h"
#include "display/Palette.h"
#include "display/SpectrogramRenderer.h"
#include "files/FileAnalysisLoop.h"
#include "files/SoundFileFormat.h"
#include "settings/MenuModel.h"
#include "settings/SettingsModel.h"
#include "settings/TaskController.h"
#include "support/ScriptedInteraction.h"
#include "support/ScriptedPump.h"
#include "support/SoundFileBytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

namespace ondrix {

inline constexpr int kRate = 48000;
inline constexpr int kFft = 512;
inline constexpr int kStep = 256;

// Interleaved frames where channel c carries a sine on FFT bin bins[c].
inline std::vector<int16_t> Tones(int64_t frames, std::vector<int> bins, double amplitude = 12000.0) {
    const std::size_t channels = bins.size();
    std::vector<int16_t> samples(static_cast<std::size_t>(frames) * channels);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const std::size_t c = i % channels;
        const double phase = 2.0 * std::numbers::pi * bins[c] * static_cast<double>(i / channels) / kFft;
        samples[i] =
            static_cast<int16_t>(std::lround(amplitude * std::sin(phase + 0.3 * static_cast<double>(c))));
    }
    return samples;
}

class FileAnalysisRig : public ::testing::Test {
protected:
    FileAnalysisRig(int width, int rows, bool initialValues = false) : width_(width), rows_(rows) {
        renderer.SetGeometry(width, rows);
        FollowSettings();
        context.hooks.columnValues = [this](int64_t x, std::span<const float> values) {
            columns.push_back({x, std::vector<float>(values.begin(), values.end())});
        };
        RegisterFileAnalysisLoop(tasks.Loops(), context);
        if (initialValues) {
            settings.SetMaxSpectrogramHeight(rows);
            settings.ApplyInitialValues();
        }
        const char* names[] = {"SampleRate", "BlockSize", "FFTSize", "WindowSize", "ScanStep", "Combo7"};
        const int values[] = {kRate, 4096, kFft, kFft, kStep, rows};
        for (int i = 0; i < 6; ++i) {
            settings.Form1().SetText(names[i], std::to_string(values[i]));
        }
        tasks.SelectTask(4);
    }

    // The display is laid out again at every settings change, as the window's is.
    void FollowSettings() {
        settings.Hooks().updateForm = [this] {
            RefreshDisplayLayout(settings, menus, palette, renderer, width_);
        };
    }

    // A WAV of the samples at 48000/s in the temporary folder, opened.
    std::string OpenWav(const std::string& name, int channels, const std::vector<int16_t>& samples,
                        bool closed = true) {
        WriteWav16(folder.Path() + name, channels, kRate, samples, closed);
        Open(folder.Path() + name);
        return folder.Path() + name;
    }

    void Open(const std::string& path) {
        file = CurrentFile{};
        file.name = path;
        file.info = DetectFileType(path, FileFormatSettings{});
        tasks.SetCurrentFileName(path);
    }

    // Runs task 4; the script gets the pump call number and returns false to stop the run.
    void Run(std::function<bool(int call)> script) {
        pump.onEvents = [this, script](int call) {
            if (!script(call) && !tasks.SessionStopped()) {
                settings.Form1().Click("StartStop");
            }
        };
        settings.Form1().Click("StartStop");
        pump.onEvents = {};
    }

    // The column the chain computes on its own from the first FFT-size samples.
    std::vector<float> ChainColumn(std::span<const int16_t> samples) {
        SpectrumAveraging own;
        ColumnChain chain(ChainSetupFrom(settings.Options1(), kFft, kFft, 1, kStep), own);
        chain.Compute(samples.first(kFft), ReadColumnControls(settings, kFft, rows_));
        return {chain.Column().begin(), chain.Column().end()};
    }

    struct Column {
        int64_t x;
        std::vector<float> values;
    };

    int width_, rows_;
    TempFolder folder;
    SettingsModel settings;
    MenuModel menus;
    ScriptedInteraction dialogs;
    ScriptedPump pump;
    TaskController tasks{settings, menus, dialogs, pump};
    Palette palette;
    SpectrogramRenderer renderer{palette, 0xffc0c0c0u};
    SpectrumAveraging averaging;
    CurrentFile file;
    FileAnalysisContext context{settings, tasks, dialogs, renderer, averaging, file};
    std::vector<Column> columns;
};

} // namespace ondrix
