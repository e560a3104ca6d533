#include "FfmpegPtr.h"

#include <string>
#include <sys/stat.h>

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

void InputFree::operator()(AVFormatContext* c) const { avformat_close_input(&c); }

void OutputFree::operator()(AVFormatContext* c) const
{
    if (c->pb != nullptr && !(c->flags & AVFMT_FLAG_CUSTOM_IO))
        avio_closep(&c->pb);
    avformat_free_context(c);
}

void IoFree::operator()(AVIOContext* io) const
{
    av_freep(&io->buffer);
    avio_context_free(&io);
}

void CodecFree::operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
void PacketFree::operator()(AVPacket* p) const { av_packet_free(&p); }
void FrameFree::operator()(AVFrame* f) const { av_frame_free(&f); }
void SwsFree::operator()(SwsContext* s) const { sws_freeContext(s); }
void SwrFree::operator()(SwrContext* s) const { swr_free(&s); }
void FifoFree::operator()(AVAudioFifo* f) const { av_audio_fifo_free(f); }
void GraphFree::operator()(AVFilterGraph* g) const { avfilter_graph_free(&g); }
void InOutFree::operator()(AVFilterInOut* io) const { avfilter_inout_free(&io); }
void BufferFree::operator()(std::uint8_t* b) const { av_free(b); }
namespace {

// Opens `url` with `format` (null: the one libavformat finds), reading
// through `io` when given.
Input Open(const char* url, const AVInputFormat* format, AVIOContext* io)
{
    Input input(avformat_alloc_context());
    if (!input)
        return nullptr;
    input->pb = io;
    // On failure avformat_open_input frees the context (never a custom I/O
    // context); on success it takes the same one back.
    AVFormatContext* ctx = input.release();
    if (avformat_open_input(&ctx, url, format, nullptr) < 0)
        return nullptr;
    input.reset(ctx);
    return input;
}

} // namespace

Input OpenAvi(const std::string& path)
{
    const AVInputFormat* avi = av_find_input_format("avi");
    if (!avi)
        return nullptr;
    // The "file:" prefix keeps a name with a colon from being taken for a
    // protocol.
    return Open(("file:" + path).c_str(), avi, nullptr);
}

Input OpenMedia(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return nullptr;
    Input input = Open(("file:" + path).c_str(), nullptr, nullptr);
    if (input && avformat_find_stream_info(input.get(), nullptr) < 0)
        return nullptr;
    return input;
}

Input OpenInput(AVIOContext* io, const AVInputFormat* format)
{
    return Open(nullptr, format, io);
}

Io MakeIo(int size, void* opaque, IoRead read, IoWrite write, IoSeek seek)
{
    // The buffer is the context's once the context exists.
    Buffer buffer(static_cast<std::uint8_t*>(av_malloc(static_cast<std::size_t>(size))));
    if (!buffer)
        return nullptr;
    Io io(avio_alloc_context(buffer.get(), size, write != nullptr ? 1 : 0, opaque, read, write, seek));
    if (io)
        buffer.release();
    return io;
}

} // namespace ff
