#include "CDvMuxer.h"

#include "CAudioTrack48k.h"
#include "DvFrame.h"

#include <cstdio>
#include <ctime>

extern "C" {
#include <libavcodec/dv_profile.h>
#include <libavutil/parseutils.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

namespace {

// Seconds since 1970 as libavformat reads a creation time, in UTC.
std::string IsoTime(std::int64_t seconds)
{
    const auto t = static_cast<std::time_t>(seconds);
    std::tm tm {};
    char text[32];
    if (gmtime_r(&t, &tm) == nullptr || std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm) == 0)
        return {};
    return text;
}

} // namespace

static_assert(CDvMuxer::kSegmentFrames % kDvFramesPerSecond == 0);
static_assert(CDvMuxer::kSamplesPerFrame == CAudioTrack48k::kRate / kDvFramesPerSecond);

bool CDvMuxer::Start(const AVDVProfile& video, const std::string& recorded)
{
    profile_ = &video;
    recorded_ = recorded;
    // The time the muxer starts its recording time from, to the second,
    // for the muxers after the first ("now" fixed once for all of them).
    std::int64_t micros = 0;
    restartable_ = segmentFrames_ > 0 && segmentFrames_ % kDvFramesPerSecond == 0 &&
                   (recorded.empty() || av_parse_time(&micros, recorded.c_str(), 0) >= 0);
    startSeconds_ = micros >= 0 ? micros / 1000000 : -((-micros + 999999) / 1000000);
    if (recorded == "now")
        recorded_ = IsoTime(startSeconds_);
    return Open(0);
}

bool CDvMuxer::Open(int first)
{
    segmentFirst_ = first;
    oc_.reset();
    io_.reset();
    AVFormatContext* oc = nullptr;
    if (avformat_alloc_output_context2(&oc, nullptr, "dv", nullptr) < 0)
        return false;
    oc_.reset(oc);
    if (!oc_)
        return false;
    AVStream* vst = avformat_new_stream(oc, nullptr);
    AVStream* ast = avformat_new_stream(oc, nullptr);
    if (!vst || !ast)
        return false;
    const AVDVProfile& video = *profile_;
    vst->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
    vst->codecpar->codec_id = AV_CODEC_ID_DVVIDEO;
    vst->codecpar->width = video.width;
    vst->codecpar->height = video.height;
    vst->codecpar->format = video.pix_fmt;
    vst->time_base = AVRational{1, kDvFramesPerSecond};
    ast->codecpar->codec_type = AVMEDIA_TYPE_AUDIO;
    ast->codecpar->codec_id = AV_CODEC_ID_PCM_S16LE;
    ast->codecpar->format = AV_SAMPLE_FMT_S16;
    ast->codecpar->sample_rate = CAudioTrack48k::kRate;
    av_channel_layout_default(&ast->codecpar->ch_layout, 2);
    ast->codecpar->bits_per_coded_sample = 16;
    ast->codecpar->block_align = CAudioTrack48k::kBytesPerSample;
    ast->time_base = AVRational{1, CAudioTrack48k::kRate};

    io_ = ff::MakeIo(kDvFrameSize, this, nullptr, &CDvMuxer::Write);
    if (!io_)
        return false;
    oc->pb = io_.get();
    oc->flags |= AVFMT_FLAG_CUSTOM_IO;
    // The muxer writes the recording date and time packs from the
    // creation time of its output, and the timecode from its timecode.
    const std::string created = first == 0 ? recorded_ : IsoTime(startSeconds_ + first / kDvFramesPerSecond);
    if (!created.empty() && av_dict_set(&oc->metadata, "creation_time", created.c_str(), 0) < 0)
        return false;
    if (first > 0) {
        char timecode[16];
        const int seconds = first / kDvFramesPerSecond;
        std::snprintf(timecode, sizeof timecode, "%02d:%02d:%02d:%02d", seconds / 3600 % 24, seconds / 60 % 60,
                      seconds % 60, first % kDvFramesPerSecond);
        if (av_dict_set(&oc->metadata, "timecode", timecode, 0) < 0)
            return false;
    }
    return avformat_write_header(oc, nullptr) >= 0;
}

// The audio goes first, so that the video completes the frame and the muxer
// hands it on at once.
bool CDvMuxer::Put(int index, const std::uint8_t* video, const std::uint8_t* pcm)
{
    if (!oc_)
        return false;
    if (restartable_ && index >= segmentFirst_ + segmentFrames_ && index % segmentFrames_ == 0) {
        if (av_write_trailer(oc_.get()) < 0 || failed_ || !Open(index))
            return false;
    }
    const auto n = static_cast<std::int64_t>(index - segmentFirst_);
    return Packet(1, pcm, kSamplesPerFrame * CAudioTrack48k::kBytesPerSample, n * kSamplesPerFrame,
                  kSamplesPerFrame, AVRational{1, CAudioTrack48k::kRate}) &&
           Packet(0, video, kDvFrameSize, n, 1, AVRational{1, kDvFramesPerSecond});
}

bool CDvMuxer::Finish()
{
    return oc_ && av_write_trailer(oc_.get()) >= 0 && !failed_;
}

int CDvMuxer::Write(void* opaque, std::uint8_t* data, int size)
{
    auto* self = static_cast<CDvMuxer*>(opaque);
    if (self->failed_ || !self->sink_.WriteFrame(data, size)) {
        self->failed_ = true;
        return AVERROR(EIO);
    }
    return size;
}

// The data is lent to the muxer for the call; it copies what it keeps.
bool CDvMuxer::Packet(int stream, const std::uint8_t* data, int size, std::int64_t pts, std::int64_t duration,
                      AVRational base)
{
    if (!packet_ && !(packet_ = ff::Packet(av_packet_alloc())))
        return false;
    av_packet_unref(packet_.get());
    const AVRational to = oc_->streams[stream]->time_base;
    packet_->data = const_cast<std::uint8_t*>(data);
    packet_->size = size;
    packet_->stream_index = stream;
    packet_->pts = packet_->dts = av_rescale_q(pts, base, to);
    packet_->duration = av_rescale_q(duration, base, to);
    packet_->flags |= AV_PKT_FLAG_KEY;
    const bool ok = av_write_frame(oc_.get(), packet_.get()) >= 0 && !failed_;
    packet_->data = nullptr;
    packet_->size = 0;
    return ok;
}
