// Material for the frame picture and conversion tests, generated at test
// time with FFmpeg: a DV frame of known colours, DV AVI files whose second
// stream has a chosen rate, channel count and sample format, short clips of
// other formats made by the ffmpeg tool, and the raw DV files a conversion
// writes taken apart again (video blocks, audio, picture, frame shape).
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

// A short clip made by the ffmpeg tool: its picture is red on the left half
// and blue on the right half (as stored, before any rotation), its sound a
// 440 Hz tone.
struct Clip {
    int width = 320;
    int height = 180;
    int rate = 30;         // frames per second
    double seconds = 2;
    int rotate = 0;        // display rotation written into the container
    int audioRate = 44100; // 0: no sound
    int channels = 2;
    bool ntscDv = false;   // instead: 30 frames of 720x480 NTSC DV with 48 kHz sound, raw
    bool faststart = false; // MP4/MOV: the index before the data, as a file cut short still has it
    std::string creationTime{}; // the container's creation_time (ISO 8601); empty: none
};

// Writes `clip` to `path`, the container chosen by the extension (H.264
// video, AAC sound). Returns an empty text, or why it could not be made (the
// ffmpeg tool or its H.264 encoder is missing), for the test to skip.
std::string MakeClip(const std::string& path, const Clip& clip);

// The recording date a DV frame carries in its VAUX packs, as "YYYY-MM-DD"
// (empty when it carries none).
std::string DvRecordingDate(const std::uint8_t* frame);

// Frame `index` of the raw DV file `path` decoded into 720x576 BGRX pixels
// (empty when it cannot be), and the frame's display aspect as the DV
// decoder reads it from the frame (width over height; 0 when unknown).
std::vector<std::uint8_t> DecodeDvFileFrame(const std::string& path, int index, double* displayAspect = nullptr);

} // namespace convfix
