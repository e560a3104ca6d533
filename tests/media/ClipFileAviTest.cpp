// CClipFile on AVI files: both DV kinds with their frame counts and frames
// byte-identical to the DV that went in, in any order of reading; and the
// AVI files it refuses or cannot open.
#include "CClipFile.h"
#include "DvFixtures.h"
#include "DvFrame.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

constexpr int kFrames = 12;

class ClipFileAviTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        frames = dvfix::MakeDvFrames(kFrames, 48000);
        ASSERT_EQ(std::size_t(kFrames) * kDvFrameSize, frames.size());
    }
    // Reads every frame in `order` and compares it with the frame that went in.
    void ExpectFramesInOrder(const std::vector<int>& order)
    {
        for (int i : order) {
            std::fill(buf.begin(), buf.end(), 0xEE);
            ASSERT_TRUE(clip.ReadFrame(i, buf.data())) << "frame " << i;
            ASSERT_EQ(dvfix::Frame(frames, i), buf) << "frame " << i;
        }
    }
    std::vector<int> Shuffled(unsigned seed) const
    {
        std::vector<int> order;
        for (int r = 0; r < 3; ++r)
            for (int i = 0; i < kFrames; ++i)
                order.push_back(i);
        std::shuffle(order.begin(), order.end(), std::mt19937(seed));
        return order;
    }
    std::vector<int> InSequence() const
    {
        std::vector<int> order;
        for (int i = 0; i < kFrames; ++i)
            order.push_back(i);
        return order;
    }

    std::vector<std::uint8_t> frames;
    std::vector<std::uint8_t> buf = std::vector<std::uint8_t>(kDvFrameSize);
    CTempDir dir;
    CClipFile clip;
};

} // namespace

TEST_F(ClipFileAviTest, DvVideoWithSeparateAudioIsType2)
{
    const std::string path = dir.File("type2.avi");
    ASSERT_TRUE(dvfix::WriteDvVideoAvi(path, frames));
    ASSERT_EQ(kClipOpenOk, clip.Open(path, false));
    EXPECT_TRUE(clip.IsOpen());
    EXPECT_FALSE(clip.IsRaw());
    EXPECT_TRUE(clip.HasSeparateAudio());
    EXPECT_EQ(kFrames, clip.FrameCount());
    EXPECT_EQ(path, clip.SourcePath());
    ExpectFramesInOrder(InSequence());
    ExpectFramesInOrder(Shuffled(1));
    EXPECT_FALSE(clip.ReadFrame(kFrames, buf.data()));
    EXPECT_TRUE(clip.IsOpen());
}

TEST_F(ClipFileAviTest, InterleavedDvIsType1)
{
    const std::string path = dir.File("type1.AVI");
    ASSERT_TRUE(dvfix::WriteInterleavedAvi(path, frames));
    ASSERT_EQ(kClipOpenOk, clip.Open(path, false));
    EXPECT_FALSE(clip.HasSeparateAudio());
    EXPECT_EQ(kFrames, clip.FrameCount());
    ExpectFramesInOrder(Shuffled(2));
    ExpectFramesInOrder(InSequence());
    EXPECT_FALSE(clip.ReadFrame(kFrames, buf.data()));
}

TEST_F(ClipFileAviTest, InterleavedDvWithoutIndexCountsByDurationAndReadsEveryFrame)
{
    // No index: the count comes from the container's duration, and a frame
    // cannot be found by seeking, in order or out of it.
    const std::string path = dir.File("cut.avi");
    ASSERT_TRUE(dvfix::WriteInterleavedAvi(path, frames, false));
    ASSERT_EQ(kClipOpenOk, clip.Open(path, false));
    EXPECT_FALSE(clip.HasSeparateAudio());
    EXPECT_EQ(kFrames, clip.FrameCount());
    ExpectFramesInOrder(Shuffled(4));
    ExpectFramesInOrder(InSequence());
    EXPECT_FALSE(clip.ReadFrame(kFrames, buf.data()));

    // Read in order from the start, as a write to the card reads it.
    ASSERT_EQ(kClipOpenOk, clip.Open(path, false));
    ExpectFramesInOrder(InSequence());
}

TEST_F(ClipFileAviTest, DvVideoWithoutAudioStreamIsType2)
{
    const std::string path = dir.File("silent.avi");
    dvfix::AviLayout layout;
    layout.audio = false;
    ASSERT_TRUE(dvfix::WriteDvVideoAvi(path, frames, layout));
    ASSERT_EQ(kClipOpenOk, clip.Open(path, false));
    EXPECT_TRUE(clip.HasSeparateAudio());
    EXPECT_EQ(kFrames, clip.FrameCount());
    ExpectFramesInOrder(Shuffled(3));
}

