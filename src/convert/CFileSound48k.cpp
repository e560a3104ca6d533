#include "CFileSound48k.h"

#include "CDvMuxer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

extern "C" {
#include <libavutil/channel_layout.h>
}

bool CFileSound48k::Open(const std::string& path)
{
    ended_ = true;
    frame_.reset(av_frame_alloc());
    if (!frame_ || !stream_.Open(path, AVMEDIA_TYPE_AUDIO))
        return false;
    // Usable when it yields sound.
    while (!built_ && !closed_)
        Feed();
    ended_ = !built_;
    return built_;
}

bool CFileSound48k::Build(const AVFrame& first)
{
    char layout[64] = "";
    av_channel_layout_describe(&first.ch_layout, layout, sizeof layout);
    const AVRational base = stream_.Stream()->time_base;
    char args[256];
    std::snprintf(args, sizeof args, "time_base=%d/%d:sample_rate=%d:sample_fmt=%s:channel_layout=%s",
                  base.num, base.den, first.sample_rate,
                  av_get_sample_fmt_name(static_cast<AVSampleFormat>(first.format)), layout);
    // Mono plays on both channels at its own level (a plain mix-up would
    // put it 3 dB down on each).
    std::string chain = first.ch_layout.nb_channels == 1 ? "pan=stereo|c0=c0|c1=c0," : "";
    chain += "aresample=osr=48000:async=1:first_pts=0,"
             "aformat=sample_fmts=s16:sample_rates=48000:channel_layouts=stereo";
    return chain_.Build(true, args, chain);
}

void CFileSound48k::Feed()
{
    const CDecodedStream::Next next = stream_.Read(frame_.get());
    if (next != CDecodedStream::kFrame) {
        // The end (or a read error): what the chain holds still comes out.
        closed_ = true;
        if (built_)
            chain_.Close(nextPts_);
        return;
    }
    AVFrame* f = frame_.get();
    if (f->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
        // A bare channel count becomes the usual layout for it.
        const int channels = f->ch_layout.nb_channels;
        av_channel_layout_uninit(&f->ch_layout);
        av_channel_layout_default(&f->ch_layout, channels);
    }
    const std::int64_t length =
        av_rescale_q(f->nb_samples, AVRational{1, f->sample_rate > 0 ? f->sample_rate : 1}, stream_.Stream()->time_base);
    if (f->pts == AV_NOPTS_VALUE)
        f->pts = nextPts_;
    nextPts_ = f->pts + length;
    if (!built_ && !(built_ = Build(*f))) {
        closed_ = true;
        return;
    }
    // A frame the chain refuses (its format changed on the way) ends the
    // sound there.
    if (!chain_.Push(f)) {
        closed_ = true;
        chain_.Close(nextPts_);
    }
    av_frame_unref(f);
}

void CFileSound48k::Read(std::uint8_t* out)
{
    const std::size_t bytes = static_cast<std::size_t>(CDvMuxer::kSamplesPerFrame) * 4;
    std::size_t got = 0;
    while (!ended_) {
        const CFilterChain::Pull pull = chain_.TakeSamples(frame_.get(), CDvMuxer::kSamplesPerFrame);
        if (pull == CFilterChain::kFrame) {
            got = std::min(bytes, static_cast<std::size_t>(frame_->nb_samples) * 4);
            std::memcpy(out, frame_->data[0], got);
            av_frame_unref(frame_.get());
            break;
        }
        // A chain that failed part-way leaves silence for the rest, as a
        // sound that ended does: the picture goes on.
        if (pull == CFilterChain::kDrained || pull == CFilterChain::kFailed || closed_) {
            ended_ = true;
            break;
        }
        Feed();
    }
    std::memset(out + got, 0, bytes - got);
}
