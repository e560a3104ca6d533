// SavePicturePng: the file decodes back to the picture's colours, and
// failures leave no file.
#include "SavePicturePng.h"

#include "DvFixtures.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sys/stat.h>
#include <filesystem>
#include <memory>

#include "FfmpegPtr.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace {


TEST(SavePicturePngTest, FileDecodesToThePicturesColours)
{
    CTempDir dir;
    CPicture picture;
    ASSERT_TRUE(picture.Create(90, 72));
    for (int y = 0; y < 72; ++y)
        for (int x = 0; x < 90; ++x) {
            std::uint8_t* px = picture.Pixels() + (y * 90 + x) * 4;
            px[0] = static_cast<std::uint8_t>(x);       // blue
            px[1] = static_cast<std::uint8_t>(y);       // green
            px[2] = static_cast<std::uint8_t>(x ^ y);   // red
            px[3] = 0xEE;                               // spare, not saved
        }
    const std::string path = dir.File("frame.png");
    ASSERT_TRUE(SavePicturePng(picture, path));

    std::vector<std::uint8_t> bytes = dvfix::ReadBytes(path);
    ASSERT_GT(bytes.size(), 8u);
    EXPECT_EQ(0, std::memcmp(bytes.data(), "\x89PNG\r\n\x1a\n", 8));

    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_PNG);
    ASSERT_NE(nullptr, codec);
    ff::Codec dec(avcodec_alloc_context3(codec));
    ASSERT_EQ(0, avcodec_open2(dec.get(), codec, nullptr));
    ff::Packet pkt(av_packet_alloc());
    ASSERT_EQ(0, av_new_packet(pkt.get(), static_cast<int>(bytes.size())));
    std::memcpy(pkt->data, bytes.data(), bytes.size());
    ff::Frame frame(av_frame_alloc());
    ASSERT_EQ(0, avcodec_send_packet(dec.get(), pkt.get()));
    ASSERT_EQ(0, avcodec_receive_frame(dec.get(), frame.get()));
    ASSERT_EQ(AV_PIX_FMT_RGB24, frame->format);
    ASSERT_EQ(90, frame->width);
    ASSERT_EQ(72, frame->height);
    for (int y = 0; y < 72; ++y)
        for (int x = 0; x < 90; ++x) {
            const std::uint8_t* rgb = frame->data[0] + y * frame->linesize[0] + x * 3;
            ASSERT_EQ(x ^ y, rgb[0]) << x << "," << y;
            ASSERT_EQ(y, rgb[1]) << x << "," << y;
            ASSERT_EQ(x, rgb[2]) << x << "," << y;
        }
}

TEST(SavePicturePngTest, FailuresLeaveNoFile)
{
    CTempDir dir;
    CPicture empty;
    EXPECT_FALSE(SavePicturePng(empty, dir.File("empty.png")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("empty.png")));

    CPicture picture;
    ASSERT_TRUE(picture.Create(4, 4));
    picture.Fill(0, 0, 0, 0, 0);
    EXPECT_FALSE(SavePicturePng(picture, dir.File("missing/frame.png")));
    EXPECT_FALSE(SavePicturePng(picture, dir.Path())); // a folder

    // Not a regular file: neither written nor removed.
    const std::string fifo = dir.File("pipe");
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    EXPECT_FALSE(SavePicturePng(picture, fifo));
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));

    // A write that fails part-way (a file size limit standing in for a full
    // disk) leaves nothing behind.
    bool saved = false;
    {
        CFileSizeLimit full(10);
        saved = SavePicturePng(picture, dir.File("full.png"));
    }
    EXPECT_FALSE(saved);
    EXPECT_FALSE(std::filesystem::exists(dir.File("full.png")));
}

} // namespace
