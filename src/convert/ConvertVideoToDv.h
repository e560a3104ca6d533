// Conversion of any video file libavformat reads (MP4, MOV, MKV, WebM,
// MPEG-TS, MPEG-2 programme streams, AVI of any codec, DV of another
// system...) into a raw PAL DV file the player takes: 720x576, 25 frames a
// second, one frame per 40 ms of the source, 48 kHz 16-bit stereo inside
// every frame. UI-free: the window and the command line run it with their
// own progress, whose Abort stops it.
#pragma once
#include "CVideoConversion.h"
#include "DvPicture.h"
#include "MediaResult.h"

#include <functional>
#include <string>

class IProgress;

// Converts `source` into `output` (created or truncated), the picture
// fitted into frames of `aspect`, the first audio stream's sound (silence
// without one). Reports through `progress`: Begin(expected frames + 1), Set
// after every frame, Pump after every frame (Abort ends it), End;
// `controlsChanged` runs after the progress began and after it ended.
// Returns kMediaDone; kMediaNotVideo when the source holds no video that
// decodes (checked first: no output is made); kMediaNoDecoder when the DV
// encoder is missing; kMediaFileNotCreatable when the output cannot be
// created or names the source; kMediaGraphFailed when reading or decoding
// fails before a clip's worth of frames (or the source ends that early,
// well short of its duration); kMediaWriteFailed when writing the output
// fails (a full disk); kMediaAborted on Abort. A conversion that does not
// succeed removes its output. One that stopped short of the source's
// duration after a clip's worth gives kMediaDone and says so in `report`
// (optional), with the frames converted and expected.
int ConvertVideoToDv(const std::string& source, const std::string& output, DvAspect aspect, IProgress& progress,
                     const std::function<void()>& controlsChanged = {}, ConversionReport* report = nullptr);
