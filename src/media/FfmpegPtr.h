// Owners of FFmpeg objects, so that every path out of a function releases
// what it made: each FFmpeg object of the program is held by one of them
// from the moment it exists, and nothing is freed by hand. The header names
// FFmpeg's types only, so that classes can hold owners without bringing
// FFmpeg's headers to their users.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

struct AVAudioFifo;
struct AVCodecContext;
struct AVFilterGraph;
struct AVFilterInOut;
struct AVFormatContext;
struct AVFrame;
struct AVInputFormat;
struct AVIOContext;
struct AVPacket;
struct SwrContext;
struct SwsContext;

namespace ff {

// The releases, each the FFmpeg call made for the job.
struct InputFree {
    void operator()(AVFormatContext* c) const; // avformat_close_input
};
// A muxer's context; a file it opened itself is closed with it, a custom
// I/O context (AVFMT_FLAG_CUSTOM_IO) belongs to an Io.
struct OutputFree {
    void operator()(AVFormatContext* c) const;
};
// A custom I/O context with its buffer (which libavformat may replace).
struct IoFree {
    void operator()(AVIOContext* io) const;
};
struct CodecFree {
    void operator()(AVCodecContext* c) const;
};
struct PacketFree {
    void operator()(AVPacket* p) const;
};
struct FrameFree {
    void operator()(AVFrame* f) const;
};
struct SwsFree {
    void operator()(SwsContext* s) const;
};
struct SwrFree {
    void operator()(SwrContext* s) const;
};
struct FifoFree {
    void operator()(AVAudioFifo* f) const;
};
struct GraphFree {
    void operator()(AVFilterGraph* g) const;
};
struct InOutFree {
    void operator()(AVFilterInOut* io) const;
};
struct BufferFree {
    void operator()(std::uint8_t* b) const; // av_free
};

using Input = std::unique_ptr<AVFormatContext, InputFree>;
using Output = std::unique_ptr<AVFormatContext, OutputFree>;
using Io = std::unique_ptr<AVIOContext, IoFree>;
using Codec = std::unique_ptr<AVCodecContext, CodecFree>;
using Packet = std::unique_ptr<AVPacket, PacketFree>;
using Frame = std::unique_ptr<AVFrame, FrameFree>;
using Sws = std::unique_ptr<SwsContext, SwsFree>;
using Swr = std::unique_ptr<SwrContext, SwrFree>;
using Fifo = std::unique_ptr<AVAudioFifo, FifoFree>;
using Graph = std::unique_ptr<AVFilterGraph, GraphFree>;
using InOut = std::unique_ptr<AVFilterInOut, InOutFree>;
using Buffer = std::unique_ptr<std::uint8_t, BufferFree>; // av_malloc'd bytes

// Opens `path` with libavformat's AVI demuxer, whatever its content (the
// caller chose AVI by the file name). Null when it is not a readable AVI.
Input OpenAvi(const std::string& path);

// Opens the regular file `path` with whatever demuxer libavformat finds for
// its content, and reads its stream information. Null when it is not a
// regular file (a pipe would wait for a writer) or not a media file
// libavformat can read.
Input OpenMedia(const std::string& path);

// Reads through `io` (which must outlive the result) with the demuxer
// `format` (null: the one libavformat finds). Null when it cannot be
// opened.
Input OpenInput(AVIOContext* io, const AVInputFormat* format);

// A custom I/O context over a buffer of `size` bytes: a reader with `read`,
// or a writer with `write`, called with `opaque`. Null when out of memory.
using IoRead = int (*)(void* opaque, std::uint8_t* buf, int size);
using IoWrite = int (*)(void* opaque, std::uint8_t* buf, int size);
using IoSeek = std::int64_t (*)(void* opaque, std::int64_t offset, int whence);
Io MakeIo(int size, void* opaque, IoRead read, IoWrite write, IoSeek seek = nullptr);

} // namespace ff
