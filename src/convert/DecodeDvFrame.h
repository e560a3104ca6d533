// One DV frame turned into a full-size picture: the frame is wrapped in a
// one-frame AVI file in the temporary folder, which the media graph reads
// and decodes.
#pragma once
#include "CPicture.h"
#include "HasDirectX8.h"
#include "MediaResult.h"

#include <cstdint>

// Decodes the 144000-byte DV frame at `frame` (the bytes after it are not
// read) into `picture`, which the caller created at 720x576: rows top to
// bottom, each pixel blue, green, red, 0. `decoderPresent` says whether the
// DV decoder is there (the probe's answer unless the caller knows it).
// Returns 0 decoded; 1 the DV decoder is missing (nothing done); 2 the temporary file cannot be made;
// 3 the frame does not decode (also for a picture that is not 720x576).
// On any code but 0 the picture is left as it was. The temporary file
// ("Vor" followed by six characters, in $TMPDIR or /tmp) is removed on
// every path.
int DecodeDvFrame(const std::uint8_t* frame, CPicture& picture, bool decoderPresent = HasDirectX8());
