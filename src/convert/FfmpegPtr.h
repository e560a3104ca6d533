// Owning pointers for FFmpeg objects, so that every path out of a function
// releases what it made.
#pragma once
#include <memory>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace ff {

struct InputFree {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct CodecFree {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct PacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct FrameFree {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct SwsFree {
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};
struct SwrFree {
    void operator()(SwrContext* s) const { swr_free(&s); }
};
struct FifoFree {
    void operator()(AVAudioFifo* f) const { av_audio_fifo_free(f); }
};
struct GraphFree {
    void operator()(AVFilterGraph* g) const { avfilter_graph_free(&g); }
};

using Input = std::unique_ptr<AVFormatContext, InputFree>;
using Codec = std::unique_ptr<AVCodecContext, CodecFree>;
using Packet = std::unique_ptr<AVPacket, PacketFree>;
using Frame = std::unique_ptr<AVFrame, FrameFree>;
using Sws = std::unique_ptr<SwsContext, SwsFree>;
using Swr = std::unique_ptr<SwrContext, SwrFree>;
using Fifo = std::unique_ptr<AVAudioFifo, FifoFree>;
using Graph = std::unique_ptr<AVFilterGraph, GraphFree>;

// Opens `path` with libavformat's AVI demuxer, whatever its content (the
// caller chose AVI by the file name). Null when it is not a readable AVI.
Input OpenAvi(const std::string& path);

// Opens the regular file `path` with whatever demuxer libavformat finds for
// its content, and reads its stream information. Null when it is not a
// regular file (a pipe would wait for a writer) or not a media file
// libavformat can read.
Input OpenMedia(const std::string& path);

} // namespace ff
