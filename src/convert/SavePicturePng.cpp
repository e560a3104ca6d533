#include "SavePicturePng.h"

#include "FfmpegPtr.h"
#include "FileIo.h"

#include <unistd.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
}

namespace {

// Writes a regular file only: a device or pipe named as the output is
// neither written nor removed.
bool WriteFile(const std::string& path, const std::uint8_t* data, int size)
{
    const int fd = OpenRegularOutput(path, 0666);
    if (fd < 0)
        return false;
    bool ok = WriteAll(fd, data, static_cast<std::size_t>(size));
    ok = ::close(fd) == 0 && ok;
    if (!ok)
        ::unlink(path.c_str());
    return ok;
}

} // namespace

bool SavePicturePng(const CPicture& picture, const std::string& path)
{
    if (picture.IsEmpty() || picture.Width() <= 0 || picture.Height() <= 0)
        return false;
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_PNG);
    if (!codec)
        return false;
    ff::Codec enc(avcodec_alloc_context3(codec));
    if (!enc)
        return false;
    enc->width = picture.Width();
    enc->height = picture.Height();
    enc->pix_fmt = AV_PIX_FMT_RGB24;
    enc->time_base = AVRational{1, 25};
    if (avcodec_open2(enc.get(), codec, nullptr) < 0)
        return false;

    ff::Frame frame(av_frame_alloc());
    if (!frame)
        return false;
    frame->format = AV_PIX_FMT_RGB24;
    frame->width = picture.Width();
    frame->height = picture.Height();
    if (av_frame_get_buffer(frame.get(), 0) < 0)
        return false;
    // Blue, green, red, spare to red, green, blue.
    for (int y = 0; y < picture.Height(); ++y) {
        const std::uint8_t* in = picture.Pixels() + static_cast<std::size_t>(y) * picture.Stride();
        std::uint8_t* out = frame->data[0] + static_cast<std::size_t>(y) * frame->linesize[0];
        for (int x = 0; x < picture.Width(); ++x) {
            out[3 * x] = in[4 * x + 2];
            out[3 * x + 1] = in[4 * x + 1];
            out[3 * x + 2] = in[4 * x];
        }
    }

    ff::Packet packet(av_packet_alloc());
    if (!packet || avcodec_send_frame(enc.get(), frame.get()) < 0 ||
        avcodec_receive_packet(enc.get(), packet.get()) < 0)
        return false;
    return WriteFile(path, packet->data, packet->size);
}
