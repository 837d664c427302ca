// What a capture or playback stream is opened with.
#pragma once

namespace ondrix {

struct StreamFormat {
    int sampleRate = 48000;
    int channels = 1;      // 1 or 2; samples are interleaved int16, channel 0 first
    int slotCount = 2;     // NB: capture slots ("WaveIn Buffers"); 2 for playback
    int framesPerSlot = 0; // B: frames per slot (a stereo frame is two samples)
};

} // namespace ondrix
