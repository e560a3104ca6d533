// Decoding one DV frame into a 720x576 picture with DecodeDvFrame (one-frame
// AVI written to a temporary file, read back by libavformat, decoded by
// libavcodec, converted by libswscale, file removed) against libavcodec
// alone decoding the same frame, measured in the same run.
//
// Usage: bench_decode [iterations]
//   Prints the mean time per frame of each, and their ratio; the target is
//   a ratio of at most 1.5 against libavcodec with a decoder opened for the
//   frame (DecodeDvFrame keeps nothing between calls either). The ratio
//   against a decoder kept open across frames is printed for comparison.
//   Exits with status 1 when the target is missed.
#include "BenchCommon.h"
#include "CPicture.h"
#include "DecodeDvFrame.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "FfmpegPtr.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
}

namespace {


using ff::Codec;

// One PAL DV frame of a busy picture, from libavcodec's encoder.
std::vector<std::uint8_t> MakeFrame()
{
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_DVVIDEO);
    if (!codec)
        return {};
    Codec enc(avcodec_alloc_context3(codec));
    enc->width = 720;
    enc->height = 576;
    enc->pix_fmt = AV_PIX_FMT_YUV420P;
    enc->time_base = AVRational{1, 25};
    if (avcodec_open2(enc.get(), codec, nullptr) < 0)
        return {};
    ff::Frame f(av_frame_alloc());
    f->format = enc->pix_fmt;
    f->width = 720;
    f->height = 576;
    if (av_frame_get_buffer(f.get(), 0) < 0)
        return {};
    for (int y = 0; y < 576; ++y)
        for (int x = 0; x < 720; ++x)
            f->data[0][y * f->linesize[0] + x] = static_cast<std::uint8_t>(16 + (x * x / 7 + y * 3) % 220);
    for (int p = 1; p < 3; ++p)
        for (int y = 0; y < 288; ++y)
            for (int x = 0; x < 360; ++x)
                f->data[p][y * f->linesize[p] + x] = static_cast<std::uint8_t>(40 + (x * p + y) % 180);
    ff::Packet pkt(av_packet_alloc());
    if (avcodec_send_frame(enc.get(), f.get()) < 0 || avcodec_receive_packet(enc.get(), pkt.get()) < 0)
        return {};
    return std::vector<std::uint8_t>(pkt->data, pkt->data + pkt->size);
}

// libavcodec alone: send the frame, receive the picture. `dec` null opens a
// decoder for this frame and frees it after.
bool DecodeWithLibavcodec(AVCodecContext* dec, const AVCodec* codec, AVPacket* pkt, AVFrame* out)
{
    Codec own;
    if (!dec) {
        own.reset(avcodec_alloc_context3(codec));
        if (!own || avcodec_open2(own.get(), codec, nullptr) < 0)
            return false;
        dec = own.get();
    }
    if (avcodec_send_packet(dec, pkt) < 0 || avcodec_receive_frame(dec, out) < 0)
        return false;
    av_frame_unref(out);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const int iterations = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    const std::vector<std::uint8_t> frame = MakeFrame();
    if (frame.size() != 144000) {
        std::fprintf(stderr, "cannot make a DV frame\n");
        return 2;
    }
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_DVVIDEO);
    ff::Packet pkt(av_packet_alloc());
    if (!codec || !pkt || av_new_packet(pkt.get(), 144000) < 0)
        return 2;
    std::memcpy(pkt->data, frame.data(), frame.size());
    ff::Frame out(av_frame_alloc());
    Codec kept(avcodec_alloc_context3(codec));
    if (!kept || avcodec_open2(kept.get(), codec, nullptr) < 0)
        return 2;
    CPicture picture;
    picture.Create(720, 576);

    // Warm up every path once, then alternate the three in rounds, so that
    // they share the machine's state.
    if (DecodeDvFrame(frame.data(), picture) != 0 ||
        !DecodeWithLibavcodec(nullptr, codec, pkt.get(), out.get()) ||
        !DecodeWithLibavcodec(kept.get(), codec, pkt.get(), out.get())) {
        std::fprintf(stderr, "decoding failed\n");
        return 2;
    }
    Clock::duration tOurs{}, tFresh{}, tKept{};
    const int rounds = 10;
    for (int r = 0; r < rounds; ++r) {
        const int n = iterations / rounds + (r < iterations % rounds ? 1 : 0);
        auto t0 = Clock::now();
        for (int i = 0; i < n; ++i)
            DecodeDvFrame(frame.data(), picture);
        auto t1 = Clock::now();
        for (int i = 0; i < n; ++i)
            DecodeWithLibavcodec(nullptr, codec, pkt.get(), out.get());
        auto t2 = Clock::now();
        for (int i = 0; i < n; ++i)
            DecodeWithLibavcodec(kept.get(), codec, pkt.get(), out.get());
        auto t3 = Clock::now();
        tOurs += t1 - t0;
        tFresh += t2 - t1;
        tKept += t3 - t2;
    }
    const double ours = Seconds(tOurs) / iterations * 1000;
    const double fresh = Seconds(tFresh) / iterations * 1000;
    const double kept2 = Seconds(tKept) / iterations * 1000;
    std::printf("frames decoded:                         %d of each\n", iterations);
    std::printf("DecodeDvFrame (temp AVI, 720x576 BGR):  %.3f ms/frame\n", ours);
    std::printf("libavcodec, decoder opened per frame:   %.3f ms/frame  (ratio %.2f, target <= 1.5)\n", fresh,
                ours / fresh);
    std::printf("libavcodec, decoder kept open:          %.3f ms/frame  (ratio %.2f)\n", kept2, ours / kept2);
    return ours / fresh <= 1.5 ? 0 : 1;
}
