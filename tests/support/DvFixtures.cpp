#include "DvFixtures.h"

#include "FfmpegPtr.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <utility>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
}

namespace dvfix {
namespace {

// A picture that depends on the frame index everywhere, so that every frame
// encodes differently.
void Paint(AVFrame* f, int index)
{
    for (int y = 0; y < f->height; ++y)
        for (int x = 0; x < f->width; ++x)
            f->data[0][y * f->linesize[0] + x] =
                static_cast<std::uint8_t>(16 + ((x + 2 * y + 9 * index) % 220));
    for (int y = 0; y < f->height / 2; ++y)
        for (int x = 0; x < f->width / 2; ++x) {
            f->data[1][y * f->linesize[1] + x] = static_cast<std::uint8_t>(64 + (index * 13 + x / 8) % 128);
            f->data[2][y * f->linesize[2] + x] = static_cast<std::uint8_t>(64 + (index * 7 + y / 8) % 128);
        }
}

// Encoded DV frames, as the encoder makes them (no audio pack).
bool EncodeFrames(int count, std::vector<std::vector<std::uint8_t>>& out,
                  AVCodecParameters* params, bool wide = false, int firstPicture = 0)
{
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_DVVIDEO);
    if (!codec)
        return false;
    ff::Codec enc(avcodec_alloc_context3(codec));
    enc->width = 720;
    enc->height = 576;
    enc->pix_fmt = AV_PIX_FMT_YUV420P;
    enc->time_base = AVRational{1, 25};
    enc->framerate = AVRational{25, 1};
    // The encoder marks a frame 16:9 by its pixel shape.
    if (wide)
        enc->sample_aspect_ratio = AVRational{64, 45};
    if (avcodec_open2(enc.get(), codec, nullptr) < 0)
        return false;
    if (params && avcodec_parameters_from_context(params, enc.get()) < 0)
        return false;

