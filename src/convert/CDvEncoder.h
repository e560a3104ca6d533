// libavcodec's DV encoder for 720x576 yuv420p pictures at 25 frames a
// second: one 144000-byte PAL DV frame per picture, marked 4:3 or 16:9,
// encoded in slices on every core.
#pragma once
#include "DvPicture.h"
#include "FfmpegPtr.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

struct AVDVProfile;

class CDvEncoder {
public:
    // False when the encoder is missing or refuses the settings.
    bool Open(DvAspect aspect);
    // Encodes `picture`; null when the encoder fails. The packet stays valid
    // until the next call.
    const AVPacket* Encode(const AVFrame* picture);
    // The DV profile of the frames made (PAL 4:2:0).
    const AVDVProfile* Profile() const;

private:
    ff::Codec encoder_;
    ff::Packet packet_;
};
