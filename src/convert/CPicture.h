// CPicture: a picture of 4-byte pixels in memory (blue, green, red, spare),
// rows top to bottom with no gaps between them. Decoded frames land in one,
// are halved to the display sizes (360x288, 180x144, 90x72) and copied into
// the pictures of the window's controls.
#pragma once
#include <cstdint>
#include <memory>

class CPicture {
public:
    CPicture() = default;
    virtual ~CPicture();
    CPicture(const CPicture&) = delete;
    CPicture& operator=(const CPicture&) = delete;
    CPicture(CPicture&& other) noexcept;
    CPicture& operator=(CPicture&& other) noexcept;

    // Frees any pixels and allocates width x height pixels (contents
    // undefined). False, leaving the picture empty, for a negative size or
    // when the memory cannot be had.
    bool Create(int width, int height);
    // Empty again; owned pixels are released, borrowed ones forgotten.
    void Free();

    // Uses `pixels` (width x height x 4 bytes that someone else owns, such
    // as the bitmap of a picture control) as this picture's pixels. Free
    // forgets them without releasing them.
    void Attach(std::uint8_t* pixels, int width, int height);

    // Half the width and height: every byte of an output pixel is the mean,
    // rounded down, of the same byte of the 2x2 source pixels it covers. An
    // odd last column or row is dropped.
    void Halve();

    // Copies `width` x `height` pixels from `source` at (sx, sy) to this
    // picture at (dx, dy), cut to what lies inside both pictures. A
    // rectangle that starts outside either picture copies nothing.
    void Blit(const CPicture& source, int dx, int dy, int width, int height, int sx, int sy);

    // Fills a rectangle with `colour`, laid out 0xAABBGGRR: each pixel gets
    // the bytes blue, green, red, AA. A width or height of 0 means the whole
    // width or height; the rectangle is cut to the picture.
    void Fill(std::uint32_t colour, int x, int y, int width, int height);

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool IsEmpty() const { return pixels_ == nullptr; }
    std::uint8_t* Pixels() { return pixels_; }
    const std::uint8_t* Pixels() const { return pixels_; }
    // Bytes from one row to the next.
    int Stride() const { return width_ * 4; }

private:
    int width_ = 0;
    int height_ = 0;
    std::uint8_t* pixels_ = nullptr;
    std::unique_ptr<std::uint8_t[]> owned_; // null when the pixels are borrowed
};
