#include "ConvertFixtures.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "FfmpegPtr.h"
#include "MediaGraph.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

namespace convfix {
namespace {

constexpr int kPalFrame = 144000;

// Encodes `rgb` frames (RGB24, width x height) with the DV encoder into
// `out`, back to back.
bool EncodeRgb(const std::vector<std::vector<std::uint8_t>>& rgb, int width, int height,
               AVPixelFormat format, AVRational timeBase, std::vector<std::uint8_t>& out)
{
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_DVVIDEO);
    if (!codec)
        return false;
    ff::Codec enc(avcodec_alloc_context3(codec));
    enc->width = width;
    enc->height = height;
    enc->pix_fmt = format;
    enc->time_base = timeBase;
    enc->framerate = av_inv_q(timeBase);
    if (avcodec_open2(enc.get(), codec, nullptr) < 0)
        return false;
    ff::Sws sws(sws_getContext(width, height, AV_PIX_FMT_RGB24, width, height,
                                                             format, SWS_BILINEAR, nullptr, nullptr, nullptr));
    ff::Frame frame(av_frame_alloc());
    ff::Packet pkt(av_packet_alloc());
    if (!sws || !frame || !pkt)
        return false;
    frame->format = format;
    frame->width = width;
    frame->height = height;
    if (av_frame_get_buffer(frame.get(), 0) < 0)
        return false;
    for (std::size_t i = 0; i < rgb.size(); ++i) {
        if (av_frame_make_writable(frame.get()) < 0)
            return false;
        const std::uint8_t* src[1] = {rgb[i].data()};
        const int srcStride[1] = {width * 3};
        sws_scale(sws.get(), src, srcStride, 0, height, frame->data, frame->linesize);
        frame->pts = static_cast<std::int64_t>(i);
        if (avcodec_send_frame(enc.get(), frame.get()) < 0 || avcodec_receive_packet(enc.get(), pkt.get()) < 0)
            return false;
        out.insert(out.end(), pkt->data, pkt->data + pkt->size);
        av_packet_unref(pkt.get());
    }
    return true;
}

bool WritePacket(AVFormatContext* oc, int stream, const std::uint8_t* data, int size, std::int64_t pts,
                 std::int64_t duration, AVRational base)
{
    ff::Packet pkt(av_packet_alloc());
    if (!pkt || av_new_packet(pkt.get(), size) < 0)
        return false;
    if (size > 0)
        std::memcpy(pkt->data, data, static_cast<std::size_t>(size));
    const AVRational to = oc->streams[stream]->time_base;
    pkt->stream_index = stream;
    pkt->pts = pkt->dts = av_rescale_q(pts, base, to);
    pkt->duration = av_rescale_q(duration, base, to);
    pkt->flags |= AV_PKT_FLAG_KEY;
    return av_write_frame(oc, pkt.get()) >= 0;
}

// Samples [from, to) of every channel of `track`, interleaved, in its format.
std::vector<std::uint8_t> TrackBytes(const AudioTrack& track, long from, long to)
{
    std::vector<std::uint8_t> out;
    for (long i = from; i < to; ++i)
        for (int ch = 0; ch < track.channels; ++ch) {
            const std::int16_t v = Signal(track.rate, ch, i);
            if (track.unsigned8) {
                out.push_back(static_cast<std::uint8_t>((v >> 8) + 128));
            } else {
                out.push_back(static_cast<std::uint8_t>(v & 0xFF));
                out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
            }
        }
    return out;
}

} // namespace

const std::vector<Rgb>& ColourBars()
{
    static const std::vector<Rgb> bars = {
        {191, 191, 191}, {191, 191, 0}, {0, 191, 191}, {0, 191, 0},
        {191, 0, 191},   {191, 0, 0},   {0, 0, 191},   {0, 0, 0},
    };
    return bars;
}

