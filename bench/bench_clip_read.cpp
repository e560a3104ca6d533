// Reading clip files through CClipFile: every frame of a raw DV file in
// order (one positioned 144000-byte read per frame), and frames of a DV AVI
// file by random index (a frame-exact seek per frame).
//
// Usage: bench_clip_read [frames] [folder] [--keep]
//   Writes clip.dv and clip.avi of `frames` frames (default 1500, one minute)
//   into `folder` (default $TMPDIR or /tmp), reads them and prints the
//   figures. With --keep the files stay, so the same data can be read by dd:
//     dd if=FOLDER/clip.dv of=/dev/null bs=144000
//   (the MB/s dd prints compares with the raw figure below; both read the
//   page cache after the file was just written; drop caches as root with
//   `echo 3 > /proc/sys/vm/drop_caches` before each run to compare cold).
#include "BenchCommon.h"
#include "CClipFile.h"
#include "DvFrame.h"
#include "FfmpegPtr.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

namespace {

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Frame i: a recognisable byte pattern (the reader does not look inside).
void FillFrame(std::vector<std::uint8_t>& f, int i)
{
    for (int b = 0; b < kDvFrameSize; ++b)
        f[b] = static_cast<std::uint8_t>(b * 7 + i * 13);
}

bool WriteRaw(const std::string& path, int frames)
{
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    std::vector<std::uint8_t> f(kDvFrameSize);
    bool ok = true;
    for (int i = 0; i < frames && ok; ++i) {
        FillFrame(f, i);
        ok = std::fwrite(f.data(), 1, f.size(), out) == f.size();
    }
    return std::fclose(out) == 0 && ok;
}

// A "vids"/"dvsd" AVI with a 48 kHz stereo PCM track, as libavformat's avi
// muxer lays it out.
bool WriteAvi(const std::string& path, int frames)
{
    AVFormatContext* made = nullptr;
    if (avformat_alloc_output_context2(&made, nullptr, "avi", path.c_str()) < 0)
        return false;
    const ff::Output output(made);
    AVFormatContext* oc = output.get();
    AVStream* v = avformat_new_stream(oc, nullptr);
    AVStream* a = avformat_new_stream(oc, nullptr);
    bool ok = v && a;
    if (ok) {
        v->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
        v->codecpar->codec_id = AV_CODEC_ID_DVVIDEO;
        v->codecpar->codec_tag = MKTAG('d', 'v', 's', 'd');
        v->codecpar->width = 720;
        v->codecpar->height = 576;
        v->time_base = AVRational{1, 25};
        a->codecpar->codec_type = AVMEDIA_TYPE_AUDIO;
        a->codecpar->codec_id = AV_CODEC_ID_PCM_S16LE;
        a->codecpar->sample_rate = 48000;
        av_channel_layout_default(&a->codecpar->ch_layout, 2);
        a->codecpar->block_align = 4;
        a->codecpar->bits_per_coded_sample = 16;
        a->time_base = AVRational{1, 48000};
        ok = avio_open(&oc->pb, path.c_str(), AVIO_FLAG_WRITE) >= 0 &&
             avformat_write_header(oc, nullptr) >= 0;
    }
    std::vector<std::uint8_t> f(kDvFrameSize);
    std::vector<std::uint8_t> pcm(1920 * 4, 0);
    const ff::Packet packet(av_packet_alloc());
    AVPacket* pkt = packet.get();
    ok = ok && pkt != nullptr;
    for (int i = 0; i < frames && ok; ++i) {
        FillFrame(f, i);
        ok = av_new_packet(pkt, kDvFrameSize) >= 0;
        if (!ok)
            break;
        std::memcpy(pkt->data, f.data(), f.size());
        pkt->stream_index = v->index;
        pkt->pts = pkt->dts = av_rescale_q(i, AVRational{1, 25}, v->time_base);
        pkt->flags |= AV_PKT_FLAG_KEY;
        ok = av_interleaved_write_frame(oc, pkt) >= 0 && av_new_packet(pkt, int(pcm.size())) >= 0;
        if (!ok)
            break;
        std::memcpy(pkt->data, pcm.data(), pcm.size());
        pkt->stream_index = a->index;
        pkt->pts = pkt->dts = av_rescale_q(i * 1920LL, AVRational{1, 48000}, a->time_base);
        ok = av_interleaved_write_frame(oc, pkt) >= 0;
    }
    return ok && av_write_trailer(oc) >= 0;
}

} // namespace

int main(int argc, char** argv)
{
    const BenchArgs args = ParseBenchArgs(argc, argv, 1500);
    const int frames = args.count;
    const std::string& folder = args.folder;
    if (frames < 1) {
        std::fprintf(stderr, "usage: bench_clip_read [frames] [folder] [--keep]\n");
        return 2;
    }
    const std::string raw = folder + "/clip.dv";
    const std::string avi = folder + "/clip.avi";
    if (!WriteRaw(raw, frames) || !WriteAvi(avi, frames)) {
        std::fprintf(stderr, "cannot write the test files in %s\n", folder.c_str());
        return 1;
    }

    CClipFile clip;
    std::vector<std::uint8_t> buf(kDvFrameSize);
    int status = 0;

    if (clip.Open(raw, true) != kClipOpenOk || clip.FrameCount() != frames) {
        std::fprintf(stderr, "cannot open %s\n", raw.c_str());
        return 1;
    }
    auto t0 = Clock::now();
    for (int i = 0; i < frames; ++i)
        if (!clip.ReadFrame(i, buf.data()))
            status = 1;
    const double rawMs = Ms(Clock::now() - t0);
    const double mb = double(frames) * kDvFrameSize / 1e6;
    std::printf("raw DV, %d frames in order: %.1f ms, %.3f ms/frame, %.0f MB/s\n", frames, rawMs,
                rawMs / frames, mb / (rawMs / 1000));

    if (clip.Open(avi, false) != kClipOpenOk || clip.FrameCount() != frames) {
        std::fprintf(stderr, "cannot open %s\n", avi.c_str());
        return 1;
    }
    t0 = Clock::now();
    for (int i = 0; i < frames; ++i)
        if (!clip.ReadFrame(i, buf.data()))
            status = 1;
    const double seqMs = Ms(Clock::now() - t0);
    std::printf("AVI, %d frames in order: %.3f ms/frame, %.0f MB/s\n", frames, seqMs / frames,
                mb / (seqMs / 1000));

    std::mt19937 rng(7);
    std::uniform_int_distribution<int> pick(0, frames - 1);
    double worst = 0;
    t0 = Clock::now();
    for (int n = 0; n < frames; ++n) {
        const auto s = Clock::now();
        if (!clip.ReadFrame(pick(rng), buf.data()))
            status = 1;
        worst = std::max(worst, Ms(Clock::now() - s));
    }
    const double randMs = Ms(Clock::now() - t0);
    std::printf("AVI, %d frames by random index: %.3f ms/frame average, %.3f ms worst\n", frames,
                randMs / frames, worst);
    clip.Close();

    if (args.keep) {
        std::printf("kept %s and %s; compare: dd if=%s of=/dev/null bs=144000\n", raw.c_str(),
                    avi.c_str(), raw.c_str());
    } else {
        std::remove(raw.c_str());
        std::remove(avi.c_str());
    }
    if (status)
        std::fprintf(stderr, "some reads failed\n");
    return status;
}
