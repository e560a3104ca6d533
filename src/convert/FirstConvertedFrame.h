// The first DV frame a conversion makes of a video that is not DV, for the
// picture shown of a file that is converted on its way to the card: the
// video is converted as far as its first frame and no further.
#pragma once
#include "DvPicture.h"

#include <cstdint>
#include <string>

// Converts the start of `path` as CVideoConversion does and copies the
// first frame into `frame` (144000 bytes or more). False when no frame came.
bool FirstConvertedFrame(const std::string& path, DvAspect aspect, std::uint8_t* frame);
