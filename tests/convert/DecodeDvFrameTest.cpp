// DecodeDvFrame on frames of known colour: colours near the source's, the
// top of the picture in the first row, spare bytes 0; frames that do not
// decode give 3 and leave the picture alone; the temporary "Vor" file is
// gone afterwards on every path. Also the reduced pictures built on it.
#include "ConvertFixtures.h"
#include "DecodeDvFrame.h"
#include "FramePicture.h"
#include "HasDirectX8.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr convfix::Rgb kBottom{40, 120, 200};

// Points TMPDIR at a folder of the test's own, so that what the decoder
// leaves there can be seen.
class DecodeDvFrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* old = std::getenv("TMPDIR");
        hadTmp = old != nullptr;
        if (old)
            oldTmp = old;
        ASSERT_FALSE(dir.Path().empty());
        setenv("TMPDIR", dir.Path().c_str(), 1);
        frame = convfix::MakeBarsFrame(kBottom);
        ASSERT_EQ(144000u, frame.size());
    }
    void TearDown() override
    {
        if (hadTmp)
            setenv("TMPDIR", oldTmp.c_str(), 1);
        else
            unsetenv("TMPDIR");
    }
    int FilesLeft() const
    {
        int n = 0;
        for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
            n += e.path().filename().string().rfind("Vor", 0) == 0 ? 1 : 100;
        return n;
    }
    static CPicture Marked()
    {
        CPicture p;
        EXPECT_TRUE(p.Create(720, 576));
        std::memset(p.Pixels(), 0xAB, 720 * 576 * 4);
        return p;
    }
    static bool StillMarked(const CPicture& p)
    {
        const std::uint8_t* px = p.Pixels();
        for (std::size_t i = 0; i < 720u * 576 * 4; ++i)
            if (px[i] != 0xAB)
                return false;
        return true;
    }
    static void ExpectNear(convfix::Rgb want, const CPicture& p, int x, int y)
    {
        const std::uint8_t* px = p.Pixels() + (y * p.Width() + x) * 4;
        const int tolerance = 12;
        EXPECT_NEAR(want.b, px[0], tolerance) << "blue at " << x << "," << y;
        EXPECT_NEAR(want.g, px[1], tolerance) << "green at " << x << "," << y;
        EXPECT_NEAR(want.r, px[2], tolerance) << "red at " << x << "," << y;
    }

    CTempDir dir;
    std::string oldTmp;
    bool hadTmp = false;
    std::vector<std::uint8_t> frame;
};

TEST_F(DecodeDvFrameTest, DecodesColoursTopRowFirstWithSpareBytesZero)
{
    ASSERT_TRUE(HasDirectX8());
    CPicture p = Marked();
    ASSERT_EQ(0, DecodeDvFrame(frame.data(), p));
    ASSERT_EQ(720, p.Width());
    ASSERT_EQ(576, p.Height());
    const auto& bars = convfix::ColourBars();
    for (std::size_t i = 0; i < bars.size(); ++i) {
        const int x = 45 + 90 * static_cast<int>(i);
        ExpectNear(bars[i], p, x, 0);   // the very top row holds the bars
        ExpectNear(bars[i], p, x, 144);
        ExpectNear(kBottom, p, x, 432);
        ExpectNear(kBottom, p, x, 575); // and the last row the bottom colour
    }
    for (std::size_t i = 3; i < 720u * 576 * 4; i += 4)
        ASSERT_EQ(0, p.Pixels()[i]) << "spare byte of pixel " << i / 4;
    EXPECT_EQ(0, FilesLeft());
}

TEST_F(DecodeDvFrameTest, BytesAfterTheFrameAreNotRead)
{
    // A card cluster: the frame followed by 384 bytes.
    std::vector<std::uint8_t> cluster(frame);
    cluster.resize(144384, 0xFF);
    CPicture a = Marked();
    CPicture b = Marked();
    ASSERT_EQ(0, DecodeDvFrame(frame.data(), a));
    ASSERT_EQ(0, DecodeDvFrame(cluster.data(), b));
    EXPECT_EQ(0, std::memcmp(a.Pixels(), b.Pixels(), 720 * 576 * 4));
}

