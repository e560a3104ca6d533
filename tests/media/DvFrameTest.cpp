// The DV test on block 54, the audio classes at their boundaries, on frames
// made by hand and by FFmpeg, and the time and size texts.
#include "DvFixtures.h"
#include "DvFrame.h"

#include <gtest/gtest.h>

#include <string>

#include <vector>

namespace {

std::vector<std::uint8_t> FrameWith(std::uint8_t b4320, std::uint8_t b4323, std::uint8_t fill = 0)
{
    std::vector<std::uint8_t> f(kDvFrameSize, fill);
    f[4320] = b4320;
    f[4323] = b4323;
    return f;
}

std::vector<std::uint8_t> AudioPack(int smp, int af)
{
    auto f = FrameWith(0x76, 0x50);
    // Bits outside the tested fields are set, so that a wrong mask shows.
    f[4324] = static_cast<std::uint8_t>(0xC0 | af);
    f[4327] = static_cast<std::uint8_t>(0xC7 | (smp << 3));
    return f;
}

} // namespace

TEST(DvFrameTest, BlockIdTopNibbleAndSourcePackDecide)
{
    for (int b = 0x70; b <= 0x7F; ++b)
        EXPECT_TRUE(IsDvFrame(FrameWith(static_cast<std::uint8_t>(b), 0x50, 0xAB).data())) << b;
    EXPECT_FALSE(IsDvFrame(FrameWith(0x60, 0x50).data()));
    EXPECT_FALSE(IsDvFrame(FrameWith(0x6F, 0x50).data()));
    EXPECT_FALSE(IsDvFrame(FrameWith(0x80, 0x50).data()));
    EXPECT_FALSE(IsDvFrame(FrameWith(0xF7, 0x50).data()));
    EXPECT_FALSE(IsDvFrame(FrameWith(0x76, 0x51).data()));
    EXPECT_FALSE(IsDvFrame(FrameWith(0x76, 0xFF).data()));
    EXPECT_FALSE(IsDvFrame(std::vector<std::uint8_t>(kDvFrameSize, 0).data()));
}

TEST(DvFrameTest, AudioClassesAtTheirBoundaries)
{
    EXPECT_EQ(kDvAudio48k, ClassifyDvAudio(AudioPack(0, 0).data()));
    EXPECT_EQ(kDvAudio48k, ClassifyDvAudio(AudioPack(0, 48).data()));
    EXPECT_EQ(kDvAudioNoSamples, ClassifyDvAudio(AudioPack(0, 49).data()));
    EXPECT_EQ(kDvAudioNoSamples, ClassifyDvAudio(AudioPack(0, 63).data()));
    EXPECT_EQ(kDvAudio32k, ClassifyDvAudio(AudioPack(2, 32).data()));
    EXPECT_EQ(kDvAudioNoSamples, ClassifyDvAudio(AudioPack(2, 33).data()));
    for (int af : {0, 20, 48, 63}) {
        EXPECT_EQ(kDvAudioUnsupported, ClassifyDvAudio(AudioPack(1, af).data())) << af;
        EXPECT_EQ(kDvAudioUnsupported, ClassifyDvAudio(AudioPack(7, af).data())) << af;
    }
    auto f = FrameWith(0x76, 0x50);
    f[4324] = 0x10;
    f[4327] = 0xFF; // SMP 7
    EXPECT_EQ(kDvAudioUnsupported, ClassifyDvAudio(f.data()));
}

TEST(DvFrameTest, FramesFromTheDvMuxerCarryTheirAudioRate)
{
    const auto f48 = dvfix::MakeDvFrames(1, 48000);
    const auto f44 = dvfix::MakeDvFrames(1, 44100);
    const auto f32 = dvfix::MakeDvFrames(1, 32000);
    const auto silent = dvfix::MakeDvFrames(1, 0);
    ASSERT_EQ(std::size_t(kDvFrameSize), f48.size());
    ASSERT_EQ(std::size_t(kDvFrameSize), f44.size());
    ASSERT_EQ(std::size_t(kDvFrameSize), f32.size());
    ASSERT_EQ(std::size_t(kDvFrameSize), silent.size());

    ASSERT_TRUE(IsDvFrame(f48.data()));
    EXPECT_EQ(kDvAudio48k, ClassifyDvAudio(f48.data()));
    ASSERT_TRUE(IsDvFrame(f44.data()));
    EXPECT_EQ(kDvAudioUnsupported, ClassifyDvAudio(f44.data()));
    ASSERT_TRUE(IsDvFrame(f32.data()));
    EXPECT_EQ(kDvAudio32k, ClassifyDvAudio(f32.data()));
    // The encoder alone leaves the audio pack empty.
    EXPECT_FALSE(IsDvFrame(silent.data()));
}

TEST(DvFrameTest, TimeText)
{
    EXPECT_EQ("0:00:00.00", FormatFrameTime(0));
    EXPECT_EQ("0:00:00.24", FormatFrameTime(24));
    EXPECT_EQ("0:00:03.00", FormatFrameTime(75));
    EXPECT_EQ("0:01:00.00", FormatFrameTime(1500));
    EXPECT_EQ("0:59:59.24", FormatFrameTime(89999));
    EXPECT_EQ("1:00:00.00", FormatFrameTime(90000));
    // Hours are neither padded nor limited to 24.
    EXPECT_EQ("26:00:00.01", FormatFrameTime(26 * 90000 + 1));
}

TEST(DvFrameTest, SizeTextWithBothSeparators)
{
    EXPECT_EQ("0:00:00.00   (0.0 MB)", FormatFrameTimeSize(0, false));
    EXPECT_EQ("0:00:03.00   (10.3 MB)", FormatFrameTimeSize(75, false));
    EXPECT_EQ("0:00:03.00 \n (10.3 MB)", FormatFrameTimeSize(75, true));
    EXPECT_EQ("0:00:40.00   (137.7 MB)", FormatFrameTimeSize(1000, false));
    EXPECT_EQ("0:43:41.10   (9023.8 MB)", FormatFrameTimeSize(65535, false));
}

TEST(DvFrameTest, SizeRemaindersFrom1000To1023ShowNine)
{
    // 29 frames: 4089 KiB, 3 MB and 1017 KiB.
    EXPECT_EQ("0:00:01.04   (3.9 MB)", FormatFrameTimeSize(29, false));
    int seen = 0;
    for (int frames = 0; frames < 5000; ++frames) {
        const long long k = frames * 141LL;
        if (k % 1024 < 1000)
            continue;
        ++seen;
        const std::string size = " (" + std::to_string(k / 1024) + ".9 MB)";
        const std::string text = FormatFrameTimeSize(frames, true);
        ASSERT_EQ(size, text.substr(text.size() - size.size())) << frames;
    }
    EXPECT_GT(seen, 50);
}

TEST(DvFrameTest, NegativeCountsShowAsZero)
{
    EXPECT_EQ("0:00:00.00", FormatFrameTime(-1));
    EXPECT_EQ("0:00:00.00   (0.0 MB)", FormatFrameTimeSize(-30, false));
}
