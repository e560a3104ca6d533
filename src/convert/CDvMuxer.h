// libavformat's dv muxer with its output going to a frame sink: DV video
// frames and 48 kHz 16-bit stereo PCM in, complete 144000-byte DV frames
// with the audio inside out. The AVIOContext buffer is one frame long, so
// the muxer's write of a frame reaches the sink at once and whole.
#pragma once
#include "FfmpegPtr.h"
#include "IDvFrameSink.h"

#include <cstdint>
#include <string>

extern "C" {
#include <libavutil/rational.h>
}

struct AVDVProfile;

class CDvMuxer {
public:
    // Stereo samples that go with one frame at 48 kHz and 25 frames a second.
    static constexpr int kSamplesPerFrame = 1920;

    explicit CDvMuxer(IDvFrameSink& sink) : sink_(sink) {}
    CDvMuxer(const CDvMuxer&) = delete;
    CDvMuxer& operator=(const CDvMuxer&) = delete;

    // Video of the profile `video` (PAL, 144000-byte frames) and 48 kHz
    // stereo 16-bit PCM. `recorded` is the recording date and time the
    // frames carry from the first on (ISO 8601 as libavformat's
    // creation_time, or "now"); empty leaves the muxer's own (1970-01-01).
    bool Start(const AVDVProfile& video, const std::string& recorded = {});

    // Frame `index`: the video frame and kSamplesPerFrame stereo samples.
    // False when the muxer or the sink refused it.
    bool Put(int index, const std::uint8_t* video, const std::uint8_t* pcm);

    bool Finish();
    bool SinkFailed() const { return failed_; }

private:
    static int Write(void* opaque, std::uint8_t* data, int size);
    bool Packet(int stream, const std::uint8_t* data, int size, std::int64_t pts, std::int64_t duration,
                AVRational base);

    IDvFrameSink& sink_;
    // Declared after its I/O context, the muxer's context is freed first.
    ff::Io io_;
    ff::Output oc_;
    ff::Packet packet_;
    bool failed_ = false;
};