std::vector<std::uint8_t> MakeBarsFrame(Rgb bottom)
{
    const int w = 720;
    const int h = 576;
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Rgb c = y < h / 2 ? ColourBars()[static_cast<std::size_t>(x / 90)] : bottom;
            std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * w + x) * 3];
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
        }
    std::vector<std::uint8_t> out;
    if (!EncodeRgb({rgb}, w, h, AV_PIX_FMT_YUV420P, AVRational{1, 25}, out) || out.size() != kPalFrame)
        return {};
    return out;
}

std::vector<std::uint8_t> MakeNtscFrames(int count)
{
    const int w = 720;
    const int h = 480;
    std::vector<std::vector<std::uint8_t>> rgb;
    for (int i = 0; i < count; ++i)
        rgb.emplace_back(static_cast<std::size_t>(w) * h * 3, static_cast<std::uint8_t>(40 + 10 * i));
    std::vector<std::uint8_t> out;
    if (!EncodeRgb(rgb, w, h, AV_PIX_FMT_YUV411P, AVRational{1001, 30000}, out))
        return {};
    return out;
}

std::int16_t Signal(int rate, int ch, long i)
{
    const double f = 440.0 * (ch + 1);
    return static_cast<std::int16_t>(std::lround(12000.0 * std::sin(2.0 * M_PI * f * static_cast<double>(i) / rate)));
}

bool WriteAviWithTrack(const std::string& path, const std::vector<std::uint8_t>& frames, int frameSize,
                       const AudioTrack& track, const std::vector<int>& dropped)
{
    const bool pal = frameSize == kPalFrame;
    const AVRational frameBase = pal ? AVRational{1, 25} : AVRational{1001, 30000};
    const int count = static_cast<int>(frames.size() / static_cast<std::size_t>(frameSize));

    AVFormatContext* raw = nullptr;
    if (avformat_alloc_output_context2(&raw, nullptr, "avi", path.c_str()) < 0)
        return false;
    ff::Output oc(raw);
    AVStream* vst = avformat_new_stream(oc.get(), nullptr);
    if (!vst)
        return false;
    vst->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
    vst->codecpar->codec_id = AV_CODEC_ID_DVVIDEO;
    vst->codecpar->codec_tag = MKTAG('d', 'v', 's', 'd');
    vst->codecpar->width = 720;
    vst->codecpar->height = pal ? 576 : 480;
    vst->codecpar->format = pal ? AV_PIX_FMT_YUV420P : AV_PIX_FMT_YUV411P;
    vst->time_base = frameBase;
    vst->avg_frame_rate = av_inv_q(frameBase);

    const bool audio = track.channels > 0;
    if (audio) {
        AVStream* ast = avformat_new_stream(oc.get(), nullptr);
        if (!ast)
            return false;
        ast->codecpar->codec_type = AVMEDIA_TYPE_AUDIO;
        ast->codecpar->codec_id = track.unsigned8 ? AV_CODEC_ID_PCM_U8 : AV_CODEC_ID_PCM_S16LE;
        ast->codecpar->format = track.unsigned8 ? AV_SAMPLE_FMT_U8 : AV_SAMPLE_FMT_S16;
        ast->codecpar->sample_rate = track.rate;
        av_channel_layout_default(&ast->codecpar->ch_layout, track.channels);
        ast->codecpar->bits_per_coded_sample = track.unsigned8 ? 8 : 16;
        ast->codecpar->block_align = track.channels * (track.unsigned8 ? 1 : 2);
        ast->time_base = AVRational{1, track.rate};
    }
    if (avio_open(&oc->pb, path.c_str(), AVIO_FLAG_WRITE) < 0 || avformat_write_header(oc.get(), nullptr) < 0)
        return false;

    // Samples per channel up to the start of frame n.
    auto boundary = [&](long n) {
        return static_cast<long>(av_rescale_q(n, frameBase, AVRational{1, track.rate}));
    };
    const long total = track.samples > 0 ? track.samples : boundary(count);
    const AVRational sampleBase{1, track.rate};
    long written = 0;
    auto writeAudio = [&](long upTo) {
        upTo = std::min(upTo, total);
        if (!audio || upTo <= written)
            return true;
        const std::vector<std::uint8_t> bytes = TrackBytes(track, written, upTo);
        const bool ok = WritePacket(oc.get(), 1, bytes.data(), static_cast<int>(bytes.size()), written,
                                    upTo - written, sampleBase);
        written = upTo;
        return ok;
    };
    for (int n = 0; n < count; ++n) {
        const bool drop = std::find(dropped.begin(), dropped.end(), n) != dropped.end();
        const std::uint8_t* data = frames.data() + static_cast<std::size_t>(n) * frameSize;
        if (!WritePacket(oc.get(), 0, data, drop ? 0 : frameSize, n, 1, frameBase))
            return false;
        if (!writeAudio(boundary(n + 1)))
            return false;
    }
    // A track longer than the video goes on in portions of a second.
    while (audio && written < total)
        if (!writeAudio(written + track.rate))
            return false;
    return av_write_trailer(oc.get()) >= 0;
}

