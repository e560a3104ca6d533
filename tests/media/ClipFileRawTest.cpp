// CClipFile on raw DV files: the choice by extension, the size rule, 64-bit
// frame offsets, and what a failed or repeated Open leaves behind.
#include "CClipFile.h"
#include "DvFixtures.h"
#include "DvFrame.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Every byte depends on the frame index and its place in the frame.
std::vector<std::uint8_t> PatternFrames(int count)
{
    std::vector<std::uint8_t> b(static_cast<std::size_t>(count) * kDvFrameSize);
    for (std::size_t i = 0; i < b.size(); ++i)
        b[i] = static_cast<std::uint8_t>((i % kDvFrameSize) * 13 + (i / kDvFrameSize) * 101 + 7);
    return b;
}

class ClipFileRawTest : public ::testing::Test {
protected:
    std::string Make(const std::string& name, const std::vector<std::uint8_t>& bytes)
    {
        const std::string path = dir.File(name);
        EXPECT_TRUE(dvfix::WriteBytes(path, bytes));
        return path;
    }
    std::vector<std::uint8_t> buf = std::vector<std::uint8_t>(kDvFrameSize);
    CTempDir dir;
    CClipFile clip;
};

} // namespace

TEST(ClipFileNameTest, OnlyTheAviExtensionMeansAvi)
{
    EXPECT_FALSE(CClipFile::IsRawDvPath("clip.avi"));
    EXPECT_FALSE(CClipFile::IsRawDvPath("/videos/clip.AVI"));
    EXPECT_FALSE(CClipFile::IsRawDvPath("/videos/clip.Avi"));
    EXPECT_FALSE(CClipFile::IsRawDvPath("/videos/clip.dv.avi"));
    EXPECT_TRUE(CClipFile::IsRawDvPath("/videos/clip.dv"));
    EXPECT_TRUE(CClipFile::IsRawDvPath("/videos/clip.dif"));
    EXPECT_TRUE(CClipFile::IsRawDvPath("/videos/clip"));
    EXPECT_TRUE(CClipFile::IsRawDvPath("/videos/clip.avi.dv"));
    EXPECT_TRUE(CClipFile::IsRawDvPath("/videos/clip.avix"));
    // A dot in a folder name is not an extension.
    EXPECT_TRUE(CClipFile::IsRawDvPath("/videos.avi/clip"));
}

TEST_F(ClipFileRawTest, FrameIIsTheBytesAt144000TimesI)
{
    const auto bytes = PatternFrames(5);
    ASSERT_EQ(kClipOpenOk, clip.Open(Make("clip.dif", bytes), true));
    EXPECT_TRUE(clip.IsOpen());
    EXPECT_TRUE(clip.IsRaw());
    EXPECT_FALSE(clip.HasSeparateAudio());
    EXPECT_EQ(5, clip.FrameCount());
    EXPECT_EQ(dir.File("clip.dif"), clip.SourcePath());
    for (int i : {4, 0, 2, 3, 1}) {
        ASSERT_TRUE(clip.ReadFrame(i, buf.data())) << i;
        EXPECT_TRUE(std::equal(buf.begin(), buf.end(), bytes.begin() + std::ptrdiff_t(i) * kDvFrameSize)) << i;
    }
    EXPECT_FALSE(clip.ReadFrame(5, buf.data()));
    EXPECT_FALSE(clip.ReadFrame(-1, buf.data()));
    EXPECT_TRUE(clip.IsOpen());
}

TEST_F(ClipFileRawTest, ContentIsNotConsultedForRawFiles)
{
    // An AVI named .dv is read as raw DV: a size that is not whole frames is
    // refused, and whole frames are handed out as they stand.
    const auto frames = dvfix::MakeDvFrames(2, 48000);
    const std::string avi = dir.File("made.avi");
    ASSERT_TRUE(dvfix::WriteDvVideoAvi(avi, frames));
    auto aviBytes = dvfix::ReadBytes(avi);
    ASSERT_NE(0u, aviBytes.size() % kDvFrameSize);
    EXPECT_EQ(kClipOpenNotDv, clip.Open(Make("made.dv", aviBytes), true));

    aviBytes.resize(kDvFrameSize);
    ASSERT_EQ(kClipOpenOk, clip.Open(Make("cut.dv", aviBytes), true));
    ASSERT_EQ(1, clip.FrameCount());
    ASSERT_TRUE(clip.ReadFrame(0, buf.data()));
    EXPECT_EQ(aviBytes, buf);
}

TEST_F(ClipFileRawTest, SizeNotWholeFramesIsNotDv)
{
    EXPECT_EQ(kClipOpenNotDv, clip.Open(Make("odd.dv", std::vector<std::uint8_t>(144001)), true));
    EXPECT_FALSE(clip.IsOpen());
    EXPECT_EQ(0, clip.FrameCount());
    EXPECT_EQ(kClipOpenNotDv, clip.Open(Make("short.dv", std::vector<std::uint8_t>(143999)), true));
}

