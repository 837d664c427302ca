// Recognition, reading and header repair of every sound file type, on real files in a temporary folder.
#include "files/SoundFileFormat.h"
#include "files/SoundFileReader.h"
#include "files/WavHeaderCommands.h"
#include "files/WavHeaderTools.h"
#include "settings/MenuModel.h"

#include "TempFolder.h"
#include "support/ScriptedInteraction.h"
#include "support/SoundFileBytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <limits>
#include <tuple>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace ondrix {
namespace {

// Little-endian 16-, 32- or 64-bit values (integers or floats), as the host stores them.
template <typename T> Bytes Le(std::initializer_list<T> values) {
    Bytes b;
    for (const T v : values) {
        uint8_t raw[sizeof(T)];
        std::memcpy(raw, &v, sizeof(T));
        b.insert(b.end(), raw, raw + sizeof(T));
    }
    return b;
}

// A piece of a file: text as it is, a number as a 32-bit little-endian value, or bytes.
struct Piece {
    Piece(const char* text) : bytes(text, text + std::strlen(text)) {}
    Piece(uint32_t v) { PutLe(bytes, v); }
    Piece(Bytes b) : bytes(std::move(b)) {}
    Bytes bytes;
};

Bytes Cat(std::initializer_list<Piece> pieces) {
    Bytes b;
    for (const Piece& piece : pieces) {
        b.insert(b.end(), piece.bytes.begin(), piece.bytes.end());
    }
    return b;
}

// A canonical WAV with the given fmt chunk and samples, and any chunks `before` the data chunk.
Bytes Wav(uint32_t fmtSize, uint32_t tag, uint32_t channels, uint32_t rate, uint32_t bits, const Bytes& data,
          const Bytes& before = {}) {
    return Cat({"RIFF", static_cast<uint32_t>(4 + 8 + fmtSize + before.size() + 8 + data.size()), "WAVEfmt ",
                fmtSize, tag | channels << 16, rate, rate * channels * bits / 8,
                channels * bits / 8 | bits << 16, Bytes(fmtSize - 16, 0), before, "data",
                static_cast<uint32_t>(data.size()), data});
}

// A 256-byte ASCII header with the rate and count fields.
Bytes DapFile(const char* rate, const char* count, size_t dataBytes) {
    Bytes b(256, ' ');
    std::memcpy(b.data() + 18, rate, std::strlen(rate));
    std::memcpy(b.data() + 26, count, std::strlen(count));
    b.resize(256 + dataBytes, 0);
    return b;
}

// bext (odd size, padded), fmt (stereo 16-bit, 8000/s), LIST with a "data" inside, data of three frames
// from byte 72 and a trailing chunk, 92 bytes; the sizes default to the recorder's placeholders.
Bytes ChunkedWav(uint32_t riff = 0xFFFFFFF8u, uint32_t data = 0xFFFFFFD4u) {
    const Bytes fmt = Wav(16, 1, 2, 8000, 16, {});
    return Cat({"RIFF", riff, "WAVEbext", 3u, "abc", Bytes{0}, Bytes(fmt.begin() + 12, fmt.begin() + 36),
                "LIST", 8u, "INFOdatadata", data, Le<int16_t>({10, -10, 20, -20, 30, -30}), "id3 ", 0u});
}

std::vector<int16_t> ReadAll(const std::string& path, const SoundFileInfo& info,
                             const FileFormatSettings& settings = {}) {
    SoundFileReader reader;
    EXPECT_TRUE(reader.Open(path, info, settings)) << reader.Error();
    std::vector<int16_t> all;
    std::vector<int16_t> page(static_cast<size_t>(3 * info.channels));
    for (int64_t pos = info.headerSize;; pos = reader.NextPosition()) {
        const int64_t n = reader.Read(pos, page);
        EXPECT_GE(n, 0) << reader.Error();
        if (n <= 0) {
            return all;
        }
        all.insert(all.end(), page.begin(), page.begin() + n * info.channels);
    }
}

// The frames read from `pos` into a page of `frames` frames (nothing on an error).
std::vector<int16_t> ReadAt(SoundFileReader& reader, int64_t pos, size_t frames, int channels) {
    std::vector<int16_t> page(frames * static_cast<size_t>(channels));
    page.resize(static_cast<size_t>(std::max<int64_t>(0, reader.Read(pos, page)) * channels));
    return page;
}

class FormatsTest : public ::testing::Test {
protected:
    std::string Make(const std::string& name, const Bytes& bytes) {
        WriteBytes(folder.Path() + name, bytes);
        return folder.Path() + name;
    }
    TempFolder folder;
    FileFormatSettings settings;
};

// Every type code with its header size, channels, rate and sizes: a wrong code or offset misreads a file.
TEST_F(FormatsTest, EveryTypeCodeWithItsHeaderChannelsRateAndSize) {
    settings.rawSampleRate = 8000;
    settings.headerSkip = 10;
    const Bytes kay = Cat({Bytes(120, 0), Le<int16_t>({3, 25}), Bytes(396, 0)}); // exponent 3, mantissa 25
    Bytes extensible = Wav(40, 0xFFFE, 1, 8000, 32, Le<float>({0.25f}));
    extensible[20 + 24] = 3; // subformat: IEEE float
    const Bytes pcm = Le<int16_t>({1, 2, 3, 4});
    const struct {
        std::string name;
        Bytes bytes;
        int64_t type, header, channels, rate, size;
    } cases[] = {
        {"a.wav", Wav(16, 1, 2, 44100, 16, pcm), kFileWav16, 44, 2, 44100, 36 + 8},
        {"b.WAV", Wav(16, 1, 1, 48000, 32, pcm), kFileWav32Int, 44, 1, 48000, 36 + 8},
        {"c.wav", Wav(16, 3, 1, 48000, 32, pcm), kFileWav32Float, 44, 1, 48000, 36 + 8},
        {"d.wav", Wav(18, 3, 1, 22050, 32, pcm), kFileWav32Float18, 46, 1, 22050, 38 + 8},
        {"five.wav", Wav(16, 1, 5, 8000, 16, Le<int16_t>({1, 2, 3, 4, 5})), kFileWav16, 44, 5, 8000, 36 + 10},
        {"ext.wav", extensible, kFileWav32Float, 68, 1, 8000, 60 + 4},
        {"e.m08", DapFile("8000", "4", 8), kFileMxx, 256, 1, 8000, 8},
        {"e.M48", DapFile("48000", "4", 8), kFileMxx, 256, 1, 48000, 8},
        {"f.s22", DapFile("22050", "4", 8), kFileSxx, 256, 1, 8000, 8},
        {"g.dap", DapFile(" 11025", "4", 8), kFileDap, 256, 1, 11025, 8},
        {"h.bin", pcm, kFileRaw16, 0, 1, 8000, 8},
        {"h.raw", pcm, kFileRaw16, 0, 1, 8000, 8},
        {"i.ext", Bytes(18, 0), kFileExt32, 10, 1, 8000, 18},
        {"j.kay", kay, kFileKay, 512, 1, 25000, 520},
        {"k.001", Bytes(512, 0), kFileEars, 0, 1, 25000, 512},
        {"k.004", Bytes(512, 0), kFileEars, 0, 1, 25000, 512},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SoundFileInfo i = DetectFileType(Make(c.name, c.bytes), settings);
        EXPECT_EQ(i.message, "");
        // type, header size, channels, rate, size, end of the data, repaired
        EXPECT_EQ(std::tuple(i.type, i.headerSize, i.channels, i.sampleRate, i.size, i.dataEnd, i.repaired),
                  std::tuple(c.type, c.header, c.channels, c.rate, c.size, c.bytes.size(), false));
    }
    EXPECT_EQ(DetectFileType(folder.Path() + "five.wav", settings).frameAlign, 10);
    EXPECT_EQ(ReadAll(folder.Path() + "ext.wav", DetectFileType(folder.Path() + "ext.wav", settings)),
              std::vector<int16_t>{8192});
    const std::string unknown = Make("notes.xyz", pcm);
    const SoundFileInfo refused = DetectFileType(unknown, settings);
    EXPECT_EQ(std::tuple(refused.type, refused.message),
              std::tuple(kFileUnsupported, "Unknown File Extension (" + unknown + " > XYZ)"));
}

// An M file too long for its count field gets the count in thousands, in place, and only then.
TEST_F(FormatsTest, LargeMFileGetsItsCountFieldRewrittenInThousands) {
    const std::string path = Make("big.m48", DapFile("48000", "100000", 2000000));
    EXPECT_EQ(DetectFileType(path, settings, HeaderRepair::ReadOnly).type, kFileMxx);
    EXPECT_EQ(ReadDapHeader(path, HeaderRepair::ReadOnly)->countText, "100000"); // read-only: untouched
    const SoundFileInfo info = DetectFileType(path, settings);
    EXPECT_EQ(std::tuple(info.type, (info.dataEnd - info.headerSize) / 2, info.size),
              std::tuple(kFileMxx, 1000000, 2000000));
    const Bytes bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), 2000256u);
    EXPECT_EQ(std::string(bytes.begin() + 18, bytes.begin() + 33), "48000   976k   "); // next field untouched
    // A small file and a field already in thousands stay as they are.
    EXPECT_EQ(ReadDapHeader(Make("small.dap", DapFile("8000", "12", 200)))->countText, "12    ");
    EXPECT_FALSE(ReadDapHeader(path)->countRewritten);
}