bool IsVideoBlock(int block)
{
    return block >= 6 && (block - 6) % 16 != 0;
}

bool SameVideoBlocks(const std::uint8_t* a, const std::uint8_t* b)
{
    for (int seq = 0; seq < 12; ++seq)
        for (int block = 0; block < 150; ++block) {
            if (!IsVideoBlock(block))
                continue;
            const std::size_t at = static_cast<std::size_t>(seq) * 12000 + static_cast<std::size_t>(block) * 80;
            if (std::memcmp(a + at, b + at, 80) != 0)
                return false;
        }
    return true;
}

std::vector<std::int16_t> ReadDvAudio(const std::string& path)
{
    std::vector<std::int16_t> out;
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path.c_str(), av_find_input_format("dv"), nullptr) < 0)
        return out;
    ff::Input in(raw);
    ff::Packet pkt(av_packet_alloc());
    while (av_read_frame(in.get(), pkt.get()) >= 0) {
        const AVStream* st = in->streams[pkt->stream_index];
        if (st->codecpar->codec_type == AVMEDIA_TYPE_AUDIO && st->codecpar->ch_layout.nb_channels == 2) {
            const std::size_t n = static_cast<std::size_t>(pkt->size) / 2;
            const std::size_t at = out.size();
            out.resize(at + n);
            std::memcpy(out.data() + at, pkt->data, n * 2);
        }
        av_packet_unref(pkt.get());
    }
    return out;
}