TEST_F(ClipFileAviTest, FirstStreamAudioOrNotDvIsRefused)
{
    dvfix::AviLayout audioFirst;
    audioFirst.audioFirst = true;
    ASSERT_TRUE(dvfix::WriteDvVideoAvi(dir.File("audiofirst.avi"), frames, audioFirst));
    EXPECT_EQ(kClipOpenNotDv, clip.Open(dir.File("audiofirst.avi"), false));
    EXPECT_FALSE(clip.IsOpen());

    dvfix::AviLayout notDv;
    notDv.dvVideo = false;
    ASSERT_TRUE(dvfix::WriteDvVideoAvi(dir.File("mjpeg.avi"), frames, notDv));
    EXPECT_EQ(kClipOpenNotDv, clip.Open(dir.File("mjpeg.avi"), false));
    EXPECT_FALSE(clip.IsOpen());
    EXPECT_EQ(0, clip.FrameCount());
}

TEST_F(ClipFileAviTest, UnreadableOrEmptyAviCannotBeOpened)
{
    EXPECT_EQ(kClipOpenFailed, clip.Open(dir.File("missing.avi"), false));

    // Raw DV named .avi: the name decides, and it is not an AVI file.
    ASSERT_TRUE(dvfix::WriteBytes(dir.File("raw.avi"), frames));
    EXPECT_EQ(kClipOpenFailed, clip.Open(dir.File("raw.avi"), false));

    ASSERT_TRUE(dvfix::WriteBytes(dir.File("empty.avi"), {}));
    EXPECT_EQ(kClipOpenFailed, clip.Open(dir.File("empty.avi"), false));

    ASSERT_TRUE(dvfix::WriteDvVideoAvi(dir.File("none.avi"), {}));
    EXPECT_EQ(kClipOpenFailed, clip.Open(dir.File("none.avi"), false));

    // A file cut off inside its header.
    const std::string cut = dir.File("cut.avi");
    ASSERT_TRUE(dvfix::WriteDvVideoAvi(cut, frames));
    auto bytes = dvfix::ReadBytes(cut);
    bytes.resize(200);
    ASSERT_TRUE(dvfix::WriteBytes(cut, bytes));
    EXPECT_EQ(kClipOpenFailed, clip.Open(cut, false));
    EXPECT_FALSE(clip.IsOpen());
}

TEST_F(ClipFileAviTest, AFailedOpenClosesTheAviThatWasOpen)
{
    const std::string path = dir.File("type2.avi");
    ASSERT_TRUE(dvfix::WriteDvVideoAvi(path, frames));
    ASSERT_EQ(kClipOpenOk, clip.Open(path, false));
    EXPECT_EQ(kClipOpenFailed, clip.Open(dir.File("missing.avi"), false));
    EXPECT_FALSE(clip.IsOpen());
    EXPECT_FALSE(clip.HasSeparateAudio());
    EXPECT_EQ(0, clip.FrameCount());
    EXPECT_FALSE(clip.ReadFrame(0, buf.data()));

    // From AVI to raw and back.
    ASSERT_EQ(kClipOpenOk, clip.Open(path, false));
    ASSERT_TRUE(dvfix::WriteBytes(dir.File("clip.dv"), frames));
    ASSERT_EQ(kClipOpenOk, clip.Open(dir.File("clip.dv"), true));
    EXPECT_TRUE(clip.IsRaw());
    EXPECT_FALSE(clip.HasSeparateAudio());
    ExpectFramesInOrder(Shuffled(4));
    ASSERT_EQ(kClipOpenOk, clip.Open(path, false));
    EXPECT_FALSE(clip.IsRaw());
    ExpectFramesInOrder(Shuffled(5));
}

TEST_F(ClipFileAviTest, AFrameLargerThanADvFrameFailsOnlyItsRead)
{
    std::vector<std::vector<std::uint8_t>> packets;
    for (int i = 0; i < 4; ++i)
        packets.push_back(dvfix::Frame(frames, i));
    packets[2].resize(kDvFrameSize + 1000, 0x5A);
    const std::string path = dir.File("large.avi");
    ASSERT_TRUE(dvfix::WriteMuxedAvi(path, packets));
    ASSERT_EQ(kClipOpenOk, clip.Open(path, false));
    ASSERT_EQ(4, clip.FrameCount());
    EXPECT_FALSE(clip.ReadFrame(2, buf.data()));
    EXPECT_TRUE(clip.IsOpen());
    ExpectFramesInOrder({0, 1, 3, 1, 0});
}

TEST_F(ClipFileAviTest, AShorterFrameIsPaddedWithZeros)
{
    std::vector<std::vector<std::uint8_t>> packets = {dvfix::Frame(frames, 0),
                                                      dvfix::Frame(frames, 1)};
    packets[1].resize(120000);
    const std::string path = dir.File("short.avi");
    ASSERT_TRUE(dvfix::WriteMuxedAvi(path, packets));
    ASSERT_EQ(kClipOpenOk, clip.Open(path, false));
    ASSERT_TRUE(clip.ReadFrame(0, buf.data()));
    ASSERT_TRUE(clip.ReadFrame(1, buf.data()));
    EXPECT_TRUE(std::equal(packets[1].begin(), packets[1].end(), buf.begin()));
    EXPECT_TRUE(std::all_of(buf.begin() + 120000, buf.end(), [](std::uint8_t b) { return b == 0; }));
}
