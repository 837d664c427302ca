#include "cd/CdSource.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <sys/stat.h>
#include <utility>

namespace ondrix {

namespace {

// libcdio reports its reasons through one log handler for the whole program: the last warning or
// error is kept for the message, nothing is printed.
std::mutex gLogMutex;
std::string gLastLog;

void KeepLog(cdio_log_level_t level, const char message[]) {
    if (level < CDIO_LOG_WARN || message == nullptr) {
        return;
    }
    const std::lock_guard lock(gLogMutex);
    gLastLog = message;
    while (!gLastLog.empty() && (gLastLog.back() == '\n' || gLastLog.back() == '\r')) {
        gLastLog.pop_back();
    }
}

std::string TakeLog() {
    const std::lock_guard lock(gLogMutex);
    return std::exchange(gLastLog, {});
}

bool IsCueFile(const std::string& source) {
    if (source.size() < 4) {
        return false;
    }
    std::string ending = source.substr(source.size() - 4);
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return ending == ".cue";
}

struct FileIdentity {
    bool exists = false;
    int64_t size = 0;
    int64_t modified = 0;
    bool operator==(const FileIdentity&) const = default;
};

FileIdentity IdentityOf(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        return {};
    }
    return {.exists = true,
            .size = static_cast<int64_t>(info.st_size),
            .modified = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

class LibcdioSource : public CdSource {
public:
    explicit LibcdioSource(std::string source) : named_(std::move(source)) {
        static const bool handlerSet = [] {
            cdio_log_set_handler(KeepLog);
            return true;
        }();
        (void)handlerSet;
    }
    ~LibcdioSource() override { Close(); }

    std::optional<CdToc> Open(std::string& reason) override {
        Close();
        TakeLog();
        source_ = Resolve();
        if (source_.empty()) {
            reason = "No CD drive was found";
            return std::nullopt;
        }
        image_ = IsCueFile(source_);
        identity_ = IdentityOf(source_);
        cdio_ = image_ ? cdio_open_cue(source_.c_str()) : cdio_open(source_.c_str(), DRIVER_DEVICE);
        if (cdio_ == nullptr) {
            reason = WithLog("Cannot open the CD drive " + source_);
            return std::nullopt;
        }
        const track_t first = cdio_get_first_track_num(cdio_);
        const track_t count = cdio_get_num_tracks(cdio_);
        if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0) {
            reason = WithLog("No disc in the CD drive " + source_);
            Close();
            return std::nullopt;
        }
        origin_ = cdio_get_track_lsn(cdio_, first);
        CdToc toc;
        for (int n = 0; n < count; ++n) {
            const auto track = static_cast<track_t>(first + n);
            const lsn_t start = cdio_get_track_lsn(cdio_, track);
            const lsn_t end =
                cdio_get_track_lsn(cdio_, n + 1 < count ? static_cast<track_t>(track + 1)
                                                        : static_cast<track_t>(CDIO_CDROM_LEADOUT_TRACK));
            if (start == CDIO_INVALID_LSN || end == CDIO_INVALID_LSN || end < start || start < origin_) {
                reason = WithLog("The table of contents of " + source_ + " cannot be read");
                Close();
                return std::nullopt;
            }
            toc.tracks.push_back({.start = start - origin_, .sectors = end - start});
        }
        end_ = toc.EndSector();
        return toc;
    }

    bool StillPresent() override {
        if (cdio_ == nullptr) {
            return false;
        }
        if (image_) {
            return IdentityOf(source_) == identity_;
        }
        return cdio_get_media_changed(cdio_) == 0;
    }

    bool Read(int32_t first, int sectors, std::span<int16_t> out, std::string& reason) override {
        const auto needed = static_cast<std::size_t>(sectors) * kCdFramesPerSector * 2;
        if (cdio_ == nullptr || first < 0 || sectors <= 0 || first + sectors > end_ || out.size() < needed) {
            reason = "The position is outside the disc";
            return false;
        }
        const driver_return_code_t code =
            cdio_read_audio_sectors(cdio_, out.data(), origin_ + first, static_cast<uint32_t>(sectors));
        if (code != DRIVER_OP_SUCCESS) {
            reason = WithLog(std::string("The CD cannot be read: ") + cdio_driver_errmsg(code));
            return false;
        }
        return true;
    }

    bool SetDoor(bool open, std::string& reason) override {
        driver_return_code_t code = DRIVER_OP_SUCCESS;
        if (open) {
            code = cdio_ == nullptr ? DRIVER_OP_UNINIT : cdio_eject_media(&cdio_);
        } else {
            driver_id_t driver = DRIVER_DEVICE;
            code = image_ ? DRIVER_OP_UNSUPPORTED : cdio_close_tray(source_.c_str(), &driver);
        }
        if (code != DRIVER_OP_SUCCESS) {
            reason = WithLog(std::string("The CD drive door cannot be moved: ") + cdio_driver_errmsg(code));
            return false;
        }
        return true;
    }

    void Close() override {
        if (cdio_ != nullptr) {
            cdio_destroy(cdio_);
            cdio_ = nullptr;
        }
    }

private:
    std::string Resolve() const {
        if (!named_.empty()) {
            return named_;
        }
        if (const char* device = std::getenv("ONDRIX_CD_DEVICE"); device != nullptr && *device != '\0') {
            return device;
        }
        char* device = cdio_get_default_device(nullptr);
        std::string result = device != nullptr ? device : "";
        std::free(device);
        return result;
    }

    static std::string WithLog(std::string text) {
        const std::string log = TakeLog();
        return log.empty() ? text : text + ": " + log;
    }

    std::string named_;
    std::string source_;
    bool image_ = false;
    FileIdentity identity_;
    CdIo_t* cdio_ = nullptr;
    lsn_t origin_ = 0;
    int32_t end_ = 0;
};

} // namespace

std::unique_ptr<CdSource> MakeLibcdioSource(std::string source) {
    return std::make_unique<LibcdioSource>(std::move(source));
}

} // namespace ondrix
