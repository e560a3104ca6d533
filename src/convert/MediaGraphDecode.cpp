// One DV frame decoded by libavcodec's DV decoder and turned into 4-byte
// BGR pixels by libswscale.
#include "FfmpegPtr.h"
#include "MediaGraph.h"

#include <bit>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

bool DecodeDvVideoFrame(const std::uint8_t* data, int size, std::uint8_t* bgrx)
{
    if (!data || size <= 0 || !bgrx)
        return false;
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_DVVIDEO);
    if (!codec)
        return false;
    ff::Codec dec(avcodec_alloc_context3(codec));
    if (!dec || avcodec_open2(dec.get(), codec, nullptr) < 0)
        return false;

    // The decoder may read a little past the data: give it a padded copy.
    ff::Packet packet(av_packet_alloc());
    if (!packet || av_new_packet(packet.get(), size) < 0)
        return false;
    std::memcpy(packet->data, data, static_cast<std::size_t>(size));
    packet->flags |= AV_PKT_FLAG_KEY;

    ff::Frame frame(av_frame_alloc());
    if (!frame || avcodec_send_packet(dec.get(), packet.get()) < 0)
        return false;
    if (avcodec_receive_frame(dec.get(), frame.get()) < 0) {
        // A decoder that holds the frame back gives it up when drained.
        if (avcodec_send_packet(dec.get(), nullptr) < 0 ||
            avcodec_receive_frame(dec.get(), frame.get()) < 0)
            return false;
    }
    // A frame of another system (NTSC, HD) decodes to another size.
    if (frame->width != kDecodedWidth || frame->height != kDecodedHeight)
        return false;

    // BGRA is the byte order blue, green, red, alpha; swscale converts to
    // it on its fast path and the alpha byte is cleared below. The converter
    // holds no picture between calls, only its set-up, which is kept for
    // the next frame of the same format (one per thread).
    thread_local ff::Sws sws;
    sws.reset(sws_getCachedContext(sws.release(), frame->width, frame->height,
                                   static_cast<AVPixelFormat>(frame->format), kDecodedWidth, kDecodedHeight,
                                   AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr));
    if (!sws)
        return false;
    std::uint8_t* planes[4] = {bgrx, nullptr, nullptr, nullptr};
    int strides[4] = {kDecodedWidth * 4, 0, 0, 0};
    if (sws_scale(sws.get(), frame->data, frame->linesize, 0, frame->height, planes, strides) !=
        kDecodedHeight)
        return false;
    static_assert(std::endian::native == std::endian::little, "the mask below assumes little-endian words");
    const std::size_t pixels = static_cast<std::size_t>(kDecodedWidth) * kDecodedHeight;
    for (std::size_t i = 0; i < pixels; ++i) {
        std::uint32_t v;
        std::memcpy(&v, bgrx + 4 * i, 4);
        v &= 0x00FFFFFFu; // bytes in memory order: blue, green, red, 0
        std::memcpy(bgrx + 4 * i, &v, 4);
    }
    return true;
}
