// DV material for tests, generated with FFmpeg at test time: PAL DV frames
// from libavcodec's dvvideo encoder, put through libavformat's dv muxer with a
// 2-channel PCM stream so that they carry the AAUX source pack; raw DV files;
// "vids"/"dvsd" AVI files from the avi muxer; an "iavs" AVI assembled here;
// and AVI files the reader must refuse.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace dvfix {

inline constexpr int kFrameBytes = 144000;

// `count` PAL DV frames back to back. `audioRate` 48000, 44100 or 32000 puts
// the frames through the dv muxer with that audio; 0 leaves them as the
// encoder made them (no audio pack). Every frame's picture depends on its
// index, so the frames differ. Empty on failure.
std::vector<std::uint8_t> MakeDvFrames(int count, int audioRate = 48000);

// What a camera writes into every frame besides the picture: the timecode
// of the first frame (counting on by one a frame), the recording date and
// time (the same in every frame), the frame shape and the audio rate.
struct DvStamp {
    std::string timecode = "00:00:00:00";
    std::string recorded = "2026-12-09T14:02:03Z";
    bool wide = false;
    int audioRate = 48000;
    int firstPicture = 0; // the picture of the first frame, as MakeDvFrames numbers them
};

// `count` PAL DV frames with audio carrying `stamp`.
std::vector<std::uint8_t> MakeStampedDvFrames(int count, const DvStamp& stamp);

// Frame `index` of a block made by MakeDvFrames.
std::vector<std::uint8_t> Frame(const std::vector<std::uint8_t>& frames, int index);

bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> ReadBytes(const std::string& path);

// How the avi muxer lays out a test AVI.
struct AviLayout {
    bool audio = true;       // add a 48 kHz stereo PCM stream
    bool audioFirst = false; // the audio stream comes before the video
    // Video stream codec and tag: DV ("dvsd") unless changed.
    bool dvVideo = true;
};

// An AVI made by libavformat's avi muxer whose video packets are `packets`
// (for DV video each is normally one 144000-byte frame).
bool WriteMuxedAvi(const std::string& path, const std::vector<std::vector<std::uint8_t>>& packets,
                   const AviLayout& layout = {});
// "vids"/"dvsd" AVI (type 2) holding the frames of `frames`, with PCM audio.
bool WriteDvVideoAvi(const std::string& path, const std::vector<std::uint8_t>& frames,
                     const AviLayout& layout = {});
// Interleaved "iavs" AVI (type 1): one stream whose chunks are the frames,
// with an "idx1" index unless `index` is false (as a capture that was cut
// short leaves it).
bool WriteInterleavedAvi(const std::string& path, const std::vector<std::uint8_t>& frames, bool index = true);

} // namespace dvfix
