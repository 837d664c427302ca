// Recognition and reading of every sound file type, on real files in a temporary folder.
#include "files/SoundFileFormat.h"
#include "files/SoundFileReader.h"
#include "files/WavHeaderCommands.h"
#include "files/WavHeaderTools.h"
#include "recording/WavHeader.h"
#include "settings/MenuModel.h"

#include "TempFolder.h"
#include "support/ScriptedInteraction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <vector>

namespace ondrix {
namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, uint16_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
}

void Set32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
    }
}

void PutText(Bytes& b, const char* text) {
    b.insert(b.end(), text, text + std::strlen(text));
}

void PutFloat(Bytes& b, float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    Put32(b, v);
}

void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A canonical WAV with the given fmt chunk and samples.
Bytes Wav(uint32_t fmtSize, uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits,
          const Bytes& data) {
    Bytes b;
    PutText(b, "RIFF");
    Put32(b, static_cast<uint32_t>(4 + 8 + fmtSize + 8 + data.size()));
    PutText(b, "WAVEfmt ");
    Put32(b, fmtSize);
    Put16(b, tag);
    Put16(b, channels);
    Put32(b, rate);
    Put32(b, rate * channels * bits / 8);
    Put16(b, static_cast<uint16_t>(channels * bits / 8));
    Put16(b, bits);
    for (uint32_t i = 16; i < fmtSize; ++i) {
        b.push_back(0);
    }
    PutText(b, "data");
    Put32(b, static_cast<uint32_t>(data.size()));
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

Bytes Samples16(std::initializer_list<int16_t> values) {
    Bytes b;
    for (int16_t v : values) {
        Put16(b, static_cast<uint16_t>(v));
    }
    return b;
}

// A 256-byte ASCII header with the rate and count fields.
Bytes DapFile(const char* rate, const char* count, size_t dataBytes) {
    Bytes b(256, ' ');
    std::memcpy(b.data() + 18, rate, std::strlen(rate));
    std::memcpy(b.data() + 26, count, std::strlen(count));
    b.resize(256 + dataBytes, 0);
    return b;
}

// bext (odd size, padded), fmt (stereo 16-bit, 8000/s), LIST with a "data" inside, data of three
// frames and a trailing chunk; both sizes hold the recorder's placeholders.
Bytes ChunkedWav(int64_t* dataOffset) {
    Bytes b;
    PutText(b, "RIFF");
    Put32(b, 0xFFFFFFF8u);
    PutText(b, "WAVE");
    PutText(b, "bext");
    Put32(b, 3);
    PutText(b, "abc");
    b.push_back(0);
    PutText(b, "fmt ");
    Put32(b, 16);
    Put16(b, 1);
    Put16(b, 2);
    Put32(b, 8000);
    Put32(b, 32000);
    Put16(b, 4);
    Put16(b, 16);
    PutText(b, "LIST");
    Put32(b, 8);
    PutText(b, "INFOdata");
    PutText(b, "data");
    Put32(b, 0xFFFFFFD4u);
    *dataOffset = static_cast<int64_t>(b.size());
    const Bytes samples = Samples16({10, -10, 20, -20, 30, -30});
    b.insert(b.end(), samples.begin(), samples.end());
    PutText(b, "id3 ");
    Put32(b, 0);
    return b;
}

std::vector<int16_t> ReadAll(const std::string& path, const SoundFileInfo& info,
                             const FileFormatSettings& settings = {}) {
    SoundFileReader reader;
    EXPECT_TRUE(reader.Open(path, info, settings)) << reader.Error();
    std::vector<int16_t> all;
    std::vector<int16_t> page(static_cast<size_t>(3 * info.channels));
    int64_t pos = info.headerSize;
    for (;;) {
        const int64_t n = reader.Read(pos, page);
        EXPECT_GE(n, 0) << reader.Error();
        if (n <= 0) {
            break;
        }
        all.insert(all.end(), page.begin(), page.begin() + n * info.channels);
        pos = reader.NextPosition();
    }
    return all;
}

class FormatsTest : public ::testing::Test {
protected:
    std::string Make(const std::string& name, const Bytes& bytes) {
        const std::string path = folder.Path() + name;
        WriteFile(path, bytes);
        return path;
    }
    TempFolder folder;
    FileFormatSettings settings;
};

TEST_F(FormatsTest, EveryTypeCodeWithItsHeaderChannelsRateAndSize) {
    settings.rawSampleRate = 8000;
    settings.headerSkip = 10;
    Bytes kay(512 + 8, 0);
    kay[120] = 3;  // exponent 3
    kay[122] = 25; // mantissa 25
    struct Case {
        std::string name;
        Bytes bytes;
        int32_t type;
        int64_t header;
        int channels;
        int32_t rate;
        int64_t size;
    };
    const Bytes pcm = Samples16({1, 2, 3, 4});
    const std::vector<Case> cases = {
        {"a.wav", Wav(16, 1, 2, 44100, 16, pcm), kFileWav16, 44, 2, 44100, 36 + 8},
        {"b.WAV", Wav(16, 1, 1, 48000, 32, pcm), kFileWav32Int, 44, 1, 48000, 36 + 8},
        {"c.wav", Wav(16, 3, 1, 48000, 32, pcm), kFileWav32Float, 44, 1, 48000, 36 + 8},
        {"d.wav", Wav(18, 3, 1, 22050, 32, pcm), kFileWav32Float18, 46, 1, 22050, 38 + 8},
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
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SoundFileInfo info = DetectFileType(Make(c.name, c.bytes), settings);
        EXPECT_EQ(info.message, "");
        EXPECT_EQ(info.type, c.type);
        EXPECT_EQ(info.headerSize, c.header);
        EXPECT_EQ(info.channels, c.channels);
        EXPECT_EQ(info.sampleRate, c.rate);
        EXPECT_EQ(info.size, c.size);
        EXPECT_EQ(info.dataEnd, static_cast<int64_t>(c.bytes.size()));
        EXPECT_FALSE(info.repaired);
    }
    const std::string unknown = Make("notes.xyz", pcm);
    const SoundFileInfo info = DetectFileType(unknown, settings);
    EXPECT_EQ(info.type, kFileUnsupported);
    EXPECT_EQ(info.message, "Unknown File Extension (" + unknown + " > XYZ)");
}

TEST_F(FormatsTest, LargeMFileGetsItsCountFieldRewrittenInThousands) {
    const std::string path = Make("big.m48", DapFile("48000", "100000", 2000000));
    EXPECT_EQ(DetectFileType(path, settings, HeaderRepair::ReadOnly).type, kFileMxx);
    EXPECT_EQ(ReadDapHeader(path, HeaderRepair::ReadOnly)->countText, "100000"); // read-only: untouched
    const SoundFileInfo info = DetectFileType(path, settings);
    ASSERT_EQ(info.type, kFileMxx);
    EXPECT_EQ((info.dataEnd - info.headerSize) / 2, 1000000);
    EXPECT_EQ(info.size, 2000000);
    std::ifstream in(path, std::ios::binary);
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 2000256u);
    EXPECT_EQ(std::string(bytes.begin() + 18, bytes.begin() + 32), "48000 " + std::string(2, ' ') + "976k  ");
    EXPECT_EQ(bytes[32], ' '); // the next field is untouched

    // A small file and a field already in thousands stay as they are.
    const std::string small = Make("small.dap", DapFile("8000", "12", 200));
    EXPECT_EQ(ReadDapHeader(small)->countText, "12    ");
    EXPECT_FALSE(ReadDapHeader(path)->countRewritten);
}

