#include "files/ExportFileRun.h"

#include "common/Clock.h"
#include "common/Paths.h"
#include "display/Axes.h"
#include "display/AxesPainting.h"
#include "display/LayoutRefresh.h"
#include "files/ExportColumnTable.h"
#include "files/SoundFileFormat.h"

#include <QFontMetrics>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace ondrix {

namespace {

// Where the border colour of the picture would come from on a screen; it only colours the strip below
// the spectrogram, which is not exported.
constexpr uint32_t kBorderColour = 0xffc0c0c0u;

} // namespace

std::string PageName(const std::string& stem, long long page) {
    std::string number = std::to_string(page);
    if (number.size() < 4) {
        number.insert(0, 4 - number.size(), '0');
    }
    return stem + "-p" + number + ".png";
}

std::optional<std::string> UnreadableReason(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) {
        return "no such file";
    }
    if (std::filesystem::is_directory(status)) {
        return "a folder, not a sound file";
    }
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) {
        return std::string("cannot be read (") + std::strerror(errno) + ")";
    }
    ::close(fd);
    if (std::filesystem::is_regular_file(status) && std::filesystem::file_size(path, error) == 0) {
        return "an empty file";
    }
    return std::nullopt;
}

std::string OutputStem(const std::string& path) {
    return std::filesystem::path(FileNameOfPath(path)).stem().string();
}

FileRun::FileRun(const SettingsModel& settings, const MenuModel& menus, const ExportRequest& request,
                 const std::string& path)
    : request_(request), path_(path), name_(FileNameOfPath(path)),
      stem_(request.outFolder + OutputStem(path)), renderer_(palette_, kBorderColour),
      messages_([this](const std::string& text) { Note(text); }), tasks_(settings_, menus_, messages_, pump_),
      file_{.name = path, .info = {}}, context_{settings_, tasks_, messages_, renderer_, averaging_, file_} {
    settings_.CopyStateFrom(settings);
    renderer_.SetColumnMajor(true); // whole pages: each column drawn contiguously, one transpose a page
    for (const MenuCommand& command : menus.Commands()) {
        menus_.SetChecked(command.name, command.checked);
    }
    settings_.Hooks().updateForm = [this] {
        RefreshDisplayLayout(settings_, menus_, palette_, renderer_, request_.width);
    };
    context_.clampToLastFrame = false;
}
FileRun::~FileRun() {
    if (loop_) {
        loop_->CleanUp();
    }
    settings_.Hooks().updateForm = nullptr;
}

bool FileRun::Open() {
    if (const std::optional<std::string> reason = UnreadableReason(path_)) {
        error_ = *reason;
        return false;
    }
    // The inputs are only read (an archive may be read-only or shared): header corrections stay in
    // memory.
    file_.info = DetectFileType(path_, FileFormatSettingsFrom(settings_.Options1()), HeaderRepair::ReadOnly);
    const SoundFileInfo& info = file_.info;
    if (info.type == kFileUnsupported) {
        error_ = info.message.empty() ? std::string("File format not supported") : info.message;
        return false;
    }
    if (!AnalysableChannels(info.channels)) {
        error_ = "Number of channels not supported";
        return false;
    }
    loop_ = std::make_unique<FileAnalysisLoop>(context_);
    tasks_.SetSessionStopped(false);
    loop_->SetUp();
    // The loop ends a run itself only when the file cannot be analysed (its message is noted).
    if (tasks_.SessionStopped()) {
        if (error_.empty()) {
            error_ = "cannot be analysed";
        }
        return false;
    }
    // A column's time is the start of its analysis frame: column x of a page starts at the page
    // start + (x + 1 - start column) x step - FFT size (x x step when the step divides the FFT size).
    const double rate = std::max(info.sampleRate, 1);
    const double ratio = settings_.Analysis().tapeSpeedRatio;
    columnSeconds_ = loop_->ScanStep() / rate * ratio;
    firstSeconds_ = ((1 - loop_->StartColumn()) * loop_->ScanStep() - loop_->FftSize()) / rate * ratio;
    const int64_t data = std::max<int64_t>(info.dataEnd - info.headerSize, 0);
    pages_ =
        file_.frameBytes > 0 ? static_cast<long long>((data + file_.frameBytes - 1) / file_.frameBytes) : 0;
    return true;
}

bool FileRun::Complete() const {
    std::error_code error;
    if (request_.columns && !std::filesystem::exists(stem_ + ".csv", error)) {
        return false;
    }
    for (long long page = 1; request_.pictures && page <= pages_; ++page) {
        if (!std::filesystem::exists(PageName(stem_, page), error)) {
            return false;
        }
    }
    return true;
}

bool FileRun::Draw(long long first, long long last, ColumnTable* table,
                   const std::function<void(long long columns)>& pageDone) {
    context_.hooks.columnValues = nullptr;
    if (table != nullptr) {
        context_.hooks.columnValues = [&](int64_t column, std::span<const float> values) {
            const long long global = page_ * renderer_.Width() + column;
            table->Add(global, firstSeconds_ + static_cast<double>(global) * columnSeconds_, values);
        };
    }
    const SoundFileInfo& info = file_.info;
    const int height = renderer_.Height();
    const int rows = std::min(renderer_.Session().rows, height);
    const int charWidth =
        request_.axes ? QFontMetrics(AxisLabelFont()).horizontalAdvance(QLatin1Char('0')) : 0;
    bool failed = false;
    for (page_ = first; page_ < last && !tasks_.SessionStopped() && saver_.Error().empty(); ++page_) {
        file_.filePos = info.headerSize + page_ * file_.frameBytes;
        loop_->Pass();
        if (tasks_.SessionStopped()) {
            failed = true;
            break;
        }
        if (request_.pictures && request_.axes) {
            const double startSeconds = static_cast<double>(page_) * renderer_.Width() * columnSeconds_;
            const PictureAxes axes =
                AxesOf(ScaleOf(ScaleInputsFrom(settings_, renderer_.Width(), height, loop_->Traces())), 0.0,
                       charWidth, startSeconds * 1000.0);
            const QImage framed =
                FramedPicture(renderer_.Picture(), axes, name_ + "  " + SecondsToClock(startSeconds));
            saver_.Save(framed, 0, framed.height(), PageName(stem_, page_ + 1));
        } else if (request_.pictures) {
            // Read where the columns were drawn; the picture is transposed back only for a page of
            // more than 256 colours.
            if (const QImage* columns = renderer_.ColumnMajorPicture()) {
                saver_.SaveColumns(
                    *columns, height - rows, rows, [this]() -> const QImage& { return renderer_.Picture(); },
                    PageName(stem_, page_ + 1));
            } else {
                saver_.Save(renderer_.Picture(), height - rows, rows, PageName(stem_, page_ + 1));
            }
        }
        pageDone(renderer_.Width());
    }
    if (!saver_.Finish()) {
        Note("cannot write " + saver_.Error());
        failed = true;
    }
    context_.hooks.columnValues = nullptr;
    if (failed && error_.empty()) {
        error_ = "cannot be analysed";
    }
    return !failed;
}

} // namespace ondrix