// EARS records: 12 header bytes are never samples, values are big-endian, positions are record bytes.
TEST_F(FormatsTest, EarsRecordsSkipTheirHeadersAndReadBigEndian) {
    Bytes file;
    for (int record = 0; record < 2; ++record) {
        file.resize(file.size() + 12, 0x7F); // record header
        for (int i = 0; i < 250; ++i) {
            const auto v = static_cast<uint16_t>(record * 1000 + i);
            file.insert(file.end(), {static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)});
        }
    }
    file[12] = 0xFF;
    file[13] = 0xFE;
    file.resize(file.size() + 15, 0x01); // a partial third record: its header, a sample and a half
    const std::string path = Make("ears.002", file);
    const SoundFileInfo info = DetectFileType(path, settings);
    ASSERT_EQ(info.type, kFileEars);
    const std::vector<int16_t> all = ReadAll(path, info);
    ASSERT_EQ(all.size(), 501u);
    EXPECT_EQ((std::vector<int16_t>{all[0], all[1], all[249], all[250], all[499], all[500]}),
              (std::vector<int16_t>{-2, 1, 249, 1000, 1249, 0x0101}));
    // A position inside a record header starts at the record's first sample; one inside the data
    // is a byte offset.
    SoundFileReader reader;
    ASSERT_TRUE(reader.Open(path, info, settings));
    EXPECT_EQ(ReadAt(reader, 512 + 3, 2, 1), (std::vector<int16_t>{1000, 1001}));
    EXPECT_EQ(ReadAt(reader, 510, 2, 1), (std::vector<int16_t>{249, 1000}));
    EXPECT_EQ(reader.NextPosition(), 512 + 14);
}

