// Fuzz target of the sound file readers: the input is written as a file of every recognised kind in
// turn, recognised, read to its end frame by frame, reported on and repaired. The formats tests replay
// its corpus: one small seed of each layout the readers know, and every finding kept.
#include "files/SoundFileFormat.h"
#include "files/SoundFileReader.h"
#include "files/WavHeaderTools.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace ondrix;

// A folder of our own for the files, removed at exit (the name outlives every static destructor).
const std::string& WorkFolder() {
    static const std::string& folder = *new std::string([] {
        std::string pattern = (std::filesystem::temp_directory_path() / "formats-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        std::atexit([] {
            std::error_code error;
            std::filesystem::remove_all(WorkFolder(), error);
        });
        return pattern;
    }());
    return folder;
}

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

void ReadEveryFrame(const std::string& path, const SoundFileInfo& info, const FileFormatSettings& settings) {
    SoundFileReader reader;
    if (!reader.Open(path, info, settings)) {
        return;
    }
    std::vector<int16_t> page(static_cast<size_t>(info.channels) * 61);
    int64_t position = info.headerSize;
    int64_t total = 0;
    for (;;) {
        const int64_t frames = reader.Read(position, page);
        Check(frames >= -1 && frames <= 61, "frames within the page");
        if (frames <= 0) {
            break;
        }
        Check(reader.NextPosition() > position, "the position moves on");
        position = reader.NextPosition();
        total += frames;
    }
    if (info.type != kFileEars) {
        Check(total * info.frameAlign <= info.dataEnd - info.headerSize, "no frame beyond the data");
    } else {
        Check(total * 2 <= info.dataEnd, "no EARS sample beyond the file");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FileFormatSettings settings;
    settings.headerSkip = size > 0 ? data[0] : 0; // an odd skip misaligns the EXT samples on purpose
    for (const char* extension : {"wav", "m48", "s08", "dap", "bin", "raw", "ext", "kay", "001", "xyz"}) {
        const std::string path = WorkFolder() + "/input." + extension;
        // A fresh copy of the input for each kind: recognition may repair a header in place.
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(data), std::streamsize(size));
        const SoundFileInfo info = DetectFileType(path, settings);
        const auto length = static_cast<int64_t>(std::filesystem::file_size(path));
        Check(length == static_cast<int64_t>(size), "recognition keeps the length");
        if (info.type != kFileUnsupported) {
            Check(info.message.empty(), "no message with a type");
            Check(info.channels >= 1 && info.sampleRate >= 1, "channels and rate");
            // Files libsndfile decodes are addressed as 16-bit frames, whatever their stored size.
            Check((info.dataEnd <= length || info.type == kFileOtherFormat) && info.headerSize >= 0,
                  "data within the file");
            ReadEveryFrame(path, info, settings);
        } else {
            Check(!info.message.empty(), "a message without a type");
        }
        (void)WavHeaderReport(path);
        (void)RepairWavHeader(path);
        Check(std::filesystem::file_size(path) == size, "repair keeps the length");
        std::filesystem::remove(path);
    }
    return 0;
}