    ff::Frame frame(av_frame_alloc());
    frame->format = enc->pix_fmt;
    frame->width = enc->width;
    frame->height = enc->height;
    if (av_frame_get_buffer(frame.get(), 0) < 0)
        return false;
    ff::Packet pkt(av_packet_alloc());
    for (int i = 0; i < count; ++i) {
        if (av_frame_make_writable(frame.get()) < 0)
            return false;
        Paint(frame.get(), firstPicture + i);
        frame->pts = i;
        if (avcodec_send_frame(enc.get(), frame.get()) < 0)
            return false;
        if (avcodec_receive_packet(enc.get(), pkt.get()) < 0 || pkt->size != kFrameBytes)
            return false;
        out.emplace_back(pkt->data, pkt->data + pkt->size);
        av_packet_unref(pkt.get());
    }
    return true;
}

int AppendToVector(void* opaque, std::uint8_t* buf, int size)
{
    auto* v = static_cast<std::vector<std::uint8_t>*>(opaque);
    v->insert(v->end(), buf, buf + size);
    return size;
}

// 16-bit stereo samples for frame `index`: a recognisable ramp.
std::vector<std::uint8_t> AudioFor(int index, int samples)
{
    std::vector<std::uint8_t> pcm(static_cast<std::size_t>(samples) * 4);
    for (int s = 0; s < samples; ++s) {
        const auto v = static_cast<std::uint16_t>((index * samples + s) * 37);
        pcm[4 * s] = pcm[4 * s + 2] = static_cast<std::uint8_t>(v);
        pcm[4 * s + 1] = pcm[4 * s + 3] = static_cast<std::uint8_t>(v >> 8);
    }
    return pcm;
}

AVStream* AddPcmStream(AVFormatContext* oc, int rate)
{
    AVStream* st = avformat_new_stream(oc, nullptr);
    if (!st)
        return nullptr;
    st->codecpar->codec_type = AVMEDIA_TYPE_AUDIO;
    st->codecpar->codec_id = AV_CODEC_ID_PCM_S16LE;
    st->codecpar->format = AV_SAMPLE_FMT_S16;
    st->codecpar->sample_rate = rate;
    av_channel_layout_default(&st->codecpar->ch_layout, 2);
    st->codecpar->bits_per_coded_sample = 16;
    st->codecpar->block_align = 4;
    st->time_base = AVRational{1, rate};
    return st;
}

bool WritePacket(AVFormatContext* oc, int stream, const std::vector<std::uint8_t>& data,
                 std::int64_t pts, std::int64_t duration)
{
    ff::Packet pkt(av_packet_alloc());
    if (av_new_packet(pkt.get(), static_cast<int>(data.size())) < 0)
        return false;
    if (!data.empty())
        std::memcpy(pkt->data, data.data(), data.size());
    pkt->stream_index = stream;
    pkt->pts = pkt->dts = pts;
    pkt->duration = duration;
    pkt->flags |= AV_PKT_FLAG_KEY;
    return av_write_frame(oc, pkt.get()) >= 0;
}

// The encoder's frames put through the dv muxer with PCM audio at `rate`.
bool MuxWithAudio(const std::vector<std::vector<std::uint8_t>>& video,
                  const AVCodecParameters* videoParams, int rate, std::vector<std::uint8_t>& out,
                  const DvStamp* stamp = nullptr)
{
    AVFormatContext* raw = nullptr;
    if (avformat_alloc_output_context2(&raw, nullptr, "dv", nullptr) < 0)
        return false;
    ff::Output oc(raw);
    AVStream* vst = avformat_new_stream(oc.get(), nullptr);
    if (!vst || avcodec_parameters_copy(vst->codecpar, videoParams) < 0)
        return false;
    vst->time_base = AVRational{1, 25};
    if (!AddPcmStream(oc.get(), rate))
        return false;

    const ff::Io io = ff::MakeIo(1 << 16, &out, nullptr, AppendToVector);
    if (!io)
        return false;
    oc->pb = io.get();
    oc->flags |= AVFMT_FLAG_CUSTOM_IO;
    // The muxer writes the timecode into the subcode and the creation time
    // as the recording date and time.
    if (stamp != nullptr) {
        av_dict_set(&oc->metadata, "timecode", stamp->timecode.c_str(), 0);
        av_dict_set(&oc->metadata, "creation_time", stamp->recorded.c_str(), 0);
    }

    if (avformat_write_header(oc.get(), nullptr) < 0)
        return false;
    const int samples = rate / 25;
    for (std::size_t i = 0; i < video.size(); ++i) {
        const int n = static_cast<int>(i);
        if (!WritePacket(oc.get(), 0, video[i], n, 1) ||
            !WritePacket(oc.get(), 1, AudioFor(n, samples), static_cast<std::int64_t>(n) * samples, samples))
            return false;
    }
    if (av_write_trailer(oc.get()) < 0)
        return false;
    avio_flush(oc->pb);
    return out.size() == video.size() * kFrameBytes;
}

void Put32(std::vector<std::uint8_t>& b, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void Put16(std::vector<std::uint8_t>& b, std::uint16_t v)
{
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void PutTag(std::vector<std::uint8_t>& b, const char* tag)
{
    b.insert(b.end(), tag, tag + 4);
}
void PatchSize(std::vector<std::uint8_t>& b, std::size_t at)
{
    const auto size = static_cast<std::uint32_t>(b.size() - at - 4);
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(size >> (8 * i));
}

} // namespace

std::vector<std::uint8_t> MakeDvFrames(int count, int audioRate)
{
    static std::map<std::pair<int, int>, std::vector<std::uint8_t>> made;
    const auto key = std::make_pair(count, audioRate);
    if (auto it = made.find(key); it != made.end())
        return it->second;

    std::vector<std::vector<std::uint8_t>> video;
    AVCodecParameters* params = avcodec_parameters_alloc();
    std::vector<std::uint8_t> out;
    bool ok = EncodeFrames(count, video, params);
    if (ok && audioRate != 0) {
        ok = MuxWithAudio(video, params, audioRate, out);
    } else if (ok) {
        for (const auto& f : video)
            out.insert(out.end(), f.begin(), f.end());
    }
    avcodec_parameters_free(&params);
    if (!ok)
        return {};
    made[key] = out;
    return out;
}

std::vector<std::uint8_t> MakeStampedDvFrames(int count, const DvStamp& stamp)
{
    std::vector<std::vector<std::uint8_t>> video;
    AVCodecParameters* params = avcodec_parameters_alloc();
    std::vector<std::uint8_t> out;
    const bool ok = EncodeFrames(count, video, params, stamp.wide, stamp.firstPicture) &&
                    MuxWithAudio(video, params, stamp.audioRate, out, &stamp);
    avcodec_parameters_free(&params);
    return ok ? out : std::vector<std::uint8_t>{};
}

std::vector<std::uint8_t> Frame(const std::vector<std::uint8_t>& frames, int index)
{
    const auto at = static_cast<std::size_t>(index) * kFrameBytes;
    if (at + kFrameBytes > frames.size())
        return {};
    return std::vector<std::uint8_t>(frames.begin() + static_cast<std::ptrdiff_t>(at),
                                     frames.begin() + static_cast<std::ptrdiff_t>(at + kFrameBytes));
}

bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

std::vector<std::uint8_t> ReadBytes(const std::string& path)
{
    std::vector<std::uint8_t> out;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return out;
    std::uint8_t buf[65536];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;)
        out.insert(out.end(), buf, buf + n);
    std::fclose(f);
    return out;
}

bool WriteMuxedAvi(const std::string& path, const std::vector<std::vector<std::uint8_t>>& packets,
                   const AviLayout& layout)
{
    AVFormatContext* raw = nullptr;
    if (avformat_alloc_output_context2(&raw, nullptr, "avi", path.c_str()) < 0)
        return false;
    ff::Output oc(raw);

    int videoIndex = -1;
    int audioIndex = -1;
    auto addVideo = [&]() {
        AVStream* st = avformat_new_stream(oc.get(), nullptr);
        if (!st)
            return false;
        st->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
        st->codecpar->width = 720;
        st->codecpar->height = 576;
        if (layout.dvVideo) {
            st->codecpar->codec_id = AV_CODEC_ID_DVVIDEO;
            st->codecpar->codec_tag = MKTAG('d', 'v', 's', 'd');
            st->codecpar->format = AV_PIX_FMT_YUV420P;
        } else {
            st->codecpar->codec_id = AV_CODEC_ID_MJPEG;
            st->codecpar->codec_tag = MKTAG('M', 'J', 'P', 'G');
            st->codecpar->format = AV_PIX_FMT_YUVJ420P;
        }
        st->time_base = AVRational{1, 25};
        st->avg_frame_rate = AVRational{25, 1};
        videoIndex = st->index;
        return true;
    };
    auto addAudio = [&]() {
        AVStream* st = AddPcmStream(oc.get(), 48000);
        if (st)
            audioIndex = st->index;
        return st != nullptr;
    };
    if (layout.audioFirst) {
        if (!addAudio() || !addVideo())
            return false;
    } else if (!addVideo() || (layout.audio && !addAudio())) {
        return false;
    }

    if (avio_open(&oc->pb, path.c_str(), AVIO_FLAG_WRITE) < 0)
        return false;
    if (avformat_write_header(oc.get(), nullptr) < 0)
        return false;
    const AVRational videoBase = oc->streams[videoIndex]->time_base;
    const AVRational audioBase = audioIndex >= 0 ? oc->streams[audioIndex]->time_base : AVRational{1, 1};
    for (std::size_t i = 0; i < packets.size(); ++i) {
        const auto n = static_cast<std::int64_t>(i);
        if (!WritePacket(oc.get(), videoIndex, packets[i],
                         av_rescale_q(n, AVRational{1, 25}, videoBase),
                         av_rescale_q(1, AVRational{1, 25}, videoBase)))
            return false;
        if (audioIndex >= 0) {
            const std::int64_t samples = 1920;
            if (!WritePacket(oc.get(), audioIndex, AudioFor(static_cast<int>(i), 1920),
                             av_rescale_q(n * samples, AVRational{1, 48000}, audioBase),
                             av_rescale_q(samples, AVRational{1, 48000}, audioBase)))
                return false;
        }
    }
    return av_write_trailer(oc.get()) >= 0;
}

bool WriteDvVideoAvi(const std::string& path, const std::vector<std::uint8_t>& frames,
                     const AviLayout& layout)
{
    std::vector<std::vector<std::uint8_t>> packets;
    for (std::size_t at = 0; at + kFrameBytes <= frames.size(); at += kFrameBytes)
        packets.emplace_back(frames.begin() + static_cast<std::ptrdiff_t>(at),
                             frames.begin() + static_cast<std::ptrdiff_t>(at + kFrameBytes));
    return WriteMuxedAvi(path, packets, layout);
}

bool WriteInterleavedAvi(const std::string& path, const std::vector<std::uint8_t>& frames, bool index)
{
    const auto count = static_cast<std::uint32_t>(frames.size() / kFrameBytes);
    std::vector<std::uint8_t> b;
    PutTag(b, "RIFF");
    Put32(b, 0);
    PutTag(b, "AVI ");

    PutTag(b, "LIST");
    const std::size_t hdrl = b.size();
    Put32(b, 0);
    PutTag(b, "hdrl");
    PutTag(b, "avih");
    Put32(b, 56);
    Put32(b, 40000);  // microseconds per frame
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, index ? 0x10 : 0); // has index
    Put32(b, count);
    Put32(b, 0);
    Put32(b, 1);      // streams
    Put32(b, kFrameBytes + 8);
    Put32(b, 720);
    Put32(b, 576);
    for (int i = 0; i < 4; ++i)
        Put32(b, 0);

