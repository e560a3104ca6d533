// CPicture: halving by 2x2 averages rounded down, and Blit and Fill cut to
// both pictures at every edge.
#include "CPicture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// Every byte of pixel (x, y) made from its position and byte index.
std::uint8_t Pattern(int x, int y, int b)
{
    return static_cast<std::uint8_t>(x * 7 + y * 31 + b * 64 + 1);
}

void Paint(CPicture& p)
{
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x)
            for (int b = 0; b < 4; ++b)
                p.Pixels()[(y * p.Width() + x) * 4 + b] = Pattern(x, y, b);
}

std::uint32_t PixelAt(const CPicture& p, int x, int y)
{
    std::uint32_t v;
    std::memcpy(&v, p.Pixels() + (y * p.Width() + x) * 4, 4);
    return v;
}

CPicture Solid(int w, int h, std::uint8_t byte)
{
    CPicture p;
    EXPECT_TRUE(p.Create(w, h));
    std::memset(p.Pixels(), byte, static_cast<std::size_t>(w) * h * 4);
    return p;
}

// Copies of which pixels of `dest` came from `source` (painted with
// Pattern) at an offset, the rest still 0.
void ExpectBlitted(const CPicture& dest, int dx, int dy, int sx, int sy, int cols, int rows)
{
    for (int y = 0; y < dest.Height(); ++y)
        for (int x = 0; x < dest.Width(); ++x) {
            const bool inside = x >= dx && x < dx + cols && y >= dy && y < dy + rows;
            for (int b = 0; b < 4; ++b) {
                const std::uint8_t got = dest.Pixels()[(y * dest.Width() + x) * 4 + b];
                const std::uint8_t want = inside ? Pattern(x - dx + sx, y - dy + sy, b) : 0;
                ASSERT_EQ(want, got) << "pixel " << x << "," << y << " byte " << b;
            }
        }
}

TEST(PictureTest, CreateAndFree)
{
    CPicture p;
    EXPECT_TRUE(p.IsEmpty());
    ASSERT_TRUE(p.Create(720, 576));
    EXPECT_EQ(720, p.Width());
    EXPECT_EQ(576, p.Height());
    EXPECT_EQ(2880, p.Stride());
    ASSERT_TRUE(p.Create(90, 72)); // a second Create replaces the first
    EXPECT_EQ(90, p.Width());
    p.Free();
    EXPECT_TRUE(p.IsEmpty());
    EXPECT_EQ(0, p.Width());
    EXPECT_EQ(0, p.Height());
    EXPECT_FALSE(p.Create(-1, 10));
    EXPECT_TRUE(p.IsEmpty());
}

TEST(PictureTest, AttachedPixelsAreNotReleased)
{
    std::vector<std::uint8_t> bits(8 * 4 * 4, 0x11);
    {
        CPicture p;
        p.Attach(bits.data(), 8, 4);
        EXPECT_EQ(bits.data(), p.Pixels());
        p.Fill(0, 0, 0, 0, 0);
        p.Free();
        EXPECT_TRUE(p.IsEmpty());
        p.Attach(bits.data(), 8, 4);
    } // destroyed while attached: the vector still owns its memory
    EXPECT_EQ(0, bits[0]);
    bits.assign(bits.size(), 1); // still usable
}

TEST(PictureTest, HalvingAveragesEachByteRoundingDown)
{
    CPicture p;
    ASSERT_TRUE(p.Create(4, 2));
    // Left 2x2 block: bytes sum to 0+1+2+3 = 6 -> 1 (6/4 rounded down);
    // 252+253+254+255 = 1014 -> 253; right block all 10 except one 13 -> 10.
    const std::uint8_t rows[2][16] = {
        {0, 252, 9, 100, 1, 253, 9, 101, 10, 10, 10, 10, 10, 10, 10, 10},
        {2, 254, 9, 102, 3, 255, 10, 103, 10, 13, 10, 10, 10, 10, 10, 10},
    };
    std::memcpy(p.Pixels(), rows, sizeof rows);
    p.Halve();
    ASSERT_EQ(2, p.Width());
    ASSERT_EQ(1, p.Height());
    const std::uint8_t want[8] = {1, 253, 9, 101, 10, 10, 10, 10};
    EXPECT_EQ(0, std::memcmp(want, p.Pixels(), 8));
}

TEST(PictureTest, HalvingOddSizeDropsTheLastColumnAndRow)
{
    CPicture p;
    ASSERT_TRUE(p.Create(5, 3));
    Paint(p);
    p.Halve();
    ASSERT_EQ(2, p.Width());
    ASSERT_EQ(1, p.Height());
    for (int x = 0; x < 2; ++x)
        for (int b = 0; b < 4; ++b) {
            const int sum = Pattern(2 * x, 0, b) + Pattern(2 * x + 1, 0, b) + Pattern(2 * x, 1, b) +
                            Pattern(2 * x + 1, 1, b);
            EXPECT_EQ(sum / 4, p.Pixels()[x * 4 + b]) << x << "," << b;
        }
}

class BlitTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(source.Create(10, 8));
        Paint(source);
        dest = Solid(6, 5, 0);
    }
    CPicture source;
    CPicture dest;
};

TEST_F(BlitTest, WholeRectangleInside)
{
    dest.Blit(source, 1, 2, 3, 2, 4, 5);
    ExpectBlitted(dest, 1, 2, 4, 5, 3, 2);
}

TEST_F(BlitTest, CutAtTheDestinationsRightAndBottomEdges)
{
    dest.Blit(source, 4, 3, 10, 10, 0, 0);
    ExpectBlitted(dest, 4, 3, 0, 0, 2, 2);
}

TEST_F(BlitTest, CutAtTheSourcesRightAndBottomEdges)
{
    dest.Blit(source, 0, 0, 6, 5, 8, 7);
    ExpectBlitted(dest, 0, 0, 8, 7, 2, 1);
}

TEST_F(BlitTest, WholeSourceIntoASmallerPicture)
{
    dest.Blit(source, 0, 0, source.Width(), source.Height(), 0, 0);
    ExpectBlitted(dest, 0, 0, 0, 0, 6, 5);
}

TEST_F(BlitTest, RectanglesStartingOutsideCopyNothing)
{
    dest.Blit(source, 6, 0, 3, 3, 0, 0);  // right of the destination
    dest.Blit(source, 0, 5, 3, 3, 0, 0);  // below it
    dest.Blit(source, 0, 0, 3, 3, 10, 0); // right of the source
    dest.Blit(source, 0, 0, 3, 3, 0, 8);  // below it
    dest.Blit(source, -1, 0, 3, 3, 0, 0); // left of the destination
    dest.Blit(source, 0, -2, 3, 3, 0, 0); // above it
    dest.Blit(source, 0, 0, 3, 3, -1, 0);
    dest.Blit(source, 0, 0, 3, 3, 0, -1);
    dest.Blit(source, 0, 0, 0, 3, 0, 0);  // no columns
    dest.Blit(source, 0, 0, 3, -4, 0, 0); // no rows
    ExpectBlitted(dest, 0, 0, 0, 0, 0, 0);
}

TEST_F(BlitTest, HugeSizesDoNotWrap)
{
    dest.Blit(source, 1, 1, 0x7fffffff, 0x7fffffff, 1, 1);
    ExpectBlitted(dest, 1, 1, 1, 1, 5, 4);
}

TEST_F(BlitTest, EmptySourceOrDestinationIsHarmless)
{
    CPicture empty;
    dest.Blit(empty, 0, 0, 3, 3, 0, 0);
    ExpectBlitted(dest, 0, 0, 0, 0, 0, 0);
    empty.Blit(source, 0, 0, 3, 3, 0, 0);
    EXPECT_TRUE(empty.IsEmpty());
}

TEST(PictureFillTest, ColourBytesAreBlueGreenRedThenTheTopByte)
{
    CPicture p = Solid(3, 2, 0xEE);
    p.Fill(0x44332211u, 0, 0, 0, 0);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            const std::uint8_t* px = p.Pixels() + (y * 3 + x) * 4;
            EXPECT_EQ(0x33, px[0]); // blue
            EXPECT_EQ(0x22, px[1]); // green
            EXPECT_EQ(0x11, px[2]); // red
            EXPECT_EQ(0x44, px[3]);
        }
}

TEST(PictureFillTest, ZeroSizesFillTheWholeWidthOrHeightFromTheStart)
{
    CPicture p = Solid(4, 3, 0xEE);
    p.Fill(0, 1, 2, 0, 0); // from (1, 2) to the right and bottom edges
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(x >= 1 && y >= 2 ? 0u : 0xEEEEEEEEu, PixelAt(p, x, y)) << x << "," << y;

    p = Solid(4, 3, 0xEE);
    p.Fill(0, 0, 0, 2, 0); // two columns, every row
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(x < 2 ? 0u : 0xEEEEEEEEu, PixelAt(p, x, y)) << x << "," << y;
}

TEST(PictureFillTest, CutAtTheRightAndBottomEdges)
{
    CPicture p = Solid(4, 3, 0xEE);
    p.Fill(0x01010101u, 3, 1, 5, 9);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(x == 3 && y >= 1 ? 0x01010101u : 0xEEEEEEEEu, PixelAt(p, x, y)) << x << "," << y;
}

TEST(PictureFillTest, RectanglesStartingOutsideFillNothing)
{
    CPicture p = Solid(4, 3, 0xEE);
    p.Fill(0, 4, 0, 1, 1);
    p.Fill(0, 0, 3, 1, 1);
    p.Fill(0, -1, 0, 2, 2);
    p.Fill(0, 0, -1, 2, 2);
    p.Fill(0, 0, 0, -2, 2);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(0xEEEEEEEEu, PixelAt(p, x, y));
}

} // namespace
