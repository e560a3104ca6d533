// An AVI file's first stream (DV video) and second stream (any audio) muxed
// into DV frames by libavformat's dv muxer, which writes through a custom
// AVIOContext whose write callback is the frame sink.
#include "CAudioTrack48k.h"
#include "DvFrame.h"
#include "FfmpegPtr.h"
#include "MediaGraph.h"

#include <cstring>
#include <vector>

extern "C" {
#include <libavcodec/dv_profile.h>
#include <libavutil/channel_layout.h>
}

namespace {

constexpr int kSamplesPerFrame = CAudioTrack48k::kRate / kDvFramesPerSecond; // 1920

// The dv muxer with its output going to the sink. The AVIOContext buffer is
// one frame long, so the muxer's write of a frame reaches the sink at once
// and whole.
class CDvMuxer {
public:
    explicit CDvMuxer(IDvFrameSink& sink) : sink_(sink) {}
    ~CDvMuxer()
    {
        if (!oc_)
            return;
        if (oc_->pb) {
            av_freep(&oc_->pb->buffer);
            avio_context_free(&oc_->pb);
        }
        avformat_free_context(oc_);
    }
    CDvMuxer(const CDvMuxer&) = delete;
    CDvMuxer& operator=(const CDvMuxer&) = delete;

    // Video of the profile `video` (PAL, 144000-byte frames) and 48 kHz
    // stereo 16-bit PCM.
    bool Start(const AVDVProfile& video)
    {
        if (avformat_alloc_output_context2(&oc_, nullptr, "dv", nullptr) < 0 || !oc_)
            return false;
        AVStream* vst = avformat_new_stream(oc_, nullptr);
        AVStream* ast = avformat_new_stream(oc_, nullptr);
        if (!vst || !ast)
            return false;
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

        auto* buffer = static_cast<std::uint8_t*>(av_malloc(kDvFrameSize));
        if (!buffer)
            return false;
        oc_->pb = avio_alloc_context(buffer, kDvFrameSize, 1, this, nullptr, &CDvMuxer::Write, nullptr);
        if (!oc_->pb) {
            av_free(buffer);
            return false;
        }
        oc_->flags |= AVFMT_FLAG_CUSTOM_IO;
        return avformat_write_header(oc_, nullptr) >= 0;
    }

    // Frame `index`: its audio first, so that the video completes the frame
    // and the muxer hands it on at once.
    bool Put(int index, const std::uint8_t* video, const std::uint8_t* pcm)
    {
        const auto n = static_cast<std::int64_t>(index);
        return Packet(1, pcm, kSamplesPerFrame * CAudioTrack48k::kBytesPerSample, n * kSamplesPerFrame,
                      kSamplesPerFrame, AVRational{1, CAudioTrack48k::kRate}) &&
               Packet(0, video, kDvFrameSize, n, 1, AVRational{1, kDvFramesPerSecond});
    }

    bool Finish() { return av_write_trailer(oc_) >= 0 && !failed_; }
    bool SinkFailed() const { return failed_; }

private:
    static int Write(void* opaque, std::uint8_t* data, int size)
    {
        auto* self = static_cast<CDvMuxer*>(opaque);
        if (self->failed_ || !self->sink_.WriteFrame(data, size)) {
            self->failed_ = true;
            return AVERROR(EIO);
        }
        return size;
    }

    // The data is lent to the muxer for the call; it copies what it keeps.
    bool Packet(int stream, const std::uint8_t* data, int size, std::int64_t pts, std::int64_t duration,
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
        const bool ok = av_write_frame(oc_, packet_.get()) >= 0 && !failed_;
        packet_->data = nullptr;
        packet_->size = 0;
        return ok;
    }

    IDvFrameSink& sink_;
    AVFormatContext* oc_ = nullptr;
    ff::Packet packet_;
    bool failed_ = false;
};

// The PAL DV profile of a frame, or null when the frame is not one the
// player can show (another system, another size).
const AVDVProfile* PalProfile(const AVPacket& packet)
{
    if (packet.size != kDvFrameSize)
        return nullptr;
    const AVDVProfile* p = av_dv_frame_profile(nullptr, packet.data, static_cast<unsigned>(packet.size));
    if (!p || p->frame_size != kDvFrameSize || p->width != 720 || p->height != 576)
        return nullptr;
    return p;
}

} // namespace

MuxResult MuxAviToDv(const std::string& source, IDvFrameSink& sink)
{
    ff::Input input = ff::OpenAvi(source);
    if (!input || input->nb_streams == 0)
        return kMuxSourceRefused;
    const AVCodecParameters* par = input->streams[0]->codecpar;
    if (par->codec_type != AVMEDIA_TYPE_VIDEO || par->codec_id != AV_CODEC_ID_DVVIDEO)
        return kMuxSourceRefused;
    for (unsigned i = 1; i < input->nb_streams; ++i)
        input->streams[i]->discard = AVDISCARD_ALL;

    ff::Packet packet(av_packet_alloc());
    ff::Packet frame(av_packet_alloc()); // the last frame with data
    if (!packet || !frame)
        return kMuxSourceRefused;
    CAudioTrack48k audio;
    bool hasAudio = false;
    CDvMuxer muxer(sink);
    std::vector<std::uint8_t> pcm(static_cast<std::size_t>(kSamplesPerFrame) * CAudioTrack48k::kBytesPerSample);
    int index = 0;             // frames handed to the sink so far
    std::int64_t nextPts = -1; // the frame number the file should deliver next

    auto put = [&]() {
        const bool ok = hasAudio ? (audio.Read(pcm.data(), kSamplesPerFrame),
                                    muxer.Put(index, frame->data, pcm.data()))
                                 : sink.WriteFrame(frame->data, frame->size);
        ++index;
        return ok;
    };

    for (;; av_packet_unref(packet.get())) {
        const int rc = av_read_frame(input.get(), packet.get());
        if (rc == AVERROR_EOF)
            break;
        if (rc < 0)
            return kMuxReadFailed;
        if (packet->stream_index != 0)
            continue;
        if (frame->size == 0) {
            // The first frame with data decides what the file holds.
            if (packet->size == 0)
                continue;
            const AVDVProfile* profile = PalProfile(*packet);
            if (!profile)
                return kMuxSourceRefused;
            hasAudio = audio.Open(source);
            if (hasAudio && !muxer.Start(*profile))
                return kMuxSourceRefused;
        } else if (packet->size != 0 && !PalProfile(*packet)) {
            return kMuxSourceRefused;
        }

        // Frames the file leaves out (no data, or a gap in the frame
        // numbers) are given as the frame before them.
        const std::int64_t pts = packet->pts;
        if (nextPts >= 0 && pts != AV_NOPTS_VALUE) {
            for (std::int64_t missing = nextPts; missing < pts; ++missing)
                if (!put())
                    return kMuxWriteFailed;
        }
        if (packet->size != 0) {
            av_packet_unref(frame.get());
            av_packet_move_ref(frame.get(), packet.get());
        }
        if (!put())
            return kMuxWriteFailed;
        nextPts = pts == AV_NOPTS_VALUE ? -1 : pts + 1;
    }
    if (hasAudio && !muxer.Finish())
        return kMuxWriteFailed;
    return kMuxDone;
}
