#include "CAudioTrack48k.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

CAudioTrack48k::~CAudioTrack48k()
{
    av_channel_layout_uninit(&inLayout_);
}

bool CAudioTrack48k::Open(const std::string& path)
{
    input_ = ff::OpenAvi(path);
    if (!input_ || input_->nb_streams <= static_cast<unsigned>(stream_))
        return false;
    for (unsigned i = 0; i < input_->nb_streams; ++i)
        input_->streams[i]->discard = static_cast<int>(i) == stream_ ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    const AVCodecParameters* par = input_->streams[stream_]->codecpar;
    if (par->codec_type != AVMEDIA_TYPE_AUDIO)
        return false;
    const AVCodec* codec = avcodec_find_decoder(par->codec_id);
    if (!codec)
        return false;
    decoder_.reset(avcodec_alloc_context3(codec));
    if (!decoder_ || avcodec_parameters_to_context(decoder_.get(), par) < 0 ||
        avcodec_open2(decoder_.get(), codec, nullptr) < 0)
        return false;
    fifo_.reset(av_audio_fifo_alloc(AV_SAMPLE_FMT_S16, 2, kRate / 25));
    packet_.reset(av_packet_alloc());
    frame_.reset(av_frame_alloc());
    if (!fifo_ || !packet_ || !frame_)
        return false;
    // A track is usable when it yields sound.
    return Fill(1);
}

void CAudioTrack48k::Read(std::uint8_t* out, int samples)
{
    Fill(samples);
    void* planes[1] = {out};
    const int got = fifo_ ? std::max(0, av_audio_fifo_read(fifo_.get(), planes, samples)) : 0;
    if (got < samples)
        std::memset(out + static_cast<std::size_t>(got) * kBytesPerSample, 0,
                    static_cast<std::size_t>(samples - got) * kBytesPerSample);
}

bool CAudioTrack48k::Fill(int samples)
{
    if (!fifo_)
        return false;
    while (av_audio_fifo_size(fifo_.get()) < samples) {
        if (ended_)
            return false;
        const int rc = avcodec_receive_frame(decoder_.get(), frame_.get());
        if (rc == 0) {
            const bool ok = Convert(frame_.get());
            av_frame_unref(frame_.get());
            if (!ok)
                ended_ = true;
            continue;
        }
        if (rc != AVERROR(EAGAIN) || draining_) {
            // The decoder is drained, or broken: whatever the resampler
            // still holds comes out, then the track is over.
            if (resampler_)
                Convert(nullptr);
            ended_ = true;
            continue;
        }
        // The decoder wants input: the next packet of the track, or the
        // signal to drain at the end of the file or on a read error.
        if (av_read_frame(input_.get(), packet_.get()) < 0) {
            draining_ = true;
            avcodec_send_packet(decoder_.get(), nullptr);
            continue;
        }
        if (packet_->stream_index == stream_) {
            // A damaged packet is skipped; the decoder goes on with the next.
            avcodec_send_packet(decoder_.get(), packet_.get());
        }
        av_packet_unref(packet_.get());
    }
    return true;
}

namespace {

// The frame's channel layout; a layout that names only a channel count
// becomes the usual layout for that count.
bool LayoutOf(const AVFrame* frame, AVChannelLayout& layout)
{
    if (frame->ch_layout.order != AV_CHANNEL_ORDER_UNSPEC)
        return av_channel_layout_copy(&layout, &frame->ch_layout) >= 0;
    if (frame->ch_layout.nb_channels <= 0)
        return false;
    av_channel_layout_default(&layout, frame->ch_layout.nb_channels);
    return true;
}

} // namespace

bool CAudioTrack48k::SetUpResampler(const AVFrame* frame, const AVChannelLayout& layout)
{
    resampler_.reset();
    AVChannelLayout stereo{};
    av_channel_layout_default(&stereo, 2);
    // On failure the call frees what it allocated.
    SwrContext* swr = nullptr;
    if (swr_alloc_set_opts2(&swr, &stereo, AV_SAMPLE_FMT_S16, kRate, const_cast<AVChannelLayout*>(&layout),
                            static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0, nullptr) < 0)
        return false;
    resampler_.reset(swr);
    if (layout.nb_channels == 1) {
        // Mono plays on both channels at its own level, not 3 dB down.
        const double matrix[2] = {1.0, 1.0};
        if (swr_set_matrix(swr, matrix, 1) < 0) {
            resampler_.reset();
            return false;
        }
    }
    if (swr_init(swr) < 0) {
        resampler_.reset();
        return false;
    }
    return true;
}

bool CAudioTrack48k::Convert(const AVFrame* frame)
{
    if (frame) {
        AVChannelLayout layout{};
        if (!LayoutOf(frame, layout))
            return false;
        const bool changed = !resampler_ || frame->format != inFormat_ || frame->sample_rate != inRate_ ||
                             av_channel_layout_compare(&layout, &inLayout_) != 0;
        if (changed) {
            // What the old set-up still holds comes out before it changes.
            if (resampler_)
                Convert(nullptr);
            av_channel_layout_uninit(&inLayout_);
            inLayout_ = layout; // takes over the layout's storage
            inFormat_ = frame->format;
            inRate_ = frame->sample_rate;
            if (!SetUpResampler(frame, inLayout_))
                return false;
        } else {
            av_channel_layout_uninit(&layout);
        }
    }
    if (!resampler_)
        return false;
    const int inSamples = frame ? frame->nb_samples : 0;
    const int room = swr_get_out_samples(resampler_.get(), inSamples);
    if (room < 0)
        return false;
    if (room == 0)
        return true;
    converted_.resize(static_cast<std::size_t>(room) * kBytesPerSample);
    std::uint8_t* out[1] = {converted_.data()};
    const int made = swr_convert(resampler_.get(), out, room,
                                 frame ? const_cast<const std::uint8_t**>(frame->extended_data) : nullptr,
                                 inSamples);
    if (made < 0)
        return false;
    void* planes[1] = {converted_.data()};
    return made == 0 || av_audio_fifo_write(fifo_.get(), planes, made) == made;
}
