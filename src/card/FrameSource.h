// Where the card writer takes its frames from: a frame count and frame i on
// demand. The clip file reader implements it; the card layer does not depend
// on the media layer.
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
};