TEST_F(DecodeDvFrameTest, FramesThatDoNotDecodeGiveThreeAndLeaveThePicture)
{
    // 0xFF names no DV system; zeros look like an NTSC frame, which decodes
    // to 720x480 and is no full PAL picture.
    for (std::uint8_t fill : {std::uint8_t{0xFF}, std::uint8_t{0x00}}) {
        const std::vector<std::uint8_t> garbage(144000, fill);
        CPicture p = Marked();
        EXPECT_EQ(3, DecodeDvFrame(garbage.data(), p)) << int(fill);
        EXPECT_TRUE(StillMarked(p)) << int(fill);
        EXPECT_EQ(0, FilesLeft()) << int(fill);
    }
}

TEST_F(DecodeDvFrameTest, PictureOfAnotherSizeGivesThree)
{
    CPicture small;
    ASSERT_TRUE(small.Create(360, 288));
    EXPECT_EQ(3, DecodeDvFrame(frame.data(), small));
    EXPECT_EQ(360, small.Width());
    CPicture empty;
    EXPECT_EQ(3, DecodeDvFrame(frame.data(), empty));
    EXPECT_TRUE(empty.IsEmpty());
}

TEST_F(DecodeDvFrameTest, MissingDecoderGivesOneAndTouchesNothing)
{
    CPicture p = Marked();
    EXPECT_EQ(1, DecodeDvFrame(frame.data(), p, false));
    EXPECT_TRUE(StillMarked(p));
    EXPECT_EQ(0, FilesLeft());
}

TEST_F(DecodeDvFrameTest, TemporaryFolderThatCannotTakeAFileGivesTwo)
{
    setenv("TMPDIR", dir.File("missing").c_str(), 1);
    CPicture p = Marked();
    EXPECT_EQ(2, DecodeDvFrame(frame.data(), p));
    EXPECT_TRUE(StillMarked(p));
}

TEST_F(DecodeDvFrameTest, ReducedPicturesAreRepeatedHalvings)
{
    CPicture full = Marked();
    ASSERT_EQ(0, DecodeDvFrame(frame.data(), full));

    struct Size {
        int width, height, halvings;
    };
    for (Size s : {Size{720, 576, 0}, Size{360, 288, 1}, Size{180, 144, 2}, Size{90, 72, 3}}) {
        CPicture want;
        ASSERT_TRUE(want.Create(720, 576));
        want.Blit(full, 0, 0, 720, 576, 0, 0);
        for (int i = 0; i < s.halvings; ++i)
            want.Halve();
        CPicture got;
        ASSERT_EQ(0, DecodeFramePicture(frame.data(), s.width, got));
        ASSERT_EQ(s.width, got.Width());
        ASSERT_EQ(s.height, got.Height());
        EXPECT_EQ(0, std::memcmp(want.Pixels(), got.Pixels(), static_cast<std::size_t>(got.Stride()) * got.Height()))
            << s.width;
        if (s.width == 90) {
            std::vector<std::uint8_t> pixels;
            ASSERT_EQ(0, DecodeThumbnailPixels(frame.data(), pixels));
            ASSERT_EQ(90u * 72 * 4, pixels.size());
            EXPECT_EQ(0, std::memcmp(want.Pixels(), pixels.data(), pixels.size()));
        }
    }
    EXPECT_EQ(0, FilesLeft());
}

TEST_F(DecodeDvFrameTest, FailedReductionLeavesTheTargetAlone)
{
    const std::vector<std::uint8_t> garbage(144000, 0xFF);
    CPicture target;
    ASSERT_TRUE(target.Create(180, 144));
    target.Fill(0x00112233u, 0, 0, 0, 0);
    EXPECT_EQ(3, DecodeFramePicture(garbage.data(), 180, target));
    ASSERT_EQ(180, target.Width());
    EXPECT_EQ(0x11, target.Pixels()[0]); // blue of the fill
    std::vector<std::uint8_t> pixels{1, 2, 3};
    EXPECT_EQ(3, DecodeThumbnailPixels(garbage.data(), pixels));
    EXPECT_EQ(3u, pixels.size());
}

} // namespace