TEST_F(FormatsTest, EarsRecordsSkipTheirHeadersAndReadBigEndian) {
    Bytes file;
    for (int record = 0; record < 2; ++record) {
        for (int i = 0; i < 12; ++i) {
            file.push_back(0x7F); // record header: never a sample
        }
        for (int i = 0; i < 250; ++i) {
            const int16_t v = static_cast<int16_t>(record * 1000 + i);
            file.push_back(static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8));
            file.push_back(static_cast<uint8_t>(v));
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
    EXPECT_EQ(all[0], -2);
    EXPECT_EQ(all[1], 1);
    EXPECT_EQ(all[249], 249);
    EXPECT_EQ(all[250], 1000);
    EXPECT_EQ(all[499], 1249);
    EXPECT_EQ(all[500], 0x0101);

    // A position inside a record header starts at the record's first sample; one inside the data
    // is a byte offset.
    SoundFileReader reader;
    ASSERT_TRUE(reader.Open(path, info, settings));
    std::vector<int16_t> two(2);
    EXPECT_EQ(reader.Read(512 + 3, two), 2);
    EXPECT_EQ(two[0], 1000);
    EXPECT_EQ(reader.Read(510, two), 2);
    EXPECT_EQ(two[0], 249);
    EXPECT_EQ(two[1], 1000);
    EXPECT_EQ(reader.NextPosition(), 512 + 14);
}

TEST_F(FormatsTest, ThirtyTwoBitSamplesScaleRoundHalfEvenAndClip) {
    Bytes floats;
    for (float f : {0.5f, -1.0f, 2.0f, -2.0f, std::numeric_limits<float>::quiet_NaN(),
                    std::numeric_limits<float>::infinity(), -0.5f}) {
        PutFloat(floats, f);
    }
    const std::string f163 = Make("f.wav", Wav(16, 3, 1, 8000, 32, floats));
    const std::string f183 = Make("g.wav", Wav(18, 3, 1, 8000, 32, floats));
    for (const std::string& path : {f163, f183}) {
        const std::vector<int16_t> got = ReadAll(path, DetectFileType(path, settings), settings);
        EXPECT_EQ(got, (std::vector<int16_t>{16384, -32767, 32767, -32768, 0, 32767, -16384}));
    }

    Bytes ints;
    for (int32_t v : {3 * 65536, 98304, 163840, -98304, std::numeric_limits<int32_t>::max(),
                      std::numeric_limits<int32_t>::min()}) {
        Put32(ints, static_cast<uint32_t>(v));
    }
    const std::string i161 = Make("i.wav", Wav(16, 1, 1, 8000, 32, ints));
    EXPECT_EQ(ReadAll(i161, DetectFileType(i161, settings), settings),
              (std::vector<int16_t>{3, 2, 2, -2, 32767, -32768}));

    // EXT: the header skip, then 32-bit integers; a scale of 1 clips.
    Bytes ext(6, 0xAA);
    for (int32_t v : {100000, -100000, 7}) {
        Put32(ext, static_cast<uint32_t>(v));
    }
    settings.headerSkip = 6;
    settings.scale32 = 1;
    const std::string e = Make("x.ext", ext);
    EXPECT_EQ(ReadAll(e, DetectFileType(e, settings), settings), (std::vector<int16_t>{32767, -32768, 7}));
}

TEST_F(FormatsTest, WavWithChunksBeforeDataReadsTheRealDataAndAlignsPositions) {
    int64_t dataOffset = 0;
    Bytes b = ChunkedWav(&dataOffset);
    const auto riff = static_cast<uint32_t>(b.size() - 8);
    Set32(b, 4, riff);
    Set32(b, static_cast<size_t>(dataOffset - 4), 12);
    const std::string path = Make("chunks.wav", b);
    const SoundFileInfo info = DetectFileType(path, settings);
    ASSERT_EQ(info.type, kFileWav16);
    EXPECT_FALSE(info.repaired);
    EXPECT_EQ(info.headerSize, dataOffset);
    EXPECT_EQ(info.dataEnd, dataOffset + 12);
    EXPECT_EQ(info.size, riff);
    EXPECT_EQ(ReadAll(path, info), (std::vector<int16_t>{10, -10, 20, -20, 30, -30}));

    SoundFileReader reader;
    ASSERT_TRUE(reader.Open(path, info, settings));
    std::vector<int16_t> frame(2);
    EXPECT_EQ(reader.Read(dataOffset + 6, frame), 1); // mid-frame: aligned down to frame 1
    EXPECT_EQ(frame[0], 20);
    EXPECT_EQ(reader.Read(0, frame), 1); // before the data: the first frame
    EXPECT_EQ(frame[0], 10);
    EXPECT_EQ(reader.Read(dataOffset + 12, frame), 0);
}

TEST_F(FormatsTest, FiveChannelsAndExtensibleFormatsAreReported) {
    const std::string five = Make("five.wav", Wav(16, 1, 5, 8000, 16, Samples16({1, 2, 3, 4, 5})));
    const SoundFileInfo info = DetectFileType(five, settings);
    EXPECT_EQ(info.type, kFileWav16);
    EXPECT_EQ(info.channels, 5);
    EXPECT_EQ(info.frameAlign, 10);

    Bytes floats;
    PutFloat(floats, 0.25f);
    Bytes ext = Wav(40, 0xFFFE, 1, 8000, 32, floats);
    ext[20 + 24] = 3; // subformat: IEEE float
    const std::string path = Make("ext.wav", ext);
    const SoundFileInfo extInfo = DetectFileType(path, settings);
    EXPECT_EQ(extInfo.type, kFileWav32Float);
    EXPECT_EQ(extInfo.headerSize, 68);
    EXPECT_EQ(ReadAll(path, extInfo, settings), (std::vector<int16_t>{8192}));
}

TEST_F(FormatsTest, BadInputIsRefusedWithAMessage) {
    Bytes truncated = Wav(16, 1, 1, 8000, 16, {});
    truncated.resize(30);
    Bytes zeroRate = Wav(16, 1, 1, 0, 16, Samples16({1}));
    Bytes hugeRate = Wav(16, 1, 1, 20000000, 16, Samples16({1}));
    Bytes noChannels = Wav(16, 1, 0, 8000, 16, Samples16({1}));
    Bytes kayZero(600, 0);
    Bytes kayHuge(600, 0);
    kayHuge[120] = 0xFF;
    kayHuge[121] = 0x7F; // exponent 32767
    kayHuge[122] = 1;
    const std::vector<std::pair<std::string, Bytes>> bad = {
        {"empty.wav", {}},
        {"truncated.wav", truncated},
        {"zero.wav", zeroRate},
        {"huge.wav", hugeRate},
        {"none.wav", noChannels},
        {"short.m16", Bytes(100, ' ')},
        {"short.s16", Bytes(100, ' ')},
        {"rate.m16", DapFile("0", "1", 4)},
        {"short.kay", Bytes(300, 0)},
        {"zero.kay", kayZero},
        {"huge.kay", kayHuge},
        {"empty.bin", {}},
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

    // 24-bit samples are not misread as 32-bit ones.
    const std::string b24 = Make("b24.wav", Wav(16, 1, 1, 8000, 24, Bytes(6, 0)));
    EXPECT_EQ(DetectFileType(b24, settings).type, kFileUnsupported);
    EXPECT_EQ(DetectFileType(b24, settings).message, "Unknown file type");
    // A 32-bit file whose fmt size is no fmt size: its code must not pass for another type.
    Bytes noFmt = Wav(16, 0, 1, 8000, 32, Bytes(8, 0));
    Set32(noFmt, 16, 0);
    EXPECT_EQ(DetectFileType(Make("nofmt.wav", noFmt), settings).type, kFileUnsupported);

    // A raw file with an unusable rate setting, and a header skip beyond the file.
    settings.rawSampleRate = 0;
    EXPECT_EQ(DetectFileType(Make("r.raw", Bytes(4, 0)), settings).type, kFileUnsupported);
    settings.rawSampleRate = 8000;
    settings.headerSkip = 100;
    EXPECT_EQ(DetectFileType(Make("r.ext", Bytes(4, 0)), settings).type, kFileUnsupported);

    // The reader refuses types it cannot decode and an inconsistent layout.
    SoundFileReader reader;
    SoundFileInfo unknown;
    unknown.type = 181;
    unknown.channels = 1;
    EXPECT_FALSE(reader.Open(Make("u.wav", Bytes(50, 0)), unknown, settings));
    EXPECT_EQ(reader.Error(), "Unknown file type");
    SoundFileInfo narrow;
    narrow.type = kFileWav32Float;
    narrow.channels = 2;
    narrow.frameAlign = 4;
    EXPECT_FALSE(reader.Open(folder.Path() + "u.wav", narrow, settings));

    // A read that fails returns -1 and says why.
    SoundFileInfo raw = DetectFileType(Make("ok.raw", Bytes(8, 0)), settings);
    ASSERT_TRUE(reader.Open(folder.Path() + "folder.wav", raw, settings));
    std::vector<int16_t> page(4);
    EXPECT_EQ(reader.Read(0, page), -1);
    EXPECT_EQ(reader.Error().rfind("Read error", 0), 0u) << reader.Error();
}

TEST_F(FormatsTest, SizesPastTheEndAreClampedToTheFile) {
    // A float file keeps its format when its sizes are repaired, and is read up to its real end.
    Bytes b = Wav(16, 3, 1, 8000, 32, Bytes(8, 0));
    Set32(b, 40, 1000);
    const std::string path = Make("past.wav", b);
    const SoundFileInfo info = DetectFileType(path, settings);
    EXPECT_EQ(info.type, kFileWav32Float);
    EXPECT_TRUE(info.repaired);
    EXPECT_EQ(info.dataEnd, 52);
    EXPECT_EQ(ReadAll(path, info, settings).size(), 2u);
    std::ifstream in(path, std::ios::binary);
    Bytes now((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Set32(b, 4, 44); // only the two sizes changed
    Set32(b, 40, 8);
    EXPECT_EQ(now, b);
}

Bytes FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

Bytes Ramp(size_t count) {
    Bytes b;
    for (size_t i = 0; i < count; ++i) {
        Put16(b, static_cast<uint16_t>(i * 37));
    }
    return b;
}

TEST_F(FormatsTest, UnclosedRecordingIsRepairedByteForByteOnRecognition) {
    const auto placeholder = WavHeaderBytes(0, 2, 44100);
    Bytes file(placeholder.begin(), placeholder.end());
    const Bytes samples = Ramp(400);
    file.insert(file.end(), samples.begin(), samples.end());
    const std::string path = Make("crashed.wav", file);

    const SoundFileInfo info = DetectFileType(path, settings);
    ASSERT_EQ(info.type, kFileWav16);
    EXPECT_TRUE(info.repaired);
    const int64_t length = static_cast<int64_t>(file.size());
    EXPECT_EQ(info.size, length - 8);
    EXPECT_EQ(info.dataEnd, length);

    const auto header = WavHeaderBytes(static_cast<uint64_t>(length), 2, 44100);
    Bytes expected(header.begin(), header.end());
    expected.insert(expected.end(), samples.begin(), samples.end());
    const Bytes now = FileBytes(path);
    EXPECT_EQ(now, expected);
    const auto fields = ReadWavHeader(path);
    EXPECT_EQ(fields->riffSize, static_cast<uint32_t>(length - 8));
    EXPECT_EQ(fields->dataSize, static_cast<uint32_t>(length - 44));
    EXPECT_FALSE(WavHeaderNeedsRepair(*fields));
}

// `wav` with chunks (fact, PEAK) inserted before its "data" chunk at byte 36.
Bytes WithChunksBeforeData(Bytes wav, const Bytes& chunks) {
    wav.insert(wav.begin() + 36, chunks.begin(), chunks.end());
    Set32(wav, 4, static_cast<uint32_t>(wav.size() - 8));
    return wav;
}

TEST_F(FormatsTest, DamagedSizesAreRepairedWithoutChangingWhatTheSamplesMean) {
    Bytes floats;
    for (float f : {0.25f, -0.5f, 0.125f, 1.0f}) {
        PutFloat(floats, f);
    }
    Bytes factPeak;
    PutText(factPeak, "fact");
    Put32(factPeak, 4);
    Put32(factPeak, 4);
    PutText(factPeak, "PEAK");
    Put32(factPeak, 16);
    factPeak.resize(factPeak.size() + 16, 1);
    struct Layout {
        const char* name;
        Bytes good;
        int32_t type;
    };
    const std::vector<Layout> layouts = {
        {"pcm16", Wav(16, 1, 2, 8000, 16, Ramp(8)), kFileWav16},
        {"float", Wav(16, 3, 1, 8000, 32, floats), kFileWav32Float},
        {"int32", Wav(16, 1, 1, 8000, 32, Ramp(8)), kFileWav32Int},
        {"float18", Wav(18, 3, 1, 8000, 32, floats), kFileWav32Float18},
        {"fact+PEAK", WithChunksBeforeData(Wav(16, 3, 1, 8000, 32, floats), factPeak), kFileWav32Float},
    };
    struct Sizes {
        const char* name;
        uint32_t riff; // 0: the good size + `pastEnd`
        uint32_t data;
        uint32_t pastEnd;
    };
    const std::vector<Sizes> damages = {
        {"placeholders", 0xFFFFFFF8u, 0xFFFFFFD4u, 0},
        {"zero", 0, 0, 0},
        {"empty recording", 36, 0, 0},
        {"past the end", 0, 0, 1000},
    };
    for (const Layout& layout : layouts) {
        const auto good = ReadWavHeader(Make("good.wav", layout.good));
        ASSERT_TRUE(good);
        for (const Sizes& damage : damages) {
            SCOPED_TRACE(std::string(layout.name) + ", " + damage.name);
            Bytes broken = layout.good;
            Set32(broken, 4, damage.pastEnd ? good->riffSize + damage.pastEnd : damage.riff);
            Set32(broken, static_cast<size_t>(good->sizeFieldOffset),
                  damage.pastEnd ? good->dataSize + damage.pastEnd : damage.data);
            const std::string path = Make(std::string(layout.name) + ".wav", broken);

            // Read-only recognition writes nothing and reads what the repair gives.
            const SoundFileInfo readOnly = DetectFileType(path, settings, HeaderRepair::ReadOnly);
            EXPECT_EQ(FileBytes(path), broken);
            EXPECT_FALSE(readOnly.repaired);
            // Recognition repairs in place; "Fix wav header" does the same.
            const SoundFileInfo info = DetectFileType(path, settings);
            EXPECT_TRUE(info.repaired);
            EXPECT_EQ(FileBytes(path), layout.good);
            Make(std::string(layout.name) + ".wav", broken);
            EXPECT_TRUE(RepairWavHeader(path));
            EXPECT_EQ(FileBytes(path), layout.good);

            for (const SoundFileInfo& i : {readOnly, info}) {
                EXPECT_EQ(i.type, layout.type);
                EXPECT_EQ(i.headerSize, good->dataOffset);
                EXPECT_EQ(i.size, good->riffSize);
                EXPECT_EQ(i.dataEnd, static_cast<int64_t>(layout.good.size()));
            }
        }
    }

    // A valid file above 2 GiB (sparse) is left as it is.
    for (const Layout& layout : {layouts[0], layouts[1]}) {
        SCOPED_TRACE(layout.name);
        const std::string path = Make("big.wav", layout.good);
        const int64_t length = (int64_t{3} << 30) + 44;
        std::filesystem::resize_file(path, static_cast<uintmax_t>(length));
        Bytes header(layout.good.begin(), layout.good.begin() + 44);
        Set32(header, 4, static_cast<uint32_t>(length - 8));
        Set32(header, 40, static_cast<uint32_t>(length - 44));
        std::fstream(path, std::ios::binary | std::ios::in | std::ios::out)
            .write(reinterpret_cast<const char*>(header.data()), 44);
        const SoundFileInfo info = DetectFileType(path, settings);
        EXPECT_FALSE(info.repaired);
        EXPECT_EQ(info.dataEnd, length);
        Bytes now(44);
        std::ifstream(path, std::ios::binary).read(reinterpret_cast<char*>(now.data()), 44);
        EXPECT_EQ(now, header);
        std::filesystem::remove(path);
    }
}

TEST_F(FormatsTest, RepairOfAWavWithChunksRewritesOnlyTheTwoSizes) {
    int64_t dataOffset = 0;
    const Bytes original = ChunkedWav(&dataOffset);
    const std::string path = Make("chunks.wav", original);
    const auto before = ReadWavHeader(path);
    ASSERT_TRUE(before);
    EXPECT_TRUE(WavHeaderNeedsRepair(*before));
    EXPECT_EQ(before->dataOffset, dataOffset);

    const SoundFileInfo info = DetectFileType(path, settings);
    EXPECT_TRUE(info.repaired);
    EXPECT_EQ(info.headerSize, dataOffset);
    Bytes expected = original;
    const auto length = static_cast<uint32_t>(original.size());
    Set32(expected, 4, length - 8);
    Set32(expected, static_cast<size_t>(dataOffset - 4), length - static_cast<uint32_t>(dataOffset));
    EXPECT_EQ(FileBytes(path), expected);
    // The trailing chunk now counts as data (its size was unknown): whole frames only are read.
    EXPECT_EQ(ReadAll(path, info).size(), 10u);

    // A healthy file stays byte for byte what it was.
    ASSERT_TRUE(RepairWavHeader(path));
    EXPECT_EQ(FileBytes(path), expected);
}

TEST_F(FormatsTest, RepairRefusesWhatIsNotAWavFile) {
    Bytes notWav(100, 'x');
    const std::string path = Make("text.wav", notWav);
    std::string error;
    EXPECT_FALSE(RepairWavHeader(path, &error));
    EXPECT_EQ(error, "Not a WAV file: " + path);
    EXPECT_EQ(FileBytes(path), notWav);
    Bytes avi = Wav(16, 1, 1, 8000, 16, Samples16({1, 2}));
    std::memcpy(avi.data() + 8, "AVI ", 4);
    Set32(avi, 4, 0xFFFFFFF8u);
    const std::string riff = Make("riff.wav", avi);
    EXPECT_FALSE(RepairWavHeader(riff, &error));
    EXPECT_EQ(FileBytes(riff), avi);
    EXPECT_FALSE(RepairWavHeader(folder.Path() + "missing.wav", &error));
    EXPECT_FALSE(error.empty());
}

TEST_F(FormatsTest, CheckAndFixWavHeaderCommands) {
    const std::string good = Make("good.wav", Wav(16, 1, 1, 8000, 16, Samples16({1, 2, 3, 4})));
    EXPECT_EQ(WavHeaderReport(good),
              "File " + good +
                  "\r\nSignature RIFF\r\nFilesize  44\r\nFormat WAVEfmt \r\n         16"
                  "\r\nMode  1\r\nChannels  1\r\nSample rate  8000\r\nBytes x sec  16000"
                  "\r\nBytes x sample  2\r\nBits x sample  16\r\nData start data"
                  "\r\nData size  8");

    const auto placeholder = WavHeaderBytes(0, 1, 8000);
    Bytes crashed(placeholder.begin(), placeholder.end());
    crashed.resize(crashed.size() + 10, 0);
    const std::string broken = Make("broken.wav", crashed);
    const std::string text = Make("text.wav", Bytes(60, 'x'));

    MenuModel menu;
    ScriptedInteraction ui;
    AttachWavHeaderCommands(menu, ui, [this] { return folder.Path(); });
    ui.textAnswers = {good, broken, text, std::nullopt};
    EXPECT_TRUE(menu.Trigger("CheckWavHeader"));
    EXPECT_TRUE(menu.Trigger("mnuFixWavHeader"));
    EXPECT_TRUE(menu.Trigger("mnuFixWavHeader"));
    EXPECT_TRUE(menu.Trigger("CheckWavHeader")); // cancelled: nothing shown
    ASSERT_EQ(ui.dialogs.size(), 4u);
    EXPECT_EQ(ui.dialogs[0].folder, folder.Path());
    EXPECT_EQ(ui.dialogs[0].patterns, std::vector<std::string>{"*.wav"});
    ASSERT_EQ(ui.messages.size(), 3u);
    EXPECT_EQ(ui.messages[0].text, WavHeaderReport(good));
    EXPECT_EQ(ui.messages[1].text, WavHeaderReport(broken));
    EXPECT_NE(ui.messages[1].text.find("Data size  10"), std::string::npos);
    EXPECT_EQ(ui.messages[2].text, "The wav header could not be fixed: Not a WAV file: " + text);
    EXPECT_EQ(ui.messages[2].icon, MessageIcon::Exclamation);
}

} // namespace
} // namespace ondrix