// 32-bit floats and integers become 16-bit values rounded half to even and clipped; NaN is silence.
TEST_F(FormatsTest, ThirtyTwoBitSamplesScaleRoundHalfEvenAndClip) {
    const Bytes floats = Le<float>({0.5f, -1.0f, 2.0f, -2.0f, std::numeric_limits<float>::quiet_NaN(),
                                    std::numeric_limits<float>::infinity(), -0.5f});
    for (const uint32_t fmt : {16u, 18u}) {
        const std::string path = Make("f.wav", Wav(fmt, 3, 1, 8000, 32, floats));
        EXPECT_EQ(ReadAll(path, DetectFileType(path, settings), settings),
                  (std::vector<int16_t>{16384, -32767, 32767, -32768, 0, 32767, -16384}));
    }
    const std::string ints =
        Make("i.wav", Wav(16, 1, 1, 8000, 32,
                          Le<int32_t>({3 * 65536, 98304, 163840, -98304, std::numeric_limits<int32_t>::max(),
                                       std::numeric_limits<int32_t>::min()})));
    EXPECT_EQ(ReadAll(ints, DetectFileType(ints, settings), settings),
              (std::vector<int16_t>{3, 2, 2, -2, 32767, -32768}));
    // EXT: the header skip, then 32-bit integers; a scale of 1 clips.
    Bytes ext(6, 0xAA);
    const Bytes values = Le<int32_t>({100000, -100000, 7});
    ext.insert(ext.end(), values.begin(), values.end());
    settings.headerSkip = 6;
    settings.scale32 = 1;
    const std::string e = Make("x.ext", ext);
    EXPECT_EQ(ReadAll(e, DetectFileType(e, settings), settings), (std::vector<int16_t>{32767, -32768, 7}));
}

