// The sound inside one DV frame, taken out by libavformat's dv demuxer:
// its sample rate (48, 44.1 or 32 kHz), and the samples of the frame's
// first channel pair as interleaved 16-bit stereo (12-bit sound of the
// four-channel 32 kHz mode comes out widened to 16 bits).
#pragma once
#include <cstdint>
#include <vector>

struct DvFrameAudio {
    int rate = 0;
    int channels = 0;
    std::vector<std::int16_t> samples; // interleaved, channels per sample frame

    int Frames() const { return channels > 0 ? static_cast<int>(samples.size()) / channels : 0; }
};

// Extracts the sound of the `size`-byte DV frame at `frame` into `audio`.
// False, with `audio` emptied, when the bytes are not a DV frame or carry
// no sound.
bool ExtractDvAudio(const std::uint8_t* frame, int size, DvFrameAudio& audio);
