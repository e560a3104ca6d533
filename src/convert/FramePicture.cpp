#include "FramePicture.h"

#include "DecodeDvFrame.h"
#include "MediaGraph.h"
#include "MediaResult.h"

#include <utility>

int DecodeFramePicture(const std::uint8_t* frame, int width, CPicture& picture, bool decoderPresent)
{
    CPicture full;
    if (!full.Create(kDecodedWidth, kDecodedHeight))
        return kMediaGraphFailed;
    const int rc = DecodeDvFrame(frame, full, decoderPresent);
    if (rc != kMediaDone)
        return rc;
    while (full.Width() > width && full.Width() > 1)
        full.Halve();
    picture = std::move(full);
    return kMediaDone;
}

int DecodeThumbnailPixels(const std::uint8_t* frame, std::vector<std::uint8_t>& pixels, bool decoderPresent)
{
    CPicture thumb;
    const int rc = DecodeFramePicture(frame, kThumbnailWidth, thumb, decoderPresent);
    if (rc != kMediaDone)
        return rc;
    const std::uint8_t* p = thumb.Pixels();
    pixels.assign(p, p + static_cast<std::size_t>(thumb.Stride()) * thumb.Height());
    return kMediaDone;
}
