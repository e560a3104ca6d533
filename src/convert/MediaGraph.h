// The media graph on FFmpeg's libraries: what the frame decoder and the
// conversion need of it, and nothing more. (The first stream of an AVI file,
// which the clip file reader needs, is read by CAviFirstStream.)
#pragma once
#include "IDvFrameSink.h"

#include <cstdint>
#include <string>

inline constexpr int kDecodedWidth = 720;
inline constexpr int kDecodedHeight = 576;

// Decodes one DV frame of `size` bytes at full size into `bgrx`: 720x576
// pixels of 4 bytes (blue, green, red, 0), rows top to bottom. False when
// the decoder refuses the frame or it is not a 720x576 picture; `bgrx` is
// then left as it was.
bool DecodeDvVideoFrame(const std::uint8_t* data, int size, std::uint8_t* bgrx);

enum MuxResult : int {
    kMuxDone = 0,
    kMuxSourceRefused = 1, // not a readable AVI, no DV video first, foreign frames
    kMuxReadFailed = 2,    // the source could not be read to its end
    kMuxWriteFailed = 3,   // the sink refused a frame
};

// Reads the AVI file `source`: its first stream (PAL DV video) and, when it
// can be decoded, its second stream (audio of any codec, rate and channel
// count, resampled to 48 kHz 16-bit stereo), muxes them into 144000-byte DV
// frames with the audio inside, and hands each frame to `sink` once, in
// order. Without a usable second stream the video frames go to the sink as
// they are. A frame the file leaves out is given again as the frame before
// it, so the sink gets one frame per frame of the first stream.
MuxResult MuxAviToDv(const std::string& source, IDvFrameSink& sink);

// True when `source` reads as an AVI file whose first stream is PAL DV
// video, the files MuxAviToDv takes.
bool IsPalDvAvi(const std::string& source);
