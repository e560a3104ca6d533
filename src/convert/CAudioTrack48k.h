// The second stream of an AVI file as the DV muxer wants its audio: decoded
// whatever its codec, and resampled by libswresample to 48 kHz, 16-bit,
// stereo (a mono track goes to both channels at full level). Read in
// portions of one frame's worth, holding no more than a decoded packet or
// two in memory.
#pragma once
#include "FfmpegPtr.h"

#include <cstdint>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libswresample/swresample.h>
}

class CAudioTrack48k {
public:
    static constexpr int kRate = 48000;
    static constexpr int kBytesPerSample = 4; // 16-bit left, 16-bit right

    CAudioTrack48k() = default;
    ~CAudioTrack48k();
    CAudioTrack48k(const CAudioTrack48k&) = delete;
    CAudioTrack48k& operator=(const CAudioTrack48k&) = delete;

    // Opens the second stream of `path` (a reader of its own, so that audio
    // and video may lie anywhere in the file). False when there is no second
    // stream, it is not audio, or not one sample of it can be decoded.
    bool Open(const std::string& path);

    // Fills `out` with the next `samples` stereo samples (4 bytes each);
    // silence once the track has ended.
    void Read(std::uint8_t* out, int samples);

private:
    bool Fill(int samples); // decodes until the fifo holds `samples`; false at the end
    bool Convert(const AVFrame* frame);
    bool SetUpResampler(const AVFrame* frame, const AVChannelLayout& layout);

    ff::Input input_;
    ff::Codec decoder_;
    ff::Swr resampler_;
    ff::Fifo fifo_;
    ff::Packet packet_;
    ff::Frame frame_;
    std::vector<std::uint8_t> converted_;
    int stream_ = 1;
    // What the resampler was set up for; a change mid-stream sets it up again.
    int inFormat_ = -1;
    int inRate_ = 0;
    AVChannelLayout inLayout_{};
    bool draining_ = false;
    bool ended_ = false;
};
