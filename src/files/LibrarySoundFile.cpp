#include "files/LibrarySoundFile.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>

namespace ondrix {

namespace {

bool DecodedAsFloats(int format) {
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE:
    case SF_FORMAT_VORBIS:
    case SF_FORMAT_OPUS:
        return true;
    default:
        return false;
    }
}

// "FLAC (Free Lossless Audio Codec), Signed 24 bit PCM": the container's name, then the encoding's.
std::string FormatName(int format) {
    std::string name;
    for (const int part : {format & SF_FORMAT_TYPEMASK, format & SF_FORMAT_SUBMASK}) {
        SF_FORMAT_INFO facts{};
        facts.format = part;
        const bool known = sf_command(nullptr, SFC_GET_FORMAT_INFO, &facts, sizeof facts) == 0;
        name += name.empty() ? "" : ", ";
        name += known && facts.name != nullptr ? facts.name : "format " + std::to_string(part);
    }
    return name;
}

} // namespace

const std::vector<std::string>& LibraryExtensions() {
    static const std::vector<std::string> extensions = {"flac", "aif",  "aiff", "aifc",
                                                        "w64",  "rf64", "ogg",  "oga"};
    return extensions;
}

bool HasLibraryExtension(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || path.find('/', dot) != std::string_view::npos) {
        return false;
    }
    std::string extension(path.substr(dot + 1));
    for (char& c : extension) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    const auto& known = LibraryExtensions();
    return std::find(known.begin(), known.end(), extension) != known.end();
}

std::optional<LibraryFileFacts> ProbeLibraryFile(const std::string& path, std::string& why) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        why = sf_strerror(nullptr);
        return std::nullopt;
    }
    const LibraryFileFacts facts{.channels = info.channels,
                                 .sampleRate = info.samplerate,
                                 .frames = info.frames,
                                 .format = FormatName(info.format)};
    bool whole = facts.channels >= 1 && facts.frames >= 0 && facts.frames < SF_COUNT_MAX;
    if (whole && facts.frames > 0) {
        std::vector<double> last(static_cast<std::size_t>(facts.channels));
        whole = sf_seek(file, facts.frames - 1, SEEK_SET) == facts.frames - 1 &&
                sf_readf_double(file, last.data(), 1) == 1;
    }
    sf_close(file);
    if (!whole) {
        why = "its last frame cannot be read";
        return std::nullopt;
    }
    return facts;
}

LibrarySoundFile::~LibrarySoundFile() {
    Close();
}

bool LibrarySoundFile::Open(const std::string& path, std::string& why) {
    Close();
    SF_INFO info{};
    file_ = sf_open(path.c_str(), SFM_READ, &info);
    if (file_ == nullptr) {
        why = sf_strerror(nullptr);
        return false;
    }
    floatSamples_ = DecodedAsFloats(info.format);
    channels_ = info.channels;
    cursor_ = 0;
    return true;
}

void LibrarySoundFile::Close() {
    if (file_ != nullptr) {
        sf_close(file_);
    }
    file_ = nullptr;
}

bool LibrarySoundFile::SeekTo(int64_t frame) {
    if (frame == cursor_) {
        return true; // the next page follows the last: no seek, which costs a FLAC decoder a search
    }
    cursor_ = sf_seek(file_, frame, SEEK_SET);
    return cursor_ == frame;
}

int64_t LibrarySoundFile::ReadIntegers(int64_t frame, int32_t* into, int64_t frames) {
    if (!SeekTo(frame)) {
        return -1;
    }
    const int64_t got = sf_readf_int(file_, into, frames);
    cursor_ += std::max<int64_t>(got, 0);
    return got;
}

int64_t LibrarySoundFile::ReadFloats(int64_t frame, double* into, int64_t frames) {
    if (!SeekTo(frame)) {
        return -1;
    }
    const int64_t got = sf_readf_double(file_, into, frames);
    cursor_ += std::max<int64_t>(got, 0);
    return got;
}

const char* LibrarySoundFile::Error() const {
    return sf_error(file_) != SF_ERR_NO_ERROR ? sf_strerror(file_) : "the data ends before its stated length";
}

} // namespace ondrix