// WAV encodings the built-in rules refuse are decoded by libsndfile and converted by the 32-bit rules (a
// 16-bit sample v as the integer v x 65536); their positions are those of 16-bit frames from byte 0.
TEST_F(FormatsTest, OtherWavEncodingsReadThroughTheLibraryAsSixteenBitFrames) {
    // 1000.5 and 1001.5 round half to even; 32767.996 clips.
    const Bytes pcm24 = {0x80, 0xE8, 0x03, 0x00, 0xFB, 0xFF, 0x80, 0xE9, 0x03, 0xFF, 0xFF, 0x7F};
    const Bytes pcm8 = Wav(16, 1, 1, 8000, 8, Bytes{129, 0, 255});
    const Bytes doubles = Wav(16, 3, 1, 8000, 64, Le<double>({0.5, -1.0, 2.0, -0.25}));
    const struct {
        std::string name;
        Bytes bytes;
        int channels;
        int32_t scale32;
        std::vector<int16_t> expected;
    } cases[] = {
        {"pcm24.wav", Wav(16, 1, 2, 8000, 24, pcm24), 2, 65536, {1000, -5, 1002, 32767}},
        {"pcm8.wav", pcm8, 1, 65536, {256, -32768, 32512}},
        {"pcm8scaled.wav", pcm8, 1, 32768, {512, -32768, 32767}},
        {"double.wav", doubles, 1, 65536, {16384, -32767, 32767, -8192}},
        {"mulaw.wav", Wav(16, 7, 1, 8000, 8, Bytes{0xFF, 0x80, 0x00}), 1, 65536, {0, 32124, -32124}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        settings.scale32 = c.scale32;
        const std::string path = Make(c.name, c.bytes);
        const SoundFileInfo info = DetectFileType(path, settings);
        const auto bytes = static_cast<int64_t>(c.expected.size()) * 2;
        EXPECT_EQ(std::tuple(info.type, info.headerSize, info.channels, info.dataEnd, info.frameAlign),
                  std::tuple(kFileOtherFormat, 0, c.channels, bytes, 2 * c.channels));
        EXPECT_EQ(ReadAll(path, info, settings), c.expected);
        // Back and forth: a position inside the last frame reads it, then one inside the first.
        SoundFileReader reader;
        ASSERT_TRUE(reader.Open(path, info, settings));
        EXPECT_EQ(ReadAt(reader, bytes - 1, 2, c.channels),
                  std::vector<int16_t>(c.expected.end() - c.channels, c.expected.end()));
        EXPECT_EQ(reader.NextPosition(), bytes);
        EXPECT_EQ(ReadAt(reader, 1, 1, c.channels),
                  std::vector<int16_t>(c.expected.begin(), c.expected.begin() + c.channels));
    }
}

// Chunks before and after the data: true sizes read the data chunk alone with positions on frames;
// placeholder sizes are repaired by rewriting only the two sizes.
TEST_F(FormatsTest, WavWithChunksAroundTheDataIsReadAndRepairedInPlace) {
    const std::string path = Make("chunks.wav", ChunkedWav(84, 12));
    const SoundFileInfo info = DetectFileType(path, settings);
    EXPECT_EQ(std::tuple(info.type, info.repaired, info.headerSize, info.dataEnd, info.size),
              std::tuple(kFileWav16, false, 72, 72 + 12, 84));
    EXPECT_EQ(ReadAll(path, info), (std::vector<int16_t>{10, -10, 20, -20, 30, -30}));
    SoundFileReader reader;
    ASSERT_TRUE(reader.Open(path, info, settings));
    EXPECT_EQ(ReadAt(reader, 72 + 6, 1, 2), (std::vector<int16_t>{20, -20})); // mid-frame: aligned down
    EXPECT_EQ(ReadAt(reader, 0, 1, 2), (std::vector<int16_t>{10, -10}));      // before the data: the first
    EXPECT_EQ(ReadAt(reader, 72 + 12, 1, 2), std::vector<int16_t>{});
    const std::string broken = Make("broken.wav", ChunkedWav());
    ASSERT_TRUE(ReadWavHeader(broken));
    EXPECT_TRUE(WavHeaderNeedsRepair(*ReadWavHeader(broken)));
    EXPECT_EQ(ReadWavHeader(broken)->dataOffset, 72);
    const SoundFileInfo repaired = DetectFileType(broken, settings);
    EXPECT_EQ(std::tuple(repaired.repaired, repaired.headerSize), std::tuple(true, 72));
    EXPECT_EQ(ReadBytes(broken), ChunkedWav(84, 20));
    // The trailing chunk now counts as data (its size was unknown): whole frames only are read.
    EXPECT_EQ(ReadAll(broken, repaired).size(), 10u);
    ASSERT_TRUE(RepairWavHeader(broken)); // a healthy file stays byte for byte what it was
    EXPECT_EQ(ReadBytes(broken), ChunkedWav(84, 20));
}

// Bad input of every kind is refused with a message, never read as something else or crashed on.
TEST_F(FormatsTest, BadInputIsRefusedWithAMessage) {
    const Bytes one = Le<int16_t>({1});
    const Bytes header = Wav(16, 1, 1, 8000, 16, {});
    const std::pair<std::string, Bytes> bad[] = {
        {"empty.wav", {}},
        {"truncated.wav", Bytes(header.begin(), header.begin() + 30)},
        {"zero.wav", Wav(16, 1, 1, 0, 16, one)},
        {"huge.wav", Wav(16, 1, 1, 20000000, 16, one)},
        {"none.wav", Wav(16, 1, 0, 8000, 16, one)},
        {"short.m16", Bytes(100, ' ')},
        {"short.s16", Bytes(100, ' ')},
        {"rate.m16", DapFile("0", "1", 4)},
        {"short.kay", Bytes(300, 0)},
        {"zero.kay", Bytes(600, 0)},
        {"huge.kay", Cat({Bytes(120, 0), Le<int16_t>({32767, 1}), Bytes(476, 0)})},
        {"empty.bin", {}},
        {"corrupt.flac", Cat({"fLaC", Bytes(64, 0x55)})},
        {"empty.aiff", {}},
    };
    for (const auto& [name, bytes] : bad) {
        SCOPED_TRACE(name);
        const std::string path = Make(name, bytes);
        const SoundFileInfo info = DetectFileType(path, settings);
        EXPECT_EQ(info.type, kFileUnsupported);
        EXPECT_EQ(info.message.rfind("Not a sound file: " + path + " (", 0), 0u) << info.message;
    }
    EXPECT_EQ(DetectFileType(folder.Path() + "missing.wav", settings).type, kFileUnsupported);
    std::filesystem::create_directory(folder.Path() + "folder.wav");
    EXPECT_EQ(DetectFileType(folder.Path() + "folder.wav", settings).message,
              "Not a sound file: " + folder.Path() + "folder.wav (a folder)");
    // A sample format neither the built-in rules nor libsndfile know keeps the rules' verdict.
    const std::string odd = Make("odd.wav", Wav(16, 0x1234, 1, 8000, 12, Bytes(6, 0)));
    EXPECT_EQ(std::tuple(DetectFileType(odd, settings).type, DetectFileType(odd, settings).message),
              std::tuple(kFileUnsupported, "Unknown file type"));
    // A 32-bit file whose fmt size is no fmt size: its code must not pass for another type.
    Bytes noFmt = Wav(16, 0, 1, 8000, 32, Bytes(8, 0));
    SetLe32(noFmt, 16, 0);
    EXPECT_EQ(DetectFileType(Make("nofmt.wav", noFmt), settings).type, kFileUnsupported);
    // A raw file with an unusable rate setting, and a header skip beyond the file.
    settings.rawSampleRate = 0;
    EXPECT_EQ(DetectFileType(Make("r.raw", Bytes(4, 0)), settings).type, kFileUnsupported);
    settings.rawSampleRate = 8000;
    settings.headerSkip = 100;
    EXPECT_EQ(DetectFileType(Make("r.ext", Bytes(4, 0)), settings).type, kFileUnsupported);
    // The reader refuses types it cannot decode and an inconsistent layout.
    SoundFileReader reader;
    SoundFileInfo layout;
    layout.type = 181;
    layout.channels = 1;
    EXPECT_FALSE(reader.Open(Make("u.wav", Bytes(50, 0)), layout, settings));
    EXPECT_EQ(reader.Error(), "Unknown file type");
    layout.type = kFileWav32Float;
    layout.channels = 2;
    layout.frameAlign = 4;
    EXPECT_FALSE(reader.Open(folder.Path() + "u.wav", layout, settings));
    // A read that fails returns -1 and says why.
    SoundFileInfo raw = DetectFileType(Make("ok.raw", Bytes(8, 0)), settings);
    ASSERT_TRUE(reader.Open(folder.Path() + "folder.wav", raw, settings));
    std::vector<int16_t> page(4);
    EXPECT_EQ(reader.Read(0, page), -1);
    EXPECT_EQ(reader.Error().rfind("Read error", 0), 0u) << reader.Error();
    // A library-read file cut short after recognition: the read fails instead of ending early.
    const std::string cut = Make("cut.wav", Wav(16, 1, 1, 8000, 24, Bytes(30, 0)));
    const SoundFileInfo whole = DetectFileType(cut, settings);
    std::filesystem::resize_file(cut, 44 + 15);
    ASSERT_TRUE(reader.Open(cut, whole, settings));
    std::vector<int16_t> all(10);
    EXPECT_EQ(reader.Read(0, all), -1);
    EXPECT_EQ(reader.Error(), "Read error: the data ends before its stated length");
}

// Damaged sizes in every WAV layout: read-only recognition writes nothing, recognition and "Fix wav
// header" give back the good file byte for byte, and the samples keep their meaning.
TEST_F(FormatsTest, DamagedSizesAreRepairedWithoutChangingWhatTheSamplesMean) {
    const Bytes floats = Le<float>({0.25f, -0.5f, 0.125f, 1.0f});
    const Bytes ints = Le<int16_t>({0, 37, 74, 111, 148, 185, 222, 259});
    const struct {
        const char* name;
        Bytes good;
        int32_t type;
    } layouts[] = {
        {"pcm16", Wav(16, 1, 2, 8000, 16, ints), kFileWav16},
        {"float", Wav(16, 3, 1, 8000, 32, floats), kFileWav32Float},
        {"int32", Wav(16, 1, 1, 8000, 32, ints), kFileWav32Int},
        {"float18", Wav(18, 3, 1, 8000, 32, floats), kFileWav32Float18},
        {"fact+PEAK", Wav(16, 3, 1, 8000, 32, floats, Cat({"fact", 4u, 4u, "PEAK", 16u, Bytes(16, 1)})),
         kFileWav32Float},
    };
    const struct {
        const char* name;
        uint32_t riff, data;
        bool pastEnd; // the two values are added to the good sizes
    } damages[] = {
        {"placeholders", 0xFFFFFFF8u, 0xFFFFFFD4u, false},
        {"zero", 0, 0, false},
        {"empty recording", 36, 0, false},
        {"past the end", 1000, 1000, true},
        {"data past the end", 0, 1000, true},
    };
    for (const auto& layout : layouts) {
        const std::string goodPath = Make("good.wav", layout.good);
        const auto good = ReadWavHeader(goodPath);
        ASSERT_TRUE(good);
        const std::vector<int16_t> samples = ReadAll(goodPath, DetectFileType(goodPath, settings), settings);
        for (const auto& damage : damages) {
            SCOPED_TRACE(std::string(layout.name) + ", " + damage.name);
            Bytes broken = layout.good;
            SetLe32(broken, 4, damage.riff + (damage.pastEnd ? good->riffSize : 0));
            SetLe32(broken, static_cast<size_t>(good->sizeFieldOffset),
                    damage.data + (damage.pastEnd ? good->dataSize : 0));
            const std::string path = Make(std::string(layout.name) + ".wav", broken);
            const SoundFileInfo readOnly = DetectFileType(path, settings, HeaderRepair::ReadOnly);
            EXPECT_TRUE(ReadBytes(path) == broken && !readOnly.repaired);
            const SoundFileInfo info = DetectFileType(path, settings);
            EXPECT_TRUE(ReadBytes(path) == layout.good && info.repaired);
            EXPECT_FALSE(WavHeaderNeedsRepair(*ReadWavHeader(path)));
            EXPECT_EQ(ReadAll(path, info, settings), samples);
            Make(std::string(layout.name) + ".wav", broken);
            EXPECT_TRUE(RepairWavHeader(path));
            EXPECT_EQ(ReadBytes(path), layout.good);
            for (const SoundFileInfo& i : {readOnly, info}) { // type, header size, size, end of the data
                EXPECT_EQ(std::tuple(i.type, i.headerSize, i.size, i.dataEnd),
                          std::tuple(layout.type, good->dataOffset, good->riffSize, layout.good.size()));
            }
        }
    }
    // A valid file above 2 GiB (sparse) is left as it is.
    for (const auto& layout : {layouts[0], layouts[1]}) {
        SCOPED_TRACE(layout.name);
        const int64_t length = (int64_t{3} << 30) + 44;
        Bytes header(layout.good.begin(), layout.good.begin() + 44);
        SetLe32(header, 4, static_cast<uint32_t>(length - 8));
        SetLe32(header, 40, static_cast<uint32_t>(length - 44));
        const std::string path = Make("big.wav", header);
        std::filesystem::resize_file(path, static_cast<uintmax_t>(length));
        const SoundFileInfo info = DetectFileType(path, settings);
        EXPECT_EQ(std::tuple(info.repaired, info.dataEnd), std::tuple(false, length));
        Bytes now(44);
        std::ifstream(path, std::ios::binary).read(reinterpret_cast<char*>(now.data()), 44);
        EXPECT_EQ(now, header);
        std::filesystem::remove(path);
    }
}

// The repair leaves alone what is not a RIFF WAVE file (text, an AVI, a missing file), and says why.
TEST_F(FormatsTest, RepairRefusesWhatIsNotAWavFile) {
    Bytes avi = Wav(16, 1, 1, 8000, 16, Le<int16_t>({1, 2}));
    std::memcpy(avi.data() + 8, "AVI ", 4);
    SetLe32(avi, 4, 0xFFFFFFF8u);
    for (const auto& [name, bytes] : {std::pair{"text.wav", Bytes(100, 'x')}, {"riff.wav", avi}, {"", {}}}) {
        const std::string path = *name ? Make(name, bytes) : folder.Path() + "missing.wav";
        std::string error;
        EXPECT_FALSE(RepairWavHeader(path, &error));
        EXPECT_EQ(error, (*name ? "Not a WAV file: " : "Cannot read a WAV header from ") + path);
        EXPECT_EQ(ReadBytes(path), bytes);
    }
}

// "Check wav header" shows the fields byte-exact; "Fix wav header" repairs or says why it cannot.
TEST_F(FormatsTest, CheckAndFixWavHeaderCommands) {
    const std::string good = Make("good.wav", Wav(16, 1, 1, 8000, 16, Le<int16_t>({1, 2, 3, 4})));
    EXPECT_EQ(WavHeaderReport(good),
              "File " + good +
                  "\r\nSignature RIFF\r\nFilesize  44\r\nFormat WAVEfmt \r\n         16"
                  "\r\nMode  1\r\nChannels  1\r\nSample rate  8000\r\nBytes x sec  16000"
                  "\r\nBytes x sample  2\r\nBits x sample  16\r\nData start data"
                  "\r\nData size  8");
    const std::string broken = folder.Path() + "broken.wav";
    WriteWav16(broken, 1, 8000, std::vector<int16_t>(5), false);
    const std::string text = Make("text.wav", Bytes(60, 'x'));
    MenuModel menu;
    ScriptedInteraction ui;
    AttachWavHeaderCommands(menu, ui, [this] { return folder.Path(); });
    ui.textAnswers = {good, broken, text, std::nullopt};
    for (const char* command : {"CheckWavHeader", "mnuFixWavHeader", "mnuFixWavHeader", "CheckWavHeader"}) {
        EXPECT_TRUE(menu.Trigger(command)); // the last one cancelled: nothing shown
    }
    ASSERT_EQ(ui.dialogs.size(), 4u);
    EXPECT_EQ(ui.dialogs[0].folder, folder.Path());
    EXPECT_EQ(ui.Texts(),
              (std::vector<std::string>{WavHeaderReport(good), WavHeaderReport(broken),
                                        "The wav header could not be fixed: Not a WAV file: " + text}));
    EXPECT_NE(ui.messages.at(1).text.find("Data size  10"), std::string::npos);
    EXPECT_EQ(ui.messages.at(2).icon, MessageIcon::Exclamation);
}

// The fuzz corpus replayed, seeds and every finding kept: an input that breaks an invariant aborts.
TEST(FormatsFuzz, CorpusReplaysWithoutBreakingAnInvariant) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(FUZZ_CORPUS)) {
        const Bytes bytes = ReadBytes(entry.path());
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
        ++files;
    }
    EXPECT_GE(files, 13);
}

} // namespace
} // namespace ondrix
