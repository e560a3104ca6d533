// The picture control and the thumbnail bitmaps: pixels laid out as
// CPicture's, drawn 1:1 at the bitmap's own size and stretched otherwise;
// blank bitmaps are black.
#include "AppTestSupport.h"
#include "CPictureWnd.h"
#include "CreateDibBitmap.h"

#include <cstring>

namespace {

// Pixel (x, y) of a CPicture as red, green, blue.
void Put(CPicture& p, int x, int y, int r, int g, int b)
{
    std::uint8_t* px = p.Pixels() + (static_cast<std::size_t>(y) * p.Width() + x) * 4;
    px[0] = static_cast<std::uint8_t>(b);
    px[1] = static_cast<std::uint8_t>(g);
    px[2] = static_cast<std::uint8_t>(r);
    px[3] = 0; // the spare byte of a decoded picture
}

QRgb At(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFFu; }

} // namespace

TEST(PictureWndTest, DrawsOneToOneAtItsOwnSizeAndStretchesOtherwise)
{
    CPictureWnd wnd;
    ASSERT_TRUE(wnd.CreateDib(4, 2));
    CPicture& p = wnd.Picture();
    ASSERT_EQ(4, p.Width());
    ASSERT_EQ(2, p.Height());
    EXPECT_EQ(0u, At(wnd.grab().toImage().scaled(1, 1), 0, 0)) << "black at first";
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            Put(p, x, y, 40 * x, 100 * y, 7);

    wnd.resize(4, 2);
    QImage same = wnd.grab().toImage();
    ASSERT_EQ(QSize(4, 2), same.size());
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(qRgb(40 * x, 100 * y, 7) & 0xFFFFFFu, At(same, x, y)) << x << "," << y;

    wnd.resize(8, 6);
    QImage stretched = wnd.grab().toImage();
    ASSERT_EQ(QSize(8, 6), stretched.size());
    EXPECT_EQ(qRgb(0, 0, 7) & 0xFFFFFFu, At(stretched, 0, 0));
    EXPECT_EQ(qRgb(120, 100, 7) & 0xFFFFFFu, At(stretched, 7, 5)) << "the whole picture covers the control";
    EXPECT_EQ(qRgb(40, 0, 7) & 0xFFFFFFu, At(stretched, 2, 1)) << "pixels repeated, not blended";
}

TEST(PictureWndTest, BitmapsFromPixelsOrBlack)
{
    std::vector<std::uint8_t> pixels(90 * 72 * 4, 0);
    pixels[0] = 10;                       // blue of (0, 0)
    pixels[1] = 20;                       // green
    pixels[2] = 30;                       // red
    pixels[(71 * 90 + 89) * 4 + 2] = 255; // red of the last pixel
    QImage image = CreateDibBitmap(90, 72, 32, pixels.data());
    ASSERT_EQ(QSize(90, 72), image.size());
    EXPECT_EQ(qRgb(30, 20, 10), image.pixel(0, 0));
    EXPECT_EQ(qRgb(255, 0, 0), image.pixel(89, 71));

    QImage blank = CreateDibBitmap(90, 72, 32, nullptr);
    ASSERT_FALSE(blank.isNull());
    EXPECT_EQ(qRgb(0, 0, 0), blank.pixel(45, 36));
    EXPECT_TRUE(CreateDibBitmap(90, 72, 24, nullptr).isNull());
    EXPECT_TRUE(CreateDibBitmap(0, 72, 32, nullptr).isNull());
}
