// One stream of a media file, decoded frame by frame. Each stream has a
// reader of its own, so that the picture and the sound of a file are taken
// at their own pace wherever the file puts them. Timestamps come out
// relative to the start of the file, so that the streams of one file line
// up with each other.
#pragma once
#include "FfmpegPtr.h"

#include <cstdint>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

class CDecodedStream {
public:
    enum Next : int {
        kFrame = 1,  // a frame was decoded
        kEnd = 0,    // the stream has ended
        kFailed = -1, // the file could not be read on
    };

    // Opens the stream of `type` in `path`: for pictures the file's first
    // video stream that is not an attached picture (a cover), preferring
    // one marked as the default; for sound the best audio stream, the one
    // that goes with the picture where the file has several programmes.
    // The decoder uses as many threads as it likes. False when there is no
    // such stream or no decoder for it.
    bool Open(const std::string& path, AVMediaType type);

    // Decodes the next frame into `frame` (its pts in the stream's time
    // base, counted from the start of the file). Damaged packets are
    // skipped; the end of the data drains the decoder.
    Next Read(AVFrame* frame);

    const AVStream* Stream() const { return stream_; }
    const AVCodecContext* Decoder() const { return decoder_.get(); }
    const AVFormatContext* Input() const { return input_.get(); }

private:
    bool SendNextPacket(); // false at the end of the data
    int FindVideoStream() const;

    ff::Input input_;
    ff::Codec decoder_;
    ff::Packet packet_;
    AVStream* stream_ = nullptr;
    std::int64_t start_ = 0; // the file's start in the stream's time base
    bool draining_ = false;
    bool failed_ = false;
};
