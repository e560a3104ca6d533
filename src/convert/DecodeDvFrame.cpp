#include "DecodeDvFrame.h"

#include "AviFirstStream.h"
#include "CTempFile.h"
#include "DvFrame.h"
#include "MediaGraph.h"
#include "OneFrameAvi.h"

#include <vector>

int DecodeDvFrame(const std::uint8_t* frame, CPicture& picture, bool decoderPresent)
{
    if (!decoderPresent)
        return kMediaNoDecoder;
    if (!frame || picture.Width() != kDecodedWidth || picture.Height() != kDecodedHeight)
        return kMediaGraphFailed;

    CTempFile file; // removed when this function returns, whatever the path
    if (!file.Create("Vor"))
        return kMediaFileNotCreatable;
    // A file that cannot be written whole (a full temporary folder) is one
    // that could not be made.
    const bool written = WriteOneFrameAvi(file.Fd(), frame);
    if (!file.CloseFd() || !written)
        return kMediaFileNotCreatable;

    // Kept from call to call (the bytes are overwritten each time), so that
    // a decode does not have to fault in fresh memory for its frame.
    thread_local std::vector<std::uint8_t> data(kDvFrameSize);
    int size = -1;
    {
        // The reader is closed before decoding: the two never hold their
        // buffers at the same time.
        CAviFirstStream avi;
        if (avi.Open(file.Path()) && avi.FrameCount() >= 1)
            size = avi.ReadFrame(0, data.data(), kDvFrameSize);
    }
    if (size <= 0)
        return kMediaGraphFailed;
    if (!DecodeDvVideoFrame(data.data(), size, picture.Pixels()))
        return kMediaGraphFailed;
    return kMediaDone;
}
