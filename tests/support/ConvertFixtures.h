// Material for the frame picture and conversion tests, generated at test
// time with FFmpeg: a DV frame of known colours, DV AVI files whose second
// stream has a chosen rate, channel count and sample format, and the raw DV
// files a conversion writes taken apart again (video blocks, audio).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace convfix {

struct Rgb {
    std::uint8_t r, g, b;
};

// The eight colour bars (white, yellow, cyan, green, magenta, red, blue,
// black) at 75 % level.
const std::vector<Rgb>& ColourBars();

// One PAL DV frame from libavcodec's encoder: the top half of the picture
// holds the eight bars of ColourBars side by side (90 pixels each), the
// bottom half is `bottom` all over. Empty on failure.
std::vector<std::uint8_t> MakeBarsFrame(Rgb bottom);

// `count` NTSC DV frames (720x480, 120000 bytes each), for the refusal of
// frames the player cannot show.
std::vector<std::uint8_t> MakeNtscFrames(int count);

// The second stream of a test AVI.
struct AudioTrack {
    int rate = 48000;
    int channels = 2;
    bool unsigned8 = false; // 8-bit unsigned PCM instead of 16-bit signed
    // Samples per channel in the whole track; 0 means exactly as long as
    // the video.
    int samples = 0;
};

// The signal of channel `ch` at sample `i` of a track: a sine whose
// frequency depends on the channel, in the 16-bit range.
std::int16_t Signal(int rate, int ch, long i);

// A "vids"/"dvsd" AVI holding `frames` (back to back, 144000 bytes each, or
// the frame size of the system they belong to) as its first stream, and
// `track` as its second. Frames listed in `dropped` are stored as empty
// chunks (frames the file leaves out).
bool WriteAviWithTrack(const std::string& path, const std::vector<std::uint8_t>& frames, int frameSize,
                       const AudioTrack& track, const std::vector<int>& dropped = {});

// True when block `block` (0 to 149) of a DIF sequence carries video.
bool IsVideoBlock(int block);
// Whether the video blocks of two 144000-byte frames are equal.
bool SameVideoBlocks(const std::uint8_t* a, const std::uint8_t* b);

// The audio of a raw DV file read back through libavformat's dv demuxer:
// interleaved 16-bit stereo samples. Empty when there is none.
std::vector<std::int16_t> ReadDvAudio(const std::string& path);

} // namespace convfix