TEST_F(ClipFileRawTest, EmptyFileHasNoFrames)
{
    ASSERT_EQ(kClipOpenOk, clip.Open(Make("empty.dv", {}), true));
    EXPECT_TRUE(clip.IsOpen());
    EXPECT_EQ(0, clip.FrameCount());
    EXPECT_FALSE(clip.ReadFrame(0, buf.data()));
}

TEST_F(ClipFileRawTest, UnreadablePathsCannotBeOpened)
{
    EXPECT_EQ(kClipOpenFailed, clip.Open(dir.File("missing.dv"), true));
    EXPECT_EQ(kClipOpenFailed, clip.Open(dir.Path(), true)); // a folder
    EXPECT_EQ(kClipOpenFailed, clip.Open(dir.File("none.avi"), false));
    // A named pipe with no writer is refused at once, not waited on.
    ASSERT_EQ(0, mkfifo(dir.File("pipe.dv").c_str(), 0600));
    ASSERT_EQ(0, mkfifo(dir.File("pipe.avi").c_str(), 0600));
    EXPECT_EQ(kClipOpenFailed, clip.Open(dir.File("pipe.dv"), true));
    EXPECT_EQ(kClipOpenFailed, clip.Open(dir.File("pipe.avi"), false));
    if (geteuid() != 0) {
        const std::string locked = Make("locked.dv", PatternFrames(1));
        chmod(locked.c_str(), 0);
        EXPECT_EQ(kClipOpenFailed, clip.Open(locked, true));
    }
    EXPECT_FALSE(clip.IsOpen());
}

TEST_F(ClipFileRawTest, OpeningAnotherFileClosesTheFirstEvenWhenItFails)
{
    const std::string good = Make("good.dv", PatternFrames(3));
    ASSERT_EQ(kClipOpenOk, clip.Open(good, true));
    EXPECT_EQ(kClipOpenFailed, clip.Open(dir.File("missing.dv"), true));
    EXPECT_FALSE(clip.IsOpen());
    EXPECT_FALSE(clip.IsRaw());
    EXPECT_EQ(0, clip.FrameCount());
    EXPECT_EQ("", clip.SourcePath());
    EXPECT_FALSE(clip.ReadFrame(0, buf.data()));

    ASSERT_EQ(kClipOpenOk, clip.Open(good, true));
    EXPECT_EQ(kClipOpenNotDv, clip.Open(Make("odd.dv", std::vector<std::uint8_t>(10)), true));
    EXPECT_FALSE(clip.IsOpen());
    EXPECT_EQ(0, clip.FrameCount());

    ASSERT_EQ(kClipOpenOk, clip.Open(good, true));
    clip.Close();
    clip.Close(); // harmless when nothing is open
    EXPECT_FALSE(clip.IsOpen());
    EXPECT_FALSE(clip.ReadFrame(0, buf.data()));
}

TEST_F(ClipFileRawTest, AFileThatShrankFailsTheMissingFrames)
{
    const std::string path = Make("shrinks.dv", PatternFrames(3));
    ASSERT_EQ(kClipOpenOk, clip.Open(path, true));
    ASSERT_EQ(0, truncate(path.c_str(), kDvFrameSize + 100));
    EXPECT_TRUE(clip.ReadFrame(0, buf.data()));
    EXPECT_FALSE(clip.ReadFrame(1, buf.data()));
    EXPECT_FALSE(clip.ReadFrame(2, buf.data()));
    EXPECT_TRUE(clip.IsOpen());
}

TEST_F(ClipFileRawTest, FramesBeyond4GiBUse64BitOffsets)
{
    // A sparse file of 29900 frames (about 4.3 GB); the last frame lies past
    // 4 GiB and carries a pattern.
    const int frames = 29900;
    const std::string path = dir.File("big.dv");
    {
        const auto last = PatternFrames(1);
        FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(nullptr, f);
        const off_t at = off_t(frames - 1) * kDvFrameSize;
        ASSERT_EQ(0, fseeko(f, at, SEEK_SET));
        const bool written = std::fwrite(last.data(), 1, last.size(), f) == last.size();
        std::fclose(f);
        if (!written)
            GTEST_SKIP() << "no room for a sparse 4 GB file";
    }
    ASSERT_EQ(kClipOpenOk, clip.Open(path, true));
    ASSERT_EQ(frames, clip.FrameCount());
    ASSERT_TRUE(clip.ReadFrame(frames - 1, buf.data()));
    EXPECT_EQ(PatternFrames(1), buf);
    ASSERT_TRUE(clip.ReadFrame(0, buf.data()));
    EXPECT_EQ(std::vector<std::uint8_t>(kDvFrameSize, 0), buf);
}
