// Free-standing bitmaps for the image set of the window's lists: a 32-bit
// image from 4-byte pixels (blue, green, red, spare; rows top to bottom), or
// a blank (black) one when no pixels are given.
#pragma once
#include <QImage>

#include <cstdint>

// A width x height bitmap of `bitsPerPixel` bits (only 32 is made). With
// `pixels` their width x height x 4 bytes are copied in; otherwise the
// bitmap is black. Null for another depth or a size that is not positive.
QImage CreateDibBitmap(int width, int height, int bitsPerPixel, const std::uint8_t* pixels);
