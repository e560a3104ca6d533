// Where the card writer takes its frames from: a frame count and frame i on
// demand, or frames in order from a conversion that runs meanwhile. The
// clip file reader and the streamed conversion implement it; the card layer
// does not depend on the media layer.
#pragma once
#include <cstdint>
#include <string>

class IFrameSource {
public:
    virtual ~IFrameSource() = default;
    virtual int FrameCount() const = 0;
    // Fills the first 144000 bytes of `buffer` with frame `frame`; non-zero
    // on success.
    virtual int ReadFrame(int frame, std::uint8_t* buffer) = 0;
    // Path of the source file; the clip's name comes from its base name.
    virtual std::string SourcePath() const = 0;

    // A streamed source (a conversion that runs while its clip is written)
    // hands out each frame once, in order, and knows how many it has only
    // at its end. FrameCount() is then the number its duration foretells,
    // which the writer checks and reserves clusters for; ReadFrame(f) is
    // called for f = 0, 1, 2... and returns 0 past the last frame with
    // Ended() true, or 0 with Ended() false when the source failed.
    virtual bool Streamed() const { return false; }
    virtual bool Ended() const { return false; }
};
