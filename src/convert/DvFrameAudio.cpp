#include "DvFrameAudio.h"

#include "FfmpegPtr.h"

#include <cstring>
#include <memory>

extern "C" {
#include <libavcodec/dv_profile.h>
#include <libavformat/avformat.h>
#include <libavutil/intreadwrite.h>
}

namespace {

// One frame in memory, read by the demuxer as if it were a file.
struct MemoryFile {
    const std::uint8_t* data;
    std::int64_t size;
    std::int64_t at = 0;

    static int Read(void* opaque, std::uint8_t* buffer, int wanted)
    {
        auto* f = static_cast<MemoryFile*>(opaque);
        const std::int64_t left = f->size - f->at;
        if (left <= 0)
            return AVERROR_EOF;
        const int n = static_cast<int>(left < wanted ? left : wanted);
        std::memcpy(buffer, f->data + f->at, static_cast<std::size_t>(n));
        f->at += n;
        return n;
    }
};

constexpr int kIoBufferSize = 32768;
// The first four bytes of a frame's header block (ID of section 0 of
// sequence 0, and the header's first data byte without its DSF bit).
constexpr std::uint32_t kHeaderBlockStart = 0x1F07003F;

} // namespace

bool ExtractDvAudio(const std::uint8_t* frame, int size, DvFrameAudio& audio)
{
    audio = DvFrameAudio();
    // Only a frame that begins with a DV header block and whose profile the
    // demuxer knows; anything else would only fill the log with its
    // complaints.
    if (frame == nullptr || size < 4 || (AV_RB32(frame) & 0xFFFFFF7Fu) != kHeaderBlockStart)
        return false;
    const AVDVProfile* profile = av_dv_frame_profile(nullptr, frame, static_cast<unsigned>(size));
    if (profile == nullptr || profile->frame_size > size)
        return false;

    MemoryFile file{frame, profile->frame_size};
    // Declared after its I/O context, the demuxer is closed first.
    const ff::Io io = ff::MakeIo(kIoBufferSize, &file, &MemoryFile::Read, nullptr);
    if (!io)
        return false;
    const ff::Input input = ff::OpenInput(io.get(), av_find_input_format("dv"));
    if (!input)
        return false;

    // The video packet comes first, then one packet per channel pair; the
    // pairs' streams appear as the frame is read.
    ff::Packet packet(av_packet_alloc());
    if (!packet)
        return false;
    int pair = -1;
    while (av_read_frame(input.get(), packet.get()) >= 0) {
        const AVStream* stream = input->streams[packet->stream_index];
        const AVCodecParameters* par = stream->codecpar;
        if (par->codec_type == AVMEDIA_TYPE_AUDIO && (pair < 0 || pair == packet->stream_index) &&
            par->codec_id == AV_CODEC_ID_PCM_S16LE && par->ch_layout.nb_channels > 0 && par->sample_rate > 0) {
            pair = packet->stream_index;
            audio.rate = par->sample_rate;
            audio.channels = par->ch_layout.nb_channels;
            const int values = packet->size / 2;
            for (int i = 0; i < values; ++i)
                audio.samples.push_back(static_cast<std::int16_t>(AV_RL16(packet->data + 2 * i)));
        }
        av_packet_unref(packet.get());
    }
    // Whole sample frames only.
    if (audio.channels > 0)
        audio.samples.resize(audio.samples.size() / static_cast<std::size_t>(audio.channels) *
                             static_cast<std::size_t>(audio.channels));
    if (audio.samples.empty()) {
        audio = DvFrameAudio();
        return false;
    }
    return true;
}
