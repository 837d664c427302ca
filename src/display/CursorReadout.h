// Reading the picture by pointing: the readout line of a point (pixel, palette index, time, frequency,
// level), the reference point of a left press with the differences to it, and the cursor log.
#pragma once

#include "display/Axes.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ondrix {

class Palette;
class SettingsModel;

// Mouse buttons as the readout counts them: left 1, right 2, middle 4 (added when several are held).
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kMiddleButton = 4;

inline constexpr std::string_view kDeltaHint = "  <move to read delta values>";
inline constexpr std::string_view kCursorLogHeading = "pix  x  y  z    time    freq   dB    filetime";

// What the readout reads besides the point.
struct ReadoutScene {
    PictureScale scale = {};
    int displayRows = 0; // D: the "Display Height" value now
    int colourShift = 0;
    std::optional<double> pageSeconds = {}; // file tasks: where the shown stretch starts in the file
    std::string soundFile = {};             // the sound file in use ("" live)
};

struct PointFrequency {
    double hz = 0.0;
    std::string prefix;
};
// The frequency of picture row y and the prefix of its display; 0 Hz outside the spectrogram rows.
PointFrequency FrequencyAt(const PictureScale& scale, int y);

// The palette index of a picture colour among entries 0..256, the last match; 0 when none matches.
int PaletteIndexOfColour(const Palette& palette, uint32_t colour);

// The readout of (x, y) with palette index `index`; with a reference (the left button held) the reference
// and the differences follow.
std::string ReadoutText(const ReadoutScene& scene, int x, int y, int index,
                        const std::optional<std::pair<int, int>>& reference = std::nullopt);

// The cursor of the main window's picture: presses, moves and the cursor log.
class CursorMeasurement {
public:
    struct Wiring {
        SettingsModel& settings;
        std::function<ReadoutScene()> scene;
        std::function<int(int x, int y)> paletteIndexAt;
        std::function<std::string()> date; // "YYYYMMDD" of today
    };
    explicit CursorMeasurement(Wiring wiring);

    // A press keeps the point as the reference; the left button asks for a move, the right one reads
    // the point and logs it.
    void Press(int button, int x, int y);
    // With "RT Cursor" checked, a move reads the point with the buttons held (0 for none).
    void Move(int buttons, int x, int y);
    // Shows the readout in LabelCursors and the button in StatusLine; a button of 2 or more also logs the
    // readout and becomes -1.
    void MouseCursor(int x, int y, int& button);

    // Log folder + cursor log name + " " + date + ".txt".
    std::string LogPath() const;

private:
    void Log(const std::string& readout, const std::string& soundFile);

    Wiring wiring_;
    std::pair<int, int> reference_{};
    std::optional<std::string> headed_; // the sound file the log last got a heading for
};

} // namespace ondrix