namespace {

bool Run(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// Why clips cannot be made here; empty when they can.
const std::string& ToolMissing()
{
    static const std::string reason = [] {
        if (!Run("ffmpeg -version"))
            return std::string("the ffmpeg tool is not installed");
        if (!Run("ffmpeg -hide_banner -encoders | grep -q ' libx264 '"))
            return std::string("the ffmpeg tool has no libx264 encoder");
        return std::string();
    }();
    return reason;
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

} // namespace

std::string MakeClip(const std::string& path, const Clip& clip)
{
    if (!ToolMissing().empty())
        return ToolMissing();
    const std::string tool = "ffmpeg -v error -y -nostdin ";
    if (clip.ntscDv) {
        // The dv muxer stops a few frames short of the sound's end; the
        // file is cut back to 30 whole frames.
        const std::string cmd = tool + "-f lavfi -i testsrc2=size=720x480:rate=30000/1001 "
                                       "-f lavfi -i sine=frequency=440:sample_rate=48000 "
                                       "-t 1.6 -target ntsc-dv -f dv " + Quoted(path);
        std::error_code error;
        if (!Run(cmd) || std::filesystem::file_size(path, error) < 30 * 120000u)
            return "the ffmpeg tool could not write " + path;
        std::filesystem::resize_file(path, 30 * 120000u, error);
        return error ? "cannot cut " + path : std::string();
    }
    char picture[200];
    std::snprintf(picture, sizeof picture,
                  "-f lavfi -i color=c=blue:size=%dx%d:rate=%d,drawbox=x=0:y=0:w=%d:h=%d:color=red:t=fill ",
                  clip.width, clip.height, clip.rate, clip.width / 2, clip.height);
    std::string cmd = tool + picture;
    if (clip.audioRate > 0)
        cmd += "-f lavfi -i sine=frequency=440:sample_rate=" + std::to_string(clip.audioRate) + " -ac " +
               std::to_string(clip.channels) + " -c:a aac ";
    char length[32];
    std::snprintf(length, sizeof length, "-t %.3f ", clip.seconds);
    cmd += length;
    cmd += "-c:v libx264 -preset ultrafast -pix_fmt yuv420p ";
    if (clip.faststart)
        cmd += "-movflags +faststart ";
    if (!clip.creationTime.empty())
        cmd += "-metadata creation_time=" + clip.creationTime + " ";
    // The rotation survives only a copy into the container, not an encode.
    const std::string encoded = clip.rotate != 0 ? path + ".plain.mp4" : path;
    if (!Run(cmd + Quoted(encoded)))
        return "the ffmpeg tool could not write " + encoded;
    if (clip.rotate != 0) {
        const bool ok = Run(tool + "-i " + Quoted(encoded) + " -c copy -metadata:s:v rotate=" +
                            std::to_string(clip.rotate) + " " + Quoted(path));
        std::remove(encoded.c_str());
        if (!ok)
            return "the ffmpeg tool could not write " + path;
    }
    return std::string();
}

std::string DvRecordingDate(const std::uint8_t* frame)
{
    // Blocks 3 to 5 of every DIF sequence are VAUX: 15 packs of 5 bytes
    // after a 3-byte block header; pack 0x62 is the recording date (BCD
    // day, month and year in its last three bytes).
    for (int block = 3; block <= 5; ++block) {
        const std::uint8_t* b = frame + block * 80 + 3;
        for (int pack = 0; pack < 15; ++pack) {
            const std::uint8_t* p = b + pack * 5;
            if (p[0] != 0x62)
                continue;
            const auto bcd = [](std::uint8_t v, std::uint8_t mask) { return ((v & mask) >> 4) * 10 + (v & 0x0F); };
            const int day = bcd(p[2], 0x30), month = bcd(p[3], 0x10), year = bcd(p[4], 0xF0);
            char text[16];
            std::snprintf(text, sizeof text, "%04d-%02d-%02d", year < 75 ? 2000 + year : 1900 + year, month, day);
            return text;
        }
    }
    return std::string();
}

std::vector<std::uint8_t> DecodeDvFileFrame(const std::string& path, int index, double* displayAspect)
{
    std::vector<std::uint8_t> frame(kPalFrame);
    std::ifstream in(path, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(index) * kPalFrame);
    if (!in.read(reinterpret_cast<char*>(frame.data()), kPalFrame))
        return {};
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(kDecodedWidth) * kDecodedHeight * 4);
    if (!DecodeDvVideoFrame(frame.data(), kPalFrame, pixels.data()))
        return {};
    if (displayAspect != nullptr) {
        *displayAspect = 0;
        const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_DVVIDEO);
        ff::Codec dec(avcodec_alloc_context3(codec));
        ff::Packet pkt(av_packet_alloc());
        ff::Frame picture(av_frame_alloc());
        if (dec && avcodec_open2(dec.get(), codec, nullptr) >= 0 && av_new_packet(pkt.get(), kPalFrame) >= 0) {
            std::memcpy(pkt->data, frame.data(), kPalFrame);
            if (avcodec_send_packet(dec.get(), pkt.get()) >= 0 &&
                avcodec_receive_frame(dec.get(), picture.get()) >= 0 && picture->height > 0)
                *displayAspect = av_q2d(picture->sample_aspect_ratio) * picture->width / picture->height;
        }
    }
    return pixels;
}

} // namespace convfix
