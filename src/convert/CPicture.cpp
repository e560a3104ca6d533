#include "CPicture.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

CPicture::~CPicture()
{
    Free();
}

CPicture::CPicture(CPicture&& other) noexcept
{
    *this = std::move(other);
}

CPicture& CPicture::operator=(CPicture&& other) noexcept
{
    if (this != &other) {
        Free();
        width_ = std::exchange(other.width_, 0);
        height_ = std::exchange(other.height_, 0);
        pixels_ = std::exchange(other.pixels_, nullptr);
        owned_ = std::move(other.owned_);
    }
    return *this;
}

bool CPicture::Create(int width, int height)
{
    Free();
    if (width < 0 || height < 0)
        return false;
    const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    // An allocation of 0 bytes still gives a pointer, so that a created
    // picture of no pixels is told apart from an empty one only by its size.
    owned_.reset(new (std::nothrow) std::uint8_t[bytes == 0 ? 1 : bytes]);
    if (!owned_)
        return false;
    pixels_ = owned_.get();
    width_ = width;
    height_ = height;
    return true;
}

void CPicture::Free()
{
    owned_.reset();
    pixels_ = nullptr;
    width_ = 0;
    height_ = 0;
}

void CPicture::Attach(std::uint8_t* pixels, int width, int height)
{
    Free();
    if (!pixels || width < 0 || height < 0)
        return;
    pixels_ = pixels;
    width_ = width;
    height_ = height;
}

void CPicture::Halve()
{
    if (!pixels_)
        return;
    const int w = width_ / 2;
    const int h = height_ / 2;
    CPicture half;
    if (!half.Create(w, h))
        return;
    const std::size_t stride = static_cast<std::size_t>(Stride());
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* top = pixels_ + static_cast<std::size_t>(2 * y) * stride;
        const std::uint8_t* bottom = top + stride;
        std::uint8_t* out = half.pixels_ + static_cast<std::size_t>(y) * half.Stride();
        for (int x = 0; x < w; ++x) {
            for (int b = 0; b < 4; ++b) {
                const int sum = top[8 * x + b] + top[8 * x + 4 + b] + bottom[8 * x + b] + bottom[8 * x + 4 + b];
                out[4 * x + b] = static_cast<std::uint8_t>(sum / 4);
            }
        }
    }
    *this = std::move(half);
}

void CPicture::Blit(const CPicture& source, int dx, int dy, int width, int height, int sx, int sy)
{
    if (!pixels_ || !source.pixels_ || dx < 0 || dy < 0 || sx < 0 || sy < 0)
        return;
    // 64-bit, so that no argument can make the limits wrap.
    const long long cols = std::min({static_cast<long long>(width_) - dx,
                                     static_cast<long long>(source.width_) - sx,
                                     static_cast<long long>(width)});
    const long long rows = std::min({static_cast<long long>(height_) - dy,
                                     static_cast<long long>(source.height_) - sy,
                                     static_cast<long long>(height)});
    if (cols <= 0 || rows <= 0)
        return;
    const std::size_t rowBytes = static_cast<std::size_t>(cols) * 4;
    for (long long r = 0; r < rows; ++r) {
        const std::uint8_t* from = source.pixels_ + (static_cast<std::size_t>(sy + r) * source.width_ + sx) * 4;
        std::uint8_t* to = pixels_ + (static_cast<std::size_t>(dy + r) * width_ + dx) * 4;
        std::memmove(to, from, rowBytes);
    }
}

void CPicture::Fill(std::uint32_t colour, int x, int y, int width, int height)
{
    if (!pixels_ || x < 0 || y < 0)
        return;
    long long cols = width == 0 ? width_ : width;
    long long rows = height == 0 ? height_ : height;
    cols = std::min(cols, static_cast<long long>(width_) - x);
    rows = std::min(rows, static_cast<long long>(height_) - y);
    if (cols <= 0 || rows <= 0)
        return;
    const std::uint8_t pixel[4] = {
        static_cast<std::uint8_t>(colour >> 16), // blue
        static_cast<std::uint8_t>(colour >> 8),  // green
        static_cast<std::uint8_t>(colour),       // red
        static_cast<std::uint8_t>(colour >> 24), // spare
    };
    for (long long r = 0; r < rows; ++r) {
        std::uint8_t* to = pixels_ + (static_cast<std::size_t>(y + r) * width_ + x) * 4;
        for (long long c = 0; c < cols; ++c)
            std::memcpy(to + 4 * c, pixel, 4);
    }
}
