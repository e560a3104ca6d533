// An AVI file's first stream (DV video) and second stream (any audio) muxed
// into DV frames by the dv muxer (CDvMuxer), which writes to the frame sink.
#include "CAudioTrack48k.h"
#include "CDvMuxer.h"
#include "DvFrame.h"
#include "FfmpegPtr.h"
#include "MediaGraph.h"

#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavcodec/dv_profile.h>
#include <libavformat/avformat.h>
}

namespace {

constexpr int kSamplesPerFrame = CDvMuxer::kSamplesPerFrame;

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

// Opens `source` as an AVI file whose first stream is DV video, with its
// other streams discarded; null when it is not one.
ff::Input OpenDvVideoAvi(const std::string& source)
{
    ff::Input input = ff::OpenAvi(source);
    if (!input || input->nb_streams == 0)
        return nullptr;
    const AVCodecParameters* par = input->streams[0]->codecpar;
    if (par->codec_type != AVMEDIA_TYPE_VIDEO || par->codec_id != AV_CODEC_ID_DVVIDEO)
        return nullptr;
    for (unsigned i = 1; i < input->nb_streams; ++i)
        input->streams[i]->discard = AVDISCARD_ALL;
    return input;
}

} // namespace

MuxResult MuxAviToDv(const std::string& source, IDvFrameSink& sink)
{
    ff::Input input = OpenDvVideoAvi(source);
    if (!input)
        return kMuxSourceRefused;

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

bool IsPalDvAvi(const std::string& source)
{
    ff::Input input = OpenDvVideoAvi(source);
    if (!input)
        return false;
    ff::Packet packet(av_packet_alloc());
    while (packet && av_read_frame(input.get(), packet.get()) >= 0) {
        if (packet->stream_index == 0 && packet->size > 0)
            return PalProfile(*packet) != nullptr;
        av_packet_unref(packet.get());
    }
    return false;
}
