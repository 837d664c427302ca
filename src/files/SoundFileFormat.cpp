#include "files/SoundFileFormat.h"

#include "files/WavHeaderTools.h"
#include "settings/ControlModel.h"

namespace ondrix {

FileFormatSettings FileFormatSettingsFrom(const ControlModel& advanced) {
    FileFormatSettings s;
    if (advanced.Has("TextScaleFloat"))
        s.floatScale = advanced.Value("TextScaleFloat");
    if (advanced.Has("textScale32Bit"))
        s.scale32 = advanced.IntValue("textScale32Bit");
    if (advanced.Has("txtHeaderSkip"))
        s.headerSkip = advanced.IntValue("txtHeaderSkip");
    if (advanced.Has("txtRawSampleRate"))
        s.rawSampleRate = advanced.IntValue("txtRawSampleRate");
    return s;
}

SoundFileInfo DetectFileType(const std::string& path, const FileFormatSettings&) {
    SoundFileInfo info;
    auto h = ReadWavHeader(path);
    if (!h || h->bitsPerSample != 16 || h->channels == 0) {
        info.message = "Not a sound file: " + path;
        return info;
    }
    info.type = kFileWav16;
    info.headerSize = h->dataOffset;
    info.channels = h->channels;
    info.sampleRate = static_cast<int32_t>(h->sampleRate);
    info.size = h->riffSize;
    info.dataEnd = std::min<int64_t>(h->fileLength, h->dataOffset + h->dataSize);
    info.bytesPerSample = 2;
    info.frameAlign = 2 * h->channels;
    return info;
}

} // namespace ondrix
