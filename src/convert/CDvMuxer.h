// libavformat's dv muxer with its output going to a frame sink: DV video
// frames and 48 kHz 16-bit stereo PCM in, complete 144000-byte DV frames
// with the audio inside out. The AVIOContext buffer is one frame long, so
// the muxer's write of a frame reaches the sink at once and whole.
// The muxer keeps a 19 MB sound FIFO whose pages it touches one after the
// other as sound goes through, so a long clip would hold all of it: every
// kSegmentFrames frames the muxer is started again, carrying the timecode
// and the recording time on, which gives the same bytes.
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
    // Frames muxed by one muxer: whole seconds, so that the recording time
    // the next one starts from is exact.
    static constexpr int kSegmentFrames = 750;

    // `segmentFrames`, a multiple of 25, for the tests.
    explicit CDvMuxer(IDvFrameSink& sink, int segmentFrames = kSegmentFrames)
        : sink_(sink), segmentFrames_(segmentFrames)
    {
    }
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
    // A muxer for the frames from `first` on; false when it cannot start.
    bool Open(int first);
    bool Packet(int stream, const std::uint8_t* data, int size, std::int64_t pts, std::int64_t duration,
                AVRational base);

    IDvFrameSink& sink_;
    int segmentFrames_;
    // Declared after its I/O context, the muxer's context is freed first.
    ff::Io io_;
    ff::Output oc_;
    ff::Packet packet_;
    bool failed_ = false;
    const AVDVProfile* profile_ = nullptr;
    std::string recorded_;       // as given, for the first muxer
    bool restartable_ = false;   // started again: the segment is whole seconds and the recording time known to the second
    std::int64_t startSeconds_ = 0;
    int segmentFirst_ = 0;       // the first frame of the running muxer
};
