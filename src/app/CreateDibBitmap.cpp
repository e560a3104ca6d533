#include "CreateDibBitmap.h"

#include <algorithm>
#include <cstring>

QImage CreateDibBitmap(int width, int height, int bitsPerPixel, const std::uint8_t* pixels)
{
    if (width <= 0 || height <= 0 || bitsPerPixel != 32)
        return QImage();
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    const std::size_t row = static_cast<std::size_t>(width) * 4;
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        if (pixels != nullptr)
            std::memcpy(line, pixels + row * static_cast<std::size_t>(y), row);
        else
            std::fill(line, line + width, 0u);
        // Qt's 32-bit RGB images keep 0xFF in the spare byte; a decoded
        // picture leaves it 0.
        for (int x = 0; x < width; ++x)
            line[x] |= 0xFF000000u;
    }
    return image;
}
