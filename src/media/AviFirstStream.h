// The first stream of an AVI file, read through libavformat's AVI demuxer:
// how many frames it has, whether it is interleaved DV ("iavs") or DV video
// ("vids" with "dvsd"), and frame i of it on request by a frame-exact seek.
#pragma once
#include "FfmpegPtr.h"

#include <cstdint>
#include <string>
#include <vector>

class CAviFirstStream {
public:
    enum Kind : int {
        kOther = 0,         // not DV, or not a video stream
        kInterleavedDv = 1, // "iavs": DV frames with the audio inside
        kDvVideo = 2,       // "vids"/"dvsd": DV video, audio in a separate stream
    };

    CAviFirstStream() = default;
    ~CAviFirstStream() { Close(); }
    CAviFirstStream(const CAviFirstStream&) = delete;
    CAviFirstStream& operator=(const CAviFirstStream&) = delete;

    // Opens the file as AVI whatever its content (the caller chose AVI by the
    // name). False when it is not a readable AVI file or has no stream.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return ctx_ != nullptr; }

    Kind StreamKind() const { return kind_; }
    // Frames of the first stream: one past the last frame its index names,
    // else the count in its stream header, else (a file without an index
    // whose header counts nothing, as an interleaved file may be) the
    // container's duration in frames; 0 when none is known.
    int FrameCount() const { return frames_; }

    // Copies frame `index` into `buffer`. Returns its size, or -1 when the
    // index is out of range, the seek or read fails, or the frame is larger
    // than `capacity`. A frame the file leaves out (a dropped frame in the
    // index) reads as the frame before it.
    int ReadFrame(int index, std::uint8_t* buffer, int capacity);

private:
    bool ReadStreamPacket(); // next packet of the first stream into packet_
    int CopyOut(std::uint8_t* buffer, int capacity) const;
    // Without an index a seek cannot find a frame: frames are read in
    // order, and where each one lies in the file is noted, so that an
    // earlier frame is read back from there.
    int ReadUnindexed(int index, std::uint8_t* buffer, int capacity);

    struct Span {
        long long pos;
        int size;
    };

    ff::Input ctx_;
    ff::Packet packet_;
    Kind kind_ = kOther;
    int frames_ = 0;
    // Frame the last read delivered, so that the next frame in order is read
    // without seeking; -1 after a seek failure or before the first read.
    long long lastPts_ = -1;
    bool indexed_ = true;
    int fd_ = -1;              // the file, for frames read back without an index
    std::vector<Span> spans_;  // frames read so far without an index
};
