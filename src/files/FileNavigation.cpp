#include "files/FileNavigation.h"

#include "common/Clock.h"
#include "common/Interaction.h"
#include "common/Rounding.h"
#include "display/SpectrogramRenderer.h"
#include "files/CurrentFile.h"
#include "files/FilePage.h"
#include "settings/SettingsModel.h"
#include "settings/TaskController.h"

#include <algorithm>
#include <limits>

namespace ondrix {

FileNavigation::FileNavigation(SettingsModel& settings, TaskController& tasks, Interaction& interaction,
                               CurrentFile& file, const SpectrogramRenderer& renderer)
    : settings_(settings), tasks_(tasks), interaction_(interaction), file_(file), renderer_(renderer) {
    ControlModel& form = settings_.Form1();
    form.DeclareActions({"Command1", "Command5", "Command6", "Command3", "Command11", "Command7", "Command13",
                         "Command12", "GoToS", "GoToS2", "Jump", "RefreshButton", "Command9"});
    form.AddActionHandler([this](const std::string& name, ControlModel::Action action) {
        if (action == ControlModel::Action::Clicked) {
            OnClick(name);
        } else if (action == ControlModel::Action::Spun && name == "UpDown5" && tasks_.SessionMode() == 4) {
            // A new zoom base in the file view: the page is drawn again with it.
            Refresh();
        }
    });
    tasks_.Hooks().resetFileView = [this] { Refresh(); };
}

void FileNavigation::OnClick(const std::string& name) {
    if (name == "Command9") {
        ResetTimer();
        return;
    }
    // "Refresh", and Zoom on or off, which changes the rows of every column: the page is drawn again.
    if (name == "RefreshButton" || name == "ZoomFlag") {
        Refresh();
        return;
    }
    if (!file_.IsOpen()) {
        return;
    }
    if (name == "Command1") {
        ToStart();
    } else if (name == "Command5") {
        ToEnd();
    } else if (name == "Command6") {
        Step(1, 1);
    } else if (name == "Command3") {
        Step(-1, 1);
    } else if (name == "Command11") {
        Step(1, 4);
    } else if (name == "Command7") {
        Step(-1, 4);
    } else if (name == "Command13") {
        Step(1, 16);
    } else if (name == "Command12") {
        Step(-1, 16);
    } else if (name == "GoToS") {
        settings_.Form1().SetChecked("PauseButton", false);
        GoTo(settings_.Form1().Text("Text4"));
    } else if (name == "GoToS2") {
        GoTo(settings_.Form1().Text("Text3"));
    } else if (name == "Jump") {
        Skip(settings_.Form1().Text("Text6"));
    }
}

int64_t FileNavigation::FrameBytes() const {
    if (tasks_.Running() && file_.frameBytes > 0) {
        return file_.frameBytes;
    }
    return FrameBytesFromSettings(settings_, renderer_.Width(), file_.info);
}

void FileNavigation::MoveTo(int64_t pos) {
    file_.filePos = AlignFilePos(pos, file_.info);
}

void FileNavigation::ToStart() {
    MoveTo(file_.info.headerSize);
}

// The start of the last full screenful of the data (where the loop's upper limit also puts it).
void FileNavigation::ToEnd() {
    MoveTo(std::max(file_.info.dataEnd - FrameBytes(), file_.info.headerSize));
}

void FileNavigation::Step(int direction, int parts) {
    const int64_t align = std::max<int64_t>(file_.info.frameAlign, 1);
    const double frames = static_cast<double>(FrameBytes()) / std::max(parts, 1) / static_cast<double>(align);
    const int64_t step = std::max<int64_t>(RoundToInt64(frames), 1) * align;
    // A position before the header (never drawn yet) counts from the header.
    MoveTo(std::max(file_.filePos, file_.info.headerSize) + (direction < 0 ? -step : step));
}

// The bytes of a typed time, rounded to whole seconds; saturated, so that any number of digits gives a
// position (NaN, from a text like "-9...9:9...9:0", reads as 0).
int64_t FileNavigation::TimeOffset(const std::string& text) const {
    const double seconds = RoundHalfEven(ClockToSeconds(text));
    return RoundToInt64(seconds * static_cast<double>(BytesPerSecond(file_.info)));
}

namespace {

int64_t SaturatedAdd(int64_t a, int64_t b) {
    int64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum)) {
        return b > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
    }
    return sum;
}

} // namespace

// A negative time goes to the start of the data.
void FileNavigation::GoTo(const std::string& text) {
    MoveToTime(SaturatedAdd(file_.info.headerSize, std::max<int64_t>(TimeOffset(text), 0)));
}

// A skip back stops at the start of the data.
void FileNavigation::Skip(const std::string& text) {
    const int64_t from = std::max(file_.filePos, file_.info.headerSize);
    MoveToTime(std::max(SaturatedAdd(from, TimeOffset(text)), file_.info.headerSize));
}

// A time position: "End of File" when it lies at or beyond the data end.
void FileNavigation::MoveToTime(int64_t pos) {
    if (pos >= file_.info.dataEnd) {
        interaction_.ShowMessage("End of File", MessageIcon::Information);
        return;
    }
    MoveTo(pos);
    if (repositioned) {
        repositioned();
    }
}

void FileNavigation::Refresh() {
    file_.lastPos = CurrentFile::kNoPage;
}

void FileNavigation::ResetTimer() {
    file_.elapsedSeconds = 0.0;
}

} // namespace ondrix
