// Conversion of an AVI file whose DV video and audio are separate streams
// into a raw DV file with the audio inside every frame, which the player
// (and a card) can take.
#pragma once
#include "HasDirectX8.h"
#include "MediaResult.h"

#include <string>

// Converts the AVI file `source` into the raw DV file `output`;
// `decoderPresent` says whether the DV decoder is there. Returns 0
// converted (output complete and closed); 1 the DV decoder is missing
// (nothing done); 2 the output cannot be created (also when it names the
// source itself; nothing is read then); 3 the source cannot be read as DV
// video, or writing the output failed part-way. The output is created or
// truncated before the source is read and stays on disk as far as it was
// written; it is closed on every path.
int ConvertAviToDv(const std::string& source, const std::string& output, bool decoderPresent = HasDirectX8());
