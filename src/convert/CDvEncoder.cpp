#include "CDvEncoder.h"

#include "DvFrame.h"

extern "C" {
#include <libavcodec/dv_profile.h>
}

bool CDvEncoder::Open(DvAspect aspect)
{
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_DVVIDEO);
    if (!codec)
        return false;
    encoder_.reset(avcodec_alloc_context3(codec));
    packet_.reset(av_packet_alloc());
    if (!encoder_ || !packet_)
        return false;
    encoder_->width = 720;
    encoder_->height = 576;
    encoder_->pix_fmt = AV_PIX_FMT_YUV420P;
    encoder_->time_base = AVRational{1, kDvFramesPerSecond};
    encoder_->framerate = AVRational{kDvFramesPerSecond, 1};
    // The encoder marks a frame 16:9 from the pixel shape.
    encoder_->sample_aspect_ratio = DvPixelAspect(aspect);
    encoder_->thread_count = 0;
    encoder_->thread_type = FF_THREAD_SLICE;
    return avcodec_open2(encoder_.get(), codec, nullptr) >= 0;
}

const AVPacket* CDvEncoder::Encode(const AVFrame* picture)
{
    av_packet_unref(packet_.get());
    if (avcodec_send_frame(encoder_.get(), picture) < 0 ||
        avcodec_receive_packet(encoder_.get(), packet_.get()) < 0 || packet_->size != kDvFrameSize)
        return nullptr;
    return packet_.get();
}

const AVDVProfile* CDvEncoder::Profile() const
{
    return av_dv_codec_profile2(720, 576, AV_PIX_FMT_YUV420P, AVRational{kDvFramesPerSecond, 1});
}