    PutTag(b, "LIST");
    const std::size_t strl = b.size();
    Put32(b, 0);
    PutTag(b, "strl");
    PutTag(b, "strh");
    Put32(b, 56);
    PutTag(b, "iavs");
    PutTag(b, "dvsd");
    Put32(b, 0);      // flags
    Put16(b, 0);
    Put16(b, 0);
    Put32(b, 0);      // initial frames
    Put32(b, 1);      // scale
    Put32(b, 25);     // rate
    Put32(b, 0);      // start
    Put32(b, count);  // length
    Put32(b, kFrameBytes + 8);
    Put32(b, 0);      // quality
    Put32(b, 0);      // sample size
    Put16(b, 0);
    Put16(b, 0);
    Put16(b, 720);
    Put16(b, 576);
    PutTag(b, "strf"); // DV information block: AAUX and VAUX packs, left zero
    Put32(b, 32);
    for (int i = 0; i < 8; ++i)
        Put32(b, 0);
    PatchSize(b, strl);
    PatchSize(b, hdrl);

    PutTag(b, "LIST");
    const std::size_t movi = b.size();
    Put32(b, 0);
    const std::size_t moviTag = b.size();
    PutTag(b, "movi");
    std::vector<std::uint32_t> offsets;
    for (std::uint32_t i = 0; i < count; ++i) {
        offsets.push_back(static_cast<std::uint32_t>(b.size() - moviTag));
        PutTag(b, "00__");
        Put32(b, kFrameBytes);
        const auto at = static_cast<std::ptrdiff_t>(i) * kFrameBytes;
        b.insert(b.end(), frames.begin() + at, frames.begin() + at + kFrameBytes);
    }
    PatchSize(b, movi);

    if (index) {
        PutTag(b, "idx1");
        Put32(b, 16 * count);
        for (std::uint32_t off : offsets) {
            PutTag(b, "00__");
            Put32(b, 0x10); // key frame
            Put32(b, off);
            Put32(b, kFrameBytes);
        }
    }
    PatchSize(b, 4);
    return WriteBytes(path, b);
}

} // namespace dvfix
