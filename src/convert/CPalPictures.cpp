#include "CPalPictures.h"

#include "MediaLog.h"
#include "RealVideo.h"

#include <climits>
#include <cmath>
#include <cstdio>

namespace {

// How long a decoded frame lasts, in the stream's time base; 0 unknown.
std::int64_t FrameLength(const AVFrame& frame, const AVStream& stream)
{
#if LIBAVUTIL_VERSION_INT >= AV_VERSION_INT(57, 30, 100)
    const std::int64_t length = frame.duration;
#else
    const std::int64_t length = frame.pkt_duration;
#endif
    if (length > 0)
        return length;
    if (stream.avg_frame_rate.num > 0 && stream.avg_frame_rate.den > 0)
        return av_rescale_q(1, av_inv_q(stream.avg_frame_rate), stream.time_base);
    return 0;
}

} // namespace

bool CPalPictures::Open(const std::string& path)
{
    CQuietMediaLog quiet;
    decoded_.reset(av_frame_alloc());
    if (!decoded_ || !stream_.Open(path, AVMEDIA_TYPE_VIDEO))
        return false;
    // Text and still pictures would "convert" into a clip of one picture.
    if (!IsRealVideo(*stream_.Input(), *stream_.Stream()))
        return false;
    pending_ = stream_.Read(decoded_.get()) == CDecodedStream::kFrame && decoded_->width > 0 &&
               decoded_->height > 0;
    return pending_;
}

int CPalPictures::ExpectedFrames() const
{
    const AVStream* st = stream_.Stream();
    const AVFormatContext* ic = stream_.Input();
    if (!st || !ic)
        return 0;
    double seconds = -1;
    if (st->duration != AV_NOPTS_VALUE && st->duration > 0) {
        seconds = static_cast<double>(st->duration) * av_q2d(st->time_base);
        if (st->start_time != AV_NOPTS_VALUE && ic->start_time != AV_NOPTS_VALUE)
            seconds += static_cast<double>(st->start_time) * av_q2d(st->time_base) -
                       static_cast<double>(ic->start_time) / AV_TIME_BASE;
    } else if (ic->duration != AV_NOPTS_VALUE && ic->duration > 0) {
        seconds = static_cast<double>(ic->duration) / AV_TIME_BASE;
    }
    if (!(seconds > 0))
        return 0;
    const double frames = std::round(seconds * 25);
    return frames > INT_MAX ? INT_MAX : static_cast<int>(frames);
}

std::string CPalPictures::CreationTime() const
{
    const AVFormatContext* ic = stream_.Input();
    const AVStream* st = stream_.Stream();
    const AVDictionaryEntry* e = ic ? av_dict_get(ic->metadata, "creation_time", nullptr, 0) : nullptr;
    if ((!e || !e->value[0]) && st)
        e = av_dict_get(st->metadata, "creation_time", nullptr, 0);
    return e && e->value ? e->value : "";
}

bool CPalPictures::Start(DvAspect aspect)
{
    if (!pending_)
        return false;
    const AVStream& st = *stream_.Stream();
    const AVFrame& f = *decoded_;
    const SourcePicture source = DescribeSource(st, f);
    const AVRational rate = st.avg_frame_rate.num > 0 && st.avg_frame_rate.den > 0 ? st.avg_frame_rate
                                                                                     : AVRational{25, 1};
    char args[256];
    std::snprintf(args, sizeof args,
                  "video_size=%dx%d:pix_fmt=%d:time_base=%d/%d:pixel_aspect=%d/%d:frame_rate=%d/%d", f.width,
                  f.height, f.format, st.time_base.num, st.time_base.den, source.pixelAspect.num,
                  source.pixelAspect.den, rate.num, rate.den);
    return chain_.Build(false, args, DvPictureChain(source, aspect));
}

bool CPalPictures::PushDecoded()
{
    if (!pending_) {
        const CDecodedStream::Next next = stream_.Read(decoded_.get());
        if (next != CDecodedStream::kFrame) {
            // The input ends just after the last frame, so that the last
            // frame gets its share of the 40 ms steps.
            failed_ = next == CDecodedStream::kFailed;
            closed_ = true;
            return lastPts_ != AV_NOPTS_VALUE && chain_.Close(lastPts_ + lastLength_);
        }
    }
    pending_ = false;
    AVFrame* f = decoded_.get();
    if (f->pts == AV_NOPTS_VALUE)
        f->pts = lastPts_ == AV_NOPTS_VALUE ? 0 : lastPts_ + lastLength_;
    if (lastPts_ != AV_NOPTS_VALUE && f->pts <= lastPts_) {
        // A frame that goes back in time cannot be placed on the timeline.
        av_frame_unref(f);
        return true;
    }
    const std::int64_t length = FrameLength(*f, *stream_.Stream());
    lastLength_ = length > 0 ? length : lastPts_ != AV_NOPTS_VALUE ? f->pts - lastPts_ : 1;
    lastPts_ = f->pts;
    const bool pushed = chain_.Push(f);
    av_frame_unref(f);
    return pushed;
}

CDecodedStream::Next CPalPictures::Read(AVFrame* picture)
{
    for (;;) {
        const CFilterChain::Pull pull = chain_.Take(picture);
        if (pull == CFilterChain::kFrame)
            return CDecodedStream::kFrame;
        if (pull == CFilterChain::kFailed)
            return CDecodedStream::kFailed;
        if (pull == CFilterChain::kDrained || closed_)
            return failed_ ? CDecodedStream::kFailed : CDecodedStream::kEnd;
        if (!PushDecoded() && !closed_)
            return CDecodedStream::kFailed;
    }
}
